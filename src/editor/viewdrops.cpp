#include "viewdrops.h"

#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <algorithm>

bool IsFileDrop(const QMimeData *data)
{
    if (!data->hasUrls())
        return false;
    const QStringList formats = data->formats();
    const bool hasText = std::any_of(formats.begin(), formats.end(), [](const QString &format) {
        return format.startsWith(QLatin1String("text/plain"));
    });
    if (!hasText)
        return true;
    QStringList names;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return false;
        names << url.toString() << url.toLocalFile();
    }
    const QStringList lines = data->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return std::all_of(lines.begin(), lines.end(),
                       [&](const QString &line) { return names.contains(line.trimmed()); });
}

QString DroppedScriptPath(const QMimeData *data)
{
    const QString path = data->urls().value(0).toLocalFile();
    return path.endsWith(QLatin1String(".lua"), Qt::CaseSensitive) ? path : QString();
}
