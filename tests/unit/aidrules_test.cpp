// The rules of the language aids on plain text: the depth Enter gives a new line, the outdent
// keywords, the completion list's order and match, and the parameter number of a call.
#include "app/defaulttexts.h"
#include "editor/completionorder.h"
#include "editor/indentrules.h"
#include "editor/lineword.h"

#include <gtest/gtest.h>

namespace {

KeywordTable Parsed(std::string_view text)
{
    KeywordTable table;
    table.ParseText(text);
    return table;
}

const KeywordTable &DefaultKeywords()
{
    static const KeywordTable table = Parsed(DefaultKeywordsText());
    return table;
}

struct EnterCase {
    const char *name;
    std::string_view beforeCaret;
    std::string_view unit;
    int level;
};

class EnterIndentTest : public testing::TestWithParam<EnterCase> {};

TEST_P(EnterIndentTest, Measures)
{
    const EnterCase &c = GetParam();
    EXPECT_EQ(MeasureEnterIndent(c.beforeCaret, c.unit, DefaultKeywords()), c.level);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EnterIndentTest,
    testing::Values(
        EnterCase{"IndentedOpeningLine", "  if x then", "  ", 2},
        EnterCase{"IndentedPlainLine", "  x = 1", "  ", 1},
        EnterCase{"EmptyLine", "", "  ", 0},
        EnterCase{"OnlyBlanksCountWholeSteps", "   ", "  ", 1},
        EnterCase{"FiveBlanksAreOneFourBlankStep", "     x", "    ", 1},
        EnterCase{"ElseOpensAndClosesAtItsStart", "else", "  ", 1},
        EnterCase{"LineClosesItsOwnBlock", "if x then return end", "  ", 0},
        EnterCase{"ClosingTestKnowsNoComments", "if x then -- the end", "  ", 0},
        EnterCase{"KeywordInsideLongerWordCloses", "if append then", "  ", 0},
        EnterCase{"OnlyTheFirstWordOpens", "local function f()", "  ", 0},
        EnterCase{"UntilAtLineStartKeepsDepth", "  until x", "  ", 1},
        EnterCase{"EndAloneKeepsDepth", "    end", "  ", 2},
        EnterCase{"PartBeforeCaretOpens", "if x", "  ", 1},
        EnterCase{"WhileDoOpens", "while true do", "  ", 1},
        EnterCase{"FirstWordEndsAtBlankOnly", "if\tx then", "  ", 0},
        EnterCase{"TabUnitCountsTabs", "\t\tif x then", "\t", 3},
        EnterCase{"TabUnitIgnoresBlanks", "    if x then", "\t", 0},
        EnterCase{"BlankUnitIgnoresTabs", "\tx", "  ", 0}),
    [](const testing::TestParamInfo<EnterCase> &info) { return std::string(info.param.name); });

TEST(EnterIndent, AttributesIgnoreCaseKeywordsDoNot)
{
    const KeywordTable table = Parsed("Begin INDENT\r\nfin Outdent\r\nloop\r\n");
    EXPECT_EQ(MeasureEnterIndent("Begin x", "  ", table), 1);
    EXPECT_EQ(MeasureEnterIndent("begin x", "  ", table), 0);
    EXPECT_EQ(MeasureEnterIndent("Begin x fin", "  ", table), 0);
    EXPECT_TRUE(IsOutdentKeyword("fin", table));
    EXPECT_FALSE(IsOutdentKeyword("Fin", table));
    EXPECT_FALSE(IsOutdentKeyword("loop", table));
    EXPECT_FALSE(IsOutdentKeyword("", table));
}

TEST(EnterIndent, OutdentKeywordsOfTheDefaultTable)
{
    for (const char *word : {"end", "else", "elseif", "until"})
        EXPECT_TRUE(IsOutdentKeyword(word, DefaultKeywords())) << word;
    for (const char *word : {"if", "then", "ende", "en", "End"})
        EXPECT_FALSE(IsOutdentKeyword(word, DefaultKeywords())) << word;
}

TEST(EnterIndent, UnitFollowsTheMode)
{
    EXPECT_EQ(IndentUnitOf(TWOSPACES, "\t"), "  ");
    EXPECT_EQ(IndentUnitOf(FOURSPACES, "  "), "    ");
    EXPECT_EQ(IndentUnitOf(TAB, "  "), "\t");
    EXPECT_EQ(IndentUnitOf(IndentMode(7), "    "), "    ");
}

TEST(Completion, NamesSortIgnoringCaseAndMatchTheFirstNotLess)
{
    FunctionTable table;
    table.ParseText("tn_curve a\r\nTn_anchor\r\ntn_addknot x y\r\nTN_B\r\ntna\r\n");
    const std::vector<std::string> names = CompletionNames(table);
    EXPECT_EQ(names, (std::vector<std::string>{"tn_addknot", "Tn_anchor", "TN_B", "tn_curve", "tna"}));
    struct {
        std::string_view word;
        std::size_t index;
    } const cases[] = {{"", 0}, {"tn_a", 0}, {"tn_an", 1}, {"TN_ANCHOR", 1}, {"tn_anchors", 2},
                       {"tn_c", 3}, {"tn_z", 4}, {"print(tn_a", 0}, {"zz", 5}};
    for (const auto &c : cases)
        EXPECT_EQ(FirstNotLess(names, c.word), c.index) << c.word;
    EXPECT_EQ(FirstNotLess({}, "x"), 0u);
}

TEST(ParameterNumber, CountsCommas)
{
    EXPECT_EQ(ParameterNumber(""), 1);
    EXPECT_EQ(ParameterNumber("1"), 1);
    EXPECT_EQ(ParameterNumber("1, 2"), 2);
    EXPECT_EQ(ParameterNumber("1,2,3"), 3);
}

// Commas that do not separate the call's arguments are not counted.
TEST(ParameterNumber, SkipsStringsCommentsAndNestedBrackets)
{
    EXPECT_EQ(ParameterNumber("\"a,b\", 'c,d', "), 3);
    EXPECT_EQ(ParameterNumber("\"a\\\",b\", "), 2);
    EXPECT_EQ(ParameterNumber("[[a,b]], [=[c]]d,e]=], "), 3);
    EXPECT_EQ(ParameterNumber("f(1, 2), {3, 4}, t[5], "), 4);
    EXPECT_EQ(ParameterNumber("1, g(2, "), 2);
    EXPECT_EQ(ParameterNumber("1, {2, "), 2);
    EXPECT_EQ(ParameterNumber("1 -- a, b"), 1);
    EXPECT_EQ(ParameterNumber("1, --[[a, b]] 2, "), 3);
}

TEST(FindOpenCall, FindsTheInnermostCallOnTheLine)
{
    struct {
        std::string_view line;
        const char *name; // "" for none
        int parameter;
    } const cases[] = {
        {"tg_setbc(1, 2", "tg_setbc", 2},
        {"x = tg_setbc (f(1, 2), ", "tg_setbc", 2},
        {"tg_setbc(1, f(2, ", "f", 2},
        {"tg_setbc(1, (2 + 3", "tg_setbc", 2},
        {"tg_setbc(1, \"(\", ", "tg_setbc", 3},
        {"tg_setbc(1) + 2", "", 0},
        {"(1, 2", "", 0},
        {"t.f(1, ", "f", 2},
    };
    for (const auto &c : cases) {
        OpenCall call;
        const bool found = FindOpenCall(c.line, int(c.line.size()), call);
        EXPECT_EQ(found, *c.name != 0) << c.line;
        if (found) {
            EXPECT_EQ(c.line.substr(call.nameStart, call.nameEnd - call.nameStart), c.name) << c.line;
            EXPECT_EQ(call.parameter, c.parameter) << c.line;
        }
    }
}

} // namespace
