#include "referencecheck.h"

#include "check/warningcodes.h"
#include "editor/luascanner.h"
#include "reference/tarnreference.h"

#include <algorithm>
#include <unordered_set>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// "[[", "[==[": the level of the long bracket that opens at i, or -1.
int LongBracketLevel(std::string_view text, std::size_t i)
{
    if (i >= text.size() || text[i] != '[')
        return -1;
    std::size_t j = i + 1;
    while (j < text.size() && text[j] == '=')
        ++j;
    return j < text.size() && text[j] == '[' ? int(j - i - 1) : -1;
}

// Just past the long bracket of level that opens at i; the text's end when it never closes.
std::size_t SkipLongBracket(std::string_view text, std::size_t i, int level)
{
    const std::string close = "]" + std::string(std::size_t(level), '=') + "]";
    const std::size_t end = text.find(close, i + std::size_t(level) + 2);
    return end == std::string_view::npos ? text.size() : end + close.size();
}

// Just past the comment that starts at i ("--").
std::size_t SkipComment(std::string_view text, std::size_t i)
{
    const int level = LongBracketLevel(text, i + 2);
    if (level >= 0)
        return SkipLongBracket(text, i + 2, level);
    const std::size_t end = text.find_first_of("\r\n", i);
    return end == std::string_view::npos ? text.size() : end;
}

std::size_t SkipSpaceAndComments(std::string_view text, std::size_t i)
{
    for (;;) {
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        if (text.substr(i).starts_with("--"))
            i = SkipComment(text, i);
        else
            return i;
    }
}

// Just past the short string that opens at i; 0 when a line break or the end comes first.
// escaped tells whether it holds a backslash.
std::size_t SkipShortString(std::string_view text, std::size_t i, bool &escaped)
{
    const char quote = text[i];
    escaped = false;
    for (std::size_t j = i + 1; j < text.size(); ++j) {
        if (text[j] == '\\') {
            escaped = true;
            ++j;
        } else if (text[j] == quote) {
            return j + 1;
        } else if (text[j] == '\n' || text[j] == '\r') {
            return 0;
        }
    }
    return 0;
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Reads the argument list that opens with "(" at open, one argument at a time.
class ArgumentReader {
public:
    ArgumentReader(std::string_view text, std::vector<CallArgument> &arguments) : m_text(text), m_arguments(arguments) {}

    void Read(std::size_t open)
    {
        int depth = 0;
        std::size_t i = open + 1;
        while ((i = SkipSpaceAndComments(m_text, i)) < m_text.size()) {
            const char c = m_text[i];
            if (depth == 0 && (c == ',' || c == ')')) {
                if (m_tokens > 0 || c == ',')
                    Finish();
                if (c == ')')
                    return;
                ++i;
            } else if (c == '(' || c == '{' || (c == '[' && LongBracketLevel(m_text, i) < 0)) {
                ++depth;
                Token(i, i + 1, false);
                ++i;
            } else if (c == ')' || c == '}' || c == ']') {
                --depth;
                Token(i, i + 1, false);
                ++i;
            } else if (c == '"' || c == '\'') {
                bool escaped = false;
                const std::size_t end = SkipShortString(m_text, i, escaped);
                if (end == 0)
                    return;
                Token(i, end, depth == 0 && !escaped);
                i = end;
            } else if (const int level = LongBracketLevel(m_text, i); level >= 0) {
                const std::size_t end = SkipLongBracket(m_text, i, level);
                Token(i, end, false);
                i = end;
            } else if (IsNameChar(c)) {
                std::size_t end = i;
                while (end < m_text.size() && IsNameChar(m_text[end]))
                    ++end;
                // A function body's commas and brackets are not the call's: the arguments after
                // it are left unread.
                if (m_text.substr(i, end - i) == "function")
                    return;
                Token(i, end, false);
                i = end;
            } else {
                Token(i, i + 1, false);
                ++i;
            }
        }
    }

private:
    void Token(std::size_t start, std::size_t end, bool plainString)
    {
        if (m_tokens++ == 0) {
            m_current = CallArgument{start, end, plainString, {}};
        } else {
            m_current.end = end;
            m_current.isString = false;
        }
    }

    void Finish()
    {
        if (m_current.isString)
            m_current.value = m_text.substr(m_current.start + 1, m_current.end - m_current.start - 2);
        m_arguments.push_back(m_current);
        m_current = {};
        m_tokens = 0;
    }

    std::string_view m_text;
    std::vector<CallArgument> &m_arguments;
    CallArgument m_current;
    int m_tokens = 0;
};

std::string FixedSetMessage(std::string_view name, const ParamDoc &param)
{
    std::string message = std::string(name) + ": " + std::string(param.name) + " must be one of ";
    for (std::size_t i = 0; i < param.allowedStrings.size(); ++i)
        message += (i ? ", \"" : "\"") + std::string(param.allowedStrings[i]) + '"';
    return message;
}

std::string LiteralTypeMessage(std::string_view name, const ParamDoc &param, std::string_view literal)
{
    return std::string(name) + ": " + std::string(param.name) + " takes " + std::string(param.type) + ", not " +
           (literal == "nil" ? "nil" : "a " + std::string(literal));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumberLiteral(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text = SkipSpaceAndComments(text, 1) < text.size() ? text.substr(SkipSpaceAndComments(text, 1)) : "";
    if (text.empty() || !(IsDigit(text.front()) || (text.front() == '.' && text.size() > 1 && IsDigit(text[1]))))
        return false;
    // What follows the first digit may only be more of a number: digits, hex digits, a point,
    // an exponent with its sign.
    return std::all_of(text.begin(), text.end(), [](char c) {
        return IsDigit(c) || c == '.' || c == 'x' || c == 'X' || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
               c == '+' || c == '-';
    });
}

// One alternative of an annotated type, and whether a literal fits it: 1 yes, 0 no, -1 the
// alternative names a class or alias this cannot judge.
int AlternativeTakes(std::string_view type, std::string_view literal)
{
    if (type == literal || (type == "integer" && literal == "number"))
        return 1;
    if ((type == "true" || type == "false") && literal == "boolean")
        return 1;
    if (!type.empty() && (type.front() == '"' || type.front() == '\''))
        return literal == "string" ? 1 : 0;
    static constexpr std::string_view kKnown[] = {"number", "integer", "string", "boolean", "nil", "table",
                                                  "function", "true", "false", "thread", "userdata"};
    const bool known = std::find(std::begin(kKnown), std::end(kKnown), type) != std::end(kKnown) ||
                       type.ends_with("[]") || type.starts_with("fun(") || type.starts_with("table<") ||
                       type.starts_with("{");
    return known ? 0 : -1;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string_view LiteralType(std::string_view argument)
{
    argument = Trimmed(argument);
    if (argument.empty())
        return {};
    if (argument.front() == '"' || argument.front() == '\'') {
        bool escaped = false;
        return SkipShortString(argument, 0, escaped) == argument.size() ? "string" : "";
    }
    if (const int level = LongBracketLevel(argument, 0); level >= 0)
        return SkipLongBracket(argument, 0, level) == argument.size() ? "string" : "";
    if (argument == "true" || argument == "false")
        return "boolean";
    if (argument == "nil")
        return "nil";
    return IsNumberLiteral(argument) ? "number" : "";
}

bool TypeTakesLiteral(std::string_view type, bool optional, std::string_view literal)
{
    if (literal.empty())
        return true;
    if (literal == "nil" && (optional || type.ends_with('?')))
        return true;
    bool judged = true;
    while (!type.empty()) {
        // Alternatives are split at the top level only: "fun(a: number|string)" is one.
        int depth = 0;
        std::size_t end = 0;
        for (; end < type.size(); ++end) {
            const char c = type[end];
            depth += c == '(' || c == '<' || c == '{' ? 1 : c == ')' || c == '>' || c == '}' ? -1 : 0;
            if (c == '|' && depth == 0)
                break;
        }
        std::string_view alternative = Trimmed(type.substr(0, end));
        if (alternative.ends_with('?')) {
            alternative.remove_suffix(1);
            if (literal == "nil")
                return true;
        }
        const int takes = AlternativeTakes(alternative, literal);
        if (takes == 1)
            return true;
        judged &= takes == 0;
        type = end < type.size() ? type.substr(end + 1) : std::string_view();
    }
    return !judged;
}

namespace {

void CheckArguments(std::string_view text, std::string_view name, const ScannedCall &call, const TableRow &entries,
                    const FunctionDoc &doc, std::vector<CallWarning> &warnings, std::size_t limit)
{
    const std::vector<CallArgument> arguments = ReadCallArguments(text, call.nameEnd);
    // The table orders the arguments; the page is asked by name, as a file of the user's own
    // may list the parameters otherwise.
    for (std::size_t i = 0; i < arguments.size() && i + 1 < entries.size() && warnings.size() < limit; ++i) {
        const ParamDoc *param = FindParam(doc, BareParameterName(entries[i + 1]));
        const CallArgument &argument = arguments[i];
        if (!param)
            continue;
        const std::string_view literal = LiteralType(text.substr(argument.start, argument.end - argument.start));
        if (!TypeTakesLiteral(param->type, param->optional, literal)) {
            warnings.push_back({argument.start, argument.end, LiteralTypeMessage(name, *param, literal),
                                WarningCode::kLiteralType});
            continue;
        }
        if (!argument.isString || param->allowedStrings.empty())
            continue;
        const auto &allowed = param->allowedStrings;
        if (std::find(allowed.begin(), allowed.end(), argument.value) == allowed.end())
            warnings.push_back({argument.start, argument.end, FixedSetMessage(name, *param), WarningCode::kFixedString});
    }
}

} // namespace

std::vector<CallArgument> ReadCallArguments(std::string_view text, std::size_t nameEnd)
{
    std::vector<CallArgument> arguments;
    const std::size_t i = SkipSpaceAndComments(text, nameEnd);
    if (i >= text.size())
        return arguments;
    if (text[i] == '(') {
        ArgumentReader(text, arguments).Read(i);
    } else if (text[i] == '"' || text[i] == '\'') {
        // f "text": the literal is the one argument.
        bool escaped = false;
        if (const std::size_t end = SkipShortString(text, i, escaped); end != 0)
            arguments.push_back({i, end, !escaped, escaped ? std::string_view() : text.substr(i + 1, end - i - 2)});
    }
    return arguments;
}

std::vector<CallWarning> CheckReferenceCalls(std::string_view text, const CallScan &scan, const FunctionTable &functions,
                                             const TarnReference &reference, std::size_t limit)
{
    std::vector<CallWarning> warnings;
    if (reference.Empty())
        return warnings;
    const std::unordered_set<std::string_view> defined(scan.definedNames.begin(), scan.definedNames.end());
    for (const ScannedCall &call : scan.calls) {
        if (warnings.size() >= limit)
            break;
        const std::string_view name = text.substr(call.nameStart, call.nameEnd - call.nameStart);
        int row = -1;
        if (call.local || defined.count(name) || !(FindFunction(functions, name, row) || (row = functions.IndexOfName(name)) >= 0))
            continue;
        const TableRow &entries = functions.GetAt(row);
        const FunctionDoc *doc = reference.Find(entries[0]);
        if (!doc)
            continue;
        if (doc->deprecated)
            warnings.push_back({call.nameStart, call.nameEnd,
                                std::string(name) + " is deprecated" +
                                    (doc->deprecation.empty() ? "" : ": " + std::string(doc->deprecation)),
                                WarningCode::kDeprecated});
        CheckArguments(text, name, call, entries, *doc, warnings, limit);
    }
    if (warnings.size() > limit)
        warnings.resize(limit);
    return warnings;
}
