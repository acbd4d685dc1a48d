#include "browsercommand.h"

#include <QStringView>

namespace {

// The string escapes of desktop entry values; any other backslash pair is kept for the Exec
// quoting rules to read.
QString UnescapeEntryValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[i + 1].toLatin1();
        switch (next) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case '\\': out += QLatin1Char('\\'); break;
        default: out += c; out += value[i + 1]; break;
        }
        ++i;
    }
    return out;
}

// Index of the first address or file placeholder, -1 when there is none; "%%" is skipped whole.
qsizetype PlaceholderIndex(const QString &exec)
{
    for (qsizetype i = 0; i + 1 < exec.size(); ++i) {
        if (exec[i] != QLatin1Char('%'))
            continue;
        if (QStringView(u"uUfF").contains(exec[i + 1]))
            return i;
        ++i;
    }
    return -1;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

} // namespace

QString DesktopEntryExec(const QByteArray &entryText)
{
    bool inMainGroup = false;
    for (QByteArray line : entryText.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('['))
            inMainGroup = line == "[Desktop Entry]";
        if (!inMainGroup || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == "Exec")
            return UnescapeEntryValue(QString::fromUtf8(line.mid(equals + 1).trimmed()));
    }
    return QString();
}

std::optional<QStringList> SplitExecLine(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false; // something beyond field codes belongs to the argument
    const qsizetype size = exec.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = exec[i];
        if (IsBlank(c)) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('\'')) {
            const qsizetype close = exec.indexOf(c, i + 1);
            if (close < 0)
                return std::nullopt;
            current += exec.mid(i + 1, close - i - 1);
            i = close;
            inArgument = true;
        } else if (c == QLatin1Char('"')) {
            for (++i; i < size && exec[i] != QLatin1Char('"'); ++i) {
                if (exec[i] == QLatin1Char('\\') && i + 1 < size && QStringView(u"\"`$\\").contains(exec[i + 1]))
                    ++i;
                current += exec[i];
            }
            if (i == size)
                return std::nullopt;
            inArgument = true;
        } else if (c == QLatin1Char('\\') && i + 1 < size) {
            current += exec[++i];
            inArgument = true;
        } else if (c == QLatin1Char('%') && i + 1 < size) {
            // A field code this program has nothing for is dropped, as the desktop does.
            if (exec[++i] == QLatin1Char('%')) {
                current += c;
                inArgument = true;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}

std::optional<BrowserCommand> MakeBrowserCommand(const QString &exec, const QString &target)
{
    qsizetype cut = PlaceholderIndex(exec);
    if (cut < 0)
        cut = exec.size();
    else if (cut > 0 && exec[cut - 1] == QLatin1Char('"') && cut + 2 < exec.size() && exec[cut + 2] == QLatin1Char('"'))
        --cut;
    const QString program = exec.left(cut);
    BrowserCommand command;
    command.commandLine = program + QLatin1Char(' ') + target;
    if (command.commandLine.size() > kMaxBrowserCommandLength)
        return std::nullopt;
    std::optional<QStringList> arguments = SplitExecLine(program);
    if (!arguments || arguments->isEmpty())
        return std::nullopt;
    command.arguments = *arguments + QStringList{target};
    return command;
}
