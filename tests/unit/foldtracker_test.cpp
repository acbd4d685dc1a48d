// Fold levels followed along the colouring scan: the same levels as the fold scan of its own,
// and the same styles as the colouring alone, for the sample scripts, for the places where
// Lua reads a line otherwise than the colouring's tokens do, at every offset of a scan block,
// and for random mixtures of such tokens.
#include "app/defaulttexts.h"
#include "app/scribacobarray.h"
#include "editor/foldlevels.h"
#include "editor/luascanner.h"

#include "expectedfiles.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const KeywordTable &Keywords()
{
    static const KeywordTable table = [] {
        KeywordTable parsed;
        parsed.ParseText(DefaultKeywordsText());
        return parsed;
    }();
    return table;
}

const FunctionTable &Functions()
{
    static const FunctionTable table = [] {
        FunctionTable parsed;
        parsed.ParseText("print text\r\ntn_addknot x\r\n");
        return parsed;
    }();
    return table;
}

// Scans text in pieces cut at the given line starts, as the editor does, with both scans,
// and expects the same levels, end state and styles.
void ExpectSameAsSeparateScans(const std::string &text, const std::string &what,
                               const std::vector<std::size_t> &cuts = {})
{
    FoldState separateState;
    std::vector<std::uint32_t> separateLevels;
    ScanFoldLevels(text, separateState, separateLevels);
    std::vector<std::uint8_t> separateStyles(text.size());
    ScanLuaStyles(text, Keywords(), Functions(), separateStyles.data());

    FoldState state;
    std::vector<std::uint32_t> levels;
    std::vector<std::uint8_t> styles(text.size(), 0xEE);
    std::size_t from = 0;
    std::vector<std::size_t> ends = cuts;
    ends.push_back(text.size());
    for (const std::size_t end : ends) {
        ScanLuaStylesAndFolds(std::string_view(text).substr(from, end - from), Keywords(), Functions(),
                              styles.data() + from, state, levels);
        from = end;
    }
    EXPECT_EQ(levels, separateLevels) << what;
    EXPECT_EQ(state, separateState) << what;
    EXPECT_EQ(styles, separateStyles) << what;
}

TEST(FoldTrackerTest, SampleScriptsFoldAsTheFoldScanDoes)
{
    for (const char *folder : {"fold", "colour"}) {
        for (const std::filesystem::path &sample : SampleScripts(folder)) {
            const std::string text = ReadFile(sample);
            ExpectSameAsSeparateScans(text, sample.filename().string());
            // Cut after every line break, as the pieces of a big text are.
            std::vector<std::size_t> cuts;
            for (std::size_t i = 0; i + 1 < text.size(); ++i)
                if ((text[i] == '\n' || text[i] == '\r') && !(text[i] == '\r' && text[i + 1] == '\n'))
                    cuts.push_back(i + 1);
            ExpectSameAsSeparateScans(text, sample.filename().string() + " line by line", cuts);
        }
    }
}

// Where the colouring's tokens and Lua's grammar part: each line at every offset of a block.
TEST(FoldTrackerTest, LinesTheColouringReadsOtherwise)
{
    const char *lines[] = {
        "s = \"escaped \\\" quote ( \" if x then",
        "s = 'two \\\\' do f(",
        "s = \"\\\\\\\"\" ) end",
        "do x = 1end + 2do + 0xend + 1e5until",
        "--[[ long comment (\nstill { in it ]] if y then",
        "--[==[ ]] ]=] \n ( ]==] end",
        "t = a[[[ ( ]] ] do",
        "t = a[ [=[ \r\n)]=] end",
        "t[i] = [=x[ ( end",
        "s = \"unclosed ( \\",
        "f(function() end) g({\r",
        "-- a line comment ( {\r\nrepeat until",
        "q = '\\' .. \"[[\" .. [=[ \n]=] .. \"]]\" function",
    };
    for (const char *line : lines) {
        for (std::size_t shift = 0; shift < 80; ++shift) {
            std::string text = std::string(shift, ' ') + line + "\n";
            text += text;
            ExpectSameAsSeparateScans(text + "x = (1 +\n2)\nend\n" + text, line + (" at " + std::to_string(shift)));
        }
    }
}

TEST(FoldTrackerTest, RandomMixturesFoldAsTheFoldScanDoes)
{
    const char *tokens[] = {"if", " then", "do", "end", "until", "repeat", "function", "f", "(", ")", "{", "}",
                            "[", "]", "[[", "]]", "[=[", "]=]", "--", "--[[", "\"", "'", "\\", "\\\"", "1",
                            "1e", "-", " ", "  ", "\n", "\r", "\r\n", "x", "_", "ends", "\t", "=", ".."};
    std::mt19937 random(19);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int count = int(random() % 300);
        for (int i = 0; i < count; ++i)
            text += tokens[random() % std::size(tokens)];
        ExpectSameAsSeparateScans(text, "round " + std::to_string(round) + ": " + text);
        if (HasFailure())
            return;
    }
}

} // namespace
