#include "about/browsercommand.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const char kTarget[] = "https://example.org/a b;rm -rf ~";

struct CommandCase {
    const char *name;
    QString exec;
    QString commandLine;                  // empty: no command
    QStringList arguments;                // before the target
};

void PrintTo(const CommandCase &c, std::ostream *os) { *os << c.name; }

class BrowserCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(BrowserCommandTest, CutsSplitsAndAppendsTheTargetWhole)
{
    const CommandCase &c = GetParam();
    const std::optional<BrowserCommand> command = MakeBrowserCommand(c.exec, QString::fromLatin1(kTarget));
    if (c.commandLine.isEmpty()) {
        EXPECT_FALSE(command.has_value());
        return;
    }
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->commandLine.toStdString(), c.commandLine.toStdString());
    EXPECT_EQ(command->arguments.join(QLatin1Char('|')).toStdString(),
              (c.arguments + QStringList{QString::fromLatin1(kTarget)}).join(QLatin1Char('|')).toStdString());
}

const QString kT = QString::fromLatin1(kTarget);

INSTANTIATE_TEST_SUITE_P(
    ExecLines, BrowserCommandTest,
    testing::Values(
        CommandCase{"PlainPlaceholderCutThere", "browser %u", "browser  " + kT, {"browser"}},
        CommandCase{"QuotedPlaceholderCutAtTheQuote", "browser \"%U\" --x", "browser  " + kT, {"browser"}},
        CommandCase{"FilePlaceholders", "browser --new %F %f", "browser --new  " + kT, {"browser", "--new"}},
        CommandCase{"NoPlaceholderAppendsAtTheEnd", "browser -w", "browser -w " + kT, {"browser", "-w"}},
        CommandCase{"PercentPairIsNoPlaceholder", "b %%u %u", "b %%u  " + kT, {"b", "%u"}},
        CommandCase{"OtherFieldCodesDropped", "b %i --c=%c %u", "b %i --c=%c  " + kT, {"b", "--c="}},
        CommandCase{"QuotedProgramWithBlanks", "\"/opt/My Browser/b\" %u", "\"/opt/My Browser/b\"  " + kT,
                    {"/opt/My Browser/b"}},
        CommandCase{"EscapesInsideDoubleQuotes", "env \"X=\\\"\\$\\`\\\\\" b %u",
                    "env \"X=\\\"\\$\\`\\\\\" b  " + kT, {"env", "X=\"$`\\", "b"}},
        CommandCase{"SingleQuotesAndBackslash", "'a b' c\\ d %u", "'a b' c\\ d  " + kT, {"a b", "c d"}},
        CommandCase{"EmptyQuotedArgumentKept", "b \"\" %u", "b \"\"  " + kT, {"b", ""}},
        CommandCase{"OpenQuote", "\"b %u", "", {}},
        CommandCase{"PlaceholderInsideQuotedText", "sh -c \"b %u\"", "", {}},
        CommandCase{"NoProgramLeft", "%u", "", {}},
        CommandCase{"OnlyBlanksLeft", "  %U", "", {}}),
    [](const testing::TestParamInfo<CommandCase> &info) { return std::string(info.param.name); });

TEST(BrowserCommandLength, LongestCommandLineIsStartedOneMoreIsNot)
{
    const QString target = QStringLiteral("https://example.org/");
    const QString fits = QStringLiteral("b ") + QString(kMaxBrowserCommandLength - 3 - target.size(), QLatin1Char('x'));
    ASSERT_EQ(fits.size() + 1 + target.size(), kMaxBrowserCommandLength);
    EXPECT_TRUE(MakeBrowserCommand(fits, target).has_value());
    EXPECT_FALSE(MakeBrowserCommand(fits + QLatin1Char('x'), target).has_value());
    // Only what is kept counts: the part after the placeholder is cut off first.
    EXPECT_TRUE(MakeBrowserCommand(fits.chopped(1) + QStringLiteral(" %u") + QString(2000, QLatin1Char('y')),
                                   target)
                    .has_value());
}

struct EntryCase {
    const char *name;
    const char *text;
    QString exec;
};

void PrintTo(const EntryCase &c, std::ostream *os) { *os << c.name; }

class DesktopEntryExecTest : public testing::TestWithParam<EntryCase> {};

TEST_P(DesktopEntryExecTest, ReadsTheMainGroupsExec)
{
    EXPECT_EQ(DesktopEntryExec(GetParam().text).toStdString(), GetParam().exec.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DesktopEntryExecTest,
    testing::Values(
        EntryCase{"Plain", "[Desktop Entry]\nName=B\nExec=browser %u\n", "browser %u"},
        EntryCase{"BlanksAroundEqualsAndCrLf", "[Desktop Entry]\r\nExec = b --x %U\r\n", "b --x %U"},
        EntryCase{"StringEscapesUndone", "[Desktop Entry]\nExec=\"/a\\sb/c\" \"x\\\\\\\\y\" \\$ %u",
                  "\"/a b/c\" \"x\\\\y\" \\$ %u"},
        EntryCase{"OtherGroupAndLocalisedKeyIgnored",
                  "[Desktop Action new]\nExec=b --new %u\n[Desktop Entry]\nExec[de]=d %u\n#Exec=c\nExec=a %u\n",
                  "a %u"},
        EntryCase{"NoExec", "[Desktop Entry]\nName=B\n", ""},
        EntryCase{"ExecOutsideAnyGroup", "Exec=b %u\n", ""}),
    [](const testing::TestParamInfo<EntryCase> &info) { return std::string(info.param.name); });

} // namespace
