#include "warningfilter.h"

#include "check/luacheckconfig.h"
#include "check/warningcodes.h"

#include <algorithm>
#include <cctype>

namespace {

// ----- Lua patterns, the part names need -----------------------------------------------------

bool ClassMatches(char cls, unsigned char c)
{
    bool result = false;
    switch (cls | 0x20) {
    case 'a': result = std::isalpha(c); break;
    case 'd': result = std::isdigit(c); break;
    case 'l': result = std::islower(c); break;
    case 's': result = std::isspace(c); break;
    case 'u': result = std::isupper(c); break;
    case 'w': result = std::isalnum(c); break;
    case 'x': result = std::isxdigit(c); break;
    case 'p': result = std::ispunct(c); break;
    case 'c': result = std::iscntrl(c); break;
    default: return cls == char(c);
    }
    return (cls >= 'A' && cls <= 'Z') ? !result : result;
}

// The end of the single-character item starting at p ("x", "%a", "[...]").
std::size_t ItemEnd(std::string_view pattern, std::size_t p)
{
    if (pattern[p] == '%')
        return std::min(p + 2, pattern.size());
    if (pattern[p] != '[')
        return p + 1;
    std::size_t q = p + 1;
    if (q < pattern.size() && pattern[q] == '^')
        ++q;
    do {
        if (q < pattern.size() && pattern[q] == '%')
            ++q;
        ++q;
    } while (q < pattern.size() && pattern[q] != ']');
    return std::min(q + 1, pattern.size());
}

bool SetMatches(std::string_view set, unsigned char c) // set is "[...]"
{
    std::size_t p = 1;
    const bool negate = p < set.size() && set[p] == '^';
    p += negate ? 1 : 0;
    const std::size_t end = set.size() - 1;
    bool found = false;
    while (p < end) {
        if (set[p] == '%' && p + 1 < end) {
            found |= ClassMatches(set[p + 1], c);
            p += 2;
        } else if (p + 2 < end && set[p + 1] == '-') {
            found |= set[p] <= char(c) && char(c) <= set[p + 2];
            p += 3;
        } else {
            found |= set[p] == char(c);
            ++p;
        }
    }
    return found != negate;
}

bool SingleMatches(std::string_view item, char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (item[0] == '.')
        return true;
    if (item[0] == '%')
        return item.size() > 1 && ClassMatches(item[1], u);
    if (item[0] == '[')
        return SetMatches(item, u);
    return item[0] == c;
}

class Matcher {
public:
    Matcher(std::string_view pattern, std::string_view text) : m_pattern(pattern), m_text(text) {}

    bool Whole() { return Match(0, 0, 0); }

private:
    static constexpr int kDeepest = 200;

    bool Match(std::size_t s, std::size_t p, int depth)
    {
        if (depth > kDeepest || ++m_steps > 100000)
            return false;
        if (p == m_pattern.size())
            return s == m_text.size();
        if (m_pattern[p] == '$' && p + 1 == m_pattern.size())
            return s == m_text.size();
        const std::size_t end = ItemEnd(m_pattern, p);
        const std::string_view item = m_pattern.substr(p, end - p);
        const char repeat = end < m_pattern.size() ? m_pattern[end] : '\0';
        const bool here = s < m_text.size() && SingleMatches(item, m_text[s]);
        switch (repeat) {
        case '?':
            return (here && Match(s + 1, end + 1, depth + 1)) || Match(s, end + 1, depth + 1);
        case '*':
        case '+': {
            std::size_t count = 0;
            while (s + count < m_text.size() && SingleMatches(item, m_text[s + count]))
                ++count;
            for (std::size_t taken = count + 1; taken-- > (repeat == '+' ? 1u : 0u);)
                if (Match(s + taken, end + 1, depth + 1))
                    return true;
            return false;
        }
        case '-':
            for (std::size_t taken = 0;; ++taken) {
                if (Match(s + taken, end + 1, depth + 1))
                    return true;
                if (s + taken >= m_text.size() || !SingleMatches(item, m_text[s + taken]))
                    return false;
            }
        default:
            return here && Match(s + 1, end, depth + 1);
        }
    }

    std::string_view m_pattern;
    std::string_view m_text;
    int m_steps = 0;
};

bool IsDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool CodeMatches(std::string_view pattern, int code)
{
    if (!pattern.empty() && (pattern.front() == 'W' || pattern.front() == 'w'))
        pattern.remove_prefix(1);
    const std::string digits = CodeText(code).substr(1);
    // Anchored at the start only, as luacheck reads code patterns.
    return LuaPatternMatchesWhole(std::string(pattern) + ".*", digits);
}

bool AnyMatches(const std::vector<std::string> &patterns, const ModelWarning &warning)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&warning](const std::string &p) { return PatternMatches(p, warning.code, warning.name); });
}

} // namespace

bool LuaPatternMatchesWhole(std::string_view pattern, std::string_view text)
{
    if (!pattern.empty() && pattern.front() == '^')
        pattern.remove_prefix(1);
    return Matcher(pattern, text).Whole();
}

bool PatternMatches(std::string_view pattern, int code, std::string_view name)
{
    const std::size_t slash = pattern.find('/');
    if (slash != std::string_view::npos)
        return CodeMatches(pattern.substr(0, slash), code) && !name.empty() &&
               LuaPatternMatchesWhole(pattern.substr(slash + 1), name);
    if (IsDigits(pattern) || (pattern.size() > 1 && (pattern[0] == 'W' || pattern[0] == 'w') && IsDigits(pattern.substr(1))))
        return CodeMatches(pattern, code);
    return !name.empty() && LuaPatternMatchesWhole(pattern, name);
}

WarningFilter::WarningFilter(const std::vector<int> &disabledCodes, const LuacheckConfig *config,
                             const InlineOptions &inlineOptions)
    : m_disabled(disabledCodes), m_config(config), m_inline(inlineOptions)
{}

bool WarningFilter::Keeps(const ModelWarning &warning) const
{
    if (warning.code == 0)
        return true;
    bool on = std::find(m_disabled.begin(), m_disabled.end(), warning.code) == m_disabled.end();
    if (m_config) {
        on = m_config->Switch(warning.code, on);
        if (AnyMatches(m_config->ignore, warning))
            on = false;
        if (AnyMatches(m_config->enable, warning))
            on = true;
    }
    for (const InlineOptions::Directive &directive : m_inline.directives) {
        if (directive.from > warning.start)
            break;
        if (warning.start > directive.to)
            continue;
        if (directive.patterns.empty() || AnyMatches(directive.patterns, warning))
            on = directive.enable;
    }
    return on;
}
