// The script check: how calls are found and their arguments counted, what the table makes of
// them, and the expected-output files under tests/data/check (syntax errors and calls together).
#include "app/defaulttexts.h"
#include "app/scribacobarray.h"
#include "check/callscanner.h"
#include "check/luasyntax.h"
#include "check/scriptcheck.h"
#include "check/tarncallchecker.h"

#include "expectedfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

FunctionTable Table(std::string_view text)
{
    FunctionTable table;
    table.ParseText(text);
    table.SortByName();
    return table;
}

const FunctionTable &DefaultFunctions()
{
    static const FunctionTable table = Table(DefaultFunctionsText());
    return table;
}

// "name:arguments" per call, "+" when more may follow, "?" when unclosed; then "def:name" per
// definition.
std::string Calls(std::string_view text)
{
    const CallScan scan = ScanCalls(text);
    std::string out;
    for (const ScannedCall &call : scan.calls) {
        out += out.empty() ? "" : " ";
        out += std::string(text.substr(call.nameStart, call.nameEnd - call.nameStart)) + ":" +
               std::to_string(call.arguments) + (call.moreMayFollow ? "+" : "") + (call.closed ? "" : "?");
    }
    for (std::string_view name : scan.definedNames)
        out += (out.empty() ? "def:" : " def:") + std::string(name);
    return out;
}

struct ScanCase {
    const char *name;
    const char *text;
    const char *calls;
};

class ScanCallsTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanCallsTest, FindsCallsAndCountsArguments)
{
    EXPECT_EQ(Calls(GetParam().text), GetParam().calls) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Lua, ScanCallsTest,
    testing::Values(
        ScanCase{"Empty", "f()", "f:0"},
        ScanCase{"Plain", "f(1, 2, 3)", "f:3"},
        ScanCase{"OnlyComment", "f( --[[ x, y ]] )", "f:0"},
        ScanCase{"SpaceBeforeBracket", "f (1, 2)", "f:2"},
        ScanCase{"NestedBrackets", "f(g(1, 2), {3, 4}, t[5], (6))", "f:4 g:2"},
        ScanCase{"QuotedCommas", "f(\"a, b\", 'c, d')", "f:2"},
        ScanCase{"EscapedQuote", "f(\"a\\\", b\", c)", "f:2"},
        ScanCase{"EscapedLineBreak", "f(\"a\\\r\nb, c\", d)", "f:2"},
        ScanCase{"UnfinishedStringEndsAtLine", "f(\"a, b\n, c)", "f:2"},
        ScanCase{"LongString", "f([[a, b]], [=[c ]] d, ]=], e)", "f:3"},
        ScanCase{"LongComment", "f(1 --[==[ , ]] , ]==], 2)", "f:2"},
        ScanCase{"LineComment", "f(1 -- , 2)\n, 3)", "f:2"},
        ScanCase{"NotALongBracket", "f(t[ [[x]] ], --[= not long, (\n 2)", "f:2"},
        ScanCase{"SpansLines", "f(1,\r\n  2,\n  3\r)", "f:3"},
        ScanCase{"Numbers", "f(1e-5, 0x1F, .5, 3..4)", "f:4"},
        ScanCase{"FieldsAndMethods", "a.f(1) a:g(1) a.b.h(1) a..k(1)", "k:1"},
        ScanCase{"KeywordsAreNotCallees", "if (x) then return (y) end", ""},
        ScanCase{"ResultCalls", "f(1)(2, 3) t[1](4)", "f:1"},
        ScanCase{"StringAndTableCalls", "f \"a, b\" g{1, 2} h[[x]]", "f:1 g:1 h:1"},
        ScanCase{"FunctionBodyCommas", "f(function(a, b) local c, d = 1, 2 end, 3)", "f:2"},
        ScanCase{"BlocksInBody", "f(function() if a then g(1, 2) end for i = 1, 2 do end end)", "f:1 g:2"},
        ScanCase{"LastArgumentCall", "f(1, g())", "f:2+ g:0"},
        ScanCase{"LastArgumentVarargs", "f(...)", "f:1+"},
        ScanCase{"LastArgumentStringCall", "f(1, g'x')", "f:2+ g:1"},
        ScanCase{"ParenthesisedCallIsOne", "f((g()))", "f:1 g:0"},
        ScanCase{"NotLastCall", "f(g(), 1)", "f:2 g:0"},
        ScanCase{"Unclosed", "f(1, g(2)", "f:0? g:1"},
        ScanCase{"StrayClosers", ") ] } end until f(1))", "f:1"},
        ScanCase{"MismatchedCloserEndsInnerFrames", "f(g(1, {2, 3)", "f:0? g:2"},
        ScanCase{"Definitions", "function a(x) end local function b(y) end c = function() end "
                                "local d = function() end t.e = function() end function t.f() end",
                 "def:a def:b def:c def:d"},
        ScanCase{"HashLineSkipped", "#!tarn f(1, 2)\ng(1)", "g:1"},
        ScanCase{"HashOnlyFirst", "g(1)\n#f(1)", "g:1 f:1"}),
    [](const testing::TestParamInfo<ScanCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------

struct CountCase {
    const char *name;
    const char *call;
    const char *warning; // "" for none
};

class ArgumentCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ArgumentCountTest, WarnsWithTheExpectedRange)
{
    static const FunctionTable table = Table("none\r\none a\r\ntwo a b\r\nopt a b (c)\r\nopts a (b) (c) (d)\r\n"
                                             "var a ...\r\ngrd_set a b\r\n");
    const std::vector<CallWarning> warnings = TarnCallChecker(table).Check(GetParam().call);
    EXPECT_EQ(warnings.empty() ? std::string() : warnings.front().message, GetParam().warning);
    EXPECT_LE(warnings.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentCountTest,
    testing::Values(CountCase{"NoneGiven", "none()", ""},
                    CountCase{"NoneTooMany", "none(1)", "none expects no arguments, got 1"},
                    CountCase{"OneTooFew", "one()", "one expects 1 argument, got 0"},
                    CountCase{"TwoTooMany", "two(1, 2, 3)", "two expects 2 arguments, got 3"},
                    CountCase{"OptionalLeftOut", "opt(1, 2)", ""},
                    CountCase{"OptionalGiven", "opt(1, 2, 3)", ""},
                    CountCase{"OptionalTooFew", "opt(1)", "opt expects 2 or 3 arguments, got 1"},
                    CountCase{"OptionalsTooMany", "opts(1, 2, 3, 4, 5)", "opts expects 1 to 4 arguments, got 5"},
                    CountCase{"VarargsMany", "var(1, 2, 3, 4, 5, 6)", ""},
                    CountCase{"VarargsTooFew", "var()", "var expects at least 1 argument, got 0"},
                    CountCase{"ExpandingLastMayFill", "two(f())", ""},
                    CountCase{"ExpandingLastTooMany", "one(1, 2, f())", "one expects 1 argument, got at least 2"},
                    CountCase{"UnclosedNotCounted", "two(1", ""},
                    CountCase{"LateUnderscoresDropped", "two_(1)", "two_ expects 2 arguments, got 1"},
                    CountCase{"OwnDefinitionWins", "function two(a) end two(1)", ""},
                    // Found by its exact name, though the colouring's lookup drops its underscore.
                    CountCase{"ExactNameWithLateUnderscore", "grd_set(1)", "grd_set expects 2 arguments, got 1"},
                    CountCase{"ExactNameKnown", "grd_set(1, 2)", ""}),
    [](const testing::TestParamInfo<CountCase> &info) { return std::string(info.param.name); });

struct NearCase {
    const char *typed;
    const char *closest;
};

class ClosestNameTest : public testing::TestWithParam<NearCase> {};

TEST_P(ClosestNameTest, SuggestsOnlyNearNamesOfTheSamePrefix)
{
    EXPECT_EQ(TarnCallChecker(DefaultFunctions()).ClosestName(GetParam().typed), GetParam().closest);
}

INSTANTIATE_TEST_SUITE_P(
    DefaultTable, ClosestNameTest,
    testing::Values(NearCase{"tg_addcirle", "tg_addcircle"},     // a letter left out
                    NearCase{"tg_addpiont", "tg_addpoint"},      // two letters swapped
                    NearCase{"tg_adddpoint", "tg_addpoint"},     // one too many
                    NearCase{"tg_addarcc", "tg_addarc"},
                    NearCase{"tg_redoo", "tg_redo"},
                    NearCase{"tg_rdo", "tg_redo"},
                    NearCase{"tg_frobnicate", ""},               // nothing near
                    NearCase{"tg_xyz", ""},
                    NearCase{"tm_addpoint", ""},                 // near only under another prefix
                    NearCase{"tg_", ""}));

// Unknown names are the model's undefined globals, with or without a prefix of the table; the
// call checker counts arguments only.
TEST(TarnCallCheckerTest, UnknownNamesAreUndefinedGlobals)
{
    const FunctionTable table = Table("tg_addpoint x y\r\nplain a\r\n");
    const std::string text = "tg_addpont(1, 2) tx_addpoint(1) plainn(1) tg(1) tg_addpont(3)";
    EXPECT_TRUE(TarnCallChecker(table).Check(text).empty());
    const std::vector<ScriptProblem> problems = CheckScript(text, table);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].message, "unknown Tarn function tg_addpont (did you mean tg_addpoint?)");
    EXPECT_EQ(problems[0].code, 113);
    EXPECT_EQ(problems[1].message, "tx_addpoint is not defined (did you mean tg_addpoint?)");
    EXPECT_EQ(problems[2].message, "plainn is not defined (did you mean plain?)");
    EXPECT_EQ(problems[4].start, text.rfind("tg_addpont"));
    // The editor marks no more than a limit.
    EXPECT_EQ(CheckScript(text, table, 1).size(), 1u);
}

// ---------------------------------------------------------------------------------------------

TEST(LuaSyntaxTest, GivesLuaLineAndMessage)
{
    EXPECT_FALSE(CheckLuaSyntax("local x = 1\nreturn x\n"));
    EXPECT_FALSE(CheckLuaSyntax(""));
    const std::optional<LuaSyntaxError> error = CheckLuaSyntax("x = 1\n\ny = = 2\n");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 3);
    EXPECT_EQ(error->message, "unexpected symbol near '='");
}

TEST(LuaSyntaxTest, LimitsHaveNoLine)
{
    // Lua counts every local a function declares, and stops at 32767 without naming a line.
    std::string text;
    for (int i = 0; i < 8200; ++i)
        text += "for i = 1, 2 do end\n";
    const std::optional<LuaSyntaxError> error = CheckLuaSyntax(text);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 0);
    const std::vector<ScriptProblem> problems = CheckScript(text, DefaultFunctions());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(ProblemLine("a.lua", problems[0]), "a.lua: error: " + error->message);
    EXPECT_EQ(problems[0].start, 0u);
    EXPECT_EQ(problems[0].end, text.find('\n'));
}

TEST(LuaSyntaxTest, ShortensTheQuotedRestOfALongLine)
{
    const std::string line = "x = \"" + std::string(5000, 'a') + "\n";
    const std::optional<LuaSyntaxError> error = CheckLuaSyntax(line);
    ASSERT_TRUE(error);
    EXPECT_LE(error->message.size(), 210u);
    EXPECT_TRUE(error->message.starts_with("unfinished string near '\"aaa")) << error->message;
}

// ---------------------------------------------------------------------------------------------
// Expected-output files: NAME.lua beside NAME.lua.expected, the lines that "scriba --check"
// prints for it. A mismatch writes NAME.lua.expected.new.

TEST(CheckFilesTest, MatchExpectedOutput)
{
    const std::vector<std::filesystem::path> samples = SampleScripts("check");
    ASSERT_GE(samples.size(), 5u);
    for (const std::filesystem::path &sample : samples) {
        const std::string text = ReadFile(sample);
        std::string actual;
        for (const ScriptProblem &problem : CheckScript(text, DefaultFunctions())) {
            ASSERT_LE(problem.start, problem.end);
            ASSERT_LE(problem.end, text.size());
            actual += ProblemLine(sample.filename().string(), problem) + "\n";
        }
        ExpectSameAsFile(sample, ".expected", actual);
    }
}

} // namespace
