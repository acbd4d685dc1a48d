// Writes a file so that a failure at any moment (a full disk, a crash, a power loss) leaves one
// whole version of it, the old or the new, and so that the file stays what it was: owner,
// group, permission bits (setgid included), hard links and symbolic links.
//
// The usual way: a temporary beside the file, synced, renamed over it, then the folder synced.
// Where a rename would change what the file is (an owner or group this user cannot give the new
// file, or a second hard link), the file is written in place instead, after a whole copy of its
// old content has been synced beside it; that copy goes once the new content is on the disk,
// and a failure on the way puts the old content back. A file this user may write in a folder
// closed to new files is written in place too, its old content kept in the temporary folder.
// A symbolic link is followed and its target written. Anything that is not a regular file is
// never replaced, and a file without write permission only when the caller says so.
#pragma once

#include <QByteArray>
#include <QString>

struct stat;

class SafeFileWriter {
public:
    struct Options {
        bool overwriteReadOnly = false;
        unsigned newFileMode = 0666; // for a file that does not exist yet, before the umask
    };

    SafeFileWriter(const QString &path, Options options);
    explicit SafeFileWriter(const QString &path, bool overwriteReadOnly = false);
    // Cancels unless committed.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    bool Open();
    bool Write(const char *data, qint64 size);
    // The new content is on the disk when this returns true.
    bool Commit();
    // Leaves the old file as it was.
    void Cancel();

    // The cause of the last failure, as a short sentence without a full stop.
    const QString &ErrorString() const { return m_error; }
    // True when Open refused a file without write permission.
    bool RefusedReadOnly() const { return m_refusedReadOnly; }

private:
    enum class Way { None, Rename, InPlace };

    bool Fail(int error);
    bool Fail(const QString &cause);
    // A new file in folder for m_temporary; errno tells the cause on failure.
    bool CreateTemporary(const QByteArray &folder, unsigned mode);
    bool TakeOverIdentity(const struct stat &old);
    bool StartInPlace(const struct stat &old);
    bool CommitRename();
    bool CommitInPlace();
    bool RestoreFromBackup();
    void RestoreMode() const;
    void SyncFolder() const;
    void CloseFile();

    QString m_path;
    Options m_options;
    QByteArray m_target;    // the file really written, links followed
    QByteArray m_temporary; // the new content (Rename) or the old content's backup (InPlace)
    int m_fd = -1;          // where Write goes
    Way m_way = Way::None;
    qint64 m_written = 0;
    unsigned m_oldMode = 0;     // the permission bits of the file replaced, set again at the end
    bool m_committed = false;
    bool m_refusedReadOnly = false;
    QString m_error;
};
