#include "checkcommand.h"

#include "app/defaulttexts.h"
#include "app/initext.h"
#include "app/settings.h"
#include "check/scriptcheck.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const QString kCheckOption = QStringLiteral("--check");

void Complain(const QString &message)
{
    std::fprintf(stderr, "scriba: %s\n", qPrintable(message));
}

// Why path cannot be opened for reading, or "" when it can.
QString ReadFailure(QFile &file)
{
    if (QFileInfo(file.fileName()).isDir())
        return QStringLiteral("it is a folder");
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

// The function table of "Scriba.ini", read but never written; the built-in one without it.
FunctionTable LoadFunctions(const QString &iniPath)
{
    Settings settings;
    QFile file(iniPath);
    if (file.exists()) {
        const QString failure = ReadFailure(file);
        const QByteArray bytes = failure.isEmpty() ? file.readAll() : QByteArray();
        if (failure.isEmpty() && file.error() == QFileDevice::NoError) {
            std::string header;
            ReadIniText(std::string_view(bytes.constData(), std::size_t(bytes.size())), settings, header);
            return std::move(settings.functions);
        }
        Complain(QStringLiteral("cannot read the configuration file \"%1\": %2; checking against the "
                                "built-in function table")
                     .arg(iniPath, failure.isEmpty() ? file.errorString() : failure));
    }
    settings.functions.ParseText(DefaultFunctionsText());
    settings.functions.SortByName();
    return std::move(settings.functions);
}

// The files named after "--check"; "--" makes every later argument a file, even one that
// starts with "-". Empty, after a message, when the command is malformed.
QStringList FilesOf(const QStringList &arguments)
{
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = arguments.indexOf(kCheckOption) + 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QStringLiteral("-")) {
            Complain(QStringLiteral("unknown option \"%1\"; usage: scriba --check FILE.lua...").arg(argument));
            return {};
        } else {
            files.append(argument);
        }
    }
    if (files.isEmpty())
        Complain(QStringLiteral("usage: scriba --check FILE.lua..."));
    return files;
}

// Prints the file's problems; false when it cannot be read.
bool CheckFile(const QString &path, const FunctionTable &functions, bool &problemsFound)
{
    QFile file(path);
    QString failure = path == QStringLiteral("-") ? QString() : ReadFailure(file);
    if (path == QStringLiteral("-") && !file.open(stdin, QIODevice::ReadOnly))
        failure = file.errorString();
    const QByteArray bytes = failure.isEmpty() ? file.readAll() : QByteArray();
    if (failure.isEmpty() && file.error() != QFileDevice::NoError)
        failure = file.errorString();
    if (!failure.isEmpty()) {
        Complain(QStringLiteral("cannot read \"%1\": %2").arg(path, failure));
        return false;
    }
    const std::string name = path == QStringLiteral("-") ? "<stdin>" : path.toLocal8Bit().toStdString();
    for (const ScriptProblem &problem :
         CheckScript(std::string_view(bytes.constData(), std::size_t(bytes.size())), functions)) {
        const std::string line = ProblemLine(name, problem) + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        problemsFound = true;
    }
    return true;
}

} // namespace

int RunCheckCommand(const QStringList &arguments, const QString &iniPath)
{
    const QStringList files = FilesOf(arguments);
    if (files.isEmpty())
        return 2;
    const FunctionTable functions = LoadFunctions(iniPath);
    bool unreadable = false;
    bool problemsFound = false;
    for (const QString &path : files)
        unreadable |= !CheckFile(path, functions, problemsFound);
    std::fflush(stdout);
    return unreadable ? 2 : problemsFound ? 1 : 0;
}
