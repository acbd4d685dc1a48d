#include "regularfilereader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_stamp = StampFromStat(st);
    return true;
}

qint64 RegularFileReader::Read(char *buffer, qint64 size)
{
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

bool RegularFileReader::ReadAll(QByteArray &bytes)
{
    bytes.clear();
    bytes.reserve(Size());
    constexpr qint64 kChunk = 1 << 20;
    for (;;) {
        const qsizetype at = bytes.size();
        bytes.resize(at + kChunk);
        const qint64 got = Read(bytes.data() + at, kChunk);
        bytes.resize(at + std::max<qint64>(got, 0));
        if (got <= 0)
            return got == 0;
    }
}
