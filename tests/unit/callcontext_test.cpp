#include "editor/callcontext.h"

#include <gtest/gtest.h>

namespace {

struct CallCase {
    const char *name;
    std::string_view text; // up to the caret
    bool found;
    std::string_view word;
    int parameter;
};

class CallContextTest : public testing::TestWithParam<CallCase> {};

TEST_P(CallContextTest, FindsTheOpenCall)
{
    const CallCase &c = GetParam();
    CallContext call;
    ASSERT_EQ(FindCallContext(c.text, call), c.found);
    if (!c.found)
        return;
    EXPECT_EQ(call.word, c.word);
    EXPECT_EQ(call.parameter, c.parameter);
    EXPECT_EQ(c.text[call.open], '(');
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CallContextTest,
    testing::Values(
        CallCase{"OneLine", "tm_addmaterial(1, 2", true, "tm_addmaterial", 2},
        CallCase{"ContinuationLine", "tm_addmaterial(1,\n  2,\n  ", true, "tm_addmaterial", 3},
        CallCase{"ClosedCall", "f(1, 2)\nx = ", false, "", 0},
        CallCase{"NestedCallClosed", "f(g(1, 2), \n", true, "f", 2},
        CallCase{"InsideNestedCall", "f(1, g(2,\n", true, "g", 2},
        CallCase{"TableCommasAreTheTables", "f({1, 2,\n 3}, ", true, "f", 2},
        CallCase{"InsideOpenTable", "f(1, {a = 1,\n", true, "f", 2},
        CallCase{"CommaInString", "f(\"a, b\", 'c,\n", true, "f", 2},
        CallCase{"CommaInLongString", "f([==[a,\n]] b,]==], ", true, "f", 2},
        CallCase{"BracketInComment", "f(1, -- g(2,\n", true, "f", 2},
        CallCase{"CommaInLongComment", "f(1 --[[ a,\n b, ]] ", true, "f", 1},
        CallCase{"DottedName", "x = string.format(\"%d\",\n", true, "string.format", 2},
        CallCase{"Method", "obj:move(1,\n", true, "obj:move", 2},
        CallCase{"WordAsTyped", "a=f(1,\n", true, "a=f", 2},
        CallCase{"BracketedExpressionInCall", "f(1, (2 +\n", true, "f", 2},
        CallCase{"OnlyABracketedExpression", "x = (2 +\n", false, "", 0},
        CallCase{"StrayClosingBracket", "f(1, ] 2,", true, "f", 3},
        CallCase{"UnfinishedStringEndsAtLine", "f(\"a,\n", true, "f", 1}),
    [](const testing::TestParamInfo<CallCase> &info) { return std::string(info.param.name); });

} // namespace
