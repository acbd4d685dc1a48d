// The language server's document text: incremental changes in UTF-16 positions and the line
// starts kept through them.
#include "lsp/lsptext.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Line starts as the protocol counts lines: CR LF, CR and LF each end one.
std::vector<std::size_t> LineStartsOf(const std::string &text)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        if (text[i] == '\n' || text[i] == '\r')
            starts.push_back(i + 1);
    }
    return starts;
}

void ExpectSameText(const LspText &text, const std::string &expected)
{
    ASSERT_EQ(text.Text(), expected);
    const std::vector<std::size_t> starts = LineStartsOf(expected);
    ASSERT_EQ(text.LineCount(), int(starts.size()));
    for (std::size_t line = 0; line < starts.size(); ++line)
        ASSERT_EQ(text.LineStart(int(line)), starts[line]) << "line " << line;
}

TEST(LspText, PositionsCountUtf16CodeUnits)
{
    // "é" is one code unit in two bytes, "€" one in three, "𝄞" two in four.
    const LspText text("a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"
                       "b\r\nz");
    struct {
        int character;
        std::size_t offset;
        bool clamped;
    } const cases[] = {{0, 0, false},  {1, 1, false},  {2, 3, false}, {3, 6, false}, {4, 6, true},
                       {5, 10, false}, {6, 11, false}, {7, 11, true}, {99, 11, true}};
    for (const auto &c : cases) {
        bool clamped = false;
        EXPECT_EQ(text.OffsetOf({0, c.character}, &clamped), c.offset) << c.character;
        EXPECT_EQ(clamped, c.clamped) << c.character;
    }
    EXPECT_EQ(text.PositionOf(10), (LspPosition{0, 5}));
    EXPECT_EQ(text.PositionOf(13), (LspPosition{1, 0}));
    bool clamped = false;
    EXPECT_EQ(text.OffsetOf({7, 0}, &clamped), text.Size());
    EXPECT_TRUE(clamped);
}

TEST(LspText, ReplaceJoinsAndSplitsLineBreaks)
{
    struct {
        const char *before;
        std::size_t from, to;
        const char *insert;
    } const cases[] = {
        {"x\r\ny", 2, 2, "\n"}, // LF between CR and LF: two breaks
        {"x\ry", 2, 2, "\n"},   // LF after a CR: they become one break
        {"x\r\ny", 1, 2, ""},   // CR taken from CR LF
        {"x\r\ny", 2, 3, ""},   // LF taken from CR LF
        {"a\rb\nc", 2, 3, ""},  // CR and LF meet
        {"ab", 1, 1, "\r"},     // a CR inserted before text
        {"a\nb", 1, 1, "\r"},   // a CR inserted before an LF
        {"one\ntwo\nthree", 2, 9, "X\nY\r\nZ"},
        {"", 0, 0, "\n\n\r\r\n"},
        {"a\nb\nc\n", 0, 6, ""},
    };
    for (const auto &c : cases) {
        LspText text(c.before);
        std::string expected(c.before);
        text.Replace(c.from, c.to, c.insert);
        expected.replace(c.from, c.to - c.from, c.insert);
        SCOPED_TRACE(c.before);
        ExpectSameText(text, expected);
    }
}

// Any run of changes leaves the same text and lines as editing a plain string, wherever the
// changes fall relative to each other (moving the gap and the pending line shift both ways).
TEST(LspText, ChangesMatchAPlainString)
{
    std::mt19937 random(7);
    const std::vector<std::string> pieces{"", "a", "\n", "\r", "\r\n", "xy\nz", "\xC3\xA9", "\xF0\x9D\x84\x9E\n"};
    for (int round = 0; round < 20; ++round) {
        std::string expected = "local a = 1\nprint(a)\r\nend\r";
        LspText text(expected);
        for (int step = 0; step < 200; ++step) {
            std::size_t from = random() % (expected.size() + 1);
            std::size_t to = std::min(expected.size(), from + random() % 4);
            const std::string &piece = pieces[random() % pieces.size()];
            text.Replace(from, to, piece);
            expected.replace(from, to - from, piece);
            ExpectSameText(text, expected);
            if (HasFatalFailure())
                return;
        }
    }
}

} // namespace
