// What the keyword and function editors let into a table entry: the characters the boxes
// accept, the longest entry, the name checks and the two keyword attributes.
#pragma once

#include "app/scribacobarray.h"

#include <cstddef>
#include <string>
#include <string_view>

enum class EntryKind {
    Name,      // a keyword or a function name
    Parameter, // a parameter name, which may be written in double quotes
};

// True when a character may enter a box of this kind: ASCII letters, digits and "_", and for
// parameters the double quote too. Control keys (backspace and the like) are not text and are
// not judged here.
bool AcceptsEntryChar(char32_t c, EntryKind kind);

// The longest entry the editors store, in characters.
constexpr std::size_t kMaxEntryLength = 255;
// The first kMaxEntryLength characters of a UTF-8 text; a character is never cut in two.
std::string TruncatedEntry(std::string_view text);

enum class NameProblem { None, Empty, LeadingDigit, BadCharacter };
// What is wrong with a keyword or function name, if anything.
NameProblem CheckEntryName(std::string_view name);

// Makes the row carry the attribute or not: off removes the first matching entry only, on
// appends the lower-case word when no entry matches. True when the row changed.
bool SetAttribute(TableRow &row, std::string_view attribute, bool on);
