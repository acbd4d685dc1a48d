#include "exportcommand.h"

#include "app/fileio.h"
#include "app/initext.h"
#include "app/settings.h"
#include "editor/htmlexport.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const QString kExportOption = QStringLiteral("--export-html");

void Complain(const QString &message)
{
    std::fprintf(stderr, "scriba: %s\n", qPrintable(message));
}

// The styles and tables of "Scriba.ini", read but never written; the defaults without one.
void LoadSettings(const QString &iniPath, Settings &settings)
{
    settings.SetDefaultStyles();
    QFile file(iniPath);
    if (!file.exists()) {
        Complain(QStringLiteral("no configuration file \"%1\"; using the default styles").arg(iniPath));
        return;
    }
    if (QFileInfo(iniPath).isDir() || !file.open(QIODevice::ReadOnly)) {
        Complain(QStringLiteral("cannot read the configuration file \"%1\": %2; using the default styles")
                     .arg(iniPath, QFileInfo(iniPath).isDir() ? QStringLiteral("it is a folder") : file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    std::string header;
    ReadIniText(std::string_view(bytes.constData(), std::size_t(bytes.size())), settings, header);
}

} // namespace

bool IsExportCommand(const QStringList &arguments)
{
    return arguments.contains(kExportOption);
}

int RunExportCommand(const QStringList &arguments, const QString &iniPath)
{
    const qsizetype at = arguments.indexOf(kExportOption);
    const QString input = arguments.value(at + 1);
    const qsizetype outAt = arguments.indexOf(QStringLiteral("-o"));
    if (input.isEmpty() || input.startsWith(QLatin1Char('-')) || (outAt >= 0 && arguments.value(outAt + 1).isEmpty())) {
        Complain(QStringLiteral("usage: scriba --export-html FILE.lua [-o OUT.html]"));
        return 2;
    }
    QFile script(input);
    if (QFileInfo(input).isDir() || !script.open(QIODevice::ReadOnly)) {
        Complain(QStringLiteral("cannot read \"%1\": %2")
                     .arg(input, QFileInfo(input).isDir() ? QStringLiteral("it is a folder") : script.errorString()));
        return 1;
    }
    const QByteArray bytes = script.readAll();
    if (script.error() != QFileDevice::NoError) {
        Complain(QStringLiteral("cannot read \"%1\": %2").arg(input, script.errorString()));
        return 1;
    }
    Settings settings;
    LoadSettings(iniPath, settings);
    const std::string page = ExportHtml(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                        QFileInfo(input).fileName().toStdString(), settings);
    const QString output = outAt >= 0 ? arguments.value(outAt + 1)
                                       : QFileInfo(input).path() + QLatin1Char('/') +
                                             QFileInfo(input).completeBaseName() + QStringLiteral(".html");
    QString error;
    if (!WriteWholeFile(output, page.data(), qint64(page.size()), &error)) {
        Complain(QStringLiteral("cannot write \"%1\": %2").arg(output, error));
        return 1;
    }
    return 0;
}
