// What the language server knows of Tarn: the function table of "Scriba.ini" and the reference,
// read from the files the window reads or from those the client names.
#pragma once

#include "app/scribacobarray.h"
#include "reference/tarnreference.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <string>
#include <vector>

class LspConfiguration {
public:
    struct Paths {
        QString iniPath;
        QString referencePath; // empty: "Tarn.d.lua" beside the configuration file

        bool operator==(const Paths &) const = default;
    };

    LspConfiguration() = default;
    LspConfiguration(FunctionTable functions, TarnReference reference);
    // Reads the files; what could not be read is said in messages, and the built-in table
    // stands in for a configuration file that cannot be read.
    static LspConfiguration Load(const Paths &paths, QStringList &messages);

    const FunctionTable &Functions() const { return m_functions; }
    // The functions' names in completion order.
    const std::vector<std::string> &SortedNames() const { return m_sorted; }
    // "name(a, b)" as the table names the parameters.
    std::string Signature(int row) const { return SignatureOf(m_functions.GetAt(row)); }
    // The reference's page for the row's function, or nullptr.
    const FunctionDoc *Page(int row) const;
    // For the check's thread, which reads it at the same time.
    std::shared_ptr<const TarnReference> Reference() const { return m_reference; }
    // The definition file the pages were read from, empty for the built-in reference, and the
    // line (from 0) where it defines a function; -1 when it does not.
    const QString &PagesFile() const { return m_pagesFile; }
    int PageLine(const std::string &name) const;
    // Reads path, when it is a regular file, for where it defines each function.
    void FindPageLines(const QString &path);

private:
    FunctionTable m_functions;
    std::shared_ptr<const TarnReference> m_reference = std::make_shared<TarnReference>();
    std::vector<std::string> m_sorted;
    QString m_pagesFile;
    std::map<std::string, int> m_pageLines;
};
