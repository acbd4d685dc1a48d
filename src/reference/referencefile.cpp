// The reference in use: "Tarn.d.lua" beside the configuration file, else the one built in.
#include "tarnreference.h"

#include "app/fileio.h"
#include "app/regularfilereader.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

const TarnReference &BuiltInReference()
{
    static const TarnReference reference = ReadDefinitionFile(BuiltInReferenceText()).reference;
    return reference;
}

std::shared_ptr<const TarnReference> SharedBuiltInReference()
{
    return std::shared_ptr<const TarnReference>(&BuiltInReference(), [](const TarnReference *) {});
}

QString ReferencePathBeside(const QString &iniPath)
{
    return QFileInfo(iniPath).dir().filePath(QStringLiteral("Tarn.d.lua"));
}

TarnReference LoadReference(const QString &iniPath, std::vector<ReferenceProblem> *problems, QString *cause)
{
    return LoadReferenceFile(ReferencePathBeside(iniPath), problems, cause);
}

TarnReference LoadReferenceFile(const QString &path, std::vector<ReferenceProblem> *problems, QString *cause)
{
    struct stat st;
    if (lstat(EncodeFileName(path).constData(), &st) != 0 && errno == ENOENT)
        return BuiltInReference();
    RegularFileReader file(path);
    QByteArray bytes;
    QString why;
    if (!file.Open() || !file.ReadAll(bytes))
        why = file.ErrorString();
    else
        why = NotPlainTextCause(bytes);
    if (!why.isEmpty()) {
        if (cause)
            *cause = why;
        return BuiltInReference();
    }
    ReferenceRead read = ReadDefinitionFile(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (problems)
        *problems = std::move(read.problems);
    return std::move(read.reference);
}
