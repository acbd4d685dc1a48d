// The configuration file text: tolerant reading, the canonical layout and the round trip.
#include "app/defaulttexts.h"
#include "app/initext.h"
#include "app/settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

using namespace std::string_literals;

namespace {

struct ReadResult {
    Settings settings;
    std::string header;
};

// Reads as the program does at start-up: default styles already set, tables empty.
ReadResult Read(std::string_view bytes)
{
    ReadResult result;
    result.settings.SetDefaultStyles();
    ReadIniText(bytes, result.settings, result.header);
    return result;
}

Settings DefaultSettings()
{
    Settings settings;
    settings.SetDefaultStyles();
    settings.keywords.ParseText(DefaultKeywordsText());
    settings.keywords.SortByName();
    settings.functions.ParseText(DefaultFunctionsText());
    settings.functions.SortByName();
    return settings;
}

template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case> &info)
{
    return info.param.name;
}

// ---- Options ----

struct OptionsCase {
    const char *name;
    std::string file;
    EditorOptions expected;
};

class ReadOptionsTest : public testing::TestWithParam<OptionsCase> {};

TEST_P(ReadOptionsTest, ReadsSwitchesAndIndent)
{
    EXPECT_EQ(Read(GetParam().file).settings.options, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ReadOptionsTest,
    testing::Values(
        OptionsCase{"CanonicalCrLf",
                    "[options]\r\nautocompletion = TRUE\r\nautoindentation = FALSE\r\nindent = FOURSPACES\r\n"
                    "intellitip = TRUE\r\nsyntaxhighlighting = FALSE\r\n[/options]\r\n",
                    {1, 0, FOURSPACES, 1, 0}},
        OptionsCase{"CapitalTagsKeysAndValues",
                    "[OPTIONS]\nAutoCompletion = TRUE\nAUTOINDENTATION = True\nINDENT = TAB\n"
                    "IntelliTip = TRUE\nSYNTAXHIGHLIGHTING = true\n[/Options]\n",
                    {1, 1, TAB, 1, 1}},
        OptionsCase{"BlanksAndTabsAroundAndInsideKeys",
                    "[options]\nauto completion=true\n  auto indentation\t =\t true\nindent=four spaces\n"
                    "intelli tip   =   true\n\tsyntax highlighting = t r u e\n[/options]\n",
                    {1, 1, FOURSPACES, 1, 1}},
        OptionsCase{"NoOptionsBlockSwitchesAllOff", "[lua_keywords]\nand\n[/lua_keywords]\n",
                    {0, 0, TWOSPACES, 0, 0}},
        OptionsCase{"EmptyFileSwitchesAllOff", "", {0, 0, TWOSPACES, 0, 0}},
        OptionsCase{"IndentationKeyWithoutAutoPrefix", "[options]\nindentation = true\n[/options]\n",
                    {0, 1, TWOSPACES, 0, 0}},
        OptionsCase{"CommentBehindValueIsNotPartOfIt",
                    "[options]\nindent = tab -- was fourspaces\nautocompletion = false -- true once\n[/options]\n",
                    {0, 0, TAB, 0, 0}},
        OptionsCase{"IndentTabInMixedCase", "[options]\nindent = TaB\n[/options]\n", {0, 0, TAB, 0, 0}},
        OptionsCase{"IndentTabsIsTwoSpaces", "[options]\nindent = tabs\n[/options]\n", {0, 0, TWOSPACES, 0, 0}},
        OptionsCase{"AnyValueContainingTrueIsOn", "[options]\nautocompletion = untrue\nintellitip = 1\n[/options]\n",
                    {1, 0, TWOSPACES, 0, 0}},
        OptionsCase{"MissingKeysReadOffNotTheNeighbours", "[options]\nsyntaxhighlighting = TRUE\n[/options]\n",
                    {0, 0, TWOSPACES, 0, 1}},
        OptionsCase{"MissingIndentReadsTwoSpaces", "[options]\nintellitip = TRUE\n[/options]\n",
                    {0, 0, TWOSPACES, 1, 0}},
        OptionsCase{"CrOnlyLineEndsMakeOneLine", "[options]\rautocompletion = true\r[/options]\r",
                    {0, 0, TWOSPACES, 0, 0}},
        OptionsCase{"LastLineWithoutLfIsRead", "[options]\nintellitip = true", {0, 0, TWOSPACES, 1, 0}},
        OptionsCase{"OpeningTagLineIsNotInItsBlock", "[options] autocompletion = true\n[/options]\n",
                    {0, 0, TWOSPACES, 0, 0}},
        OptionsCase{"ClosingTagLineIsNotInItsBlock", "[options]\n[/options] autocompletion = true\n",
                    {0, 0, TWOSPACES, 0, 0}}),
    CaseName<OptionsCase>);

// ---- Styles ----

constexpr ColorRef kDefaultCommentColor = MakeColor(0, 192, 0);

struct StyleCase {
    const char *name;
    std::string block; // lines of the comment style block, without the tags
    TextStyle expected;
};

class ReadStyleTest : public testing::TestWithParam<StyleCase> {};

TEST_P(ReadStyleTest, ReadsCommentStyleAndLeavesTheOthers)
{
    Settings settings = Read("[Comment_Style]\n" + GetParam().block + "[/COMMENT_STYLE]\n").settings;
    Settings defaults;
    defaults.SetDefaultStyles();
    defaults.style(StyleKind::Comment) = GetParam().expected;
    EXPECT_EQ(settings.styles, defaults.styles);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, ReadStyleTest,
    testing::Values(
        StyleCase{"EmptyBlockKeepsDefault", "", {kDefaultCommentColor, 1, 0, 0}},
        StyleCase{"CapitalsAndAllKeys", "COLOR = 1, 2, 3\nBold = FALSE\nITALIC = true\nunderline = TRUE\n",
                  {MakeColor(1, 2, 3), 0, 1, 1}},
        StyleCase{"ComponentsKeepLowEightBits", "color = 300, -1, 0\n", {MakeColor(44, 255, 0), 0, 0, 0}},
        StyleCase{"BlanksAndTabsAnywhere", "co lor=\t10 ,2 0,  30\nb old = true\n", {MakeColor(10, 20, 30), 1, 0, 0}},
        StyleCase{"SignsAndLeadingZeros", "color = +7, 008, -0\n", {MakeColor(7, 8, 0), 0, 0, 0}},
        StyleCase{"MissingComponentsReadZero", "color = 9\n", {MakeColor(9, 0, 0), 0, 0, 0}},
        StyleCase{"NonNumbersReadZero", "color = red, 5x, x5\n", {MakeColor(0, 5, 0), 0, 0, 0}},
        StyleCase{"ValueEndsAtItsLine", "color = 1, 2\n3\n", {MakeColor(1, 2, 0), 0, 0, 0}},
        StyleCase{"MissingColorKeepsCurrentColour", "italic = true\n", {kDefaultCommentColor, 0, 1, 0}},
        StyleCase{"MissingSwitchesReadOff", "color = 0, 192, 0\n", {kDefaultCommentColor, 0, 0, 0}}),
    CaseName<StyleCase>);

TEST(ReadStyle, MissingOrEmptyBlockKeepsTheStyle)
{
    Settings defaults;
    defaults.SetDefaultStyles();
    EXPECT_EQ(Read("[options]\n[/options]\n").settings.styles, defaults.styles);
    EXPECT_EQ(Read("[keyword_style]\n[/keyword_style]\n").settings.styles, defaults.styles);
}

TEST(ParseColor, AbsurdlyLongNumbersKeepTheirExactLowBits)
{
    // 10^n is a multiple of 256 for n >= 8, so the low byte is that of the last digits.
    std::string red = "1" + std::string(1'000'000, '0') + "300";
    std::string green = "-1" + std::string(30, '0') + "1";
    EXPECT_EQ(ParseColor("color=" + red + "," + green + ",0\r\n", 0), MakeColor(44, 255, 0));
}

// ---- Tables and header ----

struct TableCase {
    const char *name;
    std::string file;
    std::vector<TableRow> keywords;
    std::vector<TableRow> functions;
};

class ReadTablesTest : public testing::TestWithParam<TableCase> {};

TEST_P(ReadTablesTest, BuildsBothTables)
{
    Settings settings = Read(GetParam().file).settings;
    EXPECT_EQ(settings.keywords.Rows(), GetParam().keywords);
    EXPECT_EQ(settings.functions.Rows(), GetParam().functions);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ReadTablesTest,
    testing::Values(
        TableCase{"NoKeywordBlockLeavesKeywordsEmpty", "[tarn_lua_functions]\nf a\n[/tarn_lua_functions]\n",
                  {},
                  {{"f", "a"}}},
        TableCase{"RowsComeBackLowerCaseAndSorted",
                  "[TARN_LUA_FUNCTIONS]\nZZ_Run A \"Name\" (Opt)\nab_Set\tX\n[/tarn_lua_functions]\n",
                  {},
                  {{"ab_set", "x"}, {"zz_run", "a", "\"name\"", "(opt)"}}},
        TableCase{"CommentsInsideBlockLeaveRowsAlone",
                  "[lua_keywords]\nand\n-- old ones:\ndo indent -- deepen\nend outdent\n[/lua_keywords]\n",
                  {{"and"}, {"do", "indent"}, {"end", "outdent"}},
                  {}},
        TableCase{"EmptyAndBlankLinesMakeNoRows", "[lua_keywords]\n\n \t \nor\n[/lua_keywords]\n", {{"or"}}, {}},
        TableCase{"NulAndInvalidUtf8BytesAreKept", "[lua_keywords]\nA\0b \xC3\x28 \xFF\xFE\n[/lua_keywords]\n"s,
                  {{"a\0b"s, "\xC3\x28", "\xFF\xFE"}},
                  {}},
        TableCase{"UnclosedBlockRunsToTheEnd", "[lua_keywords]\nand\nor", {{"and"}, {"or"}}, {}},
        TableCase{"OnlyTheFirstOpeningTagOfALineCounts", "[tarn_lua_functions] [lua_keywords]\nx\n", {{"x"}}, {}},
        TableCase{"CrOnlyLineEndsMakeOneLine", "[lua_keywords]\rand\ror\r[/lua_keywords]\r", {}, {}}),
    CaseName<TableCase>);

TEST(ReadHeader, GathersCommentsInFileOrderKeepingCaseAndTrailingCr)
{
    std::string header = "-- kept\n";
    Settings settings;
    ReadIniText("-- First\r\n[options]\nindent = tab -- Behind A Value\n[/options]\n-- Last\r\r\n", settings, header);
    EXPECT_EQ(header, "-- kept\n-- First\n-- Behind A Value\n-- Last\r\n");
}

// ---- Bad input ----

// Generous: a reader that is quadratic in the line length takes minutes here, not seconds.
constexpr auto kReadBudget = std::chrono::seconds(10);

struct BadInputCase {
    const char *name;
    std::string (*make)();
};

class ReadBadInputTest : public testing::TestWithParam<BadInputCase> {};

TEST_P(ReadBadInputTest, ReadsQuicklyWithoutHarm)
{
    std::string bytes = GetParam().make();
    auto start = std::chrono::steady_clock::now();
    ReadResult result = Read(bytes);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kReadBudget);
    Settings again;
    std::string header;
    ReadIniText(WriteIniText(result.settings, result.header), again, header);
    EXPECT_EQ(header, result.header);
}

std::string PseudoRandomBytes(std::size_t size, std::string_view alphabet)
{
    std::mt19937 generator(20240229);
    std::string bytes(size, '\0');
    for (char &c : bytes) {
        unsigned draw = generator();
        c = alphabet.empty() ? char(draw) : alphabet[draw % alphabet.size()];
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, ReadBadInputTest,
    testing::Values(
        BadInputCase{"OneMegabyteOfBlanksInOptions",
                     [] { return "[options]\n" + std::string(1 << 20, ' ') + "indent=tab\n[/options]\n"; }},
        BadInputCase{"OneMegabyteRowOfShortEntries",
                     [] { return "[lua_keywords]\n" + PseudoRandomBytes(1 << 20, "a \t%") + "\n"; }},
        BadInputCase{"OneMegabyteLineWithoutLf", [] { return PseudoRandomBytes(1 << 20, "-[]/options=tru \r"); }},
        BadInputCase{"FourMegabytesOfRandomBytes", [] { return PseudoRandomBytes(4 << 20, ""); }},
        BadInputCase{"FourMegabytesOfTagSoup",
                     [] {
                         return PseudoRandomBytes(4 << 20, "[]/optins_ckywrdlufa=, -\t\r\n0123456789") +
                                "[/options]";
                     }}),
    CaseName<BadInputCase>);

// ---- Writing and the round trip ----

TEST(WriteIniText, CanonicalLayout)
{
    Settings settings;
    settings.SetDefaultStyles();
    settings.keywords.Add({"do", "indent"});
    settings.keywords.Add({}); // a row without entries writes nothing
    settings.functions.Add({"f", "A", "b"});
    const std::string expected = "-- h\r\n\r\n"
                                 "[options]\r\nautocompletion = TRUE\r\nautoindentation = TRUE\r\n"
                                 "indent = TWOSPACES\r\nintellitip = TRUE\r\nsyntaxhighlighting = TRUE\r\n"
                                 "[/options]\r\n\r\n"
                                 "[comment_style]\r\ncolor = 0, 192, 0\r\nbold = TRUE\r\nitalic = FALSE\r\n"
                                 "underline = FALSE\r\n[/comment_style]\r\n\r\n"
                                 "[function_style]\r\ncolor = 0, 0, 0\r\nbold = TRUE\r\nitalic = FALSE\r\n"
                                 "underline = FALSE\r\n[/function_style]\r\n\r\n"
                                 "[keyword_style]\r\ncolor = 0, 0, 255\r\nbold = FALSE\r\nitalic = FALSE\r\n"
                                 "underline = FALSE\r\n[/keyword_style]\r\n\r\n"
                                 "[number_style]\r\ncolor = 255, 0, 255\r\nbold = FALSE\r\nitalic = FALSE\r\n"
                                 "underline = FALSE\r\n[/number_style]\r\n\r\n"
                                 "[punctuation_style]\r\ncolor = 128, 128, 128\r\nbold = TRUE\r\nitalic = FALSE\r\n"
                                 "underline = FALSE\r\n[/punctuation_style]\r\n\r\n"
                                 "[string_style]\r\ncolor = 255, 0, 0\r\nbold = FALSE\r\nitalic = FALSE\r\n"
                                 "underline = FALSE\r\n[/string_style]\r\n\r\n"
                                 "[lua_keywords]\r\ndo indent\r\n[/lua_keywords]\r\n\r\n"
                                 "[tarn_lua_functions]\r\nf A b\r\n[/tarn_lua_functions]\r\n";
    EXPECT_EQ(WriteIniText(settings, "-- h\n"), expected);
}

TEST(WriteIniText, HeaderLineEndingInCrLfIsStoredAsCrCrLf)
{
    EXPECT_TRUE(WriteIniText(Settings(), "-- a\r\n-- b\n").starts_with("-- a\r\r\n-- b\r\n\r\n[options]\r\n"));
}

TEST(WriteIniText, IndentModesReadBackAndUnknownOnesWriteTwoSpaces)
{
    for (int mode : {0, 1, 2, 3, -1}) {
        Settings settings;
        settings.options.indent = IndentMode(mode);
        IndentMode expected = mode == FOURSPACES || mode == TAB ? IndentMode(mode) : TWOSPACES;
        EXPECT_EQ(Read(WriteIniText(settings, "")).settings.options.indent, expected) << "mode " << mode;
    }
}

struct RoundTrip {
    std::string written;
    ReadResult read;
    std::string rewritten;
};

RoundTrip WriteReadWrite(const Settings &settings, const std::string &header)
{
    RoundTrip trip;
    trip.written = WriteIniText(settings, header);
    trip.read = Read(trip.written);
    trip.rewritten = WriteIniText(trip.read.settings, trip.read.header);
    return trip;
}

TEST(IniRoundTrip, DefaultsWithDefaultHeader)
{
    Settings defaults = DefaultSettings();
    RoundTrip trip = WriteReadWrite(defaults, std::string(DefaultHeaderText()));
    EXPECT_EQ(trip.read.settings, defaults);
    EXPECT_EQ(trip.read.header, DefaultHeaderText());
    EXPECT_EQ(trip.rewritten, trip.written);
}

TEST(IniRoundTrip, CustomSettingsComeBackWithLowerCaseEntries)
{
    Settings custom;
    custom.options = {0, 1, TAB, 0, 1};
    custom.SetDefaultStyles();
    custom.style(StyleKind::Number).Set(MakeColor(1, 2, 3), 1, 1, 1);
    custom.style(StyleKind::Comment).Set(MakeColor(255, 255, 255), 0, 0, 1);
    custom.keywords.ParseText("Begin INDENT\r\nfinish outdent Other\r\n");
    custom.functions.ParseText("Tarn_Open \"File\" (Mode)\r\nab_Run\r\n");

    Settings expected = custom;
    expected.keywords.RemoveAll();
    expected.keywords.ParseText("begin indent\r\nfinish outdent other\r\n");
    expected.functions.RemoveAll();
    expected.functions.ParseText("ab_run\r\ntarn_open \"file\" (mode)\r\n");
    RoundTrip trip = WriteReadWrite(custom, "-- Mine\n--\n");
    EXPECT_EQ(trip.read.settings, expected);
    EXPECT_EQ(trip.read.header, "-- Mine\n--\n");
    EXPECT_EQ(WriteReadWrite(trip.read.settings, trip.read.header).rewritten, trip.rewritten);
}

// The shipped first-run file. Regenerate with SCRIBA_UPDATE_EXPECTED=1.
TEST(DefaultIniFile, MatchesWhatTheWriterProduces)
{
    if (DefaultFunctionsText().empty())
        GTEST_SKIP() << "the default function table is still empty";
    const std::string path = SCRIBA_TEST_DATA "/ini/default.ini";
    std::string written = WriteIniText(DefaultSettings(), std::string(DefaultHeaderText()));
    const char *update = std::getenv("SCRIBA_UPDATE_EXPECTED");
    if (update && std::string_view(update) == "1") {
        std::ofstream(path, std::ios::binary) << written;
        GTEST_SKIP() << "wrote " << path;
    }
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "missing " << path;
    std::stringstream stored;
    stored << file.rdbuf();
    EXPECT_EQ(stored.str(), written);
}

} // namespace
