#include "fileio.h"

#include <QDir>
#include <QSaveFile>

QString QuotedPath(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

bool WriteWholeFile(const QString &path, const char *data, qint64 size, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data, size) == size && file.commit())
        return true;
    *error = file.errorString();
    file.cancelWriting();
    return false;
}
