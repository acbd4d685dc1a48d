// Places in the lines that programs print: "FILE:LINE:" and "FILE:LINE:COLUMN:" as compilers
// and Lua write them ("lua5.1: model.lua:12: attempt to call a nil value"), the lines of a Lua
// stack traceback ("\tmodel.lua:12: in function 'f'"), and chunks Lua names by a string
// ("[string \"model.lua\"]:12:").
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

struct TextPlace {
    std::string_view path; // as printed, a view into the line
    int line = 0;          // from 1
    int column = 0;        // from 1; 0 when the line gives none
    std::size_t end = 0;   // where the text after the place starts in the line
};

// The first place the line names, or nothing. A place starts the line (after blanks) or
// follows ": ", as a program's name or an error's kind stands before it. Only the first few
// kilobytes of a line are read, so a line of megabytes costs no more than a short one.
std::optional<TextPlace> FindPlace(std::string_view line);
