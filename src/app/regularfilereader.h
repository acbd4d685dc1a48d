// Opens a script or the configuration file for reading without ever blocking: a named pipe, a
// device, a socket or a folder is refused at once, with a cause that says what it is.
#pragma once

#include "app/fileio.h"

#include <QByteArray>
#include <QString>

#include <limits>

// The largest script the program holds: positions in the editing control are 32-bit numbers.
// Files, standard input and recovery copies beyond it are refused as too large.
constexpr qint64 kLargestScriptSize = std::numeric_limits<int>::max() - 1;

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
    // Bytes read into buffer; 0 at the end, -1 on a read error.
    qint64 Read(char *buffer, qint64 size);
    // The whole file; false on a read error.
    bool ReadAll(QByteArray &bytes);

    // The cause of the last failure, as a short sentence without a full stop.
    const QString &ErrorString() const { return m_error; }

private:
    QString m_path;
    int m_fd = -1;
    FileStamp m_stamp;
    QString m_error;
};
