#include "inifile.h"

#include "app/defaulttexts.h"
#include "app/fileio.h"
#include "app/initext.h"
#include "app/regularfilereader.h"
#include "doc/ownfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

QString DefaultIniPath()
{
    const QString beside = QCoreApplication::applicationDirPath();
    if (!beside.isEmpty() && QFileInfo(beside).isWritable())
        return QDir(beside).filePath(QStringLiteral("Scriba.ini"));
    // Named here rather than taken from the application's name, which the export never sets.
    const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    const QString path = config.filePath(QStringLiteral("Scriba/Scriba.ini"));
    // Earlier versions kept the per-user file one folder deeper; it moves here the first time.
    const QString earlier = config.filePath(QStringLiteral("Scriba/Scriba/Scriba.ini"));
    if (!QFileInfo::exists(path) && QFileInfo(earlier).isFile() && !QFile::rename(earlier, path))
        return earlier;
    return path;
}

void InstallDefaultTables(Settings &settings)
{
    settings.functions.RemoveAll();
    settings.functions.ParseText(DefaultFunctionsText());
    settings.functions.SortByName();
    settings.keywords.RemoveAll();
    settings.keywords.ParseText(DefaultKeywordsText());
    settings.keywords.SortByName();
}

IniLoad LoadIniFile(const QString &path, Settings &settings, std::string &header, QString *cause)
{
    RegularFileReader file(path);
    QByteArray bytes;
    if (!file.Open() || !file.ReadAll(bytes, kLargestConfigurationSize)) {
        struct stat st;
        const bool missing = stat(EncodeFileName(path).constData(), &st) != 0 && errno == ENOENT;
        InstallDefaultTables(settings);
        if (missing) {
            header = std::string(DefaultHeaderText());
            return IniLoad::Missing;
        }
        *cause = file.ErrorString();
        return IniLoad::Unreadable;
    }
    // Read as it is, a file saved as UTF-16 (or anything else binary) would turn every switch
    // off and empty both tables, and the exit would write that over the user's file.
    *cause = NotPlainTextCause(bytes);
    if (!cause->isEmpty()) {
        InstallDefaultTables(settings);
        return IniLoad::Unreadable;
    }
    settings.functions.RemoveAll();
    settings.keywords.RemoveAll();
    ReadIniText(std::string_view(bytes.constData(), std::size_t(bytes.size())), settings, header);
    return IniLoad::Read;
}

IniWrite WriteIniFile(const QString &path, const std::string &text, QString *error)
{
    constexpr int kOwnParts = 1; // the file's own folder
    const OwnFolder folder = OwnFolder::OpenForFile(path, kOwnParts, error);
    if (!folder.IsOpen())
        return IniWrite::Failed;
    const QByteArray name = EncodeFileName(FileNameOf(AbsoluteFilePath(path)));
    struct stat st;
    if (folder.StatusOf(name, st) && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        return IniWrite::Pinned;
    return folder.WriteFile(name, QByteArray::fromStdString(text), error) ? IniWrite::Written : IniWrite::Failed;
}
