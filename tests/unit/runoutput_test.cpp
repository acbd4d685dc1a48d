// The run command's words and placeholders, and the places found in what programs print.
#include "run/placeparser.h"
#include "run/runcommand.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PlaceCase {
    const char *name;
    std::string line;
    std::string path; // empty: the line names no place
    int line_ = 0;
    int column = 0;
    std::string rest; // what follows the place
};

class PlaceParserTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceParserTest, FindsThePlace)
{
    const PlaceCase &c = GetParam();
    const std::optional<TextPlace> place = FindPlace(c.line);
    if (c.path.empty()) {
        EXPECT_FALSE(place.has_value()) << place->path;
        return;
    }
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->path, c.path);
    EXPECT_EQ(place->line, c.line_);
    EXPECT_EQ(place->column, c.column);
    EXPECT_EQ(c.line.substr(place->end), c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PlaceParserTest,
    testing::Values(
        PlaceCase{"LuaError", "lua5.1: model.lua:12: attempt to call a nil value", "model.lua", 12, 0,
                  " attempt to call a nil value"},
        PlaceCase{"LuaErrorWithFolder", "lua5.1: /home/u/wells/model.lua:3: boom", "/home/u/wells/model.lua", 3, 0, " boom"},
        PlaceCase{"LuaShortenedPath", "lua5.1: ...ong/folder/model.lua:7: boom", "...ong/folder/model.lua", 7, 0, " boom"},
        PlaceCase{"PathWithBlank", "lua5.1: my wells.lua:2: x", "my wells.lua", 2, 0, " x"},
        PlaceCase{"TracebackEntry", "\tmodel.lua:12: in function 'f'", "model.lua", 12, 0, " in function 'f'"},
        PlaceCase{"TracebackMainChunk", "\tmodel.lua:6: in main chunk", "model.lua", 6, 0, " in main chunk"},
        PlaceCase{"TracebackCFunction", "\t[C]: in function 'error'", "", 0, 0, ""},
        PlaceCase{"TracebackCQuestion", "\t[C]: ?", "", 0, 0, ""},
        PlaceCase{"TracebackHeading", "stack traceback:", "", 0, 0, ""},
        PlaceCase{"StringChunk", "lua5.1: [string \"model.lua\"]:12: unexpected symbol", "model.lua", 12, 0,
                  " unexpected symbol"},
        PlaceCase{"StringChunkInTraceback", "\t[string \"wells.lua\"]:4: in main chunk", "wells.lua", 4, 0,
                  " in main chunk"},
        PlaceCase{"EmptyStringChunk", "[string \"\"]:4: x", "", 0, 0, ""},
        PlaceCase{"CompilerWithColumn", "src/main.c:12:5: error: expected ';'", "src/main.c", 12, 5,
                  " error: expected ';'"},
        PlaceCase{"CompilerWithoutColumn", "main.c:12: warning: unused", "main.c", 12, 0, " warning: unused"},
        PlaceCase{"CheckOutput", "calls.lua:2:1: warning: unknown Tarn function", "calls.lua", 2, 1,
                  " warning: unknown Tarn function"},
        PlaceCase{"PlaceAtEndOfLine", "model.lua:9", "model.lua", 9, 0, ""},
        PlaceCase{"CannotOpen", "lua5.1: cannot open nosuch.lua", "", 0, 0, ""},
        PlaceCase{"LineZeroIsNoPlace", "model.lua:0: x", "", 0, 0, ""},
        PlaceCase{"HugeLineNumberIsNoPlace", "model.lua:99999999999: x", "", 0, 0, ""},
        PlaceCase{"NumberMustEndAtColon", "model.lua:12abc: x", "", 0, 0, ""},
        PlaceCase{"UrlIsNoPlace", "see http://example.org/x", "", 0, 0, ""},
        PlaceCase{"PlainText", "hello from the model", "", 0, 0, ""},
        PlaceCase{"EmptyLine", "", "", 0, 0, ""},
        PlaceCase{"FirstPlaceWins", "lua5.1: a.lua:3: b.lua:7: nested", "a.lua", 3, 0, " b.lua:7: nested"}),
    [](const testing::TestParamInfo<PlaceCase> &info) { return std::string(info.param.name); });

TEST(PlaceParser, ReadsOnlyTheStartOfAHugeLine)
{
    const std::string line = std::string(1 << 20, 'x') + " model.lua:3: late";
    EXPECT_FALSE(FindPlace(line).has_value());
}

struct SplitCase {
    const char *name;
    const char *command;
    QStringList words; // empty: an error
};

class RunCommandTest : public testing::TestWithParam<SplitCase> {};

TEST_P(RunCommandTest, SplitsAsAShellWould)
{
    const SplitCase &c = GetParam();
    QString error;
    const QStringList words = SplitRunCommand(QString::fromUtf8(c.command), QStringLiteral("/home/u/my wells/model 1.lua"), &error);
    EXPECT_EQ(words, c.words) << words.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(error.isEmpty(), !c.words.isEmpty()) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RunCommandTest,
    testing::Values(
        SplitCase{"Plain", "lua5.1 %f", {"lua5.1", "/home/u/my wells/model 1.lua"}},
        SplitCase{"Placeholders", "tarn -d %d -n %n", {"tarn", "-d", "/home/u/my wells", "-n", "model 1.lua"}},
        SplitCase{"PlaceholderInsideWord", "--script=%f", {"--script=/home/u/my wells/model 1.lua"}},
        SplitCase{"QuotedPlaceholder", "tarn \"%f\" '%n'", {"tarn", "/home/u/my wells/model 1.lua", "model 1.lua"}},
        SplitCase{"PercentSign", "tarn 50%% %x", {"tarn", "50%", "%x"}},
        SplitCase{"ExtraBlanks", "  lua5.1 \t  -e  x  ", {"lua5.1", "-e", "x"}},
        SplitCase{"SingleQuotesKeepAll", "echo 'a \"b\" \\c'", {"echo", "a \"b\" \\c"}},
        SplitCase{"DoubleQuoteEscapes", "echo \"a \\\"b\\\" \\$ \\c\"", {"echo", "a \"b\" $ \\c"}},
        SplitCase{"BackslashOutsideQuotes", "echo a\\ b \\'", {"echo", "a b", "'"}},
        SplitCase{"QuotesJoinWords", "echo a'b c'\"d\"", {"echo", "ab cd"}},
        SplitCase{"EmptyQuotedWord", "echo \"\" ''", {"echo", "", ""}},
        SplitCase{"ShellSyntaxIsLiteral", "echo $HOME | x > y; z &", {"echo", "$HOME", "|", "x", ">", "y;", "z", "&"}},
        SplitCase{"UnclosedSingleQuote", "echo 'a", {}},
        SplitCase{"UnclosedDoubleQuote", "echo \"a", {}},
        SplitCase{"TrailingBackslash", "echo a\\", {}},
        SplitCase{"Empty", "   ", {}}),
    [](const testing::TestParamInfo<SplitCase> &info) { return std::string(info.param.name); });

// A script whose name starts with '-' is never an option of the program run.
TEST(RunCommand, ANameLikeAnOptionIsGivenAsAPath)
{
    const struct {
        const char *command;
        QStringList words;
    } cases[] = {
        {"lua5.1 %n", {"lua5.1", "./-e os.exit(3).lua"}},
        {"lua5.1 \"%n\"", {"lua5.1", "./-e os.exit(3).lua"}},
        {"lua5.1 -- %n", {"lua5.1", "--", "./-e os.exit(3).lua"}},
        {"lua5.1 x%n", {"lua5.1", "x-e os.exit(3).lua"}},
        {"lua5.1 %f", {"lua5.1", "/tmp/-e os.exit(3).lua"}},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_EQ(SplitRunCommand(QString::fromUtf8(c.command), QStringLiteral("/tmp/-e os.exit(3).lua"), &error), c.words)
            << c.command;
    }
}

} // namespace
