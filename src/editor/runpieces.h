#pragma once

#include <cstddef>
#include <cstdint>

// Added to a style, this gives its twin, which the view defines to look the same.
constexpr std::uint8_t kTwinStyleBit = 8;

// Restyles the styles of text[0, size) so that Scintilla, which keeps the measured widths of
// short runs of one style only, meets the same short runs again: runs longer than a few
// kilobytes, and on very long lines every run of a few bytes or more, are cut into alternating
// pieces of whole words and of what lies between them. The colours shown stay the same.
void CutRunsIntoPieces(const char *text, std::uint8_t *styles, std::size_t size);
