#include "model/scriptmodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

using namespace luamodel;

namespace {

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The offset of the n-th whole-word occurrence of word in text (0-based).
std::size_t Occurrence(std::string_view text, std::string_view word, int n)
{
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const bool before = at > 0 && IsWordChar(text[at - 1]);
        const bool after = at + word.size() < text.size() && IsWordChar(text[at + word.size()]);
        if (!before && !after && n-- == 0)
            return at;
    }
    ADD_FAILURE() << "no occurrence of " << word;
    return 0;
}

// Where the use at the n-th occurrence of name leads: the occurrence number of its declaration,
// -1 for a global, -2 for an implicit `self`.
int Resolution(const Model &model, std::string_view text, std::string_view name, int n)
{
    const std::uint32_t use = model.UseAt(Occurrence(text, name, n));
    if (use == kNone)
        return -100;
    const SymbolRef symbol = model.SymbolOf(use);
    if (symbol.global)
        return -1;
    const Declaration &declaration = model.declarations[symbol.index];
    if (declaration.kind == DeclarationKind::Self)
        return -2;
    for (int i = 0;; ++i)
        if (Occurrence(text, name, i) == declaration.range.start.offset)
            return i;
}

struct ScopeCase {
    const char *script;
    const char *name;
    int use;         // which occurrence of name
    int declaration; // occurrence of the declaration it resolves to; -1 global, -2 self
};

class ScopingTest : public testing::TestWithParam<ScopeCase> {};

TEST_P(ScopingTest, ResolvesNameToItsDeclaration)
{
    const ScopeCase &c = GetParam();
    const Model model = BuildModel(c.script);
    EXPECT_TRUE(model.status.complete);
    EXPECT_EQ(Resolution(model, c.script, c.name, c.use), c.declaration) << c.script;
}

INSTANTIATE_TEST_SUITE_P(
    Lua, ScopingTest,
    testing::Values(
        // The right side of a local statement sees the names before it.
        ScopeCase{"local x = 1 local x = x", "x", 2, 0},
        ScopeCase{"local a, b = b, a", "b", 1, -1},
        ScopeCase{"local function f() end; local f = f", "f", 2, 0},
        // A local function sees itself; a function assigned to a local does not.
        ScopeCase{"local function f() return f() end", "f", 1, 0},
        ScopeCase{"local f = function() return f() end", "f", 1, -1},
        ScopeCase{"local function a() return b() end local function b() end", "b", 0, -1},
        // Loop variables live in the loop's body only; its limits see the outer names.
        ScopeCase{"for i = 1, 3 do print(i) end print(i)", "i", 1, 0},
        ScopeCase{"for i = 1, 3 do print(i) end print(i)", "i", 2, -1},
        ScopeCase{"local i = 10 for i = i, 20 do end", "i", 2, 0},
        ScopeCase{"for k, v in pairs(t) do print(k, v) end", "v", 1, 0},
        ScopeCase{"local t = {} for k, t in pairs(t) do end", "t", 2, 0},
        // The condition of `until` sees the body's locals, the code after it does not.
        ScopeCase{"repeat local y = 1 until y", "y", 1, 0},
        ScopeCase{"repeat local y = 1 until y print(y)", "y", 2, -1},
        ScopeCase{"while c do local w = 1 end print(w)", "w", 1, -1},
        ScopeCase{"if c then local z = 1 else print(z) end", "z", 1, -1},
        ScopeCase{"do local d = 1 end return d", "d", 1, -1},
        // Methods have `self`; functions do not.
        ScopeCase{"function M:run() return self end", "self", 0, -2},
        ScopeCase{"function M.run() return self end", "self", 0, -1},
        ScopeCase{"local self = 1 function M:run() return self end", "self", 1, -2},
        // Shadowing in nested functions, parameters, and a global of the same name.
        ScopeCase{"local a = 1 local function g() local a = 2 return a end return a", "a", 2, 1},
        ScopeCase{"local a = 1 local function g() local a = 2 return a end return a", "a", 3, 0},
        ScopeCase{"local p = 1 local function k(p) return p end", "p", 2, 1},
        ScopeCase{"local function h() return n end local n = 1 return n", "n", 0, -1},
        ScopeCase{"local function h() return n end local n = 1 return n", "n", 2, 1},
        ScopeCase{"local u = 1 function g() u = 2 end", "u", 1, 0},
        ScopeCase{"function f() end f()", "f", 1, -1},
        ScopeCase{"local t = {} function t.f() return t end", "t", 2, 0},
        ScopeCase{"local s = 1 local x = {s = s}", "s", 2, 0}));

const NameUse &UseOf(const Model &model, std::string_view text, std::string_view name, int n)
{
    static const NameUse none;
    const std::uint32_t use = model.UseAt(Occurrence(text, name, n));
    return use == kNone ? none : model.uses[use];
}

TEST(ScriptModel, RecordsEveryAccessOfALocalInOrder)
{
    const std::string text = "local x = 1\nx = 2\nprint(x)\nlocal y\nlocal function g() return x end\n";
    const Model model = BuildModel(text);
    const std::uint32_t x = model.Resolve("x", text.size());
    ASSERT_NE(x, kNone);
    const std::vector<std::uint32_t> uses = model.Occurrences({x, false});
    ASSERT_EQ(uses.size(), 4u);
    EXPECT_TRUE(model.uses[uses[0]].declaration && model.uses[uses[0]].hasValue);
    EXPECT_TRUE(model.uses[uses[1]].write && !model.uses[uses[1]].declaration);
    EXPECT_EQ(model.uses[uses[1]].range.start.line, 2u);
    EXPECT_FALSE(model.uses[uses[2]].write);
    EXPECT_EQ(model.uses[uses[2]].range.start.column, 7u);
    EXPECT_TRUE(model.uses[uses[3]].upvalue);
    EXPECT_TRUE(model.declarations[x].usedAsUpvalue);
    EXPECT_FALSE(UseOf(model, text, "y", 0).hasValue);
    // The assignment `x = 2` is the statement that writes it.
    ASSERT_NE(model.uses[uses[1]].assignment, kNone);
    EXPECT_EQ(model.assignments[model.uses[uses[1]].assignment].range.start.line, 2u);
}

TEST(ScriptModel, TellsWhatEachDeclarationHidesAndWhatEachFunctionIsAssignedTo)
{
    const std::string text = "local width = 1\nfor i = 1, 3 do local width = i end\n"
                             "local function helper(x) local x = x return x end\nfunction g(...) return ... end\n";
    const Model model = BuildModel(text);
    const Declaration &outer = model.declarations[0];
    const Declaration &inner = model.declarations[2];
    EXPECT_EQ(inner.name, "width");
    EXPECT_EQ(inner.shadows, 0u);
    EXPECT_EQ(outer.shadows, kNone);
    const std::uint32_t helper = model.Resolve("helper", text.size());
    ASSERT_NE(helper, kNone);
    EXPECT_EQ(model.declarations[helper].kind, DeclarationKind::LocalFunction);
    const std::vector<std::uint32_t> named = model.NamedFunctions();
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(model.functions[named[0]].symbol, helper);
    EXPECT_FALSE(model.functions[named[0]].symbolGlobal);
    EXPECT_EQ(model.functions[named[1]].symbol, model.FindGlobal("g"));
    EXPECT_TRUE(model.functions[named[1]].symbolGlobal);
    // `local x = x` hides the parameter; the vararg is a declaration its `...` uses resolve to.
    const std::uint32_t localX = model.UseAt(text.find("local x") + 6);
    EXPECT_EQ(model.declarations[model.uses[localX].symbol].kind, DeclarationKind::Local);
    EXPECT_EQ(model.declarations[model.declarations[model.uses[localX].symbol].shadows].kind, DeclarationKind::Parameter);
    const std::uint32_t vararg = model.functions[named[1]].varargDeclaration;
    ASSERT_NE(vararg, kNone);
    EXPECT_EQ(model.declarations[vararg].useCount, 2u);
    EXPECT_EQ(model.VisibleAt(text.rfind("...")).size(), 2u); // helper and width, no "..."
}

TEST(ScriptModel, TellsGlobalsReadSetAndMutated)
{
    const std::string text = "g.x = 1\nh = 1\nprint(k)\nh = 2\n";
    const Model model = BuildModel(text);
    const Global &g = model.globals[model.FindGlobal("g")];
    EXPECT_TRUE(g.mutated);
    EXPECT_FALSE(g.read);
    EXPECT_FALSE(g.set);
    const std::uint32_t h = model.FindGlobal("h");
    EXPECT_TRUE(model.globals[h].set && !model.globals[h].read);
    EXPECT_EQ(model.uses[model.DeclarationUse({h, true})].range.start.line, 2u);
    EXPECT_EQ(model.Occurrences({h, true}).size(), 2u);
    EXPECT_TRUE(model.globals[model.FindGlobal("k")].read);
    EXPECT_EQ(model.DeclarationUse({model.FindGlobal("k"), true}), kNone);
    EXPECT_EQ(model.FindGlobal("nobody"), kNone);
}

TEST(ScriptModel, KnowsTheFieldsATableIsGiven)
{
    const std::string text = "local M = {}\nfunction M.run() end\nM.x = 1\nfunction M:step() end\n"
                             "local t = { a = 1, b = function() end, [1] = 2 }\nG = { c = 1 }\nG.d.e = 2\n";
    const Model model = BuildModel(text);
    using Names = std::vector<std::string_view>;
    EXPECT_EQ(model.FieldsOf("M", text.size()), (Names{"run", "x", "step"}));
    EXPECT_EQ(model.FieldsOf("t", text.size()), (Names{"a", "b"}));
    EXPECT_EQ(model.FieldsOf("G", text.size()), (Names{"c", "d"}));
    EXPECT_TRUE(model.FieldsOf("M", 0).empty()); // M is not declared yet there, and no global M
}

TEST(ScriptModel, DescribesFunctionsWithTheirAnnotations)
{
    const std::string text = "---Adds.\n---@param x number\n---@param y? string the label\n---@return boolean\n"
                             "local function add(x, y) end\n"
                             "function a.b:c(...) end\n"
                             "M.new = function(p) local function inner() end end\n"
                             "local t = { f = function() end }\n";
    const Model model = BuildModel(text);
    const std::vector<std::uint32_t> named = model.NamedFunctions();
    ASSERT_EQ(named.size(), 4u);
    const Function &add = model.functions[named[0]];
    EXPECT_EQ(add.name, "add");
    EXPECT_EQ(add.kind, FunctionKind::Local);
    EXPECT_EQ(add.parameterCount, 2u);
    EXPECT_EQ(add.range.start.line, 5u);
    ASSERT_EQ(add.paramAnnotationCount, 2u);
    EXPECT_EQ(model.paramAnnotations[add.firstParamAnnotation].type, "number");
    EXPECT_TRUE(model.paramAnnotations[add.firstParamAnnotation + 1].optional);
    EXPECT_EQ(model.paramAnnotations[add.firstParamAnnotation + 1].type, "string");
    ASSERT_EQ(add.returnAnnotationCount, 1u);
    EXPECT_EQ(model.returnAnnotations[add.firstReturnAnnotation].type, "boolean");
    const Function &method = model.functions[named[1]];
    EXPECT_EQ(method.name, "a.b:c");
    EXPECT_EQ(method.kind, FunctionKind::Method);
    EXPECT_TRUE(method.vararg && method.method);
    EXPECT_EQ(method.parameterCount, 1u); // self
    EXPECT_EQ(method.paramAnnotationCount, 0u);
    const Function &constructor = model.functions[named[2]];
    EXPECT_EQ(constructor.name, "M.new");
    EXPECT_EQ(constructor.range.start.offset, text.find("M.new"));
    EXPECT_EQ(constructor.range.end, text.find("\nlocal t"));
    EXPECT_EQ(model.functions[named[3]].name, "inner");
    EXPECT_EQ(model.functions[named[3]].namedDepth, 1u);
    EXPECT_EQ(model.functions.back().kind, FunctionKind::Anonymous);
    EXPECT_NE(model.functions.back().field, kNone);
}

TEST(ScriptModel, DescribesCallsAndTheirArguments)
{
    const std::string text = "f(1, 's', nil, true, {}, function() end, x, -2)\ng(h())\nt.u:m 'x'\n"
                             "k(a,\n  b(c, d),\n  e)\n";
    const Model model = BuildModel(text);
    ASSERT_EQ(model.calls.size(), 6u);
    const Call &f = model.calls[0];
    EXPECT_TRUE(f.plainName && f.closed);
    ASSERT_EQ(f.argumentCount, 8u);
    const ValueType expected[] = {ValueType::Number, ValueType::String,   ValueType::Nil,     ValueType::Boolean,
                                  ValueType::Table,  ValueType::Function, ValueType::Unknown, ValueType::Number};
    for (std::uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(model.arguments[f.firstArgument + i].type, expected[i]) << i;
    EXPECT_TRUE(model.calls[1].moreMayFollow);
    const Call &m = model.calls[3];
    EXPECT_EQ(m.callee, "t.u:m");
    EXPECT_TRUE(m.method && !m.plainName);
    EXPECT_EQ(m.form, CallForm::String);
    EXPECT_EQ(m.argumentCount, 1u);
    // Signature help across lines: the argument index at each place of k's list.
    const CallAt inD = model.CallAround(text.find("d)"));
    EXPECT_EQ(model.calls[inD.call].callee, "b");
    EXPECT_EQ(inD.argument, 1u);
    const CallAt inE = model.CallAround(text.find("e)"));
    EXPECT_EQ(model.calls[inE.call].callee, "k");
    EXPECT_EQ(inE.argument, 2u);
    EXPECT_EQ(model.CallAround(text.find("g(")).call, kNone);
}

TEST(ScriptModel, FindsTheFunctionACallCalls)
{
    const std::string text = "local function helper(x) end\nhelper(1, 2)\n"
                             "function g() end g()\nfunction M.new(a, b) end M.new(1)\n"
                             "do local g = 1 g() end\nlater()\nfunction later() end\nunknown()\n"
                             "function twice() end twice() function twice(a) end twice()\n";
    const Model model = BuildModel(text);
    auto definitionOf = [&](std::string_view callee, int n) -> std::string {
        for (std::uint32_t i = 0; i < model.calls.size(); ++i)
            if (model.calls[i].callee == callee && n-- == 0) {
                const std::uint32_t function = model.DefinitionOf(i);
                return function == kNone ? "none" : std::to_string(model.functions[function].range.start.line) + ":" +
                                                        std::to_string(model.functions[function].parameterCount);
            }
        return "no call";
    };
    EXPECT_EQ(definitionOf("helper", 0), "1:1");
    EXPECT_EQ(definitionOf("g", 0), "3:0");
    EXPECT_EQ(definitionOf("M.new", 0), "4:2");
    EXPECT_EQ(definitionOf("g", 1), "none"); // a local g, not the function
    EXPECT_EQ(definitionOf("later", 0), "7:0");
    EXPECT_EQ(definitionOf("unknown", 0), "none");
    EXPECT_EQ(definitionOf("twice", 0), "9:0");
    EXPECT_EQ(definitionOf("twice", 1), "9:1");
}

TEST(ScriptModel, FindsTheCallBeingWrittenAroundTheCaret)
{
    struct Case {
        const char *text; // "|" marks the caret
        const char *callee;
        std::uint32_t argument;
    };
    const Case cases[] = {
        {"f(a, |", "f", 1},
        {"f(a,\n  g(b, |", "g", 1},
        {"f(a, g(b), |", "f", 2},
        {"f(function() g(|) end, x)", "g", 0},
        {"f(function() x = | end, y)", "", 0},
        {"f(function() end, |)", "f", 1},
        {"t:m(1, 2, |3)", "t:m", 2},
        {"f(1)|", "", 0},
        {"local x = f(1,\n| \n", "f", 1},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        const std::size_t caret = text.find('|');
        text.erase(caret, 1);
        const Model model = BuildModel(text);
        const CallAt at = model.CallAround(caret);
        EXPECT_EQ(at.call == kNone ? std::string_view() : model.calls[at.call].callee, c.callee) << c.text;
        EXPECT_EQ(at.argument, c.argument) << c.text;
    }
}

TEST(ScriptModel, RecordsStatementsTheWarningsLookAt)
{
    const std::string text = "local a, b = 1\na, b = f()\nx, y = 1, 2, 3\n"
                             "do end\nif c then else x() end\nif c then x() elseif d then end\n"
                             "do return end\nprint(1)\nwhile true do end\nprint(2)\n";
    const Model model = BuildModel(text);
    ASSERT_EQ(model.assignments.size(), 3u);
    EXPECT_TRUE(model.assignments[0].isLocal);
    EXPECT_EQ(model.assignments[0].names, 2u);
    EXPECT_EQ(model.assignments[0].values, 1u);
    EXPECT_TRUE(model.assignments[1].lastValueMulti);
    EXPECT_EQ(model.assignments[2].values, 3u);
    ASSERT_EQ(model.emptyBlocks.size(), 3u);
    EXPECT_EQ(model.emptyBlocks[0].kind, EmptyKind::Do);
    EXPECT_EQ(model.emptyBlocks[1].kind, EmptyKind::Then);
    EXPECT_EQ(model.emptyBlocks[1].keyword.line, 5u);
    EXPECT_EQ(model.emptyBlocks[2].kind, EmptyKind::ElseIf);
    ASSERT_EQ(model.unreachable.size(), 1u);
    EXPECT_EQ(model.unreachable[0].statement.line, 8u);
    EXPECT_EQ(model.unreachable[0].exit.line, 7u);
}

TEST(ScriptModel, KeepsWhatItReadBeforeABrokenStatement)
{
    struct Case {
        const char *text;
        std::vector<std::string_view> visibleAtEnd;
    };
    const Case cases[] = {
        {"local alpha = 1\nlocal function beta(p)\n  local gamma = p\n  gamma.", {"gamma", "p", "beta", "alpha"}},
        {"local alpha = 1\nprint(alpha", {"alpha"}},
        {"local alpha = 1\nlocal beta = ", {"alpha"}},
        {"local alpha = 1\nfor i = 1, 10 do\n  local x = i +", {"i", "alpha"}},
        // An unfinished string ends at its line, as the compiler's message says.
        {"local alpha = 'unfinished\n", {"alpha"}},
        {"local t = {\n  a = 1,\n  b = ", {}},
        // A broken statement in the middle: the names after it are still read.
        {"local a = 1\nlocal b = = 2\nlocal c = 3\n", {"c", "a"}},
        {"local a = 1\nf(a,\nlocal c = 3\n", {"c", "a"}},
        {"local function f(p)\n  p.\nend\nlocal c = 3\n", {"c", "f"}},
        {"local a = 1\nif a then\n  local b = a +\nend\nlocal c\n", {"c", "a"}},
        {"x = ) ] } end until\nlocal c\n", {"c"}},
    };
    for (const Case &c : cases) {
        const std::string_view text = c.text;
        const Model model = BuildModel(text);
        EXPECT_FALSE(model.status.complete) << text;
        std::vector<std::string_view> names;
        for (const std::uint32_t declaration : model.VisibleAt(text.size()))
            names.push_back(model.declarations[declaration].name);
        EXPECT_EQ(names, c.visibleAtEnd) << text;
    }
}

TEST(ScriptModel, StopsAtTheNestingBoundWithoutRecursingFurther)
{
    struct Nesting {
        const char *prefix, *open, *middle, *close;
        int luaAccepts; // the deepest nesting luac5.1 -p accepts
    };
    const Nesting nestings[] = {
        {"", "do ", "", "end ", 197},
        {"x = ", "(", "1", ")", 197},
        {"x = ", "{", "", "}", 198},
        {"x = ", "f(", "", ")", 198},
        {"x = ", "function() return ", "1", " end", 98},
        {"", "if x then ", "", " end", 198},
    };
    auto nest = [](const Nesting &n, int depth, bool closed) {
        std::string text = n.prefix;
        for (int i = 0; i < depth; ++i)
            text += n.open;
        text += n.middle;
        for (int i = 0; closed && i < depth; ++i)
            text += n.close;
        return text;
    };
    for (const Nesting &n : nestings) {
        const Model deep = BuildModel(nest(n, 1000000, false));
        EXPECT_FALSE(deep.status.complete) << n.open;
        EXPECT_TRUE(deep.status.tooDeep) << n.open;
        EXPECT_TRUE(BuildModel(nest(n, n.luaAccepts, true)).status.complete) << n.open;
    }
}

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// What the compiler's listing (luac5.1 -l -l) says of a file: "GET name" / "SET name" with
// their counts (every read of a global is a GETGLOBAL, every assignment a SETGLOBAL), and per
// function, in the listing's order, its locals in order and its upvalues.
struct Listing {
    std::map<std::string, int> globals;
    std::vector<std::string> functions; // "local local ... | upvalue upvalue ..."
};

std::string Words(const std::vector<std::string> &locals, const std::set<std::string> &upvalues)
{
    std::string out;
    for (const std::string &name : locals)
        out += name + " ";
    out += "|";
    for (const std::string &name : upvalues)
        out += " " + name;
    return out;
}

Listing CompiledListing(const std::string &path)
{
    Listing listing;
    FILE *output = popen(("luac5.1 -l -l -p '" + path + "' 2>/dev/null").c_str(), "r");
    if (!output)
        return listing;
    std::vector<std::string> locals;
    std::set<std::string> upvalues;
    bool any = false;
    std::string section;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, output)) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.starts_with("main <") || line.starts_with("function <")) {
            if (any)
                listing.functions.push_back(Words(locals, upvalues));
            any = true;
            locals.clear();
            upvalues.clear();
            section.clear();
            continue;
        }
        if (line.starts_with("constants (") || line.starts_with("locals (") || line.starts_with("upvalues (")) {
            section = line.substr(0, line.find(' '));
            continue;
        }
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        const bool numbered = !first.empty() && std::isdigit(static_cast<unsigned char>(first[0]));
        if (section == "locals" && numbered && !second.starts_with("("))
            locals.push_back(second);
        else if (section == "upvalues" && numbered)
            upvalues.insert(second);
        else if (section.empty()) {
            const bool get = line.find("GETGLOBAL") != std::string::npos;
            const bool set = line.find("SETGLOBAL") != std::string::npos;
            const std::size_t name = line.rfind("; ");
            if ((get || set) && name != std::string::npos)
                ++listing.globals[(get ? "GET " : "SET ") + line.substr(name + 2)];
        }
    }
    if (any)
        listing.functions.push_back(Words(locals, upvalues));
    pclose(output);
    return listing;
}

// The same from the model. Lua 5.1 gives a vararg function a local "arg" after its parameters,
// and makes a name an upvalue of every function between its use and its declaration.
Listing ModelListing(const Model &model)
{
    Listing listing;
    std::vector<std::vector<std::string>> locals(model.functions.size());
    std::vector<std::set<std::string>> upvalues(model.functions.size());
    for (const Declaration &declaration : model.declarations)
        if (declaration.kind != DeclarationKind::Vararg)
            locals[declaration.function].emplace_back(declaration.name);
    for (std::size_t f = 1; f < model.functions.size(); ++f)
        if (model.functions[f].vararg)
            locals[f].insert(locals[f].begin() + model.functions[f].parameterCount, "arg");
    for (const NameUse &use : model.uses) {
        if (use.global) {
            ++listing.globals[(use.write ? "SET " : "GET ") + std::string(model.globals[use.symbol].name)];
            continue;
        }
        const std::uint32_t declared = model.declarations[use.symbol].function;
        for (std::uint32_t f = use.function; use.upvalue && f != declared && f != kNone; f = model.functions[f].parent)
            upvalues[f].emplace(model.declarations[use.symbol].name);
    }
    for (std::size_t f = 0; f < model.functions.size(); ++f)
        listing.functions.push_back(Words(locals[f], upvalues[f]));
    return listing;
}

// Every .lua file under the Lua library folder that luac5.1 accepts is read to its end, and its
// globals, each function's locals and upvalues are exactly the compiler's: a name resolved to
// the wrong scope shows as a global, local or upvalue too many or too few.
TEST(ScriptModel, ReadsEveryLibraryFileAsTheCompilerDoes)
{
    const std::filesystem::path folder = "/usr/share/lua/5.1";
    if (!std::filesystem::is_directory(folder) || std::system("luac5.1 -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no Lua library files or no luac5.1 here";
    int read = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".lua")
            continue;
        const std::string path = entry.path().string();
        if (path.find('\'') != std::string::npos)
            continue;
        if (std::system(("luac5.1 -p '" + path + "' >/dev/null 2>&1").c_str()) != 0)
            continue;
        const std::string text = ReadAll(path);
        const Model model = BuildModel(text);
        EXPECT_TRUE(model.status.complete) << path << ":" << model.status.stoppedAt.line << ":"
                                           << model.status.stoppedAt.column;
        const Listing compiled = CompiledListing(path);
        const Listing modelled = ModelListing(model);
        EXPECT_EQ(modelled.globals, compiled.globals) << path;
        EXPECT_EQ(modelled.functions, compiled.functions) << path;
        ++read;
    }
    EXPECT_GT(read, 0);
}

} // namespace
