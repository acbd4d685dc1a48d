// The line commands' rules: commenting lines in and out, indenting and unindenting them. They
// take the touched lines' texts, without their line breaks, and give the edits to make.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Replaces `removed` bytes at byte column `column` of line `line` (an index into the lines
// given) with `inserted`.
struct LineEdit {
    std::size_t line;
    std::size_t column;
    std::size_t removed;
    std::string inserted;

    bool operator==(const LineEdit &) const = default;
};

// The lines a selection touches, first and last, counted from 0. A selection that ends at the
// start of a line does not touch that line (unless it is empty: then the caret's line counts).
struct TouchedLines {
    std::size_t first;
    std::size_t last;
};
TouchedLines LinesTouched(std::size_t startLine, std::size_t endLine, bool endsAtLineStart);

// When every non-blank line starts with "--" after its indentation, one "-- " (or "--") comes
// off each; otherwise "-- " goes in at the smallest indentation of the non-blank lines. Blank
// lines stay as they are.
std::vector<LineEdit> ToggleCommentEdits(const std::vector<std::string_view> &lines);

// One indentation step (unit) more at the start of every line that is not empty.
std::vector<LineEdit> IndentEdits(const std::vector<std::string_view> &lines, std::string_view unit);
// One step less on every line: a leading tab, or up to a step's width of leading blanks
// (tabWidth blanks when the step is a tab).
std::vector<LineEdit> UnindentEdits(const std::vector<std::string_view> &lines, std::string_view unit,
                                    std::size_t tabWidth);
