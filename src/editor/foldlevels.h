// Fold levels of Lua text by the language's grammar: the blocks that `function`, `if`, `do`
// (of `for` and `while` too) and `repeat` open and `end` or `until` close, table constructors
// and argument lists that span lines, and long strings and long comments. The keyword table
// plays no part: it is the user's taste in indentation, not the grammar.
//
// Each line's level is the depth at its start; a line that opens more than it closes is a fold
// header. The state a line starts in (its depth, and whether it starts inside a long string or
// comment) is packed into the line's level word beside the level itself, so scanning can resume
// at any line whose level is known.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The level word's layout, as the editing component defines it: the level in the low 12 bits,
// counted from kFoldLevelBase, and the header flag.
constexpr std::uint32_t kFoldLevelBase = 0x400;
constexpr std::uint32_t kFoldLevelNumberMask = 0x0FFF;
constexpr std::uint32_t kFoldLevelHeaderFlag = 0x2000;

struct FoldState {
    int depth = 0;       // blocks open at the line's start
    int longBracket = -1; // the "=" count of the long string or comment the line starts in; -1 for none

    bool operator==(const FoldState &) const = default;
};

// Depths beyond what the level word holds are counted as the deepest one.
constexpr int kMaxFoldDepth = int(kFoldLevelNumberMask - kFoldLevelBase);

// +1 for a word that opens a block ("function", "if", "do", "repeat"), -1 for one that closes
// it ("end", "until"), 0 for any other.
int FoldBlockChange(const unsigned char *word, std::size_t size);
// Whether a long bracket ("[[", "[=[", "[==[" ...) opens at p; end becomes the offset after it.
bool IsLongBracketOpen(const unsigned char *text, std::size_t p, std::size_t n, std::size_t &end);

// Where the level word keeps the rest of the state a line starts in: the long bracket's "="
// count plus one, and how far the depth is below the level shown.
constexpr int kLongBracketShift = 16;
constexpr int kDropShift = 24;
constexpr int kMaxDrop = 127;

// The level word of a line that starts in state start, never goes below depth lowest and ends
// in state end.
inline std::uint32_t FoldLevelWord(const FoldState &start, int lowest, const FoldState &end)
{
    // A line such as "end) call(function ()" closes one block and opens the next: it shows at
    // the lower depth, as the header of the new block, so the old block's fold ends above it.
    const bool reopens = lowest < start.depth && end.depth > lowest;
    const int shown = reopens ? lowest : start.depth;
    std::uint32_t word = kFoldLevelBase + std::uint32_t(shown);
    if (end.depth > shown)
        word |= kFoldLevelHeaderFlag;
    word |= std::uint32_t(start.longBracket + 1) << kLongBracketShift;
    word |= std::uint32_t(std::min(start.depth - shown, kMaxDrop)) << kDropShift;
    return word;
}

// The depth of the lines being scanned, block by block, and each line's level word as it ends.
class FoldDepths {
public:
    explicit FoldDepths(const FoldState &start) : m_state(start), m_lineStart(start), m_lowest(start.depth) {}

    FoldState &State() { return m_state; }
    void Open() { m_state.depth = std::min(m_state.depth + 1, kMaxFoldDepth); }
    void Close()
    {
        m_state.depth = std::max(m_state.depth - 1, 0);
        m_lowest = std::min(m_lowest, m_state.depth);
    }
    // A bracket: +1 opens, -1 closes; without a branch on which it is.
    void Step(int change)
    {
        m_state.depth = std::clamp(m_state.depth + change, 0, kMaxFoldDepth);
        m_lowest = std::min(m_lowest, m_state.depth);
    }
    void EndLine(std::vector<std::uint32_t> &levels)
    {
        levels.push_back(FoldLevelWord(m_lineStart, m_lowest, m_state));
        m_lineStart = m_state;
        m_lowest = m_state.depth;
    }
    // Forgets what the current line has opened and closed so far.
    void RestartLine()
    {
        m_state = m_lineStart;
        m_lowest = m_state.depth;
    }

private:
    FoldState m_state;
    FoldState m_lineStart;
    int m_lowest;
};

// The state a line starts in, read back from its level word.
FoldState FoldStateOf(std::uint32_t levelWord);
// The level as the display shows it (kFoldLevelBase for the outermost), and the header flag.
inline int FoldLevelOf(std::uint32_t levelWord) { return int(levelWord & kFoldLevelNumberMask); }
inline bool IsFoldHeader(std::uint32_t levelWord) { return (levelWord & kFoldLevelHeaderFlag) != 0; }

// Scans text, which starts at a line start in state, and appends one level word per line that
// starts in it; state becomes the state at the start of the line after the text. A line break
// is LF, CR LF or a lone CR.
void ScanFoldLevels(std::string_view text, FoldState &state, std::vector<std::uint32_t> &levels);
