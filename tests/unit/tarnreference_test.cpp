// Tarn's reference: reading definition files (what is read, what is reported with its line),
// writing them back as Lua that other editors load, and the reference built in.
#include "app/defaulttexts.h"
#include "check/luasyntax.h"
#include "reference/docstore.h"
#include "reference/tarnreference.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <optional>
#include <sstream>

namespace {

// One page as compact text: "name(p1?: type 'desc', ...) -> type 'desc', ... [deprecated: x]
// [see: a, b] | description lines joined by '/'".
std::string Describe(const FunctionDoc &doc)
{
    std::ostringstream out;
    out << doc.name << '(';
    for (std::size_t i = 0; i < doc.params.size(); ++i) {
        const ParamDoc &p = doc.params[i];
        out << (i ? ", " : "") << p.name << (p.optional ? "?" : "") << ": " << p.type;
        if (!p.description.empty())
            out << " '" << p.description << '\'';
        if (!p.allowedStrings.empty()) {
            out << " {";
            for (const std::string_view &s : p.allowedStrings)
                out << s << (&s == &p.allowedStrings.back() ? "" : ",");
            out << '}';
        }
    }
    out << ')';
    for (std::size_t i = 0; i < doc.returns.size(); ++i)
        out << (i ? ", " : " -> ") << doc.returns[i].type << " '" << doc.returns[i].description << '\'';
    if (doc.deprecated)
        out << " [deprecated: " << doc.deprecation << ']';
    for (const std::string_view see : doc.see)
        out << " [see: " << see << ']';
    if (!doc.description.empty()) {
        out << " |";
        for (std::size_t i = 0; i < doc.description.size(); ++i)
            out << (i ? "/" : " ") << doc.description[i];
    }
    return out.str();
}

// Every page, one a line, then every problem as "line N: message".
std::string DescribeRead(const ReferenceRead &read)
{
    std::string out;
    for (const FunctionDoc &doc : read.reference.Functions())
        out += Describe(doc) + '\n';
    for (const ReferenceProblem &problem : read.problems)
        out += "line " + std::to_string(problem.line) + ": " + problem.message + '\n';
    return out;
}

struct ReadCase {
    const char *name;
    const char *text;
    const char *expected;
};

class DefinitionRead : public testing::TestWithParam<ReadCase> {};

TEST_P(DefinitionRead, ReadsPagesAndReportsBadLines)
{
    EXPECT_EQ(DescribeRead(ReadDefinitionFile(GetParam().text)), GetParam().expected);
}

const ReadCase kReadCases[] = {
    {"Plain",
     "---@meta\n\n--- Adds a point.\n---@param x number X, in metres\n---@param y number\nfunction tg_addpoint(x, y) end\n",
     "tg_addpoint(x: number 'X, in metres', y: number) | Adds a point.\n"},
    {"OptionalAndUndocumentedParameters",
     "---@param default? number Start value\nfunction askvalue(prompt, default) end\n",
     "askvalue(prompt: , default?: number 'Start value')\n"},
    {"FixedStringsWithBlanksAndNil",
     "---@param mode \"head\" | 'flux'|\"none\"|nil Kind\nfunction tg_setbc(node, mode) end\n",
     "tg_setbc(node: , mode: \"head\" | 'flux'|\"none\"|nil 'Kind' {head,flux,none})\n"},
    {"MixedUnionIsNoFixedSet",
     "---@param mode \"head\"|integer\nfunction f(mode) end\n",
     "f(mode: \"head\"|integer)\n"},
    {"ComplexTypes",
     "---@param t table<string, number> Values\n---@param cb fun(x: number): boolean # Called back\n"
     "---@param list integer[]?\nfunction f(t, cb, list) end\n",
     "f(t: table<string, number> 'Values', cb: fun(x: number): boolean 'Called back', list: integer[]?)\n"},
    {"SeveralReturns",
     "---@return number # x of the node\n---@return number y\n---@return integer a, string b # both\nfunction f() end\n",
     "f() -> number 'x of the node', number 'y', integer 'a', string 'b # both'\n"},
    {"DeprecatedAndSee",
     "---@deprecated use tg_new\n---@see tg_new\n---@see tg_other and more\nfunction tg_old() end\n"
     "---@deprecated\nfunction g() end\n",
     "tg_old() [deprecated: use tg_new] [see: tg_new] [see: tg_other and more]\ng() [deprecated: ]\n"},
    {"MarkdownDescription",
     "--- **Bold** start.\n---\n---   indented `code`\n--- - item\nfunction f() end\n",
     "f() | **Bold** start.//  indented `code`/- item\n"},
    {"OtherAnnotationsAndCommentsAreSkipped",
     "---@meta\n---@class Point\n---@field x number\n-- a comment\n---@alias Mode\n---| \"a\"\n"
     "--------------\nlocal x = 1\n--- Doc.\n---@nodiscard\nfunction f() end\n",
     "f() | Doc.\n"},
    {"CrLfAndByteOrderMark",
     "\xEF\xBB\xBF---@meta\r\n--- Doc.\r\n---@param a string Text\r\nfunction f(a) end\r\n",
     "f(a: string 'Text') | Doc.\n"},
    {"LaterPageReplacesEarlier",
     "--- One.\nfunction f() end\n--- Two.\nfunction f(a) end\n",
     "f(a: ) | Two.\n"},
    {"BadLinesWithTheirNumbers",
     "---@meta\n"                               // 1
     "---@param x\n"                            // 2: no type
     "---@param 1x number\n"                    // 3: not a name
     "---@param y \"open\n"                     // 4: unclosed string
     "---@return\n"                             // 5: no type
     "---@see\n"                                // 6: names nothing
     "---@param z number\n"                     // 7: not a parameter of f
     "---@paramx number\n"                      // 8: skipped: another annotation
     "---@ foo\n"                               // 9: no name
     "function f(a) end\n"                      // 10
     "---@param q number\n"                     // 11: no function follows
     "\n"                                       // 12
     "function g(a, , b) end\n"                 // 13: bad parameters
     "---@param a number\n"                     // 14
     "function h(a) end\n",                     // 15: still read
     "f(a: )\nh(a: number)\n"
     "line 2: parameter x has no type\n"
     "line 3: \"---@param\" needs a parameter name\n"
     "line 4: the type of parameter y cannot be read\n"
     "line 5: \"---@return\" needs a type\n"
     "line 6: \"---@see\" names nothing\n"
     "line 9: an annotation without a name after \"---@\"\n"
     "line 7: z is not a parameter of f\n"
     "line 11: annotations that no function line follows\n"
     "line 13: the parameters of g cannot be read\n"},
    {"DuplicateParameter",
     "---@param a number\n---@param a string\nfunction f(a) end\n",
     "f(a: number)\nline 2: parameter a is documented twice\n"},
    {"ParametersInAnotherOrder",
     "---@param b string B\n---@param a number A\nfunction f(a, b) end\n",
     "f(a: number 'A', b: string 'B')\n"},
    // Each function's pages come from its own block, however the blocks before it were laid out.
    {"BlocksOneAfterAnother",
     "---@param a number\nfunction f(a) end\nfunction g(b) end\n"
     "---@param c number\n---@return boolean\n  ---@param d integer\nfunction h(c, d) end\n"
     "---@param e number\n---@param f number\nfunction k(e) end\n---@param x number\nfunction m(x, y) end\n",
     "f(a: number)\ng(b: )\nh(c: number, d: integer) -> boolean ''\nk(e: number)\nm(x: number, y: )\n"
     "line 9: f is not a parameter of k\n"},
    {"AnnotationsAtTheEnd", "function f() end\n---@return number", "f()\nline 2: annotations that no function line follows\n"},
};

INSTANTIATE_TEST_SUITE_P(Snippets, DefinitionRead, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });

// A type of function types within each other, as deep as a hostile file makes it, is refused
// with its line, and the reading goes on; as deep as a person writes one, it is read.
TEST(DefinitionRead, TypesNestedBeyondReasonAreReportedNotFollowed)
{
    auto chain = [](int levels) {
        std::string type;
        for (int i = 0; i < levels; ++i)
            type += "fun(): ";
        return type + "number";
    };
    const std::string text = "---@param x " + chain(200000) + "\nfunction f(x) end\n---@return " +
                             std::string(200000, '(') + "():" + "\nfunction g() end\n---@param y " + chain(100) +
                             "\nfunction h(y) end\n---@return " + chain(101) + "\nfunction k() end\n";
    const ReferenceRead read = ReadDefinitionFile(text);
    EXPECT_EQ(read.problems,
              (std::vector<ReferenceProblem>{{1, "the type of parameter x holds more than 100 function types within each other"},
                                             {3, "the type of a return value cannot be read"},
                                             {7, "the type of a return value holds more than 100 function types within each other"}}));
    ASSERT_NE(read.reference.Find("h"), nullptr);
    EXPECT_EQ(read.reference.Find("h")->params[0].type, chain(100));
    EXPECT_NE(read.reference.Find("k"), nullptr);
}

TEST(DefinitionRead, FunctionLinesGiveWhereEachFunctionStands)
{
    const ReferenceRead read = ReadDefinitionFile("---@meta\n\nfunction a() end\n--- x\nfunction b.c(d) end\n");
    using Lines = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(read.functionLines, (Lines{{"a", 3}, {"b.c", 5}}));
}

// Every page of a reference, one a line, as DescribeRead gives them.
std::string DescribePages(const TarnReference &reference)
{
    std::string out;
    for (const FunctionDoc &doc : reference.Functions())
        out += Describe(doc) + '\n';
    return out;
}

// Short texts on purpose: a short std::string keeps its text inside the object, so a page that
// pointed into a moved string would lose it at once.
constexpr std::string_view kStoredText = "---@meta\n--- Sets a condition.\n---\n--- More.\n---@param n integer Node\n"
                                         "---@param mode? \"head\"|\"flux\" How\n---@return boolean ok\n---@deprecated use b\n"
                                         "---@see b\nfunction a(n, mode) end\n\nfunction b() end\n";

struct HandOver {
    const char *name;
    // Reads text, spoils it, and hands the reference on as a program might.
    TarnReference (*hand)(std::string &text);
};

TarnReference Spoiled(std::string &text, TarnReference reference)
{
    std::fill(text.begin(), text.end(), '#');
    return reference;
}

const HandOver kHandOvers[] = {
    {"MovedOutOfTheRead", [](std::string &text) { return Spoiled(text, std::move(ReadDefinitionFile(text).reference)); }},
    {"MoveAssigned",
     [](std::string &text) {
         TarnReference reference;
         reference.Add({"old", {"Gone."}, {}, {}, false, {}, {}});
         reference = ReadDefinitionFile(text).reference;
         return Spoiled(text, std::move(reference));
     }},
    {"CopiedFromAReadThatIsGone",
     [](std::string &text) {
         std::optional<ReferenceRead> read = ReadDefinitionFile(text);
         const TarnReference copy(read->reference);
         read.reset();
         return Spoiled(text, copy);
     }},
    {"CopyAssigned",
     [](std::string &text) {
         TarnReference copy;
         copy.Add({"old", {"Gone."}, {}, {}, false, {}, {}});
         {
             const ReferenceRead read = ReadDefinitionFile(text);
             copy = read.reference;
         }
         return Spoiled(text, copy);
     }},
    {"TakenPageByPageFromAReferenceThatIsGone",
     [](std::string &text) {
         TarnReference taken;
         {
             const ReferenceRead read = ReadDefinitionFile(text);
             for (const FunctionDoc &page : read.reference.Functions())
                 taken.AddPage(page);
         }
         return Spoiled(text, std::move(taken));
     }},
};

class ReferenceHandOver : public testing::TestWithParam<HandOver> {};

// The pages live in the reference's own storage: they stay whole when the text they were read
// from is gone, and follow the reference wherever it is moved or copied.
TEST_P(ReferenceHandOver, PagesStayWhole)
{
    const std::string expected = DescribePages(ReadDefinitionFile(kStoredText).reference);
    ASSERT_EQ(expected, "a(n: integer 'Node', mode?: \"head\"|\"flux\" 'How' {head,flux}) -> boolean 'ok' "
                        "[deprecated: use b] [see: b] | Sets a condition.//More.\nb()\n");
    std::string text(kStoredText);
    const TarnReference reference = GetParam().hand(text);
    EXPECT_EQ(DescribePages(reference), expected);
    ASSERT_NE(reference.Find("a"), nullptr);
    EXPECT_EQ(reference.Find("a")->params[1].allowedStrings[1], "flux");
    EXPECT_EQ(reference.Find("old"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Ways, ReferenceHandOver, testing::ValuesIn(kHandOvers),
                         [](const testing::TestParamInfo<HandOver> &info) { return std::string(info.param.name); });

// What is added to a reference after it was moved from does not land in the storage it gave
// away.
TEST(ReferenceHandOver, AMovedFromReferenceStartsAfresh)
{
    TarnReference first;
    first.Add({"a", {"First."}, {{"x", "number", "X", false, {}}}, {}, false, {}, {}});
    TarnReference second = std::move(first);
    first.Add({"f", {std::string(100, 'z')}, {}, {}, false, {}, {}});
    second.Add({"g", {std::string(100, 'y')}, {}, {}, false, {}, {}});
    EXPECT_EQ(DescribePages(first), "f() | " + std::string(100, 'z') + '\n');
    EXPECT_EQ(DescribePages(second), "a(x: number 'X') | First.\ng() | " + std::string(100, 'y') + '\n');
}

// Texts and lists of every size keep their bytes and their alignment across the store's blocks:
// the one reserved ahead, the ones it grows by after it, one bigger than any block.
TEST(DocStoreTest, KeepsTextsAndListsAcrossBlocks)
{
    DocStore store;
    store.Reserve(5000);
    std::vector<std::pair<std::string, std::string_view>> texts;
    std::vector<std::pair<std::vector<double>, const double *>> lists;
    for (int i = 0; i < 3000; ++i) {
        std::string text(std::size_t(i % 301), char('a' + i % 26));
        const std::string_view keptText = store.Keep(text);
        texts.emplace_back(std::move(text), keptText);
        std::vector<double> list(std::size_t(i % 7), i * 0.5);
        double *keptList = store.Array<double>(list.size());
        std::copy(list.begin(), list.end(), keptList);
        lists.emplace_back(std::move(list), keptList);
    }
    const std::string big(3 << 20, 'B');
    const std::string_view keptBig = store.Keep(big);
    const DocStore moved = std::move(store);
    EXPECT_EQ(keptBig, big);
    for (const auto &[text, kept] : texts)
        ASSERT_EQ(kept, text);
    for (const auto &[list, kept] : lists) {
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(kept) % alignof(double), 0u);
        ASSERT_TRUE(std::equal(list.begin(), list.end(), kept));
    }
}

FunctionTable Table(std::string_view text)
{
    FunctionTable table;
    table.ParseText(text);
    table.SortByName();
    return table;
}

TEST(DefinitionWrite, BuiltInTableAndReferenceReadBackUnchanged)
{
    const std::string written = WriteDefinitionFile(Table(DefaultFunctionsText()), BuiltInReference());
    EXPECT_FALSE(CheckLuaSyntax(written).has_value()) << CheckLuaSyntax(written)->message;
    const ReferenceRead read = ReadDefinitionFile(written);
    EXPECT_TRUE(read.problems.empty()) << DescribeRead(read);
    EXPECT_EQ(read.reference.Functions(), BuiltInReference().Functions());
}

// Whatever the table holds, the file is Lua and reads back without a problem.
TEST(DefinitionWrite, AwkwardTableEntriesStillMakeLua)
{
    const FunctionTable table = Table("f end x-y 2nd ... last\r\nmy-func a\r\ng \"s\" (o) (\"so\")\r\nf dup\r\n");
    TarnReference reference;
    reference.Add({"g", {"Line one\nline two", ""}, {{"s", "string", "Text\nmore", false, {}}}, {{"", "x\ny"}}, true, "", {}});
    const std::string written = WriteDefinitionFile(table, reference);
    const auto error = CheckLuaSyntax(written);
    EXPECT_FALSE(error.has_value()) << error->line << ": " << error->message << "\n" << written;
    const ReferenceRead read = ReadDefinitionFile(written);
    EXPECT_TRUE(read.problems.empty()) << DescribeRead(read);
    EXPECT_EQ(DescribeRead(read),
              "f(_end: any, x_y: any, _2nd: any, _: any, last: any)\n"
              "g(s: string 'Text more', o?: any, so?: string) -> any 'x y' [deprecated: ] | Line one/line two/\n");
    EXPECT_NE(written.find("-- my-func is not a Lua name"), std::string::npos);
}

TEST(BuiltInReference, DocumentsEveryBuiltInFunctionAsTheTableNamesItsParameters)
{
    const FunctionTable table = Table(DefaultFunctionsText());
    const TarnReference &reference = BuiltInReference();
    ASSERT_TRUE(ReadDefinitionFile(BuiltInReferenceText()).problems.empty());
    EXPECT_EQ(reference.Functions().size(), std::size_t(table.GetSize()));
    for (const TableRow &row : table.Rows()) {
        const FunctionDoc *doc = reference.Find(row[0]);
        ASSERT_NE(doc, nullptr) << row[0];
        EXPECT_EQ(doc->description.size(), 1u) << row[0];
        ASSERT_EQ(doc->params.size(), row.size() - 1) << row[0];
        for (std::size_t i = 1; i < row.size(); ++i) {
            const ParamDoc &param = doc->params[i - 1];
            EXPECT_EQ(param.name, BareParameterName(row[i])) << row[0];
            EXPECT_EQ(param.optional, IsOptionalParameter(row[i])) << row[0] << ' ' << param.name;
            const bool takesString = param.type == "string" || !param.allowedStrings.empty();
            EXPECT_EQ(takesString, IsStringParameter(row[i])) << row[0] << ' ' << param.name;
            EXPECT_FALSE(param.description.empty()) << row[0] << ' ' << param.name;
        }
    }
    const FunctionDoc *old = reference.Find("tm_addpointsource");
    ASSERT_NE(old, nullptr);
    EXPECT_TRUE(old->deprecated);
    EXPECT_EQ(old->deprecation, "use tm_addwell");
    const DocList<std::string_view> allowed = reference.Find("tm_setanalysis")->params[0].allowedStrings;
    EXPECT_EQ(std::vector<std::string_view>(allowed.begin(), allowed.end()),
              (std::vector<std::string_view>{"steady", "transient"}));
}

TEST(ReferenceHelpers, SignatureAndParameterMarks)
{
    EXPECT_EQ(SignatureOf({"tg_setbc", "node", "\"mode\"", "(value)"}), "tg_setbc(node, \"mode\", (value))");
    EXPECT_EQ(SignatureOf({"tg_clearall"}), "tg_clearall()");
    EXPECT_EQ(BareParameterName("(\"mode\")"), "mode");
    EXPECT_TRUE(IsOptionalParameter("(\"mode\")"));
    EXPECT_TRUE(IsStringParameter("(\"mode\")"));
    EXPECT_FALSE(IsStringParameter("(mode)"));
    EXPECT_FALSE(IsOptionalParameter("mode"));
}

class LoadReferenceTest : public testing::Test {
protected:
    QString IniPath() const { return m_dir.filePath(QStringLiteral("Scriba.ini")); }
    void WriteBeside(const QByteArray &bytes)
    {
        QFile file(ReferencePathBeside(IniPath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir m_dir;
};

TEST_F(LoadReferenceTest, WithoutAFileTheBuiltInOneIsUsed)
{
    EXPECT_EQ(ReferencePathBeside(IniPath()), m_dir.filePath(QStringLiteral("Tarn.d.lua")));
    QString cause;
    std::vector<ReferenceProblem> problems;
    EXPECT_EQ(LoadReference(IniPath(), &problems, &cause).Functions(), BuiltInReference().Functions());
    EXPECT_TRUE(cause.isEmpty());
    EXPECT_TRUE(problems.empty());
}

TEST_F(LoadReferenceTest, TheFileBesideReplacesTheBuiltInOneAndReportsItsBadLines)
{
    WriteBeside("---@meta\n--- Mine.\nfunction tg_mine() end\n---@return\nfunction x() end\n");
    QString cause;
    std::vector<ReferenceProblem> problems;
    const TarnReference reference = LoadReference(IniPath(), &problems, &cause);
    EXPECT_TRUE(cause.isEmpty());
    EXPECT_EQ(problems, (std::vector<ReferenceProblem>{{4, "\"---@return\" needs a type"}}));
    EXPECT_NE(reference.Find("tg_mine"), nullptr);
    EXPECT_EQ(reference.Find("tg_addpoint"), nullptr);
}

// Lines the reader has no use for are still reported when they are no Lua, and so are pages of
// functions the table does not hold: both were passed over without a word.
TEST_F(LoadReferenceTest, ALineThatIsNoLuaAndAFunctionTheTableLacksAreReported)
{
    WriteBeside("---@meta\n--- Mine.\nfunction tg_mine() end\n---@return\nfunction x() end\n"
                "this line is no Lua\nfunction tg_addpoint(x, y) end\n");
    LoadedReference loaded = ReadReferenceFile(ReferencePathBeside(IniPath()));
    EXPECT_TRUE(loaded.cause.isEmpty());
    FunctionTable table;
    table.Add({"tg_addpoint", "x", "y"});
    table.Add({"x"});
    ReportFunctionsNotIn(table, loaded);
    EXPECT_EQ(loaded.problems,
              (std::vector<ReferenceProblem>{{3, "tg_mine is not in the function table, so its page is not used"},
                                             {4, "\"---@return\" needs a type"},
                                             {6, "this is not Lua: '=' expected near 'line'"}}));
    EXPECT_NE(loaded.reference.Find("tg_addpoint"), nullptr) << "the rest is still read";
}

TEST_F(LoadReferenceTest, ABinaryOrUnreadableFileKeepsTheBuiltInOneAndSaysWhy)
{
    WriteBeside(QByteArray("-\0-\0", 4));
    QString cause;
    EXPECT_NE(LoadReference(IniPath(), nullptr, &cause).Find("tg_addpoint"), nullptr);
    EXPECT_TRUE(cause.contains(QStringLiteral("not a plain text file"))) << cause.toStdString();

    QFile::remove(ReferencePathBeside(IniPath()));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("Tarn.d.lua")));
    cause.clear();
    EXPECT_NE(LoadReference(IniPath(), nullptr, &cause).Find("tg_addpoint"), nullptr);
    EXPECT_FALSE(cause.isEmpty());
}

} // namespace
