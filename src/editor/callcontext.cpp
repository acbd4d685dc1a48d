#include "callcontext.h"

#include <string>
#include <vector>

namespace {

struct Bracket {
    char kind;
    std::size_t at;
    int commas;
};

// The level of a long bracket "[==[" starting at i, or -1 when none starts there.
int LongBracketLevel(std::string_view text, std::size_t i)
{
    if (i >= text.size() || text[i] != '[')
        return -1;
    std::size_t j = i + 1;
    while (j < text.size() && text[j] == '=')
        ++j;
    return j < text.size() && text[j] == '[' ? int(j - i - 1) : -1;
}

// The index after the long bracket's close "]==]" from i on, or the text's end.
std::size_t SkipLong(std::string_view text, std::size_t i, int level)
{
    std::string closing = "]";
    closing.append(std::size_t(level), '=');
    closing.push_back(']');
    const std::size_t end = text.find(closing, i);
    return end == std::string_view::npos ? text.size() : end + closing.size();
}

// The index after a quoted string opened at i; an unfinished one ends at its line's end.
std::size_t SkipQuoted(std::string_view text, std::size_t i)
{
    const char quote = text[i];
    for (std::size_t j = i + 1; j < text.size(); ++j) {
        if (text[j] == '\\') {
            ++j;
        } else if (text[j] == quote) {
            return j + 1;
        } else if (text[j] == '\n' || text[j] == '\r') {
            return j;
        }
    }
    return text.size();
}

std::size_t SkipComment(std::string_view text, std::size_t i)
{
    const int level = LongBracketLevel(text, i + 2);
    if (level >= 0)
        return SkipLong(text, i + 2 + std::size_t(level) + 2, level);
    const std::size_t end = text.find_first_of("\r\n", i);
    return end == std::string_view::npos ? text.size() : end;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

void Close(std::vector<Bracket> &open, char opening)
{
    // A stray closing bracket closes nothing that is not its own.
    for (std::size_t n = open.size(); n > 0; --n) {
        if (open[n - 1].kind == opening) {
            open.resize(n - 1);
            return;
        }
    }
}

} // namespace

bool FindCallContext(std::string_view text, CallContext &out)
{
    std::vector<Bracket> open;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            i = SkipComment(text, i);
            continue;
        }
        if (c == '"' || c == '\'') {
            i = SkipQuoted(text, i);
            continue;
        }
        if (const int level = LongBracketLevel(text, i); level >= 0) {
            i = SkipLong(text, i + std::size_t(level) + 2, level);
            continue;
        }
        switch (c) {
        case '(':
        case '{':
        case '[':
            open.push_back({c, i, 0});
            break;
        case ')':
            Close(open, '(');
            break;
        case '}':
            Close(open, '{');
            break;
        case ']':
            Close(open, '[');
            break;
        case ',':
            if (!open.empty())
                ++open.back().commas;
            break;
        default:
            break;
        }
        ++i;
    }
    for (std::size_t n = open.size(); n > 0; --n) {
        const Bracket &call = open[n - 1];
        if (call.kind != '(')
            continue;
        std::size_t start = call.at;
        while (start > 0 && !IsBlank(text[start - 1]))
            --start;
        if (start == call.at)
            continue; // "(" after white space: a bracketed expression inside the call around it
        out.open = call.at;
        out.word = text.substr(start, call.at - start);
        out.parameter = call.commas + 1;
        return true;
    }
    return false;
}
