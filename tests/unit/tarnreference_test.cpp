// Tarn's reference: reading definition files (what is read, what is reported with its line),
// writing them back as Lua that other editors load, and the reference built in.
#include "app/defaulttexts.h"
#include "check/luasyntax.h"
#include "reference/tarnreference.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

TEST(DefinitionRead, FunctionLinesGiveWhereEachFunctionStands)
{
    const ReferenceRead read = ReadDefinitionFile("---@meta\n\nfunction a() end\n--- x\nfunction b.c(d) end\n");
    using Lines = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(read.functionLines, (Lines{{"a", 3}, {"b.c", 5}}));
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
