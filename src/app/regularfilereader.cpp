#include "regularfilereader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr long kProcFileSystem = 0x9fa0;
constexpr long kSysFileSystem = 0x62656572;

// /proc and /sys hold the kernel's files: their sizes mean nothing and some wait for data.
bool IsKernelFile(int fd)
{
    struct statfs fs;
    return fstatfs(fd, &fs) == 0 && (long(fs.f_type) == kProcFileSystem || long(fs.f_type) == kSysFileSystem);
}

QString MegabytesOf(qint64 bytes)
{
    return QString::number((bytes + (1 << 20) - 1) >> 20);
}

} // namespace

QString SizeLimitCause(qint64 size, qint64 limit)
{
    return size > 0 ? QStringLiteral("It is too large: %1 MB, where at most %2 MB are read").arg(MegabytesOf(size), MegabytesOf(limit))
                    : QStringLiteral("It is too large: more than the %1 MB read at most").arg(MegabytesOf(limit));
}

qint64 ReadWithoutBlocking(int fd, char *buffer, qint64 size, int waitMs, QString *error)
{
    for (;;) {
        const ssize_t got = ::read(fd, buffer, std::size_t(size));
        if (got >= 0)
            return got;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            *error = ErrnoText(errno);
            return -1;
        }
        pollfd wait{fd, POLLIN, 0};
        int ready;
        do
            ready = poll(&wait, 1, waitMs);
        while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            *error = QStringLiteral("It gave no data within %1 ms: it is no file on a disk but one that waits for "
                                    "data, as a device does")
                         .arg(waitMs);
            return -1;
        }
        if (ready < 0) {
            *error = ErrnoText(errno);
            return -1;
        }
    }
}

RegularFileReader::~RegularFileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RegularFileReader::Open()
{
    const QByteArray name = EncodeFileName(m_path);
    struct stat st;
    // Look before opening: opening a device may do something, a pipe may wait for a writer.
    if (stat(name.constData(), &st) != 0) {
        m_error = ErrnoText(errno);
        return false;
    }
    m_error = NotARegularFileCause(st.st_mode);
    if (!m_error.isEmpty())
        return false;
    // Non-blocking in case the name was swapped for a pipe meanwhile; fstat decides.
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0 || fstat(m_fd, &st) != 0) {
        m_error = ErrnoText(errno);
        return false;
    }
    m_error = NotARegularFileCause(st.st_mode);
    if (!m_error.isEmpty())
        return false;
    m_unsized = st.st_size == 0 || IsKernelFile(m_fd);
    if (!m_unsized)
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_stamp = StampFromStat(st);
    return true;
}

qint64 RegularFileReader::Read(char *buffer, qint64 size)
{
    if (m_unsized && m_read > kLargestUnsizedRead)
        return -1;
    if (m_unsized) {
        // Read in whole pieces (some kernel files take no other), so the bound may be passed
        // by one piece before the file is refused.
        const qint64 got = ReadWithoutBlocking(m_fd, buffer, size, kLongestReadWaitMs, &m_error);
        m_read += std::max<qint64>(got, 0);
        if (m_read <= kLargestUnsizedRead)
            return got;
        m_error = QStringLiteral("It claims no size and holds more than the %1 MB read of such a file")
                      .arg(kLargestUnsizedRead >> 20);
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, std::size_t(size));
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            m_error = ErrnoText(errno);
            return -1;
        }
    }
}

bool RegularFileReader::ReadAll(QByteArray &bytes, qint64 limit)
{
    bytes.clear();
    if (Size() > limit) {
        m_error = SizeLimitCause(Size(), limit);
        return false;
    }
    bytes.reserve(Size());
    constexpr qint64 kChunk = 1 << 20;
    for (;;) {
        const qsizetype at = bytes.size();
        if (at > limit) {
            // It grew since it was opened.
            m_error = SizeLimitCause(0, limit);
            bytes.clear();
            return false;
        }
        bytes.resize(at + kChunk);
        const qint64 got = Read(bytes.data() + at, kChunk);
        bytes.resize(at + std::max<qint64>(got, 0));
        if (got <= 0)
            return got == 0;
    }
}
