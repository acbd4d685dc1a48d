// The functions a script defines, as the outline and the symbol list see them: their names,
// where each starts and ends, and how they nest.
#include "check/callscanner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "depth:name[the definition's text]" per definition, "L" before a local one.
std::string Definitions(std::string_view text)
{
    const CallScan scan = ScanCalls(text);
    std::string out;
    for (const DefinedFunction &definition : scan.definitions) {
        EXPECT_EQ(text.substr(definition.nameStart, definition.nameEnd - definition.nameStart), definition.name);
        EXPECT_LE(definition.start, definition.nameStart);
        EXPECT_LE(definition.nameEnd, definition.end);
        out += out.empty() ? "" : " ";
        out += std::to_string(definition.depth) + ":" + (definition.isLocal ? "L" : "") + std::string(definition.name) +
               "[" + std::string(text.substr(definition.start, definition.end - definition.start)) + "]";
    }
    return out;
}

struct DefinitionCase {
    const char *name;
    const char *text;
    const char *definitions;
};

class DefinitionsTest : public testing::TestWithParam<DefinitionCase> {};

TEST_P(DefinitionsTest, ListsNamedFunctionsWithTheirExtentAndNesting)
{
    EXPECT_EQ(Definitions(GetParam().text), GetParam().definitions) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Lua, DefinitionsTest,
    testing::Values(
        DefinitionCase{"Global", "x = 1\nfunction f(a) return a end\n", "0:f[function f(a) return a end]"},
        DefinitionCase{"Local", "local function f() end", "0:Lf[local function f() end]"},
        DefinitionCase{"FieldAndMethod", "function a.b:c() end function M.new ( ) end",
                       "0:a.b:c[function a.b:c() end] 0:M.new[function M.new ( ) end]"},
        DefinitionCase{"Assigned", "f = function() end local g = function(x) end a.b = function() end",
                       "0:f[f = function() end] 0:Lg[local g = function(x) end] 0:a.b[a.b = function() end]"},
        DefinitionCase{"BlocksInsideTheBody", "function f() if x then for i = 1, 2 do end end repeat until y end g()",
                       "0:f[function f() if x then for i = 1, 2 do end end repeat until y end]"},
        DefinitionCase{"Nested", "function f() local function g() end h = function() end end function k() end",
                       "0:f[function f() local function g() end h = function() end end] 1:Lg[local function g() end] "
                       "1:h[h = function() end] 0:k[function k() end]"},
        DefinitionCase{"AnonymousDoesNotCount", "f(function() function g() end end)", "0:g[function g() end]"},
        DefinitionCase{"Unclosed", "function f() function g() end\nx = 1", "0:f[function f() function g() end\nx = 1] 1:g[function g() end]"},
        DefinitionCase{"ClosedByAStrayBracket", "f(function g() x) y = 1", "0:g[function g() x) y = 1]"},
        DefinitionCase{"NotDefinitions",
                       "t = { f = function() end } a, b = function() end, 1 t[1].x = function() end "
                       "f(x).y = function() end return function() end",
                       ""},
        DefinitionCase{"CommentsAndStringsHideKeywords", "-- function f() end\ns = 'function g() end' --[[ end ]]",
                       ""},
        DefinitionCase{"StatementsWithoutSeparators", "x = y a.b = function() end", "0:a.b[a.b = function() end]"}),
    [](const testing::TestParamInfo<DefinitionCase> &info) { return std::string(info.param.name); });

// The calls in text order, "~" before one whose name is a local variable there.
std::string CallsInScope(std::string_view text)
{
    std::string out;
    for (const ScannedCall &call : ScanCalls(text).calls)
        out += (out.empty() ? "" : " ") + std::string(call.local ? "~" : "") +
               std::string(text.substr(call.nameStart, call.nameEnd - call.nameStart));
    return out;
}

class ScopesTest : public testing::TestWithParam<DefinitionCase> {};

TEST_P(ScopesTest, MarksCallsOfNamesThatAreLocalThere)
{
    EXPECT_EQ(CallsInScope(GetParam().text), GetParam().definitions) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Lua, ScopesTest,
    testing::Values(
        DefinitionCase{"LocalFromTheNextStatement", "tg(1) local tg = print tg(2)", "tg ~tg"},
        DefinitionCase{"ValueSeesTheOuterName", "local tg = tg(1) or tg'x' tg(2)", "tg tg ~tg"},
        DefinitionCase{"SeveralNames", "local a, tg = 1, tg() tg()", "tg ~tg"},
        DefinitionCase{"WithoutValue", "local tg tg()", "~tg"},
        DefinitionCase{"Semicolon", "local tg = 1; tg()", "~tg"},
        DefinitionCase{"ValueWithCallsAndTables", "local tg = a.b:c(1) .. { x = tg() } [1] tg()", "tg ~tg"},
        DefinitionCase{"FunctionValueIsNotInItsOwnBody", "local tg = function() tg() end tg()", "tg ~tg"},
        DefinitionCase{"LocalFunctionIsInItsOwnBody", "local function tg() tg() end tg()", "~tg ~tg"},
        DefinitionCase{"GlobalFunctionIsNoLocal", "function tg() tg() end tg()", "tg tg"},
        DefinitionCase{"BlockEndsScope", "do local tg = 1 tg() end tg()", "~tg tg"},
        DefinitionCase{"BodyEndsScope", "function f() local tg = 1 end tg()", "tg"},
        DefinitionCase{"BranchEndsScope", "if x then local tg tg() elseif tg() then tg() else tg() end tg()",
                       "~tg tg tg tg tg"},
        DefinitionCase{"Parameters", "function f(a, tg) tg() end g(function(tg, ...) tg() end) tg()",
                       "~tg g ~tg tg"},
        DefinitionCase{"NumericFor", "for tg = tg(), 2 do tg() end tg()", "tg ~tg tg"},
        DefinitionCase{"GenericFor", "for k, tg in pairs(t) do tg() end tg()", "pairs ~tg tg"},
        DefinitionCase{"WhileHasNoNames", "while tg() do local x end tg()", "tg tg"},
        DefinitionCase{"UntilSeesTheBody", "repeat local tg = 1 until f(x) or tg(2) tg()", "f ~tg tg"},
        DefinitionCase{"NestedUntil", "repeat repeat local tg until tg() until tg()", "~tg tg"},
        DefinitionCase{"InnerHidesOuterUntilItsEnd", "local tg = 1 do local tg = 2 end tg()", "~tg"},
        DefinitionCase{"CutShortByACloser", "f(function() local tg = 1) tg()", "f tg"}),
    [](const testing::TestParamInfo<DefinitionCase> &info) { return std::string(info.param.name); });

TEST(CallScanTest, KeepsTheDefinedNamesForTheCheck)
{
    const CallScan scan = ScanCalls("function a.b() end local function c() end d = function() end");
    ASSERT_EQ(scan.definedNames.size(), 2u);
    EXPECT_EQ(scan.definedNames[0], "c");
    EXPECT_EQ(scan.definedNames[1], "d");
    EXPECT_EQ(scan.definitions.size(), 3u);
}

} // namespace
