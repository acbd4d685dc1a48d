// What a name at a place is, the script's functions' signatures, and the call being typed.
#include "namequeries.h"

#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "model/lualibrary.h"
#include "model/scriptlexer.h"
#include "reference/tarnreference.h"

#include <algorithm>

using namespace luamodel;

namespace {

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

NameKind NameQueries::KindOf(const Declaration &declaration)
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

NameKind NameQueries::KindOf(const LuaLibraryEntry &entry)
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
    description.kind = KindOf(entry);
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
        description.kind = KindOf(declaration);
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
                           m_model.DefinitionOf(around.call),
                       int(around.argument));
}

CallSignature NameQueries::SignatureOfCall(std::size_t calleeStart, std::size_t calleeEnd, std::size_t lastName,
                                           std::uint32_t function, int argument) const
{
    CallSignature signature;
    signature.callee = Describe(lastName);
    // The model knows which of the script's functions a call calls, `obj:step()` of
    // `function M:step()` among them.
    if (function != kNone && signature.callee.tarnRow < 0) {
        signature.callee = NameDescription();
        signature.callee.found = true;
        signature.callee.start = lastName;
        signature.callee.name = std::string(m_text.substr(calleeStart, calleeEnd - calleeStart));
        signature.callee.kind = m_model.functions[function].method ? NameKind::Method : NameKind::GlobalFunction;
        DescribeFunction(function, signature.callee);
    }
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
            return SignatureOfCall(it->calleeStart, it->calleeEnd, it->lastName, kNone, it->commas);
    return {};
}
