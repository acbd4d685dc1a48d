// After the read: the lists grouped for the queries, and the annotation lines above functions.
#include "model/scriptparser.h"

#include <algorithm>

namespace luamodel {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

// A type as annotations write it, up to the first blank outside brackets and quotes that is not
// beside a "|": "number", "string[]", "fun(x: number): boolean", "\"a\" | \"b\"".
std::string_view TypeOf(std::string_view s)
{
    int depth = 0;
    char quote = 0;
    std::size_t i = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == '<' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == '>' || c == ']' || c == '}') {
            --depth;
        } else if (IsBlank(c) && depth <= 0) {
            const std::string_view rest = TrimLeft(s.substr(i));
            const bool joined = (i > 0 && s[i - 1] == '|') || rest.starts_with('|');
            if (!joined)
                break;
        } else if (c == '#' && depth <= 0) {
            break;
        }
    }
    std::string_view type = s.substr(0, i);
    while (!type.empty() && IsBlank(type.back()))
        type.remove_suffix(1);
    return type;
}

// The line that ends just before offset lineStart (which starts a line); empty at the text's start.
std::string_view LineBefore(std::string_view text, std::size_t lineStart, std::size_t &previousStart)
{
    if (lineStart == 0)
        return {};
    std::size_t end = lineStart - 1; // the line break
    if (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n') && text[end - 1] != text[end])
        --end;
    std::size_t start = end;
    while (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r')
        --start;
    previousStart = start;
    return text.substr(start, end - start);
}

} // namespace

// The "---" lines directly above the statement starting at statementStart, with nothing but
// blanks before it on its line.
void Parser::ReadAnnotations(Function &function, std::size_t statementStart)
{
    std::size_t lineStart = statementStart;
    while (lineStart > 0 && IsBlank(m_text[lineStart - 1]))
        --lineStart;
    if (lineStart > 0 && m_text[lineStart - 1] != '\n' && m_text[lineStart - 1] != '\r')
        return;
    std::size_t top = lineStart;
    std::size_t count = 0;
    for (;;) {
        std::size_t previous = 0;
        const std::string_view line = TrimLeft(LineBefore(m_text, top, previous));
        if (top == 0 || !line.starts_with("---"))
            break;
        top = previous;
        ++count;
    }
    function.firstParamAnnotation = std::uint32_t(m_model.paramAnnotations.size());
    function.firstReturnAnnotation = std::uint32_t(m_model.returnAnnotations.size());
    for (std::size_t at = top; count > 0; --count) {
        std::size_t end = at;
        while (end < m_text.size() && m_text[end] != '\n' && m_text[end] != '\r')
            ++end;
        std::string_view line = TrimLeft(m_text.substr(at, end - at));
        line.remove_prefix(3);
        line = TrimLeft(line);
        if (line.starts_with("@param") && line.size() > 6 && IsBlank(line[6])) {
            std::string_view rest = TrimLeft(line.substr(6));
            std::size_t length = rest.starts_with("...") ? 3 : 0;
            while (length == 0 && length < rest.size() && IsNameChar(rest[length]))
                ++length;
            while (length > 0 && length < rest.size() && IsNameChar(rest[length]))
                ++length;
            if (length > 0) {
                ParamAnnotation param;
                param.name = rest.substr(0, length);
                rest.remove_prefix(length);
                if (rest.starts_with('?')) {
                    param.optional = true;
                    rest.remove_prefix(1);
                }
                param.type = TypeOf(TrimLeft(rest));
                m_model.paramAnnotations.push_back(param);
            }
        } else if (line.starts_with("@return") && line.size() > 7 && IsBlank(line[7])) {
            m_model.returnAnnotations.push_back({TypeOf(TrimLeft(line.substr(7)))});
        }
        // The next line: skip this one's break (CR LF or LF CR as one).
        at = end;
        if (at < m_text.size()) {
            const char c = m_text[at++];
            if (at < m_text.size() && (m_text[at] == '\n' || m_text[at] == '\r') && m_text[at] != c)
                ++at;
        }
    }
    function.paramAnnotationCount = std::uint32_t(m_model.paramAnnotations.size()) - function.firstParamAnnotation;
    function.returnAnnotationCount = std::uint32_t(m_model.returnAnnotations.size()) - function.firstReturnAnnotation;
}

namespace {

// Indices 0..keys.size()-1 grouped by key (stable), with each key's first position and count.
template <class KeyOf>
void GroupBy(std::size_t items, std::size_t keys, KeyOf keyOf, std::vector<std::uint32_t> &grouped,
             std::vector<std::uint32_t> &first)
{
    first.assign(keys + 1, 0);
    for (std::size_t i = 0; i < items; ++i) {
        const std::uint32_t key = keyOf(i);
        if (key != kNone)
            ++first[key + 1];
    }
    for (std::size_t k = 0; k < keys; ++k)
        first[k + 1] += first[k];
    std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
    grouped.resize(first[keys]);
    for (std::size_t i = 0; i < items; ++i) {
        const std::uint32_t key = keyOf(i);
        if (key != kNone)
            grouped[next[key]++] = std::uint32_t(i);
    }
}

} // namespace

void Parser::Finish()
{
    Model &m = m_model;
    const std::size_t declarations = m.declarations.size();
    std::vector<std::uint32_t> first;
    GroupBy(
        m.uses.size(), declarations + m.globals.size(),
        [&m, declarations](std::size_t i) {
            const NameUse &use = m.uses[i];
            return std::uint32_t(use.global ? declarations + use.symbol : use.symbol);
        },
        m.symbolUses, first);
    for (std::size_t d = 0; d < declarations; ++d) {
        m.declarations[d].firstUse = first[d];
        m.declarations[d].useCount = first[d + 1] - first[d];
    }
    for (std::size_t g = 0; g < m.globals.size(); ++g) {
        Global &global = m.globals[g];
        global.firstUse = first[declarations + g];
        global.useCount = first[declarations + g + 1] - global.firstUse;
    }
    for (std::uint32_t index = 0; index < m.uses.size(); ++index) {
        const NameUse &use = m.uses[index];
        if (!use.global)
            continue;
        Global &global = m.globals[use.symbol];
        if (use.write) {
            global.set = true;
            if (global.firstSet == kNone)
                global.firstSet = index;
        } else if (!use.mutation) {
            global.read = true;
        }
        global.mutated = global.mutated || use.mutation;
    }

    GroupBy(
        declarations, m.scopes.size(), [&m](std::size_t i) { return m.declarations[i].scope; },
        m.scopeDeclarations, first);
    for (std::size_t s = 0; s < m.scopes.size(); ++s) {
        m.scopes[s].firstDeclaration = first[s];
        m.scopes[s].declarationCount = first[s + 1] - first[s];
    }

    // Fields mostly follow their base in text order already: a stable sort of few items.
    m.fieldsByBase.clear();
    for (std::uint32_t f = 0; f < m.fields.size(); ++f)
        if (m.fields[f].baseUse != kNone)
            m.fieldsByBase.push_back(f);
    std::stable_sort(m.fieldsByBase.begin(), m.fieldsByBase.end(),
                     [&m](std::uint32_t a, std::uint32_t b) { return m.fields[a].baseUse < m.fields[b].baseUse; });

    for (std::uint32_t f = 0; f < m.functions.size(); ++f)
        if (!m.functions[f].name.empty())
            m.functionsByName.push_back(f);
    std::stable_sort(m.functionsByName.begin(), m.functionsByName.end(),
                     [&m](std::uint32_t a, std::uint32_t b) { return m.functions[a].name < m.functions[b].name; });

    m.globalsByName.resize(m.globals.size());
    for (std::uint32_t g = 0; g < m.globals.size(); ++g)
        m.globalsByName[g] = g;
    std::sort(m.globalsByName.begin(), m.globalsByName.end(),
              [&m](std::uint32_t a, std::uint32_t b) { return m.globals[a].name < m.globals[b].name; });
}

Model BuildModel(std::string_view text)
{
    return Parser(text).Run();
}

} // namespace luamodel
