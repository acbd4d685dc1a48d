// Fold levels by Lua's grammar, against expected-output files, and resumed line by line from
// the level words as the editor resumes them.
#include "editor/foldlevels.h"

#include "expectedfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Where each line starts; a line break is LF, CR LF or a lone CR.
std::vector<std::size_t> LineStarts(const std::string &text)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        if (text[i] == '\r' || text[i] == '\n')
            starts.push_back(i + 1);
    }
    if (starts.back() == text.size() && starts.size() > 1)
        starts.pop_back();
    return starts;
}

std::vector<std::uint32_t> WholeScan(const std::string &text)
{
    FoldState state;
    std::vector<std::uint32_t> levels;
    ScanFoldLevels(text, state, levels);
    return levels;
}

// Each line scanned alone, from the state its level word records.
std::vector<std::uint32_t> ScanResumingEachLine(const std::string &text)
{
    const std::vector<std::size_t> starts = LineStarts(text);
    std::vector<std::uint32_t> levels;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        FoldState state = levels.empty() ? FoldState{} : FoldStateOf(levels.back());
        if (!levels.empty()) {
            // The state at this line's start is the state after the previous line: scan that one
            // again from its own recorded start.
            std::vector<std::uint32_t> previous;
            const std::size_t from = starts[i - 1];
            ScanFoldLevels(std::string_view(text).substr(from, starts[i] - from), state, previous);
        }
        ScanFoldLevels(std::string_view(text).substr(starts[i], end - starts[i]), state, levels);
    }
    return levels;
}

// "2+ |text": each line's level from the outermost 0, "+" on a header.
std::string Marked(const std::string &text, const std::vector<std::uint32_t> &levels)
{
    const std::vector<std::size_t> starts = LineStarts(text);
    std::string out;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        std::string line = text.substr(starts[i], end - starts[i]);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        const std::uint32_t word = i < levels.size() ? levels[i] : 0;
        out += std::to_string(FoldLevelOf(word) - int(kFoldLevelBase)) + (IsFoldHeader(word) ? "+" : " ") + " |" +
               line + "\n";
    }
    return out;
}

TEST(FoldFilesTest, MatchExpectedOutput)
{
    const std::vector<std::filesystem::path> samples = SampleScripts("fold");
    ASSERT_GE(samples.size(), 3u);
    for (const std::filesystem::path &sample : samples) {
        const std::string text = ReadFile(sample);
        const std::vector<std::uint32_t> levels = WholeScan(text);
        EXPECT_EQ(levels.size(), LineStarts(text).size()) << sample.filename();
        const std::string actual = Marked(text, levels);
        ExpectSameAsFile(sample, ".folded", actual);
        EXPECT_EQ(ScanResumingEachLine(text), levels)
            << sample.filename() << ": resuming at each line differs from the whole text";
    }
}

TEST(FoldFilesTest, BlockWordsFoundWhereverTheyFallInTheScan)
{
    // The whole text is scanned in blocks of 64 bytes; each short line alone byte by byte. Block
    // words (and words that only start like them) fall at every offset of a block in turn.
    for (std::size_t shift = 0; shift < 64; ++shift) {
        std::string text = std::string(shift, ' ') + "\n";
        for (int i = 0; i < 6; ++i)
            text += "if a then do end ifs\nfunction f() repeat until x end\nend dot enum unit ref fun\n";
        EXPECT_EQ(WholeScan(text), ScanResumingEachLine(text)) << "shift " << shift;
    }
}

TEST(FoldStateTest, LevelWordsRecordTheStartState)
{
    const FoldState cases[] = {{0, -1}, {3, -1}, {2, 0}, {5, 3}, {1, 254}};
    for (const FoldState &start : cases) {
        for (const int lowest : {0, start.depth}) {
            const FoldState end{start.depth + 1, -1};
            EXPECT_EQ(FoldStateOf(FoldLevelWord(start, lowest, end)), start);
        }
    }
}

TEST(FoldStateTest, DepthStaysWithinTheLevelWord)
{
    // A stray "end" never takes the depth below the outermost level; thousands of open
    // brackets never past the deepest one the level word holds.
    FoldState state;
    std::vector<std::uint32_t> levels;
    ScanFoldLevels("end end\nx\n", state, levels);
    EXPECT_EQ(state.depth, 0);
    ScanFoldLevels(std::string(5000, '(') + "\n" + std::string(5000, ')') + "\nx\n", state, levels);
    EXPECT_EQ(state.depth, 0);
    for (const std::uint32_t word : levels)
        EXPECT_LE(FoldLevelOf(word), int(kFoldLevelNumberMask));
}

} // namespace
