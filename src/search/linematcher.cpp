#include "linematcher.h"

#include <algorithm>
#include <cstring>

namespace {

// A line longer than this shows only this much around its match.
constexpr std::size_t kLongestShownLine = 400;
constexpr std::size_t kShownBefore = 120;

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CountCharacters(std::string_view text)
{
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

std::size_t CountLineBreaks(const char *from, const char *to)
{
    std::size_t count = 0;
    while (from < to) {
        const void *found = std::memchr(from, '\n', std::size_t(to - from));
        if (!found)
            break;
        ++count;
        from = static_cast<const char *>(found) + 1;
    }
    return count;
}

// The part of the line [lineStart, lineEnd) to show for a match at at, cut at characters' starts.
void ShowLine(std::string_view text, std::size_t lineStart, std::size_t lineEnd, LineMatch &match, std::size_t at)
{
    std::size_t from = lineStart;
    std::size_t to = lineEnd;
    if (to - from > kLongestShownLine) {
        from = std::max(lineStart, at > kShownBefore ? at - kShownBefore : 0);
        to = std::min(lineEnd, std::max(from + kLongestShownLine, at + match.length));
        while (from > lineStart && IsContinuationByte(text[from]))
            --from;
        while (to < lineEnd && IsContinuationByte(text[to]))
            ++to;
    }
    match.text.assign(text.substr(from, to - from));
    match.start = at - from;
}

} // namespace

bool LooksBinary(std::string_view text)
{
    return std::memchr(text.data(), 0, std::min<std::size_t>(text.size(), 8192)) != nullptr;
}

std::vector<LineMatch> FindLineMatches(std::string_view text, const TextSearch &search, std::size_t limit)
{
    std::vector<LineMatch> matches;
    int line = 1;
    std::size_t lineStart = 0;
    std::size_t counted = 0;    // line breaks are counted up to here
    std::size_t columnAt = 0;   // the column is known at this byte of the line
    std::size_t column = 1;
    for (std::size_t at = search.Find(text, 0, text.size()); at != TextSearch::npos && matches.size() < limit;
         at = search.Find(text, at + search.Length(), text.size())) {
        const std::size_t breaks = CountLineBreaks(text.data() + counted, text.data() + at);
        if (breaks > 0) {
            line += int(breaks);
            lineStart = text.rfind('\n', at - 1) + 1;
            columnAt = lineStart;
            column = 1;
        }
        counted = at;
        column += CountCharacters(text.substr(columnAt, at - columnAt));
        columnAt = at;
        std::size_t lineEnd = text.find('\n', at);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::size_t shownEnd = lineEnd > lineStart && text[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
        LineMatch match;
        match.line = line;
        match.column = int(column);
        match.length = search.Length();
        ShowLine(text, lineStart, std::max(shownEnd, std::min(lineEnd, at + match.length)), match, at);
        matches.push_back(std::move(match));
    }
    return matches;
}
