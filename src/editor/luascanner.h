// Colouring of Lua text: a byte range in, runs of (start, length, style) out.
// No state crosses a line break, so any run of whole lines can be scanned by itself.
#pragma once

#include "app/settings.h"
#include "editor/foldlevels.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Style numbers as the editor uses them: 0 is the plain style, StyleKind k is k + 1.
constexpr std::uint8_t kPlainStyle = 0;
constexpr std::uint8_t StyleNumber(StyleKind kind) { return std::uint8_t(int(kind) + 1); }
constexpr int kStyleNumberCount = kStyleKindCount + 1;

struct StyleRun {
    std::size_t start;
    std::size_t length;
    std::uint8_t style; // kPlainStyle or StyleNumber(kind)
    bool operator==(const StyleRun &) const = default;
};

// Row index of the first row named word, or false (row untouched). Keyword names compare byte
// for byte; the lookup goes through the table's hash index.
bool FindKeyword(const KeywordTable &table, std::string_view word, int &row);
// As FindKeyword, after dropping every underscore of word from index 3 on
// ("tn_add_knot" finds the row "tn_addknot"). Table names are compared as stored, so a name
// with an underscore from index 3 on is never found.
bool FindFunction(const FunctionTable &table, std::string_view word, int &row);

// Scans text and appends the runs that cover it, gaps included, in order. Runs are maximal:
// adjacent runs differ in style, so two tokens of one kind side by side share a run. Comments
// and strings end at CR or LF; a NUL byte is plain and scanning goes on after it.
void ScanLua(std::string_view text, const KeywordTable &keywords, const FunctionTable &functions,
             std::vector<StyleRun> &runs);

// The same scan written as one style byte per text byte into styles[0 .. text.size()).
void ScanLuaStyles(std::string_view text, const KeywordTable &keywords,
                   const FunctionTable &functions, std::uint8_t *styles);
// The same scan, giving also the fold levels of the lines of text, exactly as ScanFoldLevels
// gives them: text starts at a line start in state.
void ScanLuaStylesAndFolds(std::string_view text, const KeywordTable &keywords, const FunctionTable &functions,
                           std::uint8_t *styles, FoldState &state, std::vector<std::uint32_t> &levels);
