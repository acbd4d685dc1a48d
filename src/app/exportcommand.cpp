#include "exportcommand.h"

#include "app/fileio.h"
#include "app/inifile.h"
#include "app/regularfilereader.h"
#include "app/settings.h"
#include "editor/htmlexport.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kExportOption = QStringLiteral("--export-html");
const QString kStandardOutput = QStringLiteral("-");
constexpr qint64 kReadPiece = 1 << 20;

void Complain(const QString &message)
{
    std::fprintf(stderr, "scriba: %s\n", EncodeFileName(message).constData());
}

// The styles and tables of "Scriba.ini", read but never written; the built-in ones without it.
void LoadSettings(const QString &iniPath, Settings &settings)
{
    settings.SetDefaultStyles();
    std::string header;
    QString cause;
    switch (LoadIniFile(iniPath, settings, header, &cause)) {
    case IniLoad::Read:
        break;
    case IniLoad::Missing:
        Complain(QStringLiteral("no configuration file %1; using the built-in settings").arg(QuotedPath(iniPath)));
        break;
    case IniLoad::Unreadable:
        Complain(QStringLiteral("cannot read the configuration file %1: %2; using the built-in settings")
                     .arg(QuotedPath(iniPath), cause));
        break;
    }
}

// "a/notes.lua" gives "a/notes.html".
QString DefaultOutput(const QString &input)
{
    const QString name = FileNameOf(input);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    return input.left(input.size() - name.size()) + stem + QStringLiteral(".html");
}

// Where the page goes: a file written safely, or standard output.
class PageOutput {
public:
    explicit PageOutput(const QString &path) : m_path(path)
    {
        if (path != kStandardOutput)
            m_file = std::make_unique<SafeFileWriter>(path);
    }
    bool Open() { return !m_file || m_file->Open(); }
    bool Write(const char *data, std::size_t size)
    {
        if (m_file)
            return m_file->Write(data, qint64(size));
        return std::fwrite(data, 1, size, stdout) == size;
    }
    bool Commit() { return m_file ? m_file->Commit() : std::fflush(stdout) == 0; }
    QString ErrorString() const
    {
        return m_file ? m_file->ErrorString() : QStringLiteral("Could not write to standard output");
    }
    QString Name() const { return m_file ? QuotedPath(m_path) : QStringLiteral("standard output"); }

private:
    QString m_path;
    std::unique_ptr<SafeFileWriter> m_file; // cancels an unfinished page
};

// True when standard output is the script's own file, as with "-o - >> script.lua": the page
// would be read back as script and grow until the disk is full.
bool OutputIsTheScript(const RegularFileReader &script)
{
    struct stat st;
    return fstat(STDOUT_FILENO, &st) == 0 && IsSameFile(script.Stamp(), StampFromStat(st));
}

int Export(RegularFileReader &script, const QString &input, PageOutput &output, const Settings &settings)
{
    if (!output.Open()) {
        Complain(QStringLiteral("cannot write %1: %2").arg(output.Name(), output.ErrorString()));
        return 1;
    }
    HtmlPageWriter page(EncodeFileName(FileNameOf(input)).toStdString(), settings,
                        [&output](const char *data, std::size_t size) { return output.Write(data, size); });
    std::string piece(kReadPiece, '\0');
    // The script as it was at the start: bytes added meanwhile, by whatever program, are not
    // taken.
    for (qint64 left = script.Size(), got = 0; left > 0; left -= got) {
        got = script.Read(piece.data(), std::min(left, kReadPiece));
        if (got < 0) {
            Complain(QStringLiteral("cannot read %1: %2").arg(QuotedPath(input), script.ErrorString()));
            return 1;
        }
        if (got == 0)
            break;
        if (!page.Add(std::string_view(piece.data(), std::size_t(got))))
            break;
    }
    if (!page.Finish() || !output.Commit()) {
        Complain(QStringLiteral("cannot write %1: %2").arg(output.Name(), output.ErrorString()));
        return 1;
    }
    return 0;
}

// The first of the arguments after the script that is not the one "-o OUT" (at outAt among
// them, negative when "-o" comes before the script or not at all); a null string when none.
QString UnexpectedArgument(const QStringList &rest, qsizetype outAt)
{
    for (qsizetype i = 0; i < rest.size(); ++i)
        if (i != outAt && i != outAt + 1)
            return rest[i];
    return QString();
}

} // namespace

bool IsExportCommand(const QStringList &arguments)
{
    return arguments.contains(kExportOption);
}

namespace {

int ExportScript(const QStringList &arguments, const QString &iniPath)
{
    const qsizetype at = arguments.indexOf(kExportOption);
    const QString input = arguments.value(at + 1);
    const qsizetype outAt = arguments.indexOf(QStringLiteral("-o"));
    const QString usage = QStringLiteral("usage: scriba --export-html FILE.lua [-o OUT.html | -o -]");
    if (input.isEmpty() || input.startsWith(QLatin1Char('-')) || (outAt >= 0 && arguments.value(outAt + 1).isEmpty())) {
        Complain(usage);
        return 2;
    }
    // One script, one page: anything more would be dropped without a word.
    const QString extra = UnexpectedArgument(arguments.mid(at + 2), outAt - at - 2);
    if (!extra.isNull()) {
        Complain(QStringLiteral("unexpected argument \"%1\"; one script is exported at a time").arg(extra));
        Complain(usage);
        return 2;
    }
    RegularFileReader script(input);
    if (!script.Open()) {
        Complain(QStringLiteral("cannot read %1: %2").arg(QuotedPath(input), script.ErrorString()));
        return 1;
    }
    if (script.Size() > kLargestScriptSize) {
        Complain(QStringLiteral("%1 is too large to open; scripts of up to 2 GB can be exported").arg(QuotedPath(input)));
        return 1;
    }
    const QString output = outAt >= 0 ? arguments.value(outAt + 1) : DefaultOutput(input);
    if (output != kStandardOutput && IsSameFile(script.Stamp(), StampOf(output))) {
        Complain(QStringLiteral("%1 is the script itself; the page is not written over it").arg(QuotedPath(output)));
        return 1;
    }
    if (output == kStandardOutput && OutputIsTheScript(script)) {
        Complain(QStringLiteral("standard output is %1, the script itself; the page is not written into it")
                     .arg(QuotedPath(input)));
        return 1;
    }
    Settings settings;
    LoadSettings(iniPath, settings);
    PageOutput page(output);
    return Export(script, input, page, settings);
}

} // namespace

int RunExportCommand(const QStringList &arguments, const QString &iniPath)
{
    // Memory can run out anywhere on the way: a message and a failure status, never an abort.
    try {
        return ExportScript(arguments, iniPath);
    } catch (const std::bad_alloc &) {
        Complain(QStringLiteral("out of memory; the page is not written"));
        return 1;
    } catch (const std::exception &failure) {
        Complain(QStringLiteral("%1; the page is not written").arg(QString::fromLocal8Bit(failure.what())));
        return 1;
    }
}
