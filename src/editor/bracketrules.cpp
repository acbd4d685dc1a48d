#include "bracketrules.h"

namespace {

char PartnerOf(char c)
{
    switch (c) {
    case '(':
        return ')';
    case ')':
        return '(';
    case '[':
        return ']';
    case ']':
        return '[';
    case '{':
        return '}';
    case '}':
        return '{';
    default:
        return 0;
    }
}

bool Opens(char c)
{
    return c == '(' || c == '[' || c == '{';
}

} // namespace

bool IsBracket(char c)
{
    return PartnerOf(c) != 0;
}

std::optional<int> BracketBesideCaret(const CaretNeighbours &neighbours)
{
    if (neighbours.afterIsCode && IsBracket(neighbours.after))
        return 0;
    if (neighbours.beforeIsCode && IsBracket(neighbours.before))
        return -1;
    return std::nullopt;
}

std::optional<std::size_t> FindPartner(std::string_view text, const std::uint8_t *styles, const CodeStyles &code,
                                       std::size_t at)
{
    const char bracket = text[at];
    const char partner = PartnerOf(bracket);
    // Brackets of other kinds are stepped over: "( [ )" pairs its round brackets.
    const bool forward = Opens(bracket);
    std::size_t depth = 0;
    for (std::size_t i = at; forward ? ++i < text.size() : i-- > 0;) {
        if (!code[styles[i]])
            continue;
        if (text[i] == bracket)
            ++depth;
        else if (text[i] == partner && depth-- == 0)
            return i;
    }
    return std::nullopt;
}
