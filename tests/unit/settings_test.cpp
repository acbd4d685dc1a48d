#include "app/scribacobarray.h"
#include "app/defaulttexts.h"
#include "app/settings.h"

#include <gtest/gtest.h>

namespace {

CScribaCObArray Parsed(std::string_view text)
{
    CScribaCObArray table;
    table.ParseText(text);
    return table;
}

struct ParseCase {
    const char *name;
    const char *text;
    std::vector<TableRow> rows;
};

class ParseTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTextTest, BuildsRows)
{
    EXPECT_EQ(Parsed(GetParam().text).Rows(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseTextTest,
    testing::Values(
        ParseCase{"TwoLines", "and\r\nbreak\r\n", {{"and"}, {"break"}}},
        ParseCase{"LastLineWithoutCrLfIsIgnored", "and\r\nbreak", {{"and"}}},
        ParseCase{"NoCrLfNoRow", "and", {}},
        ParseCase{"BlanksSeparate", "do   indent\r\n", {{"do", "indent"}}},
        ParseCase{"TabSeparates", "do\tindent\r\n", {{"do", "indent"}}},
        ParseCase{"EmptyLinesMakeNoRows", "\r\n\r\nfor indent\r\n", {{"for", "indent"}}},
        ParseCase{"PercentSeparates", "f a%b\r\n", {{"f", "a", "b"}}},
        ParseCase{"LeadingAndTrailingSeparators", " \tx  y% \r\n", {{"x", "y"}}},
        ParseCase{"SeparatorOnlyLineMakesNoRow", " \t%%\r\nz\r\n", {{"z"}}},
        ParseCase{"LoneLfIsPartOfLine", "a\nb\r\n", {{"a\nb"}}}),
    [](const testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(SortByName, CapitalsBeforeSmallLetters)
{
    CScribaCObArray table = Parsed("b\r\nB\r\na\r\n");
    table.SortByName();
    EXPECT_EQ(table.Rows(), (std::vector<TableRow>{{"B"}, {"a"}, {"b"}}));
}

TEST(SortByName, EqualNamesKeepTheirOrder)
{
    CScribaCObArray table = Parsed("x 2\r\nx 1\r\na\r\n");
    table.SortByName();
    EXPECT_EQ(table.Rows(), (std::vector<TableRow>{{"a"}, {"x", "2"}, {"x", "1"}}));
}

TEST(SortByName, HighBytesSortAfterAscii)
{
    CScribaCObArray table = Parsed("\xe9t\xe9\r\nz\r\n");
    table.SortByName();
    EXPECT_EQ(table.GetAt(0)[0], "z");
}

TEST(MaxParameterCount, CountsWidestRow)
{
    EXPECT_EQ(CScribaCObArray().MaxParameterCount(), 0);
    EXPECT_EQ(Parsed("a\r\nb\r\n").MaxParameterCount(), 0);
    EXPECT_EQ(Parsed("a\r\nb x y\r\n").MaxParameterCount(), 2);
}

TEST(TextStyle, DiffersOnAnyField)
{
    TextStyle a, b;
    a.Set(0x123456, 1, 0, 0);
    b = a;
    EXPECT_FALSE(a.Differs(b));
    b.underline = 1;
    EXPECT_TRUE(a.Differs(b));
    b = a;
    b.color = 0x123457;
    EXPECT_TRUE(a.Differs(b));
}

TEST(DefaultTexts, KeywordsAreSortedAndTenCarryAttributes)
{
    CScribaCObArray table = Parsed(DefaultKeywordsText());
    CScribaCObArray sorted = table;
    sorted.SortByName();
    ASSERT_EQ(table.GetSize(), 21);
    EXPECT_EQ(table, sorted);
    int withAttributes = 0;
    for (const TableRow &row : table.Rows())
        withAttributes += row.size() > 1;
    EXPECT_EQ(withAttributes, 10);
}

TEST(DefaultTexts, HeaderHasTwelveCommentLines)
{
    std::string_view header = DefaultHeaderText();
    int lines = 0;
    for (std::size_t at = 0; (at = header.find("\r\n", at)) != std::string_view::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 12);
    EXPECT_TRUE(header.ends_with("closes.\r\n"));
}

TEST(DefaultStyles, MatchTheShippedColours)
{
    Settings settings;
    settings.SetDefaultStyles();
    EXPECT_EQ(settings.style(StyleKind::Comment).color, 0x0000C000u);
    EXPECT_EQ(settings.style(StyleKind::Keyword).color, 0x00FF0000u);
    EXPECT_EQ(settings.style(StyleKind::Number).color, 0x00FF00FFu);
    EXPECT_EQ(settings.style(StyleKind::Punctuation).color, 0x00808080u);
    EXPECT_EQ(settings.style(StyleKind::String).color, 0x000000FFu);
    EXPECT_TRUE(settings.style(StyleKind::Function).bold);
    EXPECT_FALSE(settings.style(StyleKind::String).bold);
}

} // namespace
