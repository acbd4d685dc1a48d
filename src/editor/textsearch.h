// Searching script text as bytes, the way Find, Find Next and Replace All see it: letters
// compare without case only when they are ASCII, a word is a run of word bytes, and Replace
// All's result is built in one pass over the text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct SearchOptions {
    bool matchCase = false;
    bool wholeWord = false;
};

// ASCII letters, digits, "_" and every byte of a non-ASCII character (so "café" is one word;
// a stray byte that is not valid UTF-8 counts as part of a word too).
bool IsWordByte(unsigned char c);

// Whether two texts are the same as the search compares them: byte for byte, ASCII letters
// without case unless matchCase.
bool SameSearchText(std::string_view a, std::string_view b, bool matchCase);

// One search text, prepared once for any number of searches over any texts.
class TextSearch {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    TextSearch(std::string_view needle, SearchOptions options);

    std::size_t Length() const { return m_needle.size(); }

    // The first occurrence that lies wholly within [from, to) of text, or npos; an empty search
    // text never occurs. For whole words the neighbours are read from text, beyond the range too.
    std::size_t Find(std::string_view text, std::size_t from, std::size_t to) const;
    // Every occurrence within [from, to), left to right, none overlapping the one before.
    std::vector<std::size_t> FindAll(std::string_view text, std::size_t from, std::size_t to) const;

private:
    // The next place at or after from where the bytes match, whole word or not.
    std::size_t FindBytes(const unsigned char *text, std::size_t from, std::size_t to) const;
    bool MatchesAt(const unsigned char *at) const;
    bool StandsAlone(std::string_view text, std::size_t at) const;

    std::string m_needle; // in lower case when case is ignored
    SearchOptions m_options;
};

// range, a piece of a text that starts at position base, with each occurrence at positions
// (counted in the whole text, ascending, inside the range, none overlapping another) of length
// bytes replaced by replacement.
std::string BuildReplaced(std::string_view range, std::size_t base, const std::vector<std::size_t> &positions,
                          std::size_t length, std::string_view replacement);
