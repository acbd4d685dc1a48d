// The word that stands before the caret on its line, as the language aids see it.
#pragma once

#include <array>
#include <string>
#include <string_view>

struct WordBeforeCaret {
    std::string word;          // between the delimiter and the caret, delimiter excluded
    bool atWordEnd = false;    // the caret is at the line end or before white space
    bool onlyBlanksBefore = false; // nothing but white space stands before the delimiter
};

// line: the caret's line without its line break; caret: the caret's byte index in it.
// delimiter ' ' stands for any white space. False, with out untouched, on an empty line.
bool FindWordBeforeCaret(std::string_view line, int caret, char delimiter, WordBeforeCaret &out);

// An ASCII letter, digit or "_": what a Lua name is made of, bytes of other scripts aside.
inline bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Lua 5.1's reserved words, in byte order.
inline constexpr std::array<std::string_view, 21> kLuaKeywords = {
    "and",   "break", "do",  "else", "elseif", "end",    "false", "for",  "function", "if",   "in",
    "local", "nil",   "not", "or",   "repeat", "return", "then",  "true", "until",    "while"};

// The identifier that ends where text ends (the text before the caret): the run of ASCII
// letters, digits, "_" and bytes of 0x80 and above at its end, empty when it ends in none.
std::string_view IdentifierAtEnd(std::string_view text);

// The number, counted from 1, of the call parameter being typed, given the call's text between
// its "(" and the caret: one more than the commas in it, leaving out those inside strings,
// comments and brackets that are closed again (nested calls, tables).
int ParameterNumber(std::string_view text);

// The innermost call still open before the caret on its line: `name(` or `name (`, its name made
// of letters, digits and underscores.
struct OpenCall {
    std::size_t nameStart = 0;
    std::size_t nameEnd = 0;
    int parameter = 1; // as ParameterNumber counts it
};
// False when no "(" after a name stands open before the caret on the line.
bool FindOpenCall(std::string_view line, int caret, OpenCall &out);
