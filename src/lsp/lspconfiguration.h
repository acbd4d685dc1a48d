// What the language server knows of Tarn: the function table of "Scriba.ini" and the reference,
// read from the files the window reads or from those the client names.
#pragma once

#include "app/scribacobarray.h"
#include "reference/tarnreference.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class LspConfiguration {
public:
    struct Paths {
        QString iniPath;
        bool iniPathNamed = false; // by the client, which is told when the file is missing
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

private:
    FunctionTable m_functions;
    std::shared_ptr<const TarnReference> m_reference = std::make_shared<TarnReference>();
    std::vector<std::string> m_sorted;
};
