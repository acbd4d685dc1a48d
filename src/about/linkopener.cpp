#include "linkopener.h"

#include "about/browsercommand.h"
#include "about/linkerror.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int kQueryTimeoutMs = 3000;
constexpr qint64 kMaxEntrySize = 1 << 20;

// The program as the system would start it from PATH: the first executable of that name, else
// the first file of that name (which then may not be run), else nothing.
QString FindOnPath(const QString &name)
{
    QString firstFound;
    for (const QString &folder : qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QFileInfo candidate(QDir(folder).filePath(name));
        if (!candidate.exists())
            continue;
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.filePath();
        if (firstFound.isEmpty())
            firstFound = candidate.filePath();
    }
    return firstFound;
}

// The desktop entry file of a desktop id: "a-b.desktop" may also live at "a/b.desktop".
QString DesktopEntryPath(const QString &id)
{
    if (id.isEmpty() || id.contains(QLatin1Char('/')))
        return QString();
    QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    const qsizetype dash = id.indexOf(QLatin1Char('-'));
    if (path.isEmpty() && dash > 0)
        path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                      id.left(dash) + QLatin1Char('/') + id.mid(dash + 1));
    return path;
}

} // namespace

bool LinkOpener::OpenUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QString LinkOpener::HtmlHandlerExec()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                              QStringLiteral("text/html")});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0)
        return QString();
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
    QFile entry(DesktopEntryPath(id));
    if (entry.fileName().isEmpty() || !entry.open(QIODevice::ReadOnly))
        return QString();
    return DesktopEntryExec(entry.read(kMaxEntrySize));
}

int LinkOpener::StartDetached(const QStringList &arguments)
{
    const QString program = arguments.value(0);
    const QString path = program.contains(QLatin1Char('/')) ? program : FindOnPath(program);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return kLinkFileNotFound;
    if (!info.isFile() || !info.isExecutable())
        return kLinkAccessDenied;
    return QProcess::startDetached(info.absoluteFilePath(), arguments.mid(1)) ? kLinkOpened : kLinkStartFailed;
}
