// What the Preferences editors let into the tables: the length limit of an entry, and the import
// of a shared function list.
#include "app/initext.h"
#include "prefs/entryrules.h"
#include "prefs/functionimport.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case> &info)
{
    return info.param.name;
}

CScribaCObArray Table(std::vector<TableRow> rows)
{
    CScribaCObArray table;
    for (TableRow &row : rows)
        table.Add(std::move(row));
    return table;
}

TEST(TruncatedEntry, KeepsTheFirst255CharactersWithoutSplittingOne)
{
    EXPECT_EQ(TruncatedEntry(std::string(255, 'a')), std::string(255, 'a'));
    EXPECT_EQ(TruncatedEntry(std::string(300, 'a')), std::string(255, 'a'));
    // 254 letters and then two-byte characters: the 255th character is kept whole.
    const std::string text = std::string(254, 'a') + "\xc3\xa9\xc3\xa9";
    EXPECT_EQ(TruncatedEntry(text), std::string(254, 'a') + "\xc3\xa9");
}

// ---- Import ----

struct ImportCase {
    const char *name;
    std::vector<TableRow> table;
    std::string text;
    std::vector<TableRow> expected;
    int added;
    int skipped;
    std::vector<int> refusedLines;
};

class ImportTest : public testing::TestWithParam<ImportCase> {};

TEST_P(ImportTest, MergesNewRowsAndReports)
{
    const ImportCase &c = GetParam();
    CScribaCObArray table = Table(c.table);
    const FunctionImport result = ImportFunctions(table, c.text);
    EXPECT_EQ(table.Rows(), c.expected);
    EXPECT_EQ(result.added, c.added);
    EXPECT_EQ(result.skipped, c.skipped);
    EXPECT_EQ(result.refusedLines, c.refusedLines);
    // What was let in comes back from Scriba.ini row for row, in lower case.
    Settings stored;
    stored.functions = std::move(table);
    Settings read;
    std::string header;
    ReadIniText(WriteIniText(stored, ""), read, header);
    ASSERT_EQ(read.functions.GetSize(), stored.functions.GetSize());
    for (int i = 0; i < read.functions.GetSize(); ++i)
        EXPECT_EQ(read.functions.GetAt(i).size(), stored.functions.GetAt(i).size());
    EXPECT_EQ(header, "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportTest,
    testing::Values(
        ImportCase{"EmptyFile", {{"a"}}, "", {{"a"}}, 0, 0, {}},
        ImportCase{"LfLinesSortedIn",
                   {{"m"}},
                   "z p\nb \"s\" (o)\n",
                   {{"b", "\"s\"", "(o)"}, {"m"}, {"z", "p"}},
                   2, 0, {}},
        ImportCase{"CrLfAndLastLineWithoutLineEnd", {}, "f x\r\ng y\r\nh", {{"f", "x"}, {"g", "y"}, {"h"}}, 3, 0, {}},
        ImportCase{"DuplicatesOfTheTableAndOfEarlierLines",
                   {{"f", "old"}},
                   "f new\ng 1\ng 2\nF\n",
                   {{"F"}, {"f", "old"}, {"g", "1"}},
                   2, 2, {}},
        ImportCase{"BadNamesRefusedByLineNumber",
                   {},
                   "ok\n9lives\n\nbad-name x\n  \t \n\"q\"\nalso_ok\r\ncaf\xc3\xa9\n",
                   {{"also_ok"}, {"ok"}},
                   2, 0, {2, 4, 6, 8}},
        ImportCase{"ControlCharacterInAParameterRefused", {}, "f a\x01z\ng\n", {{"g"}}, 1, 0, {1}},
        // Stored in Scriba.ini, a "--" starts a comment and a tag opens or closes a block.
        ImportCase{"ParameterThatWouldNotReadBackRefused",
                   {},
                   "f a--b\ng [/Tarn_Lua_Functions]\nh --\ni [opt] \"x-y\" (z)\n",
                   {{"i", "[opt]", "\"x-y\"", "(z)"}},
                   1, 0, {1, 2, 3}},
        ImportCase{"SeparatorsAsInTheConfigurationFile", {}, "\tf  a%b\t\n", {{"f", "a", "b"}}, 1, 0, {}},
        ImportCase{"ByteOrderMarkIgnored", {}, "\xef\xbb\xbf" "f\n", {{"f"}}, 1, 0, {}},
        ImportCase{"DefinitionFile",
                   {{"g"}},
                   "---@meta\n\n--- Sets a condition.\n---@param node integer\n---@param mode \"head\"|\"flux\"\n"
                   "---@param name? string\n---@param value? number\nfunction tg_setbc(node, mode, name, value) end\n"
                   "---@param x\nfunction g() end\nfunction bad.name() end\nfunction h(...) end\n",
                   {{"g"}, {"h", "..."}, {"tg_setbc", "node", "\"mode\"", "(\"name\")", "(value)"}},
                   2, 1, {9, 11}},
        ImportCase{"LongEntriesCutAsTheEditorsCut",
                   {{std::string(255, 'n')}},
                   std::string(300, 'n') + " " + std::string(256, 'p') + "\n",
                   {{std::string(255, 'n')}},
                   0, 1, {}}),
    CaseName<ImportCase>);

TEST(Import, TenThousandRowsAndWhatExportWrites)
{
    std::string text;
    for (int i = 9999; i >= 0; --i)
        text += "fn" + std::to_string(i) + " a \"b\" (c)\r\n";
    CScribaCObArray table;
    const FunctionImport result = ImportFunctions(table, text);
    EXPECT_EQ(result.added, 10000);
    EXPECT_EQ(table.GetSize(), 10000);
    EXPECT_TRUE(std::is_sorted(table.Rows().begin(), table.Rows().end(),
                               [](const TableRow &a, const TableRow &b) { return a[0] < b[0]; }));
    EXPECT_EQ(table.GetAt(0), (TableRow{"fn0", "a", "\"b\"", "(c)"}));

    // Export writes the rows as the configuration file's block holds them; importing that into
    // an empty table gives the same table.
    const std::string exported = TableRowsText(table);
    EXPECT_EQ(exported.substr(0, 20), "fn0 a \"b\" (c)\nfn1 a ");
    CScribaCObArray again;
    ImportFunctions(again, exported);
    EXPECT_EQ(again, table);
    EXPECT_EQ(ImportFunctions(again, exported).skipped, 10000);
}

} // namespace
