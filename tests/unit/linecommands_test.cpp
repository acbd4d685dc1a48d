// The line commands' rules (comment toggle, indent, unindent) and the bracket rules.
#include "editor/bracketrules.h"
#include "editor/linecommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The lines after the edits.
std::vector<std::string> Applied(std::vector<std::string> lines, const std::vector<LineEdit> &edits)
{
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
        lines[edit->line].replace(edit->column, edit->removed, edit->inserted);
    return lines;
}

std::vector<std::string_view> Views(const std::vector<std::string> &lines)
{
    return {lines.begin(), lines.end()};
}

struct ToggleCase {
    const char *name;
    std::vector<std::string> before;
    std::vector<std::string> after;
};

class ToggleCommentTest : public testing::TestWithParam<ToggleCase> {};

TEST_P(ToggleCommentTest, TogglesAndTogglesBack)
{
    const ToggleCase &c = GetParam();
    const std::vector<std::string> toggled = Applied(c.before, ToggleCommentEdits(Views(c.before)));
    EXPECT_EQ(toggled, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ToggleCommentTest,
    testing::Values(
        ToggleCase{"OneLine", {"x = 1"}, {"-- x = 1"}},
        ToggleCase{"AtTheSmallestIndentation", {"  if x then", "    y()", "  end"}, {"  -- if x then", "  --   y()", "  -- end"}},
        ToggleCase{"BlankLinesStayAsTheyAre", {"a", "", "   ", "b"}, {"-- a", "", "   ", "-- b"}},
        ToggleCase{"RemovesOneMarkAndItsBlank", {"  -- a", "--b", "-- -- c"}, {"  a", "b", "-- c"}},
        ToggleCase{"MixedLinesAreCommented", {"-- a", "b"}, {"-- -- a", "-- b"}},
        ToggleCase{"TabsCountAsIndentation", {"\tx", "\t\ty"}, {"\t-- x", "\t-- \ty"}},
        ToggleCase{"OnlyBlankLinesStay", {"", "  "}, {"", "  "}},
        ToggleCase{"ThreeDashesCountAsComment", {"---x"}, {"-x"}}),
    [](const testing::TestParamInfo<ToggleCase> &info) { return std::string(info.param.name); });

TEST(ToggleCommentTest, TwiceGivesTheLinesBack)
{
    const std::vector<std::string> lines = {"  local a = 1", "", "  if a then", "\tb()", "  end"};
    const std::vector<std::string> once = Applied(lines, ToggleCommentEdits(Views(lines)));
    EXPECT_EQ(Applied(once, ToggleCommentEdits(Views(once))), lines);
}

TEST(LinesTouchedTest, ASelectionEndingAtALineStartLeavesThatLineOut)
{
    EXPECT_EQ(LinesTouched(2, 5, true).last, 4u);
    EXPECT_EQ(LinesTouched(2, 5, false).last, 5u);
    // An empty selection at a line's start is the caret on that line.
    EXPECT_EQ(LinesTouched(3, 3, true).last, 3u);
}

TEST(IndentLinesTest, AddsAndRemovesOneStep)
{
    const std::vector<std::string> lines = {"a", "", "  b", "\tc", " d"};
    EXPECT_EQ(Applied(lines, IndentEdits(Views(lines), "  ")),
              (std::vector<std::string>{"  a", "", "    b", "  \tc", "   d"}));
    EXPECT_EQ(Applied(lines, UnindentEdits(Views(lines), "  ", 8)),
              (std::vector<std::string>{"a", "", "b", "c", "d"}));
    const std::vector<std::string> deep = {"        x", "\t\ty"};
    EXPECT_EQ(Applied(deep, UnindentEdits(Views(deep), "    ", 8)), (std::vector<std::string>{"    x", "\ty"}));
    // A tab step takes off up to a tab's width of blanks.
    EXPECT_EQ(Applied(deep, UnindentEdits(Views(deep), "\t", 8)), (std::vector<std::string>{"x", "\ty"}));
}

// ---------------------------------------------------------------- brackets

constexpr std::uint8_t kCode = 0;
constexpr std::uint8_t kString = 6;

CodeStyles CodeOnly()
{
    CodeStyles code;
    code.fill(true);
    code[kString] = false;
    return code;
}

// Styles from a pattern beside the text: "s" marks a byte of a string, anything else code.
std::vector<std::uint8_t> StylesOf(const std::string &pattern)
{
    std::vector<std::uint8_t> styles;
    for (char c : pattern)
        styles.push_back(c == 's' ? kString : kCode);
    return styles;
}

TEST(BracketRulesTest, TheBracketAfterTheCaretWins)
{
    EXPECT_EQ(BracketBesideCaret({'(', true, ')', true}), 0);
    EXPECT_EQ(BracketBesideCaret({')', true, 'x', true}), -1);
    EXPECT_EQ(BracketBesideCaret({'(', true, ')', false}), -1);
    EXPECT_EQ(BracketBesideCaret({'(', false, 'x', true}), std::nullopt);
}

TEST(BracketRulesTest, PartnersSkipStringsAndOtherKinds)
{
    const CodeStyles code = CodeOnly();
    struct Case {
        std::string text;
        std::string styles;
        std::size_t at;
        std::optional<std::size_t> partner;
    };
    const Case cases[] = {
        {"f(a, (b))", "         ", 1, 8},
        {"f(a, (b))", "         ", 8, 1},
        {"f(\")\", x)", "  sss    ", 1, 8},
        {"f(\"(\", x)", "  sss    ", 8, 1},
        {"t[{ ( }]", "        ", 1, 7},
        {"( ( )", "     ", 0, std::nullopt},
        {") )", "   ", 2, std::nullopt},
    };
    for (const Case &c : cases) {
        const std::vector<std::uint8_t> styles = StylesOf(c.styles);
        EXPECT_EQ(FindPartner(c.text, styles.data(), code, c.at), c.partner) << c.text << " at " << c.at;
    }
}

} // namespace
