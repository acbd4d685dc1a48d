// The reference in use: "Tarn.d.lua" beside the configuration file, else the one built in.
#include "tarnreference.h"

#include "app/fileio.h"
#include "app/regularfilereader.h"

#include <QDir>
#include <QFileInfo>

#include "check/luasyntax.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {

void SortByLine(std::vector<ReferenceProblem> &problems)
{
    std::stable_sort(problems.begin(), problems.end(),
                     [](const ReferenceProblem &a, const ReferenceProblem &b) { return a.line < b.line; });
}

} // namespace

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
    LoadedReference loaded = ReadReferenceFile(path);
    if (problems)
        *problems = std::move(loaded.problems);
    if (cause)
        *cause = loaded.cause;
    return std::move(loaded.reference);
}

LoadedReference ReadReferenceFile(const QString &path)
{
    LoadedReference loaded;
    struct stat st;
    if (lstat(EncodeFileName(path).constData(), &st) != 0 && errno == ENOENT) {
        loaded.reference = BuiltInReference();
        return loaded;
    }
    RegularFileReader file(path);
    QByteArray bytes;
    if (!file.Open() || !file.ReadAll(bytes, kLargestConfigurationSize))
        loaded.cause = file.ErrorString();
    else
        loaded.cause = NotPlainTextCause(bytes);
    if (!loaded.cause.isEmpty()) {
        loaded.reference = BuiltInReference();
        return loaded;
    }
    const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
    ReferenceRead read = ReadDefinitionFile(text);
    loaded.reference = std::move(read.reference);
    loaded.problems = std::move(read.problems);
    loaded.functionLines = std::move(read.functionLines);
    // The reader passes over lines of code it does not need; Lua's own parser says where one
    // is no Lua at all (it stops at the first).
    if (const std::optional<LuaSyntaxError> error = CheckLuaSyntax(text))
        loaded.problems.push_back({std::max(error->line, 1), "this is not Lua: " + error->message});
    SortByLine(loaded.problems);
    return loaded;
}

void ReportFunctionsNotIn(const FunctionTable &table, LoadedReference &loaded)
{
    for (const auto &[name, line] : loaded.functionLines)
        if (table.IndexOfName(name) < 0)
            loaded.problems.push_back({line, name + " is not in the function table, so its page is not used"});
    SortByLine(loaded.problems);
}
