// Opens a script or the configuration file for reading without ever blocking: a named pipe, a
// device, a socket or a folder is refused at once, with a cause that says what it is. A file
// that claims no size or lives in /proc or /sys is no file on a disk: it may wait for data that
// never comes (/proc/kmsg) or never end, so it is read without blocking, within a bound, and a
// wait for data ends with a cause.
#pragma once

#include "app/fileio.h"

#include <QByteArray>
#include <QString>

#include <limits>

// The largest script the program holds: positions in the editing control are 32-bit numbers.
// Files, standard input and recovery copies beyond it are refused as too large.
constexpr qint64 kLargestScriptSize = std::numeric_limits<int>::max() - 1;
// The largest configuration file or reference read: anything larger is no hand-made file.
constexpr qint64 kLargestConfigurationSize = qint64(256) << 20;
// The most read of a file that claims no size.
constexpr qint64 kLargestUnsizedRead = qint64(64) << 20;
// How long a file that is not on a disk may keep a reader waiting for data.
constexpr int kLongestReadWaitMs = 1000;

// Reads from fd, which is open without blocking: when no data is there yet, waits at most
// waitMs for some. Bytes read, 0 at the end, -1 with *error on a read error or when the wait
// ended without data.
qint64 ReadWithoutBlocking(int fd, char *buffer, qint64 size, int waitMs, QString *error);

class RegularFileReader {
public:
    explicit RegularFileReader(const QString &path) : m_path(path) {}
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader &) = delete;
    RegularFileReader &operator=(const RegularFileReader &) = delete;

    bool Open();
    // The size and stamp at opening.
    qint64 Size() const { return m_stamp.size; }
    const FileStamp &Stamp() const { return m_stamp; }
    // True for a file read within a bound and without blocking (see above).
    bool IsUnsized() const { return m_unsized; }
    // Bytes read into buffer; 0 at the end, -1 on a read error.
    qint64 Read(char *buffer, qint64 size);
    // The whole file; false on a read error, or when it holds more than limit bytes, which are
    // then not read.
    bool ReadAll(QByteArray &bytes, qint64 limit = kLargestScriptSize);

    // The cause of the last failure, as a short sentence without a full stop.
    const QString &ErrorString() const { return m_error; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_unsized = false;
    qint64 m_read = 0;
    FileStamp m_stamp;
    QString m_error;
};

// The cause for a file of size bytes refused by a limit ("It is too large: ...").
QString SizeLimitCause(qint64 size, qint64 limit);
