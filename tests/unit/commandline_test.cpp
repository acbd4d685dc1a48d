#include "app/commandline.h"

#include <gtest/gtest.h>

namespace {

using Mode = CommandLine::Mode;

struct CommandLineCase {
    const char *name;
    QStringList arguments;
    Mode mode;
    QStringList files;
    bool hasError;
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ChoosesModeAndFiles)
{
    const CommandLineCase &c = GetParam();
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.files, c.files);
    EXPECT_EQ(!line.error.isEmpty(), c.hasError) << qPrintable(line.error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(
        CommandLineCase{"Nothing", {}, Mode::Edit, {}, false},
        CommandLineCase{"OneScript", {"wells.lua"}, Mode::Edit, {"wells.lua"}, false},
        CommandLineCase{"SeveralScriptsInOrder", {"b.lua", "a.lua"}, Mode::Edit, {"b.lua", "a.lua"}, false},
        CommandLineCase{"DashDashEndsOptions", {"--", "-notes.lua", "--help"}, Mode::Edit, {"-notes.lua", "--help"}, false},
        CommandLineCase{"ScriptBeforeDashDash", {"a.lua", "--", "-b.lua"}, Mode::Edit, {"a.lua", "-b.lua"}, false},
        CommandLineCase{"LoneDashIsAName", {"-"}, Mode::Edit, {"-"}, false},
        CommandLineCase{"UnknownOption", {"-notes.lua"}, Mode::Error, {}, true},
        CommandLineCase{"UnknownOptionAmongScripts", {"a.lua", "--frobnicate"}, Mode::Error, {"a.lua"}, true},
        CommandLineCase{"Help", {"--help"}, Mode::Help, {}, false},
        CommandLineCase{"ShortHelp", {"-h"}, Mode::Help, {}, false},
        CommandLineCase{"HelpWinsOverQtOptionsNotYetRemoved", {"-style", "Fusion", "--help"}, Mode::Help, {"Fusion"}, true},
        CommandLineCase{"Version", {"--version"}, Mode::Version, {}, false},
        CommandLineCase{"FirstModeWins", {"--version", "--help"}, Mode::Version, {}, false},
        CommandLineCase{"ExportTakesTheRest", {"--export-html", "a.lua", "-o", "a.html"}, Mode::ExportHtml, {}, false},
        CommandLineCase{"ExportAfterAScript", {"x.lua", "--export-html", "a.lua"}, Mode::ExportHtml, {"x.lua"}, false},
        CommandLineCase{"CheckTakesTheRest", {"--check", "a.lua", "--", "-b.lua"}, Mode::Check, {}, false},
        CommandLineCase{"ReferenceExportTakesTheRest", {"--export-reference", "-", "--help"}, Mode::ExportReference, {}, false},
        CommandLineCase{"ExportNameAfterDashDashIsAFile", {"--", "--export-html"}, Mode::Edit, {"--export-html"}, false}),
    [](const testing::TestParamInfo<CommandLineCase> &info) { return std::string(info.param.name); });

} // namespace
