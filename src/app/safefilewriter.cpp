#include "safefilewriter.h"

#include "app/fileio.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkDepth = 40;
constexpr qsizetype kMaxTemporaryStem = 200; // keeps ".stem.XXXXXX" within NAME_MAX

QByteArray FolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The file a path really names: symbolic links followed, a dangling one to the file it would
// create. False (errno set) for a loop or an unreadable link.
bool FollowLinks(QByteArray &path)
{
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st;
        if (lstat(path.constData(), &st) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(st.st_mode))
            return true;
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = readlink(path.constData(), link.data(), std::size_t(link.size()));
        if (length < 0)
            return false;
        link.truncate(length);
        path = link.startsWith('/') ? link : FolderOf(path) + '/' + link;
    }
    errno = ELOOP;
    return false;
}

bool WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, std::size_t(std::min<qint64>(size, 1 << 30)));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

// Copies the whole of from (read from its start) to to (written from its start).
bool CopyContent(int from, int to)
{
    if (lseek(from, 0, SEEK_SET) < 0 || lseek(to, 0, SEEK_SET) < 0)
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), std::size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!WriteAll(to, buffer.constData(), got))
            return false;
        total += got;
    }
    return ftruncate(to, total) == 0 && fsync(to) == 0;
}

void SyncFolderOf(const QByteArray &file)
{
    const int folder = ::open(FolderOf(file).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    fsync(folder); // some file systems cannot sync a folder; the rename stands either way
    ::close(folder);
}

bool SameIdentity(const struct stat &a, const struct stat &b)
{
    return a.st_uid == b.st_uid && a.st_gid == b.st_gid && (a.st_mode & 07777) == (b.st_mode & 07777);
}

} // namespace

SafeFileWriter::SafeFileWriter(const QString &path, Options options) : m_path(path), m_options(options) {}

SafeFileWriter::SafeFileWriter(const QString &path, bool overwriteReadOnly)
    : SafeFileWriter(path, Options{overwriteReadOnly, 0666})
{
}

SafeFileWriter::~SafeFileWriter()
{
    if (!m_committed)
        Cancel();
}

bool SafeFileWriter::Fail(int error)
{
    return Fail(ErrnoText(error));
}

bool SafeFileWriter::Fail(const QString &cause)
{
    m_error = cause;
    return false;
}

bool SafeFileWriter::Open()
{
    m_target = EncodeFileName(m_path);
    if (!FollowLinks(m_target))
        return Fail(errno);
    struct stat old;
    const bool exists = stat(m_target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return Fail(errno);
    if (exists && !S_ISREG(old.st_mode))
        return Fail(NotARegularFileCause(old.st_mode));
    if (exists && IsReadOnlyFile(DecodeFileName(m_target)) && !m_options.overwriteReadOnly) {
        m_refusedReadOnly = true;
        return Fail(QStringLiteral("It is read-only"));
    }
    m_oldMode = exists ? old.st_mode & 07777 : 0;
    if (!CreateTemporary(FolderOf(m_target), exists ? 0600 : m_options.newFileMode)) {
        // A folder closed to new files may still hold a file this user may write, as any
        // editor would: it is written in place, its old content kept meanwhile where this
        // user keeps temporary files.
        if (!exists || errno != EACCES || !CreateTemporary(EncodeFileName(QDir::tempPath()), 0600))
            return false;
        return StartInPlace(old);
    }
    m_way = Way::Rename;
    if (!exists || (old.st_nlink == 1 && TakeOverIdentity(old)))
        return true;
    return StartInPlace(old);
}

bool SafeFileWriter::CreateTemporary(const QByteArray &folder, unsigned mode)
{
    const QByteArray stem = m_target.mid(m_target.lastIndexOf('/') + 1).left(kMaxTemporaryStem);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(6, 'x');
        for (char &c : suffix)
            c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        m_temporary = folder + "/." + stem + '.' + suffix;
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    m_temporary.clear();
    Fail(error);
    errno = error; // the caller tells a folder closed to new files from other causes
    return false;
}

bool SafeFileWriter::TakeOverIdentity(const struct stat &old)
{
    struct stat now;
    if (fstat(m_fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && fchown(m_fd, old.st_uid, old.st_gid) != 0)
        return false;
    // After fchown, as changing the owner clears setuid and setgid.
    if (fchmod(m_fd, old.st_mode & 07777) != 0 || fstat(m_fd, &now) != 0)
        return false;
    return SameIdentity(now, old);
}

bool SafeFileWriter::StartInPlace(const struct stat &old)
{
    m_way = Way::InPlace;
    const int original = ::open(m_target.constData(), O_RDONLY | O_CLOEXEC);
    if (original < 0)
        return Fail(errno);
    const bool copied = CopyContent(original, m_fd);
    const int copyError = errno;
    ::close(original);
    ::close(m_fd);
    m_fd = -1;
    if (!copied)
        return Fail(copyError);
    SyncFolderOf(m_temporary);
    m_fd = ::open(m_target.constData(), O_WRONLY | O_CLOEXEC);
    if (m_fd < 0 && errno == EACCES && m_options.overwriteReadOnly && old.st_uid == geteuid() &&
        chmod(m_target.constData(), m_oldMode | S_IWUSR) == 0) {
        m_fd = ::open(m_target.constData(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0)
            chmod(m_target.constData(), m_oldMode);
    }
    return m_fd >= 0 || Fail(errno);
}

bool SafeFileWriter::Write(const char *data, qint64 size)
{
    if (m_fd < 0)
        return false;
    if (!WriteAll(m_fd, data, size))
        return Fail(errno);
    m_written += size;
    return true;
}

bool SafeFileWriter::Commit()
{
    if (m_fd < 0)
        return false;
    const bool done = m_way == Way::Rename ? CommitRename() : CommitInPlace();
    if (done) {
        m_committed = true;
        SyncFolder();
    }
    return done;
}

bool SafeFileWriter::CommitRename()
{
    // Writing as an ordinary user clears the setgid bit again: the bits go on last.
    if (m_oldMode && fchmod(m_fd, m_oldMode) != 0)
        return Fail(errno);
    const bool synced = fsync(m_fd) == 0;
    const int syncError = errno;
    const bool closed = ::close(m_fd) == 0;
    const int closeError = errno;
    m_fd = -1;
    if (!synced || !closed)
        return Fail(!synced ? syncError : closeError);
    if (rename(m_temporary.constData(), m_target.constData()) != 0)
        return Fail(errno);
    m_temporary.clear();
    return true;
}

bool SafeFileWriter::CommitInPlace()
{
    if (ftruncate(m_fd, m_written) != 0 || fsync(m_fd) != 0)
        return Fail(errno);
    RestoreMode();
    CloseFile();
    unlink(m_temporary.constData());
    m_temporary.clear();
    return true;
}

void SafeFileWriter::Cancel()
{
    if (m_way == Way::InPlace && !m_temporary.isEmpty()) {
        if (RestoreFromBackup())
            unlink(m_temporary.constData());
        else
            m_error += QStringLiteral(". The old content is kept in %1").arg(QuotedPath(DecodeFileName(m_temporary)));
    } else if (!m_temporary.isEmpty()) {
        unlink(m_temporary.constData());
    }
    CloseFile();
    m_temporary.clear();
    m_way = Way::None;
    m_committed = true; // nothing left to undo
}

bool SafeFileWriter::RestoreFromBackup()
{
    if (m_fd < 0)
        return true; // the file itself was never opened for writing
    const int backup = ::open(m_temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (backup < 0)
        return false;
    const bool restored = CopyContent(backup, m_fd);
    ::close(backup);
    RestoreMode();
    return restored;
}

void SafeFileWriter::RestoreMode() const
{
    // Writing cleared the setgid bit, or the write bit was lent for a read-only file. Only the
    // owner (or root) can set them again; another user's file keeps what the system left.
    struct stat now;
    if (fstat(m_fd, &now) == 0 && (now.st_mode & 07777) != m_oldMode)
        fchmod(m_fd, m_oldMode);
}

void SafeFileWriter::CloseFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void SafeFileWriter::SyncFolder() const
{
    SyncFolderOf(m_target);
}
