#include "lspconfiguration.h"

#include "app/inifile.h"
#include "app/settings.h"
#include "editor/completionorder.h"


LspConfiguration::LspConfiguration(FunctionTable functions)
    : m_functions(std::move(functions)), m_sorted(CompletionNames(m_functions))
{
}

LspConfiguration LspConfiguration::Load(const Paths &paths, QStringList &messages)
{
    Settings settings;
    std::string header;
    QString cause;
    if (LoadIniFile(paths.iniPath, settings, header, &cause) == IniLoad::Unreadable)
        messages.append(QStringLiteral("cannot read the configuration file \"%1\": %2; using the built-in function table")
                            .arg(paths.iniPath, cause));
    return LspConfiguration(std::move(settings.functions));
}

std::string LspConfiguration::Signature(int row) const
{
    const TableRow &entries = m_functions.GetAt(row);
    std::string signature = entries.empty() ? std::string() : entries[0];
    signature += '(';
    for (std::size_t i = 1; i < entries.size(); ++i)
        signature += (i > 1 ? ", " : "") + entries[i];
    return signature + ')';
}
