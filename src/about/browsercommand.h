// How the program registered for web pages is started with a link: its desktop entry's Exec
// line, cut at the address or file placeholder, with the link appended as an argument of its own,
// so that no text of the link is ever read as part of the command.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The longest command line started for a link; a longer one is not started at all.
inline constexpr int kMaxBrowserCommandLength = 519;

struct BrowserCommand {
    QString commandLine;   // the Exec line as cut, a blank and the target
    QStringList arguments; // the program first; the target last, whole
};

// The value of the Exec key of the [Desktop Entry] group with the file's string escapes undone
// (\s, \n, \t, \r, \\); empty when there is none.
QString DesktopEntryExec(const QByteArray &entryText);

// Arguments of an Exec line by the desktop entry quoting rules: blanks separate, double quotes
// group (with \" \` \$ \\ inside), single quotes group literally, a backslash outside quotes takes
// the next character; %% is a percent sign and other field codes are dropped. Nothing when a quote
// is left open.
std::optional<QStringList> SplitExecLine(const QString &exec);

// The Exec line cut before its first %u, %U, %f or %F (before the opening quote when the
// placeholder stands in double quotes), then a blank and the target. Nothing when no program is
// left, a quote is left open, or the command line is longer than kMaxBrowserCommandLength.
std::optional<BrowserCommand> MakeBrowserCommand(const QString &exec, const QString &target);
