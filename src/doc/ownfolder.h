// A folder of this user's own, worked on through an open descriptor so that no name under it is
// ever resolved through a symbolic link: every file and folder in it is opened relative to the
// descriptor without following links, and checked after opening. What is a link, is not a
// regular file or folder, or belongs to another user is never read, written, entered or
// deleted through; only a link's own name may be removed.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct stat;

class OwnFolder {
public:
    // The result of reading a file.
    enum class Read { Ok, Skipped, TooLarge };

    OwnFolder() = default;
    ~OwnFolder();
    OwnFolder(OwnFolder &&other) noexcept;
    OwnFolder &operator=(OwnFolder &&other) noexcept;
    OwnFolder(const OwnFolder &) = delete;
    OwnFolder &operator=(const OwnFolder &) = delete;

    // Opens path, whose last ownParts parts must be folders of this user's that nobody else
    // may write to; those that are missing are made, open to this user alone. The parts above
    // them are taken as the system resolves them (made when missing). Not open, with the cause
    // ("the folder "..." is a symbolic link"), when the folder cannot be used.
    static OwnFolder Open(const QString &path, int ownParts, QString *cause);

    // The folder of filePath, opened as Open does, when the file may be replaced in it: it is
    // missing, a link (a rename replaces the link itself), or a regular file of this user's.
    // Not open, with the cause, otherwise.
    static OwnFolder OpenForFile(const QString &filePath, int ownParts, QString *cause);

    bool IsOpen() const { return m_fd >= 0; }
    const QString &Path() const { return m_path; }

    // The folder name in this one, made first when make says so; checked as Open checks.
    OwnFolder Sub(const QByteArray &name, bool make, QString *cause = nullptr) const;
    // True when name is a folder of this user's that nobody else may write to (not a link).
    bool HoldsOwnFolder(const QByteArray &name) const;
    // The names in the folder, "." and ".." left out.
    QList<QByteArray> Names() const;
    // The status of name itself (a link is not followed); false when there is none.
    bool StatusOf(const QByteArray &name, struct stat &st) const;
    // The size of the regular file name (links not followed); -1 when it is not one.
    qint64 SizeOf(const QByteArray &name) const;

    // Reads the regular file name of this user's into bytes; TooLarge (with its size in
    // *size) when it holds more than limit bytes, which are then not read.
    Read ReadFile(const QByteArray &name, qint64 limit, QByteArray &bytes, qint64 *size = nullptr) const;
    // Replaces name with the bytes, open to this user alone: written to a temporary in the
    // folder, put on the disk and renamed over name, which is never written through.
    bool WriteFile(const QByteArray &name, const QByteArray &bytes, QString *error) const;
    // Removes the name itself (a link, not what it points to). False when nothing was removed.
    bool Remove(const QByteArray &name) const;
    // Removes the folder name when it is empty.
    bool RemoveFolder(const QByteArray &name) const;
    // Moves name into the folder to as toName.
    bool MoveTo(const QByteArray &name, const OwnFolder &to, const QByteArray &toName) const;

    // The temporary WriteFile uses for name.
    static QByteArray TemporaryName(const QByteArray &name) { return '.' + name + ".new"; }

    // Why a folder with this status is not the user's own to write in: a link, not a folder,
    // another owner, or writable by others (a group of the user's own aside); empty when it is.
    static QString RefusalOf(const struct stat &st, const QString &path);
    static bool IsPrivateGroup(gid_t group);

private:
    OwnFolder(int fd, const QString &path) : m_fd(fd), m_path(path) {}
    // The cause that keeps a folder with this status from being used; empty when it may be.
    static OwnFolder OpenOwn(int parentFd, const QByteArray &name, const QString &path, bool make, QString *cause);

    int m_fd = -1;
    QString m_path;
};
