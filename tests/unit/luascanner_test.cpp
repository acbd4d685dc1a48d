// The colouring scan and the table lookups: token rules, edge cases, agreement with a plain
// byte-by-byte model of the rules, and the expected-output files under tests/data/colour.
#include "app/defaulttexts.h"
#include "app/scribacobarray.h"
#include "editor/luascanner.h"

#include "expectedfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

KeywordTable Parsed(std::string_view text)
{
    KeywordTable table;
    table.ParseText(text);
    return table;
}

const KeywordTable &Keywords()
{
    static const KeywordTable table = Parsed(DefaultKeywordsText());
    return table;
}

// A small fixed function table, so these tests do not depend on the shipped one. "tn_add_knot"
// has an underscore at index 3 and so can never be matched.
const FunctionTable &Functions()
{
    static const FunctionTable table = Parsed("tn_addknot x\r\ntg_addpoint x y\r\nprint text\r\n"
                                              "tn_add_knot\r\nshowmessage text\r\n");
    return table;
}

std::vector<std::uint8_t> Styles(std::string_view text, const FunctionTable &functions = Functions())
{
    std::vector<std::uint8_t> styles(text.size(), 0xEE);
    ScanLuaStyles(text, Keywords(), functions, styles.data());
    return styles;
}

// The text with "{n}" before every byte whose style differs from the byte before it.
std::string Marked(std::string_view text, const std::vector<std::uint8_t> &styles)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 0 || styles[i] != styles[i - 1])
            out += "{" + std::to_string(styles[i]) + "}";
        out += text[i];
    }
    return out;
}

std::string Marked(std::string_view text) { return Marked(text, Styles(text)); }

// ---------------------------------------------------------------------------------------------
// Token rules. Marks: 0 plain, 1 comment, 2 function, 3 keyword, 4 number, 5 punctuation, 6 string.

struct TokenCase {
    const char *name;
    std::string text;
    std::string marked;
};

void PrintTo(const TokenCase &c, std::ostream *os) { *os << c.name; }

class TokenRulesTest : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenRulesTest, StylesEveryByte)
{
    EXPECT_EQ(Marked(GetParam().text), GetParam().marked);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Scan, TokenRulesTest,
    testing::Values(
        TokenCase{"KeywordsNumberAndComment", "if x then return 1 end -- done",
                  "{3}if{0} x {3}then{0} {3}return{0} {4}1{0} {3}end{0} {1}-- done"},
        TokenCase{"Empty", "", ""},
        TokenCase{"HyphensInsideStringAreString", "s = \"a -- b\" x", "{0}s {5}={0} {6}\"a -- b\"{0} x"},
        TokenCase{"UnclosedStringEndsAtLineEnd", "s = \"abc\nx = 1",
                  "{0}s {5}={0} {6}\"abc{0}\nx {5}={0} {4}1"},
        TokenCase{"UnclosedStringEndsAtTextEnd", "x = 'abc", "{0}x {5}={0} {6}'abc"},
        TokenCase{"BackslashDoesNotEscapeQuote", "\"a\\\"b\" + 1", "{6}\"a\\\"{0}b{6}\" + 1"},
        TokenCase{"OnlyTheOpeningQuoteCloses", "'say \"hi\"' x", "{6}'say \"hi\"'{0} x"},
        TokenCase{"EmptyStrings", "''\"\"", "{6}''\"\""},
        TokenCase{"LongCommentMarksOnlyItsOwnLine", "--[[ a\nb = 1 ]]",
                  "{1}--[[ a{0}\nb {5}={0} {4}1{0} {5}]]"},
        TokenCase{"ThreeHyphensAreAComment", "---x", "{1}---x"},
        TokenCase{"LoneMinusIsPunctuation", "a - b-c -", "{0}a {5}-{0} b{5}-{0}c {5}-"},
        TokenCase{"CommentStopsAtCr", "-- c\r\nend", "{1}-- c{0}\r\n{3}end"},
        TokenCase{"CommentStopsAtLf", "-- c\nend", "{1}-- c{0}\n{3}end"},
        TokenCase{"StringStopsAtCr", "\"abc\rend", "{6}\"abc{0}\r{3}end"},
        TokenCase{"HexIsZeroThenWord", "0x1F", "{4}0{0}x1F"},
        TokenCase{"ExponentWithSign", "3.14e-2 ", "{4}3.14e-2{0} "},
        TokenCase{"ExponentLettersDAndCapitals", "7d3 2.5D+1 1E9", "{4}7d3{0} {4}2.5D+1{0} {4}1E9"},
        TokenCase{"ExponentWithoutDigitsIsAWord", "2e", "{4}2{0}e"},
        TokenCase{"SignWithoutDigitsIsPunctuation", "5E+", "{4}5{0}E{5}+"},
        TokenCase{"TrailingDotBelongsToNumber", "1..2", "{4}1.{5}.{4}2"},
        TokenCase{"DotThenExponent", "1.e5", "{4}1.e5"},
        TokenCase{"LeadingDotIsPunctuation", ".5", "{5}.{4}5"},
        TokenCase{"NumberThenWord", "2x", "{4}2{0}x"},
        TokenCase{"DottedName", "a.b", "{0}a{5}.{0}b"},
        TokenCase{"DigitInsideWord", "x2 = 1", "{0}x2 {5}={0} {4}1"},
        TokenCase{"KeywordsAreCaseSensitiveAndWhole", "End END endx _end end_", "{0}End END endx _end end_"},
        TokenCase{"UnderscoreWords", "_ _G", "{0}_ _G"},
        TokenCase{"EveryPunctuationByte", "!#$%&()*+,-./:;<=>?@[\\]^`{|}~",
                  "{5}!#$%&()*+,-./:;<=>?@[\\]^`{|}~"},
        TokenCase{"HighBytesArePlainAndEndWords", "end\xC3\xA9nd \xE9if", "{3}end{0}\xC3\xA9nd \xE9{3}if"},
        TokenCase{"NulIsPlainAndScanningGoesOn", "a\0if\0\"s\0\"\0-- c\0c"s,
                  "{0}a\0{3}if{0}\0{6}\"s\0\"{0}\0{1}-- c\0c"s},
        TokenCase{"ControlBytesArePlain", "\x01\x1F\x7Fx\tif", "{0}\x01\x1F\x7Fx\t{3}if"},
        TokenCase{"FunctionCall", "tg_addpoint(1, 2)", "{2}tg_addpoint{5}({4}1{5},{0} {4}2{5})"},
        TokenCase{"WordsLongerThanOneBlock", "a_very_long_identifier_name then tn_a_d_d_k_n_o_t_",
                  "{0}a_very_long_identifier_name {3}then{0} {2}tn_a_d_d_k_n_o_t_"},
        TokenCase{"LongNumber", "123456789012345678.25e-10x", "{4}123456789012345678.25e-10{0}x"},
        TokenCase{"ExponentAcrossBlockEdge", "12345678901234e+56 ", "{4}12345678901234e+56{0} "},
        TokenCase{"FractionAcrossBlockEdge", "123456789012345.25 ", "{4}123456789012345.25{0} "}),
    [](const testing::TestParamInfo<TokenCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Lookups.

struct FunctionCase {
    const char *name;
    const char *word;
    int row; // -1: not found
};

void PrintTo(const FunctionCase &c, std::ostream *os) { *os << c.name; }

class FindFunctionTest : public testing::TestWithParam<FunctionCase> {};

TEST_P(FindFunctionTest, DropsUnderscoresFromIndexThree)
{
    int row = -7;
    const bool found = FindFunction(Functions(), GetParam().word, row);
    EXPECT_EQ(found, GetParam().row >= 0);
    EXPECT_EQ(row, found ? GetParam().row : -7) << "the row is left alone when nothing is found";
}

INSTANTIATE_TEST_SUITE_P(
    Lookup, FindFunctionTest,
    testing::Values(FunctionCase{"AsStored", "tn_addknot", 0},
                    FunctionCase{"OneLateUnderscore", "tn_add_knot", 0},
                    FunctionCase{"ManyLateUnderscores", "tn_a_d_d_knot", 0},
                    FunctionCase{"UnderscoreAtIndexThree", "tn__addknot", 0},
                    FunctionCase{"TrailingUnderscores", "tn_addknot__", 0},
                    FunctionCase{"SecondRow", "tg_add_point", 1},
                    FunctionCase{"EarlyUnderscoreIsKept", "tnaddknot", -1},
                    FunctionCase{"EarlyUnderscoreCannotBeAdded", "t_naddknot", -1},
                    FunctionCase{"CaseMatters", "Tn_addknot", -1},
                    FunctionCase{"NoPrefixMatch", "tn_addkno", -1},
                    FunctionCase{"ShortWordWithUnderscore", "pr_int", -1},
                    FunctionCase{"UnderscoresOnly", "____", -1},
                    FunctionCase{"Empty", "", -1}),
    [](const testing::TestParamInfo<FunctionCase> &info) { return std::string(info.param.name); });

TEST(FindFunctionTest, StoredNameWithLateUnderscoreNeverMatches)
{
    const FunctionTable table = Parsed("tn_add_knot\r\n");
    int row = -1;
    EXPECT_FALSE(FindFunction(table, "tn_add_knot", row));
    EXPECT_FALSE(FindFunction(table, "tn_addknot", row));
    EXPECT_TRUE(FindKeyword(table, "tn_add_knot", row)) << "FindKeyword compares as stored";
}

TEST(FindFunctionTest, ReducesWordsLongerThanTheStackBuffer)
{
    const std::string name = "tn_" + std::string(300, 'k');
    FunctionTable table;
    table.Add({name});
    std::string word = name;
    for (std::size_t i = 10; i < word.size(); i += 7)
        word.insert(i, "_");
    int row = -1;
    EXPECT_TRUE(FindFunction(table, word, row));
    EXPECT_FALSE(FindFunction(table, word + "k", row));
}

TEST(FindKeywordTest, FirstRowWinsOnDuplicateNames)
{
    const KeywordTable table = Parsed("do indent\r\nend outdent\r\ndo\r\nend\r\n");
    int row = -1;
    ASSERT_TRUE(FindKeyword(table, "end", row));
    EXPECT_EQ(row, 1);
    ASSERT_TRUE(FindKeyword(table, "do", row));
    EXPECT_EQ(row, 0);
}

TEST(FindKeywordTest, ComparesLongNamesInFull)
{
    const std::string longName(70, 'w');
    KeywordTable table;
    table.Add({longName + "a"});
    table.Add({longName + "b"});
    int row = -1;
    ASSERT_TRUE(FindKeyword(table, longName + "b", row));
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(FindKeyword(table, longName + "c", row));
    EXPECT_FALSE(FindKeyword(table, longName, row));
}

TEST(FindKeywordTest, RowsWithoutEntriesHaveNoName)
{
    KeywordTable table;
    table.Add({});
    table.Add({"if"});
    int row = -1;
    ASSERT_TRUE(FindKeyword(table, "if", row));
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(FindKeyword(table, "", row));
}

int LinearRow(const CScribaCObArray &table, std::string_view name)
{
    for (int row = 0; row < table.GetSize(); ++row) {
        if (!table.GetAt(row).empty() && table.GetAt(row)[0] == name)
            return row;
    }
    return -1;
}

void ExpectIndexMatchesLinearScan(const CScribaCObArray &table, const std::vector<std::string> &names)
{
    for (const std::string &name : names)
        ASSERT_EQ(table.IndexOfName(name), LinearRow(table, name)) << "name " << name;
}

TEST(NameIndexTest, FollowsEveryKindOfEdit)
{
    std::mt19937 random(7);
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(std::string(1 + random() % 3, char('a' + random() % 4)) + std::to_string(random() % 5));
    auto pick = [&] { return names[random() % names.size()]; };

    CScribaCObArray table;
    table.ParseText("a0\r\nb1\r\n");
    for (int step = 0; step < 400; ++step) {
        const int size = table.GetSize();
        switch (random() % 6) {
        case 0: table.Add({pick(), "x"}); break;
        case 1: if (size > 0) table.RemoveAt(int(random() % unsigned(size))); break;
        case 2: if (size > 0) table.SetAt(int(random() % unsigned(size)), {pick()}); break;
        case 3: table.SortByName(); break;
        case 4: table.ParseText(pick() + "\r\n" + pick() + " p\r\n"); break;
        default: if (random() % 10 == 0) table.RemoveAll(); break;
        }
        ExpectIndexMatchesLinearScan(table, names);
    }
}

TEST(NameIndexTest, LongNamesSharingTheirKeyFindTheirFirstRow)
{
    // Names that agree in their first 16 bytes and their length differ only in the tail hashed
    // into their slot; duplicates must still give the first row.
    std::mt19937 random(11);
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i)
        names.push_back("tn_boundary_cond" + std::to_string(100000 + i));
    CScribaCObArray table;
    for (int i = 0; i < 4000; ++i)
        table.Add({names[random() % 2000], std::to_string(i)});
    ExpectIndexMatchesLinearScan(table, names); // the last thousand are never in the table
}

TEST(NameIndexTest, CopiesAndMovesKeepTheirOwnIndex)
{
    CScribaCObArray original = Parsed("alpha\r\nbeta\r\n");
    ASSERT_EQ(original.IndexOfName("beta"), 1); // builds the index

    CScribaCObArray copy = original;
    copy.RemoveAt(0);
    EXPECT_EQ(copy.IndexOfName("beta"), 0);
    EXPECT_EQ(original.IndexOfName("beta"), 1);

    CScribaCObArray assigned = Parsed("gamma\r\n");
    ASSERT_EQ(assigned.IndexOfName("gamma"), 0);
    assigned = original; // same generation count as before is possible: must not reuse the index
    EXPECT_EQ(assigned.IndexOfName("gamma"), -1);
    EXPECT_EQ(assigned.IndexOfName("alpha"), 0);

    CScribaCObArray moved = std::move(original);
    EXPECT_EQ(moved.IndexOfName("beta"), 1);
    original = Parsed("delta\r\n"); // a moved-from table is usable again
    EXPECT_EQ(original.IndexOfName("delta"), 0);
    EXPECT_EQ(original.IndexOfName("beta"), -1);
}

TEST(NameIndexTest, CopiesStillCompareByRowsOnly)
{
    const CScribaCObArray a = Parsed("if\r\n");
    CScribaCObArray b = Parsed("if\r\n");
    EXPECT_EQ(b.IndexOfName("if"), 0);
    EXPECT_TRUE(a == b);
}

TEST(ScanLuaTest, ScanFollowsTableEdits)
{
    FunctionTable functions = Functions();
    EXPECT_EQ(Marked("tm_solve()", Styles("tm_solve()", functions)), "{0}tm_solve{5}()");
    functions.Add({"tm_solve"});
    EXPECT_EQ(Marked("tm_solve()", Styles("tm_solve()", functions)), "{2}tm_solve{5}()");
    functions.RemoveAt(functions.GetSize() - 1);
    EXPECT_EQ(Marked("tm_solve()", Styles("tm_solve()", functions)), "{0}tm_solve{5}()");
}

// ---------------------------------------------------------------------------------------------
// Properties over generated texts.

// The token rules transcribed byte by byte with linear lookups: the model the scan must match.
std::vector<std::uint8_t> ModelStyles(std::string_view t)
{
    const std::string_view punctuation = "!#$%&()*+,-./:;<=>?@[\\]^`{|}~";
    auto at = [t](std::size_t i) { return i < t.size() ? t[i] : '\0'; };
    auto digit = [&](std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    auto letter = [&](std::size_t i) {
        const char c = at(i);
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    auto wordChar = [&](std::size_t i) { return letter(i) || digit(i) || at(i) == '_'; };
    std::vector<std::uint8_t> styles(t.size(), 0);
    std::size_t p = 0;
    while (p < t.size()) {
        const std::size_t s = p;
        std::uint8_t style = 0;
        const char c = t[p];
        if (c == '-' && at(p + 1) == '-') {
            while (p < t.size() && t[p] != '\r' && t[p] != '\n')
                ++p;
            style = 1;
        } else if (c == '"' || c == '\'') {
            for (++p; p < t.size() && t[p] != c && t[p] != '\r' && t[p] != '\n';)
                ++p;
            p += p < t.size() && t[p] == c;
            style = 6;
        } else if (digit(p)) {
            while (digit(p))
                ++p;
            if (at(p) == '.')
                for (++p; digit(p);)
                    ++p;
            if (std::string_view("eEdD").find(at(p)) != std::string_view::npos && at(p) != '\0') {
                std::size_t q = p + 1 + (at(p + 1) == '+' || at(p + 1) == '-');
                if (digit(q))
                    for (p = q; digit(p);)
                        ++p;
            }
            style = 4;
        } else if (c != '\0' && punctuation.find(c) != std::string_view::npos) {
            ++p;
            style = 5;
        } else if (letter(p) || c == '_') {
            while (wordChar(p))
                ++p;
            const std::string word(t.substr(s, p - s));
            std::string reduced = word;
            if (reduced.size() > 3)
                reduced.erase(std::remove(reduced.begin() + 3, reduced.end(), '_'), reduced.end());
            style = LinearRow(Keywords(), word) >= 0 ? 3 : LinearRow(Functions(), reduced) >= 0 ? 2 : 0;
        } else {
            ++p;
        }
        std::fill(styles.begin() + std::ptrdiff_t(s), styles.begin() + std::ptrdiff_t(p), style);
    }
    return styles;
}

// Texts built from pieces that meet at every kind of token edge, some longer than a 16-byte block.
std::string RandomText(std::mt19937 &random)
{
    static const std::vector<std::string> pieces = {
        "if", "end", "then", "tn_addknot", "tn_add_knot", "tg_addpoint", "x", "_", "k2", "e", "d", "E",
        "1", "2.5", "3e", "4e-", "5E+2", "7d9", ".", "..", "-", "--", "---", "\"", "'", " ", "  ",
        "\t", "\n", "\r\n", "\r", std::string(1, '\0'), "\xE9", "\xC3\xA9", "(", ")", "=", "[[", "]]",
        "0x1F", "a_very_long_identifier_name", "12345678901234", "-- a comment longer than 16"};
    std::string text;
    const std::size_t count = random() % 60;
    for (std::size_t i = 0; i < count; ++i)
        text += pieces[random() % pieces.size()];
    return text;
}

TEST(ScanLuaTest, MatchesTheModelOnGeneratedTexts)
{
    std::mt19937 random(12345);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = RandomText(random);
        ASSERT_EQ(Marked(text), Marked(text, ModelStyles(text))) << "case " << i;
    }
}

TEST(ScanLuaTest, RunsAreMaximalAndAgreeWithStyleBytes)
{
    std::mt19937 random(99);
    for (int i = 0; i < 500; ++i) {
        const std::string text = RandomText(random);
        std::vector<StyleRun> runs;
        ScanLua(text, Keywords(), Functions(), runs);
        std::vector<std::uint8_t> fromRuns;
        for (const StyleRun &run : runs) {
            ASSERT_EQ(run.start, fromRuns.size()) << "runs are contiguous";
            ASSERT_GT(run.length, 0u);
            if (run.start > 0) {
                ASSERT_NE(run.style, fromRuns.back()) << "runs are maximal";
            }
            fromRuns.insert(fromRuns.end(), run.length, run.style);
        }
        ASSERT_EQ(fromRuns, Styles(text)) << "case " << i;
    }
}

std::vector<std::size_t> LineStarts(std::string_view text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            starts.push_back(i + 1);
    }
    return starts;
}

// Scanning pieces cut at line starts, as recolouring the edited lines does, gives the styles
// of scanning the whole text.
std::vector<std::uint8_t> StylesByPieces(std::string_view text, std::vector<std::size_t> cuts)
{
    std::vector<std::uint8_t> styles;
    cuts.push_back(text.size());
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        const std::vector<std::uint8_t> piece = Styles(text.substr(from, cut - from));
        styles.insert(styles.end(), piece.begin(), piece.end());
        from = cut;
    }
    return styles;
}

TEST(ScanLuaTest, ScanningLinesApartGivesTheSameStyles)
{
    std::mt19937 random(2024);
    for (int i = 0; i < 1000; ++i) {
        const std::string text = RandomText(random);
        std::vector<std::size_t> cuts;
        for (std::size_t start : LineStarts(text)) {
            if (random() % 2)
                cuts.push_back(start);
        }
        ASSERT_EQ(StylesByPieces(text, cuts), Styles(text)) << "case " << i;
    }
}

// ---------------------------------------------------------------------------------------------
// Expected-output files: NAME.lua beside NAME.lua.styled. A mismatch writes NAME.lua.styled.new.

TEST(ColourFilesTest, MatchExpectedOutput)
{
    const std::vector<std::filesystem::path> samples = SampleScripts("colour");
    ASSERT_GE(samples.size(), 3u);
    for (const std::filesystem::path &sample : samples) {
        const std::string text = ReadFile(sample);
        const std::string actual = Marked(text);
        ExpectSameAsFile(sample, ".styled", actual);
        EXPECT_EQ(StylesByPieces(text, LineStarts(text)), Styles(text))
            << sample.filename() << ": colouring line by line differs from the whole text";
    }
}

} // namespace
