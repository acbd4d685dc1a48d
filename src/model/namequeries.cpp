// Completion, descriptions and the call at a place. Definitions, uses and renaming are in
// namequeriesrename.cpp.
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

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string ParameterTypeOf(const Model &model, const Function &function, std::string_view name, bool &optional)
{
    for (std::uint32_t i = 0; i < function.paramAnnotationCount; ++i) {
        const ParamAnnotation &note = model.paramAnnotations[function.firstParamAnnotation + i];
        if (note.name == name) {
            optional = note.optional;
            return std::string(note.type);
        }
    }
    return {};
}

NameKind KindOfDeclaration(const Declaration &declaration)
{
    switch (declaration.kind) {
    case DeclarationKind::LocalFunction:
        return NameKind::LocalFunction;
    case DeclarationKind::Parameter:
        return NameKind::Parameter;
    case DeclarationKind::Self:
        return NameKind::Self;
    case DeclarationKind::NumericFor:
    case DeclarationKind::GenericFor:
        return NameKind::LoopVariable;
    case DeclarationKind::Vararg:
        return NameKind::Vararg;
    case DeclarationKind::Local:
        break;
    }
    return NameKind::Local;
}

NameKind KindOfLibrary(const LuaLibraryEntry &entry)
{
    switch (entry.kind) {
    case LuaLibraryEntry::Kind::Function:
        return NameKind::LibraryFunction;
    case LuaLibraryEntry::Kind::Table:
        return NameKind::LibraryTable;
    case LuaLibraryEntry::Kind::Value:
        break;
    }
    return NameKind::LibraryValue;
}

void AddLibraryParameters(const LuaLibraryEntry &entry, NameDescription &description)
{
    for (std::string_view parameter : entry.ParameterList()) {
        NameParameter out;
        out.optional = parameter.size() > 2 && parameter.front() == '(' && parameter.back() == ')';
        out.name = std::string(parameter);
        description.parameters.push_back(std::move(out));
    }
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
        candidate.kind = KindOfDeclaration(declaration);
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
        candidate.kind = KindOfLibrary(entry);
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
        candidate.kind = KindOfLibrary(entry);
        candidate.library = &entry;
        candidate.deprecated = entry.compatibility;
        if (entry.IsFunction())
            candidate.detail = LuaLibrary::Signature(base, entry);
        if (!Add(completion, std::move(candidate), most))
            return;
    }
    for (const std::uint32_t field : FieldsOfChain(base, baseStart)) {
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
std::vector<std::uint32_t> NameQueries::FieldsOfChain(std::string_view chain, std::size_t offset) const
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
            if (!FieldFollows(*it, path))
                continue;
            const FieldUse &field = m_model.fields[*it];
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

std::string NameQueries::OwnSignature(const Function &function, std::string_view name) const
{
    std::string text = std::string(name) + '(';
    bool first = true;
    for (std::uint32_t i = 0; i < function.parameterCount; ++i) {
        const Declaration &parameter = m_model.declarations[function.firstParameter + i];
        if (parameter.kind == DeclarationKind::Self)
            continue;
        text += (first ? "" : ", ") + std::string(parameter.name);
        first = false;
    }
    if (function.vararg)
        text += first ? "..." : ", ...";
    return text + ')';
}

void NameQueries::DescribeFunction(std::uint32_t index, NameDescription &description) const
{
    const Function &function = m_model.functions[index];
    description.function = index;
    description.signature = OwnSignature(function, description.name);
    for (std::uint32_t i = 0; i < function.parameterCount; ++i) {
        const Declaration &parameter = m_model.declarations[function.firstParameter + i];
        if (parameter.kind == DeclarationKind::Self)
            continue;
        NameParameter out;
        out.name = std::string(parameter.name);
        out.type = ParameterTypeOf(m_model, function, parameter.name, out.optional);
        description.parameters.push_back(std::move(out));
    }
    if (function.vararg) {
        NameParameter out;
        out.name = "...";
        out.type = ParameterTypeOf(m_model, function, "...", out.optional);
        description.parameters.push_back(std::move(out));
    }
    for (std::uint32_t i = 0; i < function.returnAnnotationCount; ++i)
        description.returns.emplace_back(m_model.returnAnnotations[function.firstReturnAnnotation + i].type);
}

void NameQueries::DescribeTarn(int row, NameDescription &description) const
{
    const TableRow &entries = m_tarn.functions->GetAt(row);
    description.kind = NameKind::TarnFunction;
    description.tarnRow = row;
    description.signature = SignatureOf(entries);
    description.tarnPage = m_tarn.reference ? m_tarn.reference->Find(entries[0]) : nullptr;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        NameParameter out;
        out.name = entries[i];
        out.optional = IsOptionalParameter(entries[i]);
        if (const ParamDoc *param =
                description.tarnPage ? FindParam(*description.tarnPage, BareParameterName(entries[i])) : nullptr) {
            out.type = std::string(param->type);
            out.description = std::string(param->description);
        }
        description.parameters.push_back(std::move(out));
    }
    if (description.tarnPage) {
        for (std::string_view line : description.tarnPage->description)
            description.description += (description.description.empty() ? "" : "\n") + std::string(line);
        for (const ReturnDoc &result : description.tarnPage->returns)
            description.returns.emplace_back(result.type);
    }
}

void NameQueries::DescribeLibrary(std::string_view table, const LuaLibraryEntry &entry,
                                  NameDescription &description) const
{
    description.kind = KindOfLibrary(entry);
    description.description = std::string(entry.description);
    if (entry.IsFunction()) {
        description.signature = (table.empty() ? std::string() : std::string(table) + '.') + std::string(entry.name) +
                                '(' + std::string(entry.parameters) + ')';
        AddLibraryParameters(entry, description);
    }
}

// ---------------------------------------------------------------- descriptions

NameDescription NameQueries::Describe(std::size_t offset) const
{
    NameDescription description;
    offset = std::min(offset, m_text.size());
    std::size_t start = offset, end = offset;
    while (start > 0 && IsNameCharacter(m_text[start - 1]))
        --start;
    while (end < m_text.size() && IsNameCharacter(m_text[end]))
        ++end;
    const std::string_view name = m_text.substr(start, end - start);
    if (name.empty() || IsKeyword(name) || (name[0] >= '0' && name[0] <= '9') || InCommentOrString(start + 1))
        return description;
    description.start = start;
    description.end = end;
    description.name = std::string(name);
    const char before = start > 0 ? m_text[start - 1] : '\0';
    if ((before == '.' && !(start > 1 && m_text[start - 2] == '.')) || before == ':') {
        std::size_t baseStart = start - 1;
        while (baseStart > 0 && (IsNameCharacter(m_text[baseStart - 1]) || m_text[baseStart - 1] == '.'))
            --baseStart;
        DescribeField(m_text.substr(baseStart, start - 1 - baseStart), before == ':', baseStart, description);
        return description;
    }
    const std::uint32_t use = m_model.UseAt(start);
    const SymbolRef symbol = use != kNone ? m_model.SymbolOf(use) : SymbolRef{};
    if (symbol.valid() && !symbol.global) {
        const Declaration &declaration = m_model.declarations[symbol.index];
        description.found = true;
        description.kind = KindOfDeclaration(declaration);
        if (declaration.function != m_model.FunctionAt(start) && description.kind != NameKind::LocalFunction)
            description.kind = NameKind::Upvalue;
        const std::uint32_t function = FunctionNamedAt(declaration.range.start.offset);
        if (function != kNone)
            DescribeFunction(function, description);
        return description;
    }
    DescribeGlobal(symbol.valid() ? symbol.index : m_model.FindGlobal(name), name, description);
    return description;
}

void NameQueries::DescribeGlobal(std::uint32_t global, std::string_view name, NameDescription &description) const
{
    description.kind = NameKind::Global;
    if (global != kNone && m_model.globals[global].firstSet != kNone) {
        description.found = true;
        const std::uint32_t function = FunctionNamedAt(m_model.uses[m_model.globals[global].firstSet].range.start.offset);
        if (function != kNone) {
            description.kind = NameKind::GlobalFunction;
            DescribeFunction(function, description);
            return;
        }
    }
    int row = -1;
    if (m_tarn.functions && FindFunction(*m_tarn.functions, name, row)) {
        description.found = true;
        DescribeTarn(row, description);
        return;
    }
    if (const LuaLibraryEntry *entry = LuaLibrary::Global(name)) {
        description.found = true;
        DescribeLibrary({}, *entry, description);
        return;
    }
    description.found = description.found || global != kNone;
}

void NameQueries::DescribeField(std::string_view base, bool method, std::size_t baseStart,
                                NameDescription &description) const
{
    const std::string_view first = base.substr(0, base.find('.'));
    if (first.empty() || !IsIdentifier(first))
        return;
    const bool shadowed = m_model.Resolve(first, baseStart) != kNone;
    const LuaLibraryEntry *entry = nullptr;
    if (!shadowed && LuaLibrary::IsLibraryTable(base))
        entry = LuaLibrary::Field(base, description.name);
    else if (method && !shadowed && base.starts_with("io.std"))
        entry = LuaLibrary::FileMethod(description.name);
    if (entry) {
        description.found = true;
        description.name = std::string(base) + (method ? ":" : ".") + description.name;
        DescribeLibrary(method ? std::string_view() : base, *entry, description);
        if (method)
            description.signature = description.name + '(' + std::string(entry->parameters) + ')';
        return;
    }
    const std::string name = description.name;
    for (const std::uint32_t field : FieldsOfChain(base, baseStart)) {
        if (m_model.fields[field].name != name)
            continue;
        description.found = true;
        description.kind = NameKind::Field;
        description.name = std::string(base) + (method ? ":" : ".") + name;
        const std::uint32_t function = FunctionOfField(field);
        if (function != kNone) {
            description.kind = NameKind::Method;
            DescribeFunction(function, description);
        }
        return;
    }
}

NameDescription NameQueries::DescribeCandidate(const NameCandidate &candidate) const
{
    NameDescription description;
    description.found = true;
    description.name = candidate.name;
    description.kind = candidate.kind;
    if (candidate.function != kNone && candidate.function < m_model.functions.size()) {
        DescribeFunction(candidate.function, description);
        description.signature = candidate.detail;
    } else if (candidate.tarnRow >= 0 && m_tarn.functions) {
        DescribeTarn(candidate.tarnRow, description);
    } else if (candidate.library) {
        DescribeLibrary({}, *candidate.library, description);
        if (!candidate.detail.empty())
            description.signature = candidate.detail;
    }
    return description;
}

// ---------------------------------------------------------------- the call being typed

CallSignature NameQueries::CallAt(std::size_t offset) const
{
    offset = std::min(offset, m_text.size());
    if (InCommentOrString(offset))
        return {};
    const luamodel::CallAt around = m_model.CallAround(offset);
    if (around.call == kNone) {
        // Past a syntax error the model knows no calls: read the tokens since.
        if (!m_model.status.complete && m_model.status.stoppedAt.offset <= offset)
            return CallByLexing(offset);
        return {};
    }
    const Call &call = m_model.calls[around.call];
    if (call.callee.empty())
        return {};
    return SignatureOfCall(call.calleeRange.start.offset, call.calleeRange.end, call.lastName.start.offset,
                       int(around.argument));
}

CallSignature NameQueries::SignatureOfCall(std::size_t calleeStart, std::size_t calleeEnd, std::size_t lastName,
                                       int argument) const
{
    CallSignature signature;
    signature.callee = Describe(lastName);
    if (!signature.callee.found || signature.callee.signature.empty())
        return signature;
    signature.found = true;
    signature.nameStart = calleeStart;
    signature.nameEnd = calleeEnd;
    signature.argument = argument;
    const auto &parameters = signature.callee.parameters;
    const int count = int(parameters.size());
    if (count == 0)
        return signature;
    const bool open = parameters.back().name == "...";
    signature.activeParameter = std::min(signature.argument, count - 1);
    signature.beyondLast = signature.argument >= count && !open;
    return signature;
}

// The innermost open call before offset, read token by token from where the parser stopped (or
// from 64 KB before offset, when it stopped further back).
CallSignature NameQueries::CallByLexing(std::size_t offset) const
{
    constexpr std::size_t kFarthest = 64 * 1024;
    std::size_t from = m_model.status.stoppedAt.offset;
    if (offset - from > kFarthest) {
        from = offset - kFarthest;
        while (from < offset && m_text[from - 1] != '\n')
            ++from;
    }
    struct Open {
        bool call = false;
        std::size_t calleeStart = 0, calleeEnd = 0, lastName = 0;
        int commas = 0;
    };
    std::vector<Open> open;
    std::vector<Token> recent; // the tokens of the name chain before a "("
    Lexer lexer(m_text.substr(from, offset - from));
    for (Token token = lexer.Next(); token.type != Tok::Eof && token.type != Tok::Error; token = lexer.Next()) {
        token.start += from;
        token.end += from;
        switch (token.type) {
        case Tok::LParen: {
            Open entry;
            // Name (("." | ":") Name)* right before the "(" is the callee.
            if (!recent.empty() && recent.back().type == Tok::Name) {
                std::size_t first = recent.size() - 1;
                while (first >= 2 && (recent[first - 1].type == Tok::Dot || recent[first - 1].type == Tok::Colon) &&
                       recent[first - 2].type == Tok::Name)
                    first -= 2;
                entry = {true, recent[first].start, recent.back().end, recent.back().start, 0};
            }
            open.push_back(entry);
            break;
        }
        case Tok::LBrace:
        case Tok::LBracket:
            open.push_back({});
            break;
        case Tok::RParen:
        case Tok::RBrace:
        case Tok::RBracket:
            if (!open.empty())
                open.pop_back();
            break;
        case Tok::Comma:
            if (!open.empty())
                ++open.back().commas;
            break;
        default:
            break;
        }
        if (token.type == Tok::Name || token.type == Tok::Dot || token.type == Tok::Colon)
            recent.push_back(token);
        else
            recent.clear();
    }
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (it->call)
            return SignatureOfCall(it->calleeStart, it->calleeEnd, it->lastName, it->commas);
    return {};
}
