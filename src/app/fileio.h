// Small file helpers shared by documents, the configuration file and the HTML export.
#pragma once

#include <QString>

// The path between double quotes, as messages show file names.
QString QuotedPath(const QString &path);

// Replaces the file with the bytes through a temporary beside it, so a failed or interrupted
// write leaves the old file as it was. On failure error holds the cause.
bool WriteWholeFile(const QString &path, const char *data, qint64 size, QString *error);

// The filter the script file dialogs offer.
inline QString ScriptFileFilter()
{
    return QStringLiteral("Lua Script Files (*.lua)");
}
