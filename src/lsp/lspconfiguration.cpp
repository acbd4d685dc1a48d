#include "lspconfiguration.h"

#include "app/inifile.h"
#include "app/regularfilereader.h"
#include "app/settings.h"
#include "editor/completionorder.h"

#include <QFileInfo>

namespace {

TarnReference LoadPages(const LspConfiguration::Paths &paths, QStringList &messages)
{
    const QString path = paths.referencePath.isEmpty() ? ReferencePathBeside(paths.iniPath) : paths.referencePath;
    if (!paths.referencePath.isEmpty() && !QFileInfo::exists(path))
        messages.append(QStringLiteral("the reference \"%1\" does not exist; using the built-in one").arg(path));
    std::vector<ReferenceProblem> problems;
    QString cause;
    TarnReference reference = LoadReferenceFile(path, &problems, &cause);
    if (!cause.isEmpty())
        messages.append(
            QStringLiteral("cannot read the reference \"%1\": %2; using the built-in one").arg(path, cause));
    for (const ReferenceProblem &problem : problems)
        messages.append(
            QStringLiteral("%1:%2: %3").arg(path).arg(problem.line).arg(QString::fromStdString(problem.message)));
    return reference;
}

} // namespace

LspConfiguration::LspConfiguration(FunctionTable functions, TarnReference reference)
    : m_functions(std::move(functions)), m_reference(std::make_shared<const TarnReference>(std::move(reference))),
      m_sorted(CompletionNames(m_functions))
{}

const FunctionDoc *LspConfiguration::Page(int row) const
{
    const TableRow &entries = m_functions.GetAt(row);
    return entries.empty() ? nullptr : m_reference->Find(entries[0]);
}

LspConfiguration LspConfiguration::Load(const Paths &paths, QStringList &messages)
{
    Settings settings;
    std::string header;
    QString cause;
    if (LoadIniFile(paths.iniPath, settings, header, &cause) == IniLoad::Unreadable)
        messages.append(
            QStringLiteral("cannot read the configuration file \"%1\": %2; using the built-in function table")
                .arg(paths.iniPath, cause));
    LspConfiguration configuration(std::move(settings.functions), LoadPages(paths, messages));
    configuration.FindPageLines(paths.referencePath.isEmpty() ? ReferencePathBeside(paths.iniPath)
                                                              : paths.referencePath);
    return configuration;
}

int LspConfiguration::PageLine(const std::string &name) const
{
    const auto found = m_pageLines.find(name);
    return found == m_pageLines.end() ? -1 : found->second;
}

void LspConfiguration::FindPageLines(const QString &path)
{
    RegularFileReader file(path);
    QByteArray bytes;
    if (!file.Open() || !file.ReadAll(bytes))
        return;
    const ReferenceRead read = ReadDefinitionFile(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    for (const auto &[name, line] : read.functionLines)
        m_pageLines.emplace(name, line - 1);
    if (!m_pageLines.empty())
        m_pagesFile = QFileInfo(path).absoluteFilePath();
}
