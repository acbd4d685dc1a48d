#include "checkcommand.h"

#include "app/fileio.h"
#include "app/inifile.h"
#include "app/regularfilereader.h"
#include "app/settings.h"
#include "check/scriptcheck.h"
#include "reference/tarnreference.h"

#include <QFile>

#include <cstdio>
#include <new>

namespace {

const QString kCheckOption = QStringLiteral("--check");

void Complain(const QString &message)
{
    std::fprintf(stderr, "scriba: %s\n", EncodeFileName(message).constData());
}

// The function table of "Scriba.ini", read but never written; the built-in one without it.
FunctionTable LoadFunctions(const QString &iniPath)
{
    Settings settings;
    std::string header;
    QString cause;
    if (LoadIniFile(iniPath, settings, header, &cause) == IniLoad::Unreadable)
        Complain(QStringLiteral("cannot read the configuration file \"%1\": %2; checking against the "
                                "built-in function table")
                     .arg(iniPath, cause));
    return std::move(settings.functions);
}

// The reference beside "Scriba.ini", else the built-in one. Its unreadable lines are for the
// window and --export-reference to report; the check keeps its output to the scripts.
TarnReference LoadDocumentation(const QString &iniPath)
{
    QString cause;
    TarnReference reference = LoadReference(iniPath, nullptr, &cause);
    if (!cause.isEmpty())
        Complain(QStringLiteral("cannot read %1: %2; checking against the built-in reference")
                     .arg(QuotedPath(ReferencePathBeside(iniPath)), cause));
    return reference;
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

// The whole of standard input or of a regular file; false, with the cause, when it cannot be
// read. Pipes, devices and folders are refused at once: reading them could wait or never end.
bool ReadScript(const QString &path, QByteArray &bytes, QString &failure)
{
    if (path == QStringLiteral("-")) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            bytes = in.readAll();
        failure = in.error() == QFileDevice::NoError ? QString() : in.errorString();
        return failure.isEmpty();
    }
    RegularFileReader file(path);
    try {
        if (file.Open() && file.ReadAll(bytes))
            return true;
        failure = file.ErrorString();
    } catch (const std::bad_alloc &) {
        failure = QStringLiteral("It is too large to open");
    }
    return false;
}

// Prints the file's problems; false when it cannot be read.
bool CheckFile(const QString &path, const FunctionTable &functions, const TarnReference &reference,
               bool &problemsFound)
{
    QByteArray bytes;
    QString failure;
    if (!ReadScript(path, bytes, failure)) {
        Complain(QStringLiteral("cannot read \"%1\": %2").arg(path, failure));
        return false;
    }
    const std::string name = path == QStringLiteral("-") ? "<stdin>" : EncodeFileName(path).toStdString();
    for (const ScriptProblem &problem :
         CheckScript(std::string_view(bytes.constData(), std::size_t(bytes.size())), functions, reference)) {
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
    const TarnReference reference = LoadDocumentation(iniPath);
    bool unreadable = false;
    bool problemsFound = false;
    for (const QString &path : files)
        unreadable |= !CheckFile(path, functions, reference, problemsFound);
    std::fflush(stdout);
    return unreadable ? 2 : problemsFound ? 1 : 0;
}
