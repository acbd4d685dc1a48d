// The bracket rules: which bracket beside the caret is meant, and where its partner is. Only
// brackets of code count: those in strings and comments are told apart by their style.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Which styles are code, for each style number.
using CodeStyles = std::array<bool, 256>;

bool IsBracket(char c);

// The caret's neighbours: the byte before it and after it, and whether each is code.
struct CaretNeighbours {
    char before = 0;
    bool beforeIsCode = false;
    char after = 0;
    bool afterIsCode = false;
};
// The bracket meant: the one after the caret (offset 0) if there is one, else the one before it
// (offset -1); none when neither is a bracket of code.
std::optional<int> BracketBesideCaret(const CaretNeighbours &neighbours);

// Where the partner of the bracket at `at` lies in text, whose bytes have the given styles;
// none when text does not hold it.
std::optional<std::size_t> FindPartner(std::string_view text, const std::uint8_t *styles, const CodeStyles &code,
                                       std::size_t at);
