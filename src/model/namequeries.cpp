// Completion at a place and what stands in comments and strings. Descriptions and the call being
// typed are in namequeriesdescribe.cpp, definitions, uses and renaming in namequeriesrename.cpp.
#include "namequeries.h"

#include "editor/completionorder.h"
#include "editor/foldlevels.h"
#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "model/lualibrary.h"
#include "model/scriptlexer.h"
#include "reference/tarnreference.h"

#include <algorithm>
#include <unordered_set>

using namespace luamodel;

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool StartsWithFolded(std::string_view name, std::string_view prefix)
{
    if (name.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(name[i]) != Lower(prefix[i]))
            return false;
    return true;
}

// Where a comment starting at p ("--") ends: after its closing long bracket, or at its line's end
// (the place at the line's end still being inside it). open is set for a long comment left open.
std::size_t CommentEnd(std::string_view text, std::size_t p, bool &lineComment)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    std::size_t open = 0;
    lineComment = false;
    if (IsLongBracketOpen(bytes, p + 2, text.size(), open)) {
        const std::size_t level = open - (p + 2) - 2;
        const std::string closing = "]" + std::string(level, '=') + "]";
        const std::size_t found = text.find(closing, open);
        return found == std::string_view::npos ? text.size() : found + closing.size();
    }
    lineComment = true;
    const std::size_t end = text.find_first_of("\r\n", p);
    return end == std::string_view::npos ? text.size() : end;
}

// Whether a string token has its closing quote or long bracket: the lexer takes a string left
// open at the end of the text as a string.
bool StringClosed(std::string_view token)
{
    if (token.size() < 2)
        return false;
    if (token[0] == '[')
        return token.back() == ']';
    if (token.back() != token[0])
        return false;
    std::size_t backslashes = 0;
    while (backslashes + 2 <= token.size() && token[token.size() - 2 - backslashes] == '\\')
        ++backslashes;
    return backslashes % 2 == 0;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

NameQueries::NameQueries(std::string_view text, const Model &model, TarnNames tarn)
    : m_text(text), m_model(model), m_tarn(tarn)
{}

bool NameQueries::IsKeyword(std::string_view name)
{
    return std::binary_search(kLuaKeywords.begin(), kLuaKeywords.end(), name);
}

bool NameQueries::IsIdentifier(std::string_view name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    return std::all_of(name.begin(), name.end(), IsNameCharacter) && !IsKeyword(name);
}

// ---------------------------------------------------------------- comments and strings

// Lexes from the last name before offset, which stands outside every comment and string, so
// the cost is the distance from that name.
bool NameQueries::InCommentOrString(std::size_t offset) const
{
    offset = std::min(offset, m_text.size());
    std::size_t from = 0;
    const auto after = std::upper_bound(m_model.uses.begin(), m_model.uses.end(), offset,
                                        [](std::size_t at, const NameUse &use) { return at < use.range.start.offset; });
    for (auto it = after; it != m_model.uses.begin();) {
        --it;
        if (it->range.end <= offset) {
            from = it->range.start.offset;
            break;
        }
    }
    // A first line starting with "#" is no code; a name never starts it.
    if (from == 0 && !m_text.empty() && m_text[0] == '#')
        from = std::min(m_text.find_first_of("\r\n"), m_text.size());
    Lexer lexer(m_text.substr(from));
    std::size_t gap = from;
    for (;;) {
        const Token token = lexer.Next();
        const std::size_t start = from + token.start, end = from + token.end;
        // Comments lie in the gap before each token: the lexer skips them.
        for (std::size_t p = gap; p < std::min(start, offset + 1) && p < m_text.size();) {
            if (IsSpace(m_text[p])) {
                ++p;
                continue;
            }
            if (m_text.compare(p, 2, "--") != 0)
                break;
            bool lineComment = false;
            const std::size_t commentEnd = CommentEnd(m_text, p, lineComment);
            if (offset > p && (offset < commentEnd || (lineComment && offset == commentEnd)))
                return true;
            p = commentEnd;
        }
        if (token.type == Tok::Eof || offset <= start)
            return false;
        if (token.type == Tok::Error)
            return m_text[start] == '"' || m_text[start] == '\'' || m_text[start] == '[' || m_text[start] == '-';
        if (offset < end)
            return token.type == Tok::String || token.type == Tok::Number;
        if (offset == end && token.type == Tok::String && !StringClosed(m_text.substr(start, end - start)))
            return true;
        gap = end;
    }
}

// ---------------------------------------------------------------- completion

NameCompletion NameQueries::Complete(std::size_t offset, std::size_t most) const
{
    offset = std::min(offset, m_text.size());
    NameCompletion completion;
    std::size_t start = offset;
    while (start > 0 && IsNameCharacter(m_text[start - 1]))
        --start;
    std::size_t end = offset;
    while (end < m_text.size() && IsNameCharacter(m_text[end]))
        ++end;
    completion.wordStart = start;
    completion.wordEnd = end;
    const std::string_view word = m_text.substr(start, offset - start);
    if ((!word.empty() && word[0] >= '0' && word[0] <= '9') || InCommentOrString(offset)) {
        completion.quiet = true;
        return completion;
    }
    const char before = start > 0 ? m_text[start - 1] : '\0';
    if ((before == '.' && !(start > 1 && m_text[start - 2] == '.')) || before == ':') {
        completion.afterField = true;
        completion.method = before == ':';
        std::size_t baseStart = start - 1;
        while (baseStart > 0 && (IsNameCharacter(m_text[baseStart - 1]) || m_text[baseStart - 1] == '.'))
            --baseStart;
        completion.base = std::string(m_text.substr(baseStart, start - 1 - baseStart));
        if (completion.base.empty() || !IsIdentifier(completion.base.substr(0, completion.base.find('.'))) ||
            (completion.base[0] >= '0' && completion.base[0] <= '9')) {
            completion.quiet = true;
            return completion;
        }
        AddFieldCandidates(completion, word, baseStart, most);
        return completion;
    }
    AddNameCandidates(completion, word, offset, most);
    return completion;
}

bool NameQueries::Add(NameCompletion &completion, NameCandidate candidate, std::size_t most) const
{
    if (most > 0 && completion.candidates.size() >= most) {
        completion.incomplete = true;
        return false;
    }
    completion.candidates.push_back(std::move(candidate));
    return true;
}

void NameQueries::AddNameCandidates(NameCompletion &completion, std::string_view word, std::size_t offset,
                                    std::size_t most) const
{
    std::unordered_set<std::string_view> seen;
    const std::uint32_t scope = m_model.ScopeAt(offset);
    const std::uint32_t function = m_model.FunctionAt(offset);
    const std::uint32_t depth = scope == kNone ? 0 : m_model.scopes[scope].depth;
    for (const std::uint32_t index : m_model.VisibleAt(offset)) {
        const Declaration &declaration = m_model.declarations[index];
        if (declaration.kind == DeclarationKind::Vararg || !seen.insert(declaration.name).second ||
            !StartsWithFolded(declaration.name, word))
            continue;
        NameCandidate candidate;
        candidate.name = std::string(declaration.name);
        candidate.kind = KindOf(declaration);
        if (declaration.function != function && candidate.kind != NameKind::LocalFunction)
            candidate.kind = NameKind::Upvalue;
        candidate.distance = int(depth - std::min(depth, m_model.scopes[declaration.scope].depth));
        candidate.declaration = index;
        candidate.function = FunctionNamedAt(declaration.range.start.offset);
        if (candidate.function != kNone)
            candidate.detail = OwnSignature(m_model.functions[candidate.function], candidate.name);
        if (!Add(completion, std::move(candidate), most))
            return;
    }
    const int outside = int(depth) + 1;
    if (!AddGlobalCandidates(completion, word, offset, outside, seen, most))
        return;
    for (const LuaLibraryEntry &entry : LuaLibrary::Globals()) {
        if (!StartsWithFolded(entry.name, word) || seen.count(entry.name))
            continue;
        NameCandidate candidate;
        candidate.name = std::string(entry.name);
        candidate.kind = KindOf(entry);
        candidate.distance = outside + 1;
        candidate.library = &entry;
        candidate.deprecated = entry.compatibility;
        if (entry.IsFunction())
            candidate.detail = LuaLibrary::Signature({}, entry);
        if (!Add(completion, std::move(candidate), most))
            return;
    }
    if (m_tarn.functions && m_tarn.sortedNames) {
        const std::vector<std::string> &names = *m_tarn.sortedNames;
        for (std::size_t i = FirstNotLess(names, word); i < names.size() && StartsWithFolded(names[i], word); ++i) {
            if (seen.count(names[i]))
                continue;
            NameCandidate candidate;
            candidate.name = names[i];
            candidate.kind = NameKind::TarnFunction;
            candidate.distance = outside + 2;
            candidate.tarnRow = m_tarn.functions->IndexOfName(names[i]);
            if (candidate.tarnRow >= 0)
                candidate.detail = SignatureOf(m_tarn.functions->GetAt(candidate.tarnRow));
            const FunctionDoc *page = m_tarn.reference ? m_tarn.reference->Find(names[i]) : nullptr;
            candidate.deprecated = page && page->deprecated;
            if (!Add(completion, std::move(candidate), most))
                return;
        }
    }
    for (std::string_view keyword : kLuaKeywords) {
        if (!keyword.starts_with(word))
            continue;
        NameCandidate candidate;
        candidate.name = std::string(keyword);
        candidate.kind = NameKind::Keyword;
        candidate.distance = outside + 3;
        if (!Add(completion, std::move(candidate), most))
            return;
    }
}

// The script's globals whose names start with word: the first letter in either case, the rest
// as typed, found by halving the sorted list. Lua's and Tarn's names come in their own groups.
bool NameQueries::AddGlobalCandidates(NameCompletion &completion, std::string_view word, std::size_t offset,
                                      int distance, std::unordered_set<std::string_view> &seen,
                                      std::size_t most) const
{
    std::string variants[2] = {std::string(word), std::string(word)};
    if (!word.empty())
        variants[1][0] = Lower(word[0]) == word[0] ? char(word[0] >= 'a' && word[0] <= 'z' ? word[0] - 32 : word[0])
                                                   : Lower(word[0]);
    const int count = word.empty() || variants[0] == variants[1] ? 1 : 2;
    const auto &order = m_model.globalsByName;
    for (int v = 0; v < count; ++v) {
        const std::string &prefix = variants[v];
        auto it = std::lower_bound(order.begin(), order.end(), prefix, [this](std::uint32_t g, const std::string &key) {
            return m_model.globals[g].name < key;
        });
        for (; it != order.end() && m_model.globals[*it].name.starts_with(prefix); ++it) {
            const Global &global = m_model.globals[*it];
            if (seen.count(global.name) || LuaLibrary::Global(global.name) || IsTarnFunction(global.name))
                continue;
            // The name being typed is no candidate of its own.
            if (global.useCount == 1) {
                const NameUse &use = m_model.uses[m_model.symbolUses[global.firstUse]];
                if (use.range.start.offset <= offset && offset <= use.range.end)
                    continue;
            }
            seen.insert(global.name);
            NameCandidate candidate;
            candidate.name = std::string(global.name);
            candidate.kind = NameKind::Global;
            candidate.distance = distance;
            if (global.firstSet != kNone) {
                candidate.function = FunctionNamedAt(m_model.uses[global.firstSet].range.start.offset);
                if (candidate.function != kNone) {
                    candidate.kind = NameKind::GlobalFunction;
                    candidate.detail = OwnSignature(m_model.functions[candidate.function], candidate.name);
                }
            }
            if (!Add(completion, std::move(candidate), most))
                return false;
        }
    }
    return true;
}

void NameQueries::AddFieldCandidates(NameCompletion &completion, std::string_view word, std::size_t baseStart,
                                     std::size_t most) const
{
    const std::string &base = completion.base;
    const std::string_view first = std::string_view(base).substr(0, base.find('.'));
    const bool shadowed = m_model.Resolve(first, baseStart) != kNone;
    std::span<const LuaLibraryEntry> library;
    if (!shadowed && LuaLibrary::IsLibraryTable(base))
        library = LuaLibrary::Fields(base);
    else if (!shadowed && completion.method && (base == "io.stdout" || base == "io.stderr" || base == "io.stdin"))
        library = LuaLibrary::FileMethods();
    std::unordered_set<std::string_view> seen;
    for (const LuaLibraryEntry &entry : library) {
        if (!StartsWithFolded(entry.name, word) || (completion.method && !entry.IsFunction()))
            continue;
        seen.insert(entry.name);
        NameCandidate candidate;
        candidate.name = std::string(entry.name);
        candidate.kind = KindOf(entry);
        candidate.library = &entry;
        candidate.deprecated = entry.compatibility;
        if (entry.IsFunction())
            candidate.detail = LuaLibrary::Signature(base, entry);
        if (!Add(completion, std::move(candidate), most))
            return;
    }
    for (const std::uint32_t field : FieldsOfChain(base, baseStart, completion.wordStart)) {
        const FieldUse &use = m_model.fields[field];
        if (!StartsWithFolded(use.name, word) || !seen.insert(use.name).second)
            continue;
        NameCandidate candidate;
        candidate.name = std::string(use.name);
        const std::uint32_t function = FunctionOfField(field);
        candidate.kind = function != kNone ? NameKind::Method : NameKind::Field;
        if (completion.method && function == kNone)
            continue;
        candidate.function = function;
        if (function != kNone)
            candidate.detail = OwnSignature(m_model.functions[function], base + '.' + candidate.name);
        if (!Add(completion, std::move(candidate), most))
            return;
    }
}

// One field of each name hanging on the chain ("M", "a.b") as written at offset, the one that
// sets it where one does; in order of first appearance.
std::vector<std::uint32_t> NameQueries::FieldsOfChain(std::string_view chain, std::size_t offset,
                                                      std::size_t typed) const
{
    std::vector<std::string_view> path;
    for (std::size_t from = 0; from <= chain.size();) {
        const std::size_t dot = std::min(chain.find('.', from), chain.size());
        path.push_back(chain.substr(from, dot - from));
        from = dot + 1;
    }
    const std::uint32_t local = m_model.Resolve(path[0], offset);
    const SymbolRef symbol = local != kNone ? SymbolRef{local, false} : SymbolRef{m_model.FindGlobal(path[0]), true};
    std::vector<std::uint32_t> found;
    if (!symbol.valid())
        return found;
    for (const std::uint32_t *use = m_model.UsesBegin(symbol); use != m_model.UsesEnd(symbol); ++use) {
        const auto &order = m_model.fieldsByBase;
        auto it = std::lower_bound(order.begin(), order.end(), *use,
                                   [this](std::uint32_t f, std::uint32_t base) { return m_model.fields[f].baseUse < base; });
        for (; it != order.end() && m_model.fields[*it].baseUse == *use; ++it) {
            const FieldUse &field = m_model.fields[*it];
            // The name being typed is no candidate of its own.
            if (!FieldFollows(*it, path) || field.range.start.offset == typed)
                continue;
            auto same = std::find_if(found.begin(), found.end(),
                                     [&](std::uint32_t f) { return m_model.fields[f].name == field.name; });
            if (same == found.end())
                found.push_back(*it);
            else if (field.write && !m_model.fields[*same].write)
                *same = *it;
        }
    }
    return found;
}

// Whether the field hangs on the path's fields after its base: path {"a", "b"} takes `a.b.x`.
bool NameQueries::FieldFollows(std::uint32_t field, const std::vector<std::string_view> &path) const
{
    std::uint32_t parent = m_model.fields[field].parent;
    for (std::size_t i = path.size(); i-- > 1;) {
        if (parent == kNone || m_model.fields[parent].name != path[i])
            return false;
        parent = m_model.fields[parent].parent;
    }
    return parent == kNone;
}

// ---------------------------------------------------------------- functions

// The function whose name starts at nameStart: `function f`, `local function f`, `f = function`.
std::uint32_t NameQueries::FunctionNamedAt(std::size_t nameStart) const
{
    const auto &functions = m_model.functions;
    auto after = std::upper_bound(functions.begin(), functions.end(), nameStart,
                                  [](std::size_t at, const Function &f) { return at < f.range.start.offset; });
    // Nothing starts between a definition's start and its name, so the last one before is it.
    for (int i = 0; i < 2 && after != functions.begin(); ++i) {
        --after;
        if (after->kind != FunctionKind::Main && after->kind != FunctionKind::Anonymous &&
            after->nameRange.start.offset == nameStart)
            return std::uint32_t(after - functions.begin());
    }
    return kNone;
}

// The function a field is set to: `function M.run()`, `M.run = function`, `{ run = function }`.
std::uint32_t NameQueries::FunctionOfField(std::uint32_t field) const
{
    const FieldUse &use = m_model.fields[field];
    if (!use.write)
        return kNone;
    // The function starts at the chain's base or at the `function` before it, or after the field
    // in a constructor: it is among the few that start near the field.
    const auto &functions = m_model.functions;
    const std::size_t near = use.range.start.offset;
    auto it = std::upper_bound(functions.begin(), functions.end(), use.range.end + 64,
                               [](std::size_t at, const Function &f) { return at < f.range.start.offset; });
    for (int i = 0; i < 8 && it != functions.begin(); ++i) {
        --it;
        if (it->field == field)
            return std::uint32_t(it - functions.begin());
        if (it->range.start.offset + 256 < near)
            break;
    }
    return kNone;
}

bool NameQueries::IsTarnFunction(std::string_view name) const
{
    int row = -1;
    return m_tarn.functions && FindFunction(*m_tarn.functions, name, row);
}
