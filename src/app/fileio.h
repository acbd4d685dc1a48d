// Small file helpers shared by documents, the configuration file, the HTML export and the
// recovery copies: file names as the system stores them, file identity, and whole-file writes.
#pragma once

#include "app/safefilewriter.h"

#include <QByteArray>
#include <QString>

struct stat;

// The path between double quotes, as messages show file names.
QString QuotedPath(const QString &path);

// File names are bytes. These turn them into text and back without loss: a byte that is not
// part of well-formed UTF-8 becomes one lone surrogate (U+DC80 to U+DCFF), which turns back
// into the same byte. Every file name the program touches goes through them.
QByteArray EncodeFileName(const QString &name);
QString DecodeFileName(const QByteArray &bytes);
// True when the name holds bytes that are not UTF-8 (and so cannot pass through the toolkit).
bool HasUndecodableBytes(const QString &name);
// The absolute, cleaned path and its last part, computed on the text alone: the toolkit's own
// file information would lose the bytes that are not UTF-8.
QString AbsoluteFilePath(const QString &path);
QString FileNameOf(const QString &path);

// What a file is on disk, from one stat: enough to notice that another program changed it.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
// The stamp of the file the path names (symbolic links followed); exists is false without one.
FileStamp StampOf(const QString &path);
FileStamp StampFromStat(const struct stat &st);
// True when both paths name one existing file: links, hard links and ".." do not hide it.
bool IsSameFile(const FileStamp &a, const FileStamp &b);
// True when the path names a file that grants no write permission: no write bit at all (root
// included), or none for this user.
bool IsReadOnlyFile(const QString &path);
// The cause for a path that exists but is not a regular file ("It is a folder, not a file"),
// from its st_mode; empty for a regular file.
QString NotARegularFileCause(unsigned mode);
// Why bytes read from a file are not plain text ("It is not a plain text file: ..."); empty when
// they are. A zero byte is the sign: binary data and UTF-16 or UTF-32 text hold them, plain text
// never does.
QString NotPlainTextCause(const QByteArray &bytes);
// The system's text for an errno value.
QString ErrnoText(int error);

// Replaces the file with the bytes through SafeFileWriter. On failure error holds the cause.
bool WriteWholeFile(const QString &path, const char *data, qint64 size, QString *error,
                    const SafeFileWriter::Options &options = {});

// The filter the script file dialogs offer.
inline QString ScriptFileFilter()
{
    return QStringLiteral("Lua Script Files (*.lua)");
}
