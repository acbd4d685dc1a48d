// The script check's warnings from Tarn's reference: deprecated functions and strings that a
// parameter with a fixed set does not take, found in the arguments as Lua reads them.
#include "app/defaulttexts.h"
#include "check/referencecheck.h"
#include "check/scriptcheck.h"
#include "reference/tarnreference.h"

#include <gtest/gtest.h>

namespace {

const FunctionTable &Functions()
{
    static const FunctionTable table = [] {
        FunctionTable t;
        t.ParseText("tg_setbc node \"mode\" (value)\r\ntg_old\r\ntg_older\r\ntg_new\r\ntg_mode \"mode\"\r\n");
        t.SortByName();
        return t;
    }();
    return table;
}

const TarnReference &Reference()
{
    static const TarnReference reference = ReadDefinitionFile(R"(---@meta
---@param node integer
---@param mode "head"|"flux"|"none"
---@param value number
function tg_setbc(node, mode, value) end
---@deprecated use tg_new
function tg_old() end
---@deprecated
function tg_older() end
---@param mode 'on'|'off'
function tg_mode(mode) end
)").reference;
    return reference;
}

// "LINE:COLUMN: message" per warning about Tarn's functions; the names the snippets leave
// undefined and their unused locals are not what these cases are about.
std::string Warnings(std::string_view script, std::size_t limit = std::size_t(-1))
{
    std::string out;
    for (const ScriptProblem &problem : CheckScript(script, Functions(), Reference(), limit))
        if (problem.code >= 700 || problem.message.starts_with("unknown Tarn function"))
            out += std::to_string(problem.line) + ':' + std::to_string(problem.column) + ": " + problem.message + '\n';
    return out;
}

struct CheckCase {
    const char *name;
    std::string script;
    std::string expected;
};

class ReferenceCheck : public testing::TestWithParam<CheckCase> {};

TEST(LiteralTypes, AgainstAnnotatedTypes)
{
    struct Case {
        const char *argument, *type;
        bool optional, takes;
    };
    for (const Case &c : {Case{"1", "number", false, true}, Case{"-0x10", "integer", false, true},
                          Case{"'1'", "number", false, false}, Case{"[==[x]==]", "number|string", false, true},
                          Case{"nil", "number", true, true}, Case{"nil", "number?", false, true},
                          Case{"nil", "number", false, false}, Case{"true", "boolean", false, true},
                          Case{"false", "string[]", false, false}, Case{"1", "MyClass", false, true},
                          Case{"1", "fun(a: number|string)", false, false}, Case{"'a'", "\"a\"|\"b\"", false, true},
                          Case{"x", "number", false, true}, Case{"'a' .. b", "number", false, true},
                          Case{"1", "table<string, number>", false, false}, Case{"1", "any", false, true}}) {
        EXPECT_EQ(TypeTakesLiteral(c.type, c.optional, LiteralType(c.argument)), c.takes)
            << c.argument << " for " << c.type;
    }
}

TEST_P(ReferenceCheck, WarnsAsTheReferenceSays)
{
    EXPECT_EQ(Warnings(GetParam().script), GetParam().expected);
}

const std::string kSetOf = "tg_setbc: mode must be one of \"head\", \"flux\", \"none\"\n";

const CheckCase kCases[] = {
    {"Deprecated", "tg_old()\nx = tg_older()\n",
     "1:1: tg_old is deprecated: use tg_new\n2:5: tg_older is deprecated\n"},
    {"AllowedStringsPass", "tg_setbc(1, \"head\", 2) tg_setbc(1, 'none', 2) tg_mode 'on'", ""},
    {"OtherStringWarnsAtTheString", "tg_setbc(1, \"heat\", 2)", "1:13: tg_setbc: mode must be one of \"head\", \"flux\", \"none\"\n"},
    {"SingleQuotesAndStringCall", "tg_setbc(1, 'x')\ntg_mode \"maybe\"\n",
     "1:13: tg_setbc: mode must be one of \"head\", \"flux\", \"none\"\n2:9: tg_mode: mode must be one of \"on\", \"off\"\n"},
    {"NotOneLiteralIsNotJudged",
     "tg_setbc(1, m, 2) tg_setbc(1, \"he\"..\"ad\") tg_setbc(1, \"h\\ead\") tg_setbc(1, [[x]]) tg_setbc(1, (\"x\"))", ""},
    {"NestedCommasStringsAndComments",
     "tg_setbc(f(1, 2), \"a\")\ntg_setbc({1, 2}, \"b\")\ntg_setbc(\"1,2\" --[[, \"head\"]], \"c\")\ntg_setbc(t[1], -- ,\n  \"d\")\n",
     "1:19: " + kSetOf + "2:18: " + kSetOf + "3:10: tg_setbc: node takes integer, not a string\n3:32: " + kSetOf +
         "5:3: " + kSetOf},
    {"LiteralsOfTheWrongType",
     "tg_setbc(\"1\", \"head\", true)\ntg_setbc(1, \"head\", nil)\ntg_setbc(-2.5e3, [[flux]], 0x1F)\ntg_mode(1)\n",
     "1:10: tg_setbc: node takes integer, not a string\n1:23: tg_setbc: value takes number, not a boolean\n"
     "2:21: tg_setbc: value takes number, not nil\n4:9: tg_mode: mode takes 'on'|'off', not a number\n"},
    {"ExpressionsAreNotJudged", "tg_setbc(x .. \"1\", \"head\", \"a\" .. b)\ntg_setbc(n + 1, \"flux\", f())\n", ""},
    {"FunctionBodyEndsTheReading", "tg_setbc(function() local a, b = 1, 2 end, \"bad\")", ""},
    {"BlanksAndCommentBeforeTheParenthesis", "tg_setbc --[[ x ]] (1, \"z\")", "1:24: " + kSetOf},
    {"OwnDefinitionWins", "function tg_old() end\ntg_old()\n", ""},
    {"LocalOfTheSameNameWins", "local tg_setbc = print\ntg_setbc(1, \"x\")\n", ""},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ReferenceCheck, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CheckCase> &info) { return std::string(info.param.name); });

TEST(ReferenceCheckLimits, TheLimitCoversBothKindsOfWarning)
{
    EXPECT_EQ(Warnings("tg_unknownx() tg_old() tg_setbc(1, \"x\")", 2),
              "1:1: unknown Tarn function tg_unknownx\n1:15: tg_old is deprecated: use tg_new\n");
}

// The table decides which argument is which parameter, whatever order the page lists them in.
TEST(ReferenceCheckLimits, ParametersAreMatchedByName)
{
    FunctionTable table;
    table.ParseText("tg_pair \"kind\" \"unit\"\r\n");
    const TarnReference reference = ReadDefinitionFile("---@param unit \"m\"|\"ft\"\n---@param kind \"a\"|\"b\"\n"
                                                       "function tg_pair(unit, kind) end\n")
                                        .reference;
    const auto problems = CheckScript("tg_pair(\"a\", \"m\")\ntg_pair(\"m\", \"a\")\n", table, reference);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_EQ(problems[0].message, "tg_pair: kind must be one of \"a\", \"b\"");
    EXPECT_EQ(problems[1].message, "tg_pair: unit must be one of \"m\", \"ft\"");
}

TEST(ReferenceCheckLimits, BuiltInReferenceMarksItsDeprecatedFunctions)
{
    FunctionTable table;
    table.ParseText(DefaultFunctionsText());
    table.SortByName();
    const auto problems = CheckScript("tm_addpointsource(\"w\", 1, 2)\ntm_setanalysis(\"steadystate\")\n", table,
                                      BuiltInReference());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].message, "tm_addpointsource is deprecated: use tm_addwell");
    EXPECT_EQ(problems[1].message, "tm_setanalysis: kind must be one of \"steady\", \"transient\"");
    EXPECT_TRUE(CheckScript("tm_addpointsource(\"w\", 1, 2)", table).empty());
}

} // namespace
