#include "lineword.h"
#include "editor/textsearch.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDelimiter(char c, char delimiter)
{
    return delimiter == ' ' ? IsWhite(c) : c == delimiter;
}

} // namespace

std::string_view IdentifierAtEnd(std::string_view text)
{
    std::size_t start = text.size();
    while (start > 0 && IsWordByte(static_cast<unsigned char>(text[start - 1])))
        --start;
    return text.substr(start);
}

bool FindWordBeforeCaret(std::string_view line, int caret, char delimiter, WordBeforeCaret &out)
{
    if (line.empty())
        return false;
    if (caret < 0)
        caret = 0;
    if (caret > int(line.size()))
        caret = int(line.size());
    const int before = caret - 1; // index of the character before the caret, -1 at line start
    int q = before;
    while (q >= 0 && !IsDelimiter(line[std::size_t(q)], delimiter))
        --q;
    out.onlyBlanksBefore = true;
    for (int i = 0; i < q; ++i) {
        if (!IsWhite(line[std::size_t(i)])) {
            out.onlyBlanksBefore = false;
            break;
        }
    }
    out.word.assign(line.substr(std::size_t(q + 1), std::size_t(before - q)));
    out.atWordEnd = caret == int(line.size()) || IsWhite(line[std::size_t(caret)]);
    return true;
}

namespace {

// The brackets of a piece of Lua text that stay open at its end, innermost last, each with the
// commas written directly inside it; level 0 stands for the text itself. Strings (with their
// escapes and Lua's long brackets) and comments are skipped; a string or comment left open
// runs to the end of the text.
struct OpenBracket {
    std::size_t at = 0;
    char bracket = 0; // '(', '{' or '['; 0 for the text itself
    int commas = 0;
};

// The length of "[[", "[=[", ... at text[i], or 0.
std::size_t LongBracketAt(std::string_view text, std::size_t i)
{
    std::size_t k = i + 1;
    while (k < text.size() && text[k] == '=')
        ++k;
    return i < text.size() && text[i] == '[' && k < text.size() && text[k] == '[' ? k + 1 - i : 0;
}

// Where the long bracket opened with `level` equal signs closes, or text.size().
std::size_t LongBracketEnd(std::string_view text, std::size_t from, std::size_t level)
{
    const std::string closing = "]" + std::string(level, '=') + "]";
    const std::size_t end = text.find(closing, from);
    return end == std::string_view::npos ? text.size() : end + closing.size();
}

std::vector<OpenBracket> OpenBrackets(std::string_view text)
{
    std::vector<OpenBracket> open{{}};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            for (++i; i < text.size() && text[i] != c; ++i)
                i += text[i] == '\\';
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            const std::size_t opening = LongBracketAt(text, i + 2);
            i = opening ? LongBracketEnd(text, i + 2 + opening, opening - 2) - 1 : text.size();
        } else if (const std::size_t opening = LongBracketAt(text, i)) {
            i = LongBracketEnd(text, i + opening, opening - 2) - 1;
        } else if (c == '(' || c == '{' || c == '[') {
            open.push_back({i, c, 0});
        } else if ((c == ')' || c == '}' || c == ']') && open.size() > 1) {
            open.pop_back();
        } else if (c == ',') {
            ++open.back().commas;
        }
    }
    return open;
}

// The innermost open "(" (index into open), or 0 for the text itself.
std::size_t InnermostCall(const std::vector<OpenBracket> &open)
{
    for (std::size_t k = open.size(); k-- > 1;)
        if (open[k].bracket == '(')
            return k;
    return 0;
}

} // namespace

int ParameterNumber(std::string_view text)
{
    const std::vector<OpenBracket> open = OpenBrackets(text);
    return open[InnermostCall(open)].commas + 1;
}

bool FindOpenCall(std::string_view line, int caret, OpenCall &out)
{
    const std::string_view before = line.substr(0, std::size_t(std::clamp(caret, 0, int(line.size()))));
    std::vector<OpenBracket> open = OpenBrackets(before);
    while (std::size_t call = InnermostCall(open)) {
        std::size_t end = open[call].at;
        while (end > 0 && (before[end - 1] == ' ' || before[end - 1] == '\t'))
            --end;
        std::size_t start = end;
        while (start > 0 && IsNameCharacter(before[start - 1]))
            --start;
        if (start < end && !(before[start] >= '0' && before[start] <= '9')) {
            out = {start, end, open[call].commas + 1};
            return true;
        }
        open.resize(call); // a bracket after no name, "(a + b)": look further out
    }
    return false;
}
