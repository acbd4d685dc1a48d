// The rules of automatic indentation on plain text: how deep Enter starts the next line, and
// when the first word typed on a line pulls that line back one step. They know no Lua beyond
// the keyword table's "indent" and "outdent" attributes.
#pragma once

#include "app/settings.h"

#include <string>
#include <string_view>

// The text of one indentation step for mode; previous for a mode that names no unit.
std::string IndentUnitOf(IndentMode mode, const std::string &previous);

// The number of steps that Enter puts at the start of the new line. beforeCaret is the part of
// the line being left that stands before the caret, without any line break. The leading
// characters of unit count in whole steps; a line that opens a block with its first word gets
// one more, unless the line also closes a block.
int MeasureEnterIndent(std::string_view beforeCaret, std::string_view unit, const KeywordTable &keywords);

// True when the line (its trimmed text with a CR appended) closes a block: an outdent keyword
// stands after something else on it.
bool ClosesBlock(std::string_view trimmedWithCr, const KeywordTable &keywords);

// True when word is a keyword marked "outdent".
bool IsOutdentKeyword(std::string_view word, const KeywordTable &keywords);
