// The script's names at a place: the scoping cases people get wrong, completion, calls split over
// lines and renaming that refuses to change what a name refers to.
#include "model/namequeries.h"

#include "app/defaulttexts.h"
#include "app/settings.h"
#include "editor/completionorder.h"
#include "model/lualibrary.h"
#include "model/scriptmodel.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A script with its marks taken out: "|" the place asked about, "^" the expected answer.
struct Marked {
    std::string text;
    std::size_t place = std::string::npos;
    std::size_t expected = std::string::npos;

    explicit Marked(std::string_view marked)
    {
        for (char c : marked) {
            if (c == '|')
                place = text.size();
            else if (c == '^')
                expected = text.size();
            else
                text += c;
        }
    }
};

// The model and the queries over one script, with the built-in Tarn table.
struct Queries {
    explicit Queries(std::string_view marked) : script(marked), model(luamodel::BuildModel(script.text))
    {
        static const FunctionTable functions = [] {
            FunctionTable table;
            table.ParseText(DefaultFunctionsText());
            return table;
        }();
        static const std::vector<std::string> sorted = CompletionNames(functions);
        queries = std::make_unique<NameQueries>(script.text, model, TarnNames{&functions, &sorted, nullptr});
    }
    const NameQueries &operator*() const { return *queries; }
    const NameQueries *operator->() const { return queries.get(); }

    Marked script;
    luamodel::Model model;
    std::unique_ptr<NameQueries> queries;
};

std::vector<std::string> Names(const NameCompletion &completion)
{
    std::vector<std::string> names;
    for (const NameCandidate &candidate : completion.candidates)
        names.push_back(candidate.name);
    return names;
}

bool Has(const std::vector<std::string> &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Go to definition from "|" lands on "^" (no "^": nothing in the script to go to).
TEST(NameQueries, DefinitionFollowsLuasScoping)
{
    struct {
        const char *name;
        const char *script;
    } const cases[] = {
        {"local x = x reads the outer x", "local ^x = 1\nlocal x = |x + 1\nprint(x)"},
        {"after local x = x the new x", "local x = 1\nlocal ^x = x + 1\nprint(|x)"},
        {"local function sees itself", "local function ^f(n) return |f(n - 1) end"},
        {"local f = function does not", "^f = nil\nlocal f = function(n) return |f(n) end"},
        {"for variable", "for ^i = 1, 3 do print(|i) end"},
        {"generic for variables", "for k, ^v in pairs(t) do print(|v) end"},
        {"until sees the body's local", "repeat local ^y = 1 until |y"},
        {"self of a method", "local M = {}\nfunction M^:m() return |self end"},
        {"vararg", "local function f(^...) return |... end"},
        {"shadowed in a nested function", "local ^a = 1\nlocal function g() local a = 2 end\nprint(|a)"},
        {"the nested one inside", "local a = 1\nlocal function g() local ^a = 2 return |a end"},
        {"a local beside a global of the name", "g = 1\nlocal function h() local ^g = 2 return |g end"},
        {"the global beside a local of the name", "^g = 1\nlocal function h() local g = 2 end\nprint(|g)"},
        {"a global to its first assignment", "function f() return ^g end\n^g = 1\ng = 2\nprint(|g)"},
        {"parameter", "local function f(^a, b) return |a end"},
        {"upvalue", "local ^u = 1\nlocal function f() return function() return |u end end"},
        {"field of the script's table", "local M = {}\nfunction M.^run() end\nM.|run()"},
        {"global never set", "print(|undefined_name)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Queries queries(c.script);
        // Of two "^" the last counts: a global goes to its first assignment, not its first read.
        const std::size_t at = queries.script.expected;
        const NameDefinition definition = queries->Definition(queries.script.place);
        if (at == std::string::npos) {
            EXPECT_NE(definition.where, NameDefinition::Where::Script);
        } else {
            EXPECT_EQ(definition.where, NameDefinition::Where::Script);
            EXPECT_EQ(definition.start, at);
        }
    }
}

TEST(NameQueries, DefinitionOfLuasAndTarnsNames)
{
    Queries queries("print(1)\ntg_addcircle(1, 2, 3)\nstring.format('x')");
    EXPECT_EQ(queries->Definition(1).where, NameDefinition::Where::Library);
    const NameDefinition tarn = queries->Definition(12);
    EXPECT_EQ(tarn.where, NameDefinition::Where::Tarn);
    EXPECT_EQ(tarn.name, "tg_addcircle");
    EXPECT_GE(tarn.tarnRow, 0);
    EXPECT_EQ(queries->Definition(queries.script.text.find("format")).where, NameDefinition::Where::Library);
}

// Every use of the symbol at "|", and only those: marked by the start of each expected range.
TEST(NameQueries, OccurrencesAreTheSymbolsOwn)
{
    struct {
        const char *name;
        const char *script;
        std::vector<std::string> lines; // "start-end w" per occurrence, w for a write
    } const cases[] = {
        {"shadowed local", "local a = 1\ndo local a = 2 print(a) end\nprint(|a)", {"6-7 w", "46-47"}},
        {"inner local", "local a = 1\ndo local a = 2 print(|a) end\nprint(a)", {"21-22 w", "33-34"}},
        {"recursive local function", "local function f() return f() end\n|f()", {"15-16 w", "26-27", "34-35"}},
        {"global", "g = 1\nlocal function h(g) return g end\nprint(|g)", {"0-1 w", "45-46"}},
        {"field", "local M = {}\nfunction M.run() end\nM.|run()\nlocal N = {}\nN.run = 1", {"24-27 w", "36-39"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Queries queries(c.script);
        std::vector<std::string> got;
        for (const NameOccurrence &o : queries->Occurrences(queries.script.place))
            got.push_back(std::to_string(o.start) + "-" + std::to_string(o.end) + (o.write ? " w" : ""));
        EXPECT_EQ(got, c.lines);
    }
}

TEST(NameQueries, CompletionOffersNamesInScopeNearestFirst)
{
    Queries queries("local myhelper = 1\nlocal function outer(mya)\n  local myb = 2\n  return my|\nend\nmyglobal = 3");
    const NameCompletion completion = queries->Complete(queries.script.place);
    const std::vector<std::string> names = Names(completion);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"myb", "mya", "myhelper", "myglobal"}));
    EXPECT_EQ(completion.candidates[0].kind, NameKind::Local);
    EXPECT_EQ(completion.candidates[1].kind, NameKind::Parameter);
    EXPECT_EQ(completion.candidates[2].kind, NameKind::Upvalue);
    EXPECT_EQ(completion.candidates[3].kind, NameKind::Global);

    const auto namesAt = [](std::string_view script) {
        Queries at(script);
        return Names(at->Complete(at.script.place));
    };
    EXPECT_TRUE(Has(namesAt("local x = pri|"), "print"));
    EXPECT_TRUE(Has(namesAt("local x = tg_addci|"), "tg_addcircle"));
    EXPECT_TRUE(Has(namesAt("whi|"), "while"));
    // A local declared later, or in a block that has closed, is not offered.
    EXPECT_FALSE(Has(namesAt("do local later1 = 1 end\nprint(late|)\nlocal later2 = 1"), "later1"));
    EXPECT_FALSE(Has(namesAt("print(late|)\nlocal later2 = 1"), "later2"));
}

TEST(NameQueries, CompletionAfterAFieldOffersTheTablesFields)
{
    const auto complete = [](std::string_view script) {
        Queries queries(script);
        return queries->Complete(queries.script.place);
    };
    EXPECT_TRUE(Has(Names(complete("local s = string.fo|")), "format"));
    EXPECT_FALSE(Has(Names(complete("local s = string.fo|")), "print"));
    const NameCompletion own = complete("local M = {}\nfunction M.run() end\nM.x = 1\nM.|");
    EXPECT_EQ(Names(own), (std::vector<std::string>{"run", "x"}));
    EXPECT_EQ(own.candidates[0].kind, NameKind::Method);
    EXPECT_EQ(own.candidates[1].kind, NameKind::Field);
    EXPECT_EQ(Names(complete("local M = {}\nfunction M.run() end\nM.x = 1\nM:|")), std::vector<std::string>{"run"});
    EXPECT_TRUE(Has(Names(complete("local t = { alpha = 1 }\nt.|")), "alpha"));
    // A local named string is not Lua's table.
    EXPECT_FALSE(Has(Names(complete("local string = {}\nstring.fo|")), "format"));
}

TEST(NameQueries, NothingIsOfferedInCommentsStringsAndNumbers)
{
    for (const char *script : {"local myh = 1\n-- myh|", "local myh = 1\ns = \"myh|\"", "local myh = 1\ns = 'my|",
                               "local myh = 1\n--[[ my| ]]", "local myh = 1\nx = [==[\nmy|]==]", "x = 12|"}) {
        SCOPED_TRACE(script);
        Queries queries(script);
        EXPECT_TRUE(queries->Complete(queries.script.place).quiet);
    }
    Queries after("local myh = 1 -- note\ns = \"a\" .. my|");
    EXPECT_FALSE(after->Complete(after.script.place).quiet);
    EXPECT_TRUE(Has(Names(after->Complete(after.script.place)), "myh"));
}

TEST(NameQueries, CallSplitOverLinesKeepsItsActiveParameter)
{
    struct {
        const char *name;
        const char *script;
        const char *signature;
        int active;
        bool beyond;
    } const cases[] = {
        {"own function, second line", "local function helper(a, b) end\nhelper(1,\n  2|)", "helper(a, b)", 1, false},
        {"own function, too many", "local function helper(a, b) end\nhelper(1, 2,\n 3|)", "helper(a, b)", 1, true},
        {"vararg takes any number", "local function v(a, ...) end\nv(1, 2, 3|)", "v(a, ...)", 1, false},
        {"library", "print(string.format(\"%d\",\n  1|))", "string.format(formatstring, ...)", 1, false},
        {"method leaves self out", "local M = {}\nfunction M:step(dt) end\nM:step(|1)", "M:step(dt)", 0, false},
        {"field function defined after the call", "local M = {}\nlocal function go() M.run(1, |2) end\nfunction M.run(a, b) end",
         "M.run(a, b)", 1, false},
        {"tarn, third line", "tg_addcircle(1,\n 2,\n |3)", "tg_addcircle(cx, cy, radius, (maxsegdeg))", 2, false},
        {"being typed at the end", "local function helper(a, b) end\nhelper(1,\n  |", "helper(a, b)", 1, false},
        {"after an earlier mistake", "x = = 1\ntg_addcircle(f(1, 2), \"a,b\", -- c, d\n |", "tg_addcircle(cx, cy, radius, (maxsegdeg))", 2, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Queries queries(c.script);
        const CallSignature call = queries->CallAt(queries.script.place);
        ASSERT_TRUE(call.found);
        EXPECT_EQ(call.callee.signature, c.signature);
        EXPECT_EQ(call.activeParameter, c.active);
        EXPECT_EQ(call.beyondLast, c.beyond);
    }
}

TEST(NameQueries, DescribesOwnFunctionsFromTheirAnnotations)
{
    Queries queries("---@param width number\n---@param name? string\n---@return boolean\nlocal function box(width, "
                    "name) end\nbox|(1)");
    const NameDescription description = queries->Describe(queries.script.place);
    ASSERT_TRUE(description.found);
    EXPECT_EQ(description.kind, NameKind::LocalFunction);
    EXPECT_EQ(description.signature, "box(width, name)");
    ASSERT_EQ(description.parameters.size(), 2u);
    EXPECT_EQ(description.parameters[0].type, "number");
    EXPECT_TRUE(description.parameters[1].optional);
    EXPECT_EQ(description.returns, std::vector<std::string>{"boolean"});
    Queries library("string.upp|er('a')");
    EXPECT_FALSE(library->Describe(library.script.place).description.empty());
}

// Renaming the name at "|": to "a new name", edits at these starts, or refused with these words.
TEST(NameQueries, RenameRefusesWhatWouldChangeAMeaning)
{
    struct {
        const char *name;
        const char *script;
        const char *newName;
        const char *refusal; // empty: accepted
        int edits;
    } const cases[] = {
        {"plain local", "local |a = 1\nprint(a)", "c", "", 2},
        {"keyword", "local |a = 1", "end", "keywords", 0},
        {"not a name", "local |a = 1", "1x", "not a Lua name", 0},
        {"captured by a later local", "local |a = 1\nlocal b = 2\nprint(a, b)", "b", "would hide it on line 3", 0},
        {"captures an outer local", "local a = 1\nlocal |b = 2\nprint(a, b)", "a", "would hide the local \"a\"", 0},
        {"captures a global", "local |b = 2\nprint(g, b)", "g", "would hide the global \"g\"", 0},
        {"shadowing with no use is fine", "local a = 1\nprint(a)\nlocal |b = 2\nprint(b)", "a", "", 2},
        {"global into a local's scope", "g = 1\nlocal function f() local h = 1 return g end\nprint(|g)", "h",
         "would hide it on line 2", 0},
        {"global onto another global", "g = 1\nh = 2\nprint(|g)", "h", "already uses a global", 0},
        {"global onto Lua's", "g = 1\nreturn |g", "print", "Lua's own", 0},
        {"Lua's own function", "|print(1)", "show", "Lua's own", 0},
        {"Tarn's function", "|tg_addcircle(1, 2, 3)", "circle", "Tarn's", 0},
        {"self", "local M = {}\nfunction M:m() return |self end", "me", "self", 0},
        {"field", "local M = {}\nfunction M.|run() end\nM.run()", "go", "", 2},
        {"field onto a field", "local M = {}\nfunction M.|run() end\nM.go = 1", "go", "already has a field", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Queries queries(c.script);
        const RenameEdits result = queries->Rename(queries.script.place, c.newName);
        if (std::string_view(c.refusal).empty()) {
            EXPECT_TRUE(result.ok) << result.why;
            EXPECT_EQ(int(result.edits.size()), c.edits);
        } else {
            EXPECT_FALSE(result.ok);
            EXPECT_NE(result.why.find(c.refusal), std::string::npos) << result.why;
        }
    }
}

} // namespace
