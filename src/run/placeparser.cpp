#include "placeparser.h"

#include <algorithm>
#include <limits>

namespace {

// Places lie near the start of a line; the rest of a long line is the message.
constexpr std::size_t kLongestSearched = 4096;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A positive number at `at`, moving `at` past it; 0 when there is none or it is too large.
int ReadNumber(std::string_view text, std::size_t &at)
{
    long long value = 0;
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + (text[at] - '0');
        if (value > std::numeric_limits<int>::max())
            return 0;
        ++at;
    }
    return at > start ? int(value) : 0;
}

// The path that starts at `at`: a chunk name [string "PATH"], or everything up to the next ':'.
std::optional<std::string_view> ReadPath(std::string_view text, std::size_t &at)
{
    constexpr std::string_view kChunk = "[string \"";
    if (text.substr(at).starts_with(kChunk)) {
        const std::size_t close = text.find("\"]", at + kChunk.size());
        if (close == std::string_view::npos || close == at + kChunk.size())
            return std::nullopt;
        const std::string_view path = text.substr(at + kChunk.size(), close - at - kChunk.size());
        at = close + 2;
        return path;
    }
    const std::size_t colon = text.find(':', at);
    if (colon == std::string_view::npos || colon == at)
        return std::nullopt;
    const std::string_view path = text.substr(at, colon - at);
    at = colon;
    return path;
}

std::optional<TextPlace> PlaceAt(std::string_view text, std::size_t at)
{
    const std::optional<std::string_view> path = ReadPath(text, at);
    if (!path || IsBlank(path->back()) || at >= text.size() || text[at] != ':')
        return std::nullopt;
    ++at;
    TextPlace place;
    place.path = *path;
    place.line = ReadNumber(text, at);
    if (place.line == 0 || (at < text.size() && text[at] != ':'))
        return std::nullopt;
    if (at < text.size())
        ++at;
    std::size_t afterColumn = at;
    const int column = ReadNumber(text, afterColumn);
    if (column > 0 && afterColumn < text.size() && text[afterColumn] == ':') {
        place.column = column;
        at = afterColumn + 1;
    }
    place.end = at;
    return place;
}

} // namespace

std::optional<TextPlace> FindPlace(std::string_view line)
{
    const std::string_view text = line.substr(0, std::min(line.size(), kLongestSearched));
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    while (start < text.size()) {
        if (std::optional<TextPlace> place = PlaceAt(text, start))
            return place;
        const std::size_t next = text.find(": ", start);
        if (next == std::string_view::npos)
            break;
        start = next + 2;
    }
    return std::nullopt;
}
