// The matches of a search in one text, each with its line and column and the line's text to
// show: what Find in Files lists for a file.
#pragma once

#include "editor/textsearch.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct LineMatch {
    int line = 0;            // from 1
    int column = 0;          // from 1, in characters
    std::string text;        // the line, without its line break; a window around the match of a long line
    std::size_t start = 0;   // the match within text, in bytes
    std::size_t length = 0;
};

// Every match of search in text, left to right, at most limit of them. Lines are counted only
// up to each match, so a text without one costs the search alone.
std::vector<LineMatch> FindLineMatches(std::string_view text, const TextSearch &search, std::size_t limit);

// True when the text looks binary: a NUL byte among its first 8 KB.
bool LooksBinary(std::string_view text);
