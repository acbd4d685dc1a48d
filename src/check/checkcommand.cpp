#include "checkcommand.h"

#include "app/fileio.h"
#include "app/inifile.h"
#include "app/regularfilereader.h"
#include "app/settings.h"
#include "check/luacheckconfig.h"
#include "check/scriptcheck.h"
#include "reference/tarnreference.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <unistd.h>

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

QString TooLargeCause()
{
    return QStringLiteral("It is too large to open; scripts of up to 2 GB can be checked");
}

// Standard input to its end, which may never come: no more than the largest script is taken.
bool ReadStandardInput(QByteArray &bytes, QString &failure)
{
    constexpr qint64 kPiece = 1 << 20;
    try {
        for (;;) {
            const qsizetype at = bytes.size();
            const qint64 room = std::min(kPiece, kLargestScriptSize + 1 - at);
            bytes.resize(at + room);
            const ssize_t got = ::read(STDIN_FILENO, bytes.data() + at, std::size_t(room));
            bytes.resize(at + std::max<qsizetype>(got, 0));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                failure = ErrnoText(errno);
            else if (bytes.size() > kLargestScriptSize)
                failure = TooLargeCause();
            if (got <= 0 || !failure.isEmpty())
                return failure.isEmpty();
        }
    } catch (const std::bad_alloc &) {
        failure = TooLargeCause();
        return false;
    }
}

// The whole of standard input or of a regular file; false, with the cause, when it cannot be
// read. Pipes, devices and folders are refused at once: reading them could wait or never end.
bool ReadScript(const QString &path, QByteArray &bytes, QString &failure)
{
    if (path == QStringLiteral("-"))
        return ReadStandardInput(bytes, failure);
    RegularFileReader file(path);
    try {
        const bool opened = file.Open();
        if (opened && file.Size() > kLargestScriptSize) {
            failure = TooLargeCause();
            return false;
        }
        if (opened && file.ReadAll(bytes))
            return true;
        failure = file.ErrorString();
    } catch (const std::bad_alloc &) {
        failure = TooLargeCause();
    }
    return false;
}

// Prints the file's problems; false when it cannot be read.
bool CheckFile(const QString &path, const FunctionTable &functions, const TarnReference &reference,
               LuacheckConfigCache &configs, bool &problemsFound)
{
    QByteArray bytes;
    QString failure;
    if (!ReadScript(path, bytes, failure)) {
        Complain(QStringLiteral("cannot read \"%1\": %2").arg(path, failure));
        return false;
    }
    const std::string name = path == QStringLiteral("-") ? "<stdin>" : EncodeFileName(path).toStdString();
    CheckOptions options;
    options.reference = &reference;
    // A script read from standard input has no folder; the current one stands in.
    options.config = configs.For(path == QStringLiteral("-") ? std::string("stdin.lua") : EncodeFileName(path).toStdString());
    for (const ScriptProblem &problem :
         CheckScript(std::string_view(bytes.constData(), std::size_t(bytes.size())), functions, options)) {
        const std::string line = ProblemLine(name, problem) + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        problemsFound = true;
    }
    return true;
}

} // namespace

static int CheckScripts(const QStringList &arguments, const QString &iniPath)
{
    const QStringList files = FilesOf(arguments);
    if (files.isEmpty())
        return 2;
    const FunctionTable functions = LoadFunctions(iniPath);
    const TarnReference reference = LoadDocumentation(iniPath);
    bool unreadable = false;
    bool problemsFound = false;
    LuacheckConfigCache configs;
    for (const QString &path : files)
        unreadable |= !CheckFile(path, functions, reference, configs, problemsFound);
    std::fflush(stdout);
    return unreadable ? 2 : problemsFound ? 1 : 0;
}

int RunCheckCommand(const QStringList &arguments, const QString &iniPath)
{
    // Memory can run out anywhere, in a script's check as in its reading: a message and the
    // status of a script that could not be checked, never an abort.
    try {
        return CheckScripts(arguments, iniPath);
    } catch (const std::bad_alloc &) {
        std::fflush(stdout);
        Complain(QStringLiteral("out of memory; the check was not finished"));
        return 2;
    } catch (const std::exception &failure) {
        std::fflush(stdout);
        Complain(QStringLiteral("%1; the check was not finished").arg(QString::fromLocal8Bit(failure.what())));
        return 2;
    }
}
