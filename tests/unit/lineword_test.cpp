#include "doc/untitlednames.h"
#include "editor/lineword.h"

#include <gtest/gtest.h>

namespace {

struct WordCase {
    const char *name;
    std::string_view line;
    int caret;
    char delimiter;
    std::string word;
    bool atWordEnd;
    bool onlyBlanksBefore;
};

class WordBeforeCaretTest : public testing::TestWithParam<WordCase> {};

TEST_P(WordBeforeCaretTest, FindsWord)
{
    const WordCase &c = GetParam();
    WordBeforeCaret found;
    ASSERT_TRUE(FindWordBeforeCaret(c.line, c.caret, c.delimiter, found));
    EXPECT_EQ(found.word, c.word);
    EXPECT_EQ(found.atWordEnd, c.atWordEnd);
    EXPECT_EQ(found.onlyBlanksBefore, c.onlyBlanksBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WordBeforeCaretTest,
    testing::Values(
        WordCase{"IndentedWordAtLineEnd", "  tn_add", 8, ' ', "tn_add", true, true},
        WordCase{"CaretAtLineStart", "abc", 0, ' ', "", false, true},
        WordCase{"TabIsWhiteSpace", "x\tfoo bar", 5, ' ', "foo", true, false},
        WordCase{"CaretInsideWord", "foo", 2, ' ', "fo", false, true},
        WordCase{"OtherDelimiter", "a = f(x, y", 10, '(', "x, y", true, false},
        WordCase{"DelimiterMissing", "abc def", 3, '(', "abc", true, true},
        WordCase{"DelimiterRightBeforeCaret", "f(", 2, '(', "", true, false}),
    [](const testing::TestParamInfo<WordCase> &info) { return std::string(info.param.name); });

TEST(WordBeforeCaret, EmptyLineLeavesOutputsAlone)
{
    WordBeforeCaret found;
    found.word = "kept";
    EXPECT_FALSE(FindWordBeforeCaret("", 0, ' ', found));
    EXPECT_EQ(found.word, "kept");
}

TEST(IdentifierAtEnd, StopsAtTheFirstByteOutsideAName)
{
    EXPECT_EQ(IdentifierAtEnd("print(tn_a"), "tn_a");
    EXPECT_EQ(IdentifierAtEnd("x=tn_an"), "tn_an");
    EXPECT_EQ(IdentifierAtEnd("f(a,_b2"), "_b2");
    EXPECT_EQ(IdentifierAtEnd("x = caf\xc3\xa9"), "caf\xc3\xa9"); // bytes of a non-ASCII letter
    EXPECT_EQ(IdentifierAtEnd("tn_a "), "");
    EXPECT_EQ(IdentifierAtEnd("f("), "");
    EXPECT_EQ(IdentifierAtEnd(""), "");
    EXPECT_EQ(IdentifierAtEnd("42"), "42");
}

TEST(UntitledNames, CountOnAcrossTheRun)
{
    int counter = 0;
    EXPECT_EQ(ScriptTitle("Scriba1", counter), "untitled.lua");
    EXPECT_EQ(ScriptTitle("", counter), "untitled[1].lua");
    EXPECT_EQ(ScriptTitle("notes.txt", counter), "untitled[2].lua");
    EXPECT_EQ(ScriptTitle("a.LUA", counter), "untitled[3].lua");
    EXPECT_EQ(ScriptTitle("run.lua", counter), "run.lua");
    EXPECT_EQ(ScriptTitle(".lua", counter), ".lua");
    EXPECT_EQ(ScriptTitle("lua", counter), "untitled[4].lua");
    EXPECT_EQ(counter, 5);
}

} // namespace
