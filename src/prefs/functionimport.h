// Merging a shared function list into the function table: the text is the function block's
// row form, one function per line (name, then parameter names), as TableRowsText writes it, or
// a Lua definition file ("---@param mode string", "function tg_f(mode) end").
#pragma once

#include "app/scribacobarray.h"

#include <string>
#include <string_view>
#include <vector>

struct FunctionImport {
    int added = 0;
    // Rows whose name is in the table already, or on an earlier line of the same text.
    int skipped = 0;
    // Line numbers, from 1, of rows refused for a bad name (empty, a leading digit, a character
    // the name box refuses) or a parameter Scriba.ini could not give back (a control character,
    // "--" or a block tag).
    std::vector<int> refusedLines;
    // The name of the first row added, to show it; empty when none was.
    std::string firstAdded;
};

// Adds every acceptable row whose name is new and sorts the table once at the end. Lines end
// in LF or CR LF, the last one may lack it; blank lines are passed over; a UTF-8 byte order
// mark is ignored. Entries longer than the editors allow are cut as the editors cut them. From a
// definition file, a parameter of a string type comes in double quotes and an optional one in
// parentheses; its annotations that cannot be read are refused lines too.
FunctionImport ImportFunctions(FunctionTable &table, std::string_view text);
