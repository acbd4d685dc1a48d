#include "fileio.h"

#include "app/utf8.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // byte b >= 0x80 that is not UTF-8 becomes U+DC00 + b

bool IsEscapedByte(char16_t unit)
{
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF;
}

} // namespace

QString QuotedPath(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QByteArray EncodeFileName(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype plainFrom = 0;
    auto flushPlain = [&](qsizetype to) {
        if (to > plainFrom)
            bytes += QStringView(name).mid(plainFrom, to - plainFrom).toUtf8();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (!IsEscapedByte(unit))
            continue;
        flushPlain(i);
        bytes += char(unit - kEscapeBase);
        plainFrom = i + 1;
    }
    flushPlain(name.size());
    return bytes;
}

QString DecodeFileName(const QByteArray &bytes)
{
    QString name;
    name.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const std::size_t n = std::size_t(bytes.size());
    std::size_t validFrom = 0;
    auto flushValid = [&](std::size_t to) {
        if (to > validFrom)
            name += QString::fromUtf8(bytes.constData() + validFrom, qsizetype(to - validFrom));
    };
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = Utf8SequenceLength(p + i, n - i);
        if (length > 0) {
            i += length;
            continue;
        }
        flushValid(i);
        name += QChar(char16_t(kEscapeBase + p[i]));
        validFrom = ++i;
    }
    flushValid(n);
    return name;
}

bool HasUndecodableBytes(const QString &name)
{
    for (QChar c : name)
        if (IsEscapedByte(c.unicode()))
            return true;
    return false;
}

QString AbsoluteFilePath(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char *cwd = getcwd(nullptr, 0);
    const QString folder = cwd ? DecodeFileName(QByteArray(cwd)) : QDir::currentPath();
    std::free(cwd);
    return QDir::cleanPath(folder + QLatin1Char('/') + path);
}

QString FileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

FileStamp StampOf(const QString &path)
{
    struct stat st;
    if (stat(EncodeFileName(path).constData(), &st) != 0)
        return FileStamp();
    return StampFromStat(st);
}

FileStamp StampFromStat(const struct stat &st)
{
    return {true, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool IsSameFile(const FileStamp &a, const FileStamp &b)
{
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

bool IsReadOnlyFile(const QString &path)
{
    const QByteArray name = EncodeFileName(path);
    struct stat st;
    if (stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if ((st.st_mode & 0222) == 0)
        return true;
    return faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0 && errno != ENOENT;
}

QString NotARegularFileCause(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return QString();
    case S_IFDIR: return QStringLiteral("It is a folder, not a file");
    case S_IFIFO: return QStringLiteral("It is a named pipe (FIFO), not a file");
    case S_IFCHR:
    case S_IFBLK: return QStringLiteral("It is a device, not a file");
    case S_IFSOCK: return QStringLiteral("It is a socket, not a file");
    default: return QStringLiteral("It is not a regular file");
    }
}

QString NotPlainTextCause(const QByteArray &bytes)
{
    if (!bytes.contains('\0'))
        return QString();
    return QStringLiteral("It is not a plain text file: it holds zero bytes, as binary files and UTF-16 text do");
}

QString ErrnoText(int error)
{
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

bool WriteWholeFile(const QString &path, const char *data, qint64 size, QString *error,
                    const SafeFileWriter::Options &options)
{
    SafeFileWriter writer(path, options);
    if (writer.Open() && writer.Write(data, size) && writer.Commit())
        return true;
    writer.Cancel();
    *error = writer.ErrorString();
    return false;
}
