#include "referenceexportcommand.h"

#include "app/fileio.h"
#include "app/inifile.h"
#include "app/settings.h"
#include "reference/tarnreference.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kOption = QStringLiteral("--export-reference");
const QString kUsage = QStringLiteral("usage: scriba --export-reference FILE (\"-\" for standard output)");

void Complain(const QString &message)
{
    std::fprintf(stderr, "scriba: %s\n", EncodeFileName(message).constData());
}

// The one file named after the option, or empty after a message.
QString OutputOf(const QStringList &arguments)
{
    QStringList names;
    bool optionsEnded = false;
    for (qsizetype i = arguments.indexOf(kOption) + 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QStringLiteral("-")) {
            Complain(QStringLiteral("unknown option \"%1\"; %2").arg(argument, kUsage));
            return {};
        } else {
            names.append(argument);
        }
    }
    if (names.size() != 1) {
        Complain(names.isEmpty() ? kUsage : QStringLiteral("one file only; %1").arg(kUsage));
        return {};
    }
    return names.front();
}

FunctionTable LoadFunctions(const QString &iniPath)
{
    Settings settings;
    std::string header;
    QString cause;
    if (LoadIniFile(iniPath, settings, header, &cause) == IniLoad::Unreadable)
        Complain(QStringLiteral("cannot read the configuration file %1: %2; writing the built-in function table")
                     .arg(QuotedPath(iniPath), cause));
    return std::move(settings.functions);
}

// The reference beside the configuration file; its lines that could not be read, and the pages
// of functions the table lacks, which the export leaves out, are reported.
TarnReference LoadDocumentation(const QString &iniPath, const FunctionTable &functions)
{
    const QString path = ReferencePathBeside(iniPath);
    LoadedReference loaded = ReadReferenceFile(path);
    if (!loaded.cause.isEmpty())
        Complain(QStringLiteral("cannot read %1: %2; using the built-in reference").arg(QuotedPath(path), loaded.cause));
    else
        ReportFunctionsNotIn(functions, loaded);
    for (const ReferenceProblem &problem : loaded.problems)
        std::fprintf(stderr, "%s:%d: warning: %s\n", EncodeFileName(path).constData(), problem.line,
                     problem.message.c_str());
    return std::move(loaded.reference);
}

// Why the export may not go to output: the reference it documents the functions from is that
// very file, under whatever name or link, and its pages of functions the table lacks would be
// lost. Empty when it may.
QString RefusalToWrite(const QString &output, const QString &iniPath)
{
    const QString reference = ReferencePathBeside(iniPath);
    const FileStamp inUse = StampOf(reference);
    if (output != QStringLiteral("-") && IsSameFile(inUse, StampOf(output)))
        return QStringLiteral("%1 is the reference in use (%2); the export is not written over it: write it to "
                              "another file and compare")
            .arg(QuotedPath(output), QuotedPath(reference));
    struct stat st;
    if (output == QStringLiteral("-") && fstat(STDOUT_FILENO, &st) == 0 && IsSameFile(inUse, StampFromStat(st)))
        return QStringLiteral("standard output is %1, the reference in use; the export is not written into it")
            .arg(QuotedPath(reference));
    return QString();
}

} // namespace

int RunReferenceExportCommand(const QStringList &arguments, const QString &iniPath)
{
    const QString output = OutputOf(arguments);
    if (output.isEmpty())
        return 2;
    if (const QString refusal = RefusalToWrite(output, iniPath); !refusal.isEmpty()) {
        Complain(refusal);
        return 1;
    }
    const FunctionTable functions = LoadFunctions(iniPath);
    const std::string text = WriteDefinitionFile(functions, LoadDocumentation(iniPath, functions));
    if (output == QStringLiteral("-")) {
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
        if (!written)
            Complain(QStringLiteral("could not write to standard output"));
        return written ? 0 : 1;
    }
    QString error;
    if (!WriteWholeFile(output, text.data(), qint64(text.size()), &error)) {
        Complain(QStringLiteral("cannot write %1: %2").arg(QuotedPath(output), error));
        return 1;
    }
    return 0;
}
