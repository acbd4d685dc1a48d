#include "ownfolder.h"

#include "app/fileio.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

QString FolderCause(const QString &path, const QString &what)
{
    return QStringLiteral("the folder %1 %2").arg(QuotedPath(path), what);
}

bool WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, std::size_t(std::min<qint64>(size, 1 << 30)));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= done;
    }
    return true;
}

} // namespace

OwnFolder::~OwnFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

OwnFolder::OwnFolder(OwnFolder &&other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path))
{
    other.m_fd = -1;
}

OwnFolder &OwnFolder::operator=(OwnFolder &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

// A group of the user's own: where every user has a group of the same name with no other
// members (the usual set-up, with a umask of 002), a folder that group may write is still
// written by its owner alone.
bool OwnFolder::IsPrivateGroup(gid_t group)
{
    const struct passwd *user = getpwuid(geteuid());
    const struct group *entry = getgrgid(group);
    if (!user || !entry || user->pw_gid != group || std::strcmp(user->pw_name, entry->gr_name) != 0)
        return false;
    return !entry->gr_mem || !entry->gr_mem[0] || (std::strcmp(entry->gr_mem[0], user->pw_name) == 0 && !entry->gr_mem[1]);
}

QString OwnFolder::RefusalOf(const struct stat &st, const QString &path)
{
    if (S_ISLNK(st.st_mode))
        return FolderCause(path, QStringLiteral("is a symbolic link"));
    if (!S_ISDIR(st.st_mode))
        return FolderCause(path, QStringLiteral("is not a folder"));
    if (st.st_uid != geteuid())
        return FolderCause(path, QStringLiteral("belongs to another user (user id %1)").arg(st.st_uid));
    if ((st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && !IsPrivateGroup(st.st_gid)))
        return FolderCause(path, QStringLiteral("may be written by other users (mode %1)")
                                     .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')));
    return QString();
}

OwnFolder OwnFolder::OpenOwn(int parentFd, const QByteArray &name, const QString &path, bool make, QString *cause)
{
    auto refuse = [cause](const QString &why) {
        if (cause)
            *cause = why;
        return OwnFolder();
    };
    auto failed = [&path](const char *what) {
        return QStringLiteral("could not %1 the folder %2: %3").arg(QLatin1String(what), QuotedPath(path), ErrnoText(errno));
    };
    struct stat st;
    if (fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const QString refusal = RefusalOf(st, path); !refusal.isEmpty())
            return refuse(refusal);
    } else if (errno != ENOENT || !make) {
        return refuse(failed("open"));
    } else if (mkdirat(parentFd, name.constData(), 0700) != 0 && errno != EEXIST) {
        return refuse(failed("create"));
    }
    // What was looked at may have been swapped since: the open refuses a link, and the status
    // of what was opened decides.
    const int fd = openat(parentFd, name.constData(), kFolderFlags);
    if (fd < 0)
        return refuse(errno == ELOOP ? FolderCause(path, QStringLiteral("is a symbolic link")) : failed("open"));
    OwnFolder folder(fd, path);
    if (fstat(fd, &st) != 0)
        return refuse(failed("open"));
    if (const QString refusal = RefusalOf(st, path); !refusal.isEmpty())
        return refuse(refusal);
    return folder;
}

OwnFolder OwnFolder::Open(const QString &path, int ownParts, QString *cause)
{
    const QString clean = QDir::cleanPath(path);
    const QStringList parts = clean.split(QLatin1Char('/'));
    if (!clean.startsWith(QLatin1Char('/')) || parts.size() < 2 || parts.last().isEmpty()) {
        *cause = QStringLiteral("the folder %1 is not a full path").arg(QuotedPath(path));
        return OwnFolder();
    }
    ownParts = std::clamp<int>(ownParts, 1, int(parts.size()) - 1);
    const QStringList own = parts.mid(parts.size() - ownParts);
    QString above = parts.mid(0, parts.size() - ownParts).join(QLatin1Char('/'));
    if (above.isEmpty())
        above = QStringLiteral("/");
    QDir().mkpath(above);
    const int aboveFd = ::open(EncodeFileName(above).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (aboveFd < 0) {
        *cause = QStringLiteral("could not create the folder %1: %2").arg(QuotedPath(clean), ErrnoText(errno));
        return OwnFolder();
    }
    OwnFolder folder(aboveFd, above);
    for (const QString &part : own) {
        const QString partPath = folder.m_path.endsWith(QLatin1Char('/')) ? folder.m_path + part
                                                                          : folder.m_path + QLatin1Char('/') + part;
        folder = OpenOwn(folder.m_fd, EncodeFileName(part), partPath, true, cause);
        if (!folder.IsOpen())
            return folder;
    }
    return folder;
}

OwnFolder OwnFolder::OpenForFile(const QString &filePath, int ownParts, QString *cause)
{
    const QString clean = AbsoluteFilePath(filePath);
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    OwnFolder folder = Open(clean.left(slash), ownParts, cause);
    if (!folder.IsOpen())
        return folder;
    struct stat st;
    const QByteArray name = EncodeFileName(clean.mid(slash + 1));
    if (!folder.StatusOf(name, st) || S_ISLNK(st.st_mode))
        return folder;
    if (!S_ISREG(st.st_mode))
        *cause = QStringLiteral("the file %1 is not a regular file").arg(QuotedPath(clean));
    else if (st.st_uid != geteuid())
        *cause = QStringLiteral("the file %1 belongs to another user (user id %2)").arg(QuotedPath(clean)).arg(st.st_uid);
    else
        return folder;
    return OwnFolder();
}

bool OwnFolder::StatusOf(const QByteArray &name, struct stat &st) const
{
    return fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

OwnFolder OwnFolder::Sub(const QByteArray &name, bool make, QString *cause) const
{
    return OpenOwn(m_fd, name, m_path + QLatin1Char('/') + DecodeFileName(name), make, cause);
}

bool OwnFolder::HoldsOwnFolder(const QByteArray &name) const
{
    struct stat st;
    return fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && RefusalOf(st, QString()).isEmpty();
}

QList<QByteArray> OwnFolder::Names() const
{
    QList<QByteArray> names;
    const int fd = ::dup(m_fd);
    DIR *dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    rewinddir(dir); // the duplicate shares its position with the folder's own descriptor
    while (const dirent *entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    closedir(dir);
    return names;
}

qint64 OwnFolder::SizeOf(const QByteArray &name) const
{
    struct stat st;
    if (fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return st.st_size;
}

OwnFolder::Read OwnFolder::ReadFile(const QByteArray &name, qint64 limit, QByteArray &bytes, qint64 *size) const
{
    bytes.clear();
    // Non-blocking: a named pipe planted under the name must not hold the start-up.
    const int fd = openat(m_fd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Read::Skipped;
    struct stat st;
    Read result = Read::Skipped;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid()) {
        if (size)
            *size = st.st_size;
        result = st.st_size > limit ? Read::TooLarge : Read::Ok;
    }
    if (result == Read::Ok) {
        bytes.resize(st.st_size);
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, std::size_t(bytes.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        bytes.truncate(done); // a copy that shrank meanwhile
    }
    ::close(fd);
    return result;
}

bool OwnFolder::WriteFile(const QByteArray &name, const QByteArray &bytes, QString *error) const
{
    const QByteArray temporary = TemporaryName(name);
    unlinkat(m_fd, temporary.constData(), 0); // left by a crash
    const int fd = openat(m_fd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool written = fd >= 0 && WriteAll(fd, bytes.constData(), bytes.size()) && fsync(fd) == 0;
    const int cause = errno;
    if (fd >= 0)
        written = ::close(fd) == 0 && written;
    // The rename replaces whatever name was, a planted link included, without following it.
    if (written && renameat(m_fd, temporary.constData(), m_fd, name.constData()) == 0) {
        fsync(m_fd);
        return true;
    }
    *error = QStringLiteral("Could not write %1: %2")
                 .arg(QuotedPath(m_path + QLatin1Char('/') + DecodeFileName(name)), ErrnoText(written ? errno : cause));
    unlinkat(m_fd, temporary.constData(), 0);
    return false;
}

bool OwnFolder::Remove(const QByteArray &name) const
{
    return unlinkat(m_fd, name.constData(), 0) == 0;
}

bool OwnFolder::RemoveFolder(const QByteArray &name) const
{
    return unlinkat(m_fd, name.constData(), AT_REMOVEDIR) == 0;
}

bool OwnFolder::MoveTo(const QByteArray &name, const OwnFolder &to, const QByteArray &toName) const
{
    return renameat(m_fd, name.constData(), to.m_fd, toName.constData()) == 0;
}
