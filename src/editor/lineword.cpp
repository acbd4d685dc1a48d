#include "lineword.h"
#include "editor/textsearch.h"

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

int ParameterNumber(std::string_view text)
{
    int commas = 0;
    for (char c : text)
        commas += c == ',';
    return commas + 1;
}
