#include "profilestore.h"

#include "app/fileio.h"
#include "app/regularfilereader.h"
#include "doc/ownfolder.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

// Settings whose changes go to the profile file when they are done with.
class ProfileSettings : public QSettings {
public:
    ProfileSettings(const QString &copy, ProfileStore *store) : QSettings(copy, QSettings::IniFormat), m_store(store) {}
    ~ProfileSettings() override
    {
        sync();
        m_store->Publish();
    }

private:
    ProfileStore *m_store;
};

ProfileStore::ProfileStore(const QString &path, int ownParts) : m_path(AbsoluteFilePath(path)), m_ownParts(ownParts)
{
    if (!m_private.isValid())
        Refuse(QStringLiteral("no private folder for its working copy could be made: %1").arg(m_private.errorString()));
}

ProfileStore::~ProfileStore() = default;

QString ProfileStore::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Scriba/Scriba.conf");
}

QString ProfileStore::CopyPath() const
{
    return m_private.filePath(QStringLiteral("profile-%1.ini").arg(m_generation));
}

std::unique_ptr<QSettings> ProfileStore::Open()
{
    Refresh();
    return std::make_unique<ProfileSettings>(CopyPath(), this);
}

void ProfileStore::Refresh()
{
    if (!m_refusal.isEmpty())
        return;
    QString cause;
    const OwnFolder folder = OwnFolder::OpenForFile(m_path, m_ownParts, &cause);
    if (!folder.IsOpen())
        return Refuse(cause);
    QByteArray bytes;
    qint64 size = 0;
    const QByteArray name = EncodeFileName(FileNameOf(m_path));
    // A planted link is read as no file: the next change replaces it.
    if (folder.ReadFile(name, kLargestConfigurationSize, bytes, &size) == OwnFolder::Read::TooLarge)
        return Refuse(QStringLiteral("the file %1 is too large (%2 bytes)").arg(QuotedPath(m_path)).arg(size));
    if (bytes == m_known)
        return;
    // QSettings keeps what it read of a file by the file's name: new content gets a new name.
    QFile::remove(CopyPath());
    ++m_generation;
    QFile copy(CopyPath());
    if (copy.open(QIODevice::WriteOnly))
        copy.write(bytes);
    m_known = bytes;
}

void ProfileStore::Publish()
{
    if (!m_refusal.isEmpty())
        return;
    QFile copy(CopyPath());
    QByteArray bytes;
    if (copy.open(QIODevice::ReadOnly))
        bytes = copy.readAll();
    if (bytes == m_known)
        return;
    QString cause;
    const OwnFolder folder = OwnFolder::OpenForFile(m_path, m_ownParts, &cause);
    if (!folder.IsOpen())
        return Refuse(cause);
    if (!folder.WriteFile(EncodeFileName(FileNameOf(m_path)), bytes, &cause))
        return Refuse(cause);
    m_known = bytes;
}

void ProfileStore::Refuse(const QString &cause)
{
    if (!m_refusal.isEmpty())
        return;
    m_refusal = cause;
    qWarning("Scriba: the settings cannot be kept: %s", qPrintable(cause));
    if (m_notice)
        m_notice();
}

QString ProfileStore::TakeRefusal()
{
    if (m_refusal.isEmpty() || m_refusalGiven)
        return QString();
    m_refusalGiven = true;
    return m_refusal;
}
