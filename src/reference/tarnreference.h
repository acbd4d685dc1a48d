// Tarn's reference: what each function of the table does, read from and written to Lua
// definition files as the Lua language server reads them ("---@meta", "---@param",
// "---@return"). The function table decides which functions exist and their parameters; the
// reference only documents them.
#pragma once

#include "app/scribacobarray.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <cstdint>
#include <utility>
#include <vector>

struct ParamDoc {
    std::string name;
    std::string type;        // as written: "number", "integer|string", "\"head\"|\"flux\""
    std::string description; // Markdown; names the unit where the parameter has one
    bool optional = false;   // written "name?"
    // The fixed strings the parameter takes, from a type of string literals ("head"|"flux"),
    // without their quotes; empty when any value of the type is allowed.
    std::vector<std::string> allowedStrings;

    bool operator==(const ParamDoc &) const = default;
};

struct ReturnDoc {
    std::string type;
    std::string description;

    bool operator==(const ReturnDoc &) const = default;
};

struct FunctionDoc {
    std::string name;
    std::vector<std::string> description; // the "---" lines before the annotations, Markdown
    std::vector<ParamDoc> params;
    std::vector<ReturnDoc> returns;
    bool deprecated = false;
    std::string deprecation; // the text after "---@deprecated", e.g. "use tg_new"
    std::vector<std::string> see;

    bool operator==(const FunctionDoc &) const = default;
};

// A line of a definition file that could not be read.
struct ReferenceProblem {
    int line = 0; // from 1
    std::string message;

    bool operator==(const ReferenceProblem &) const = default;
};

class TarnReference {
public:
    // The function's page, or nullptr when the reference does not document it.
    const FunctionDoc *Find(std::string_view name) const;
    // In the order they were added (file order for a file that was read).
    const std::vector<FunctionDoc> &Functions() const { return m_functions; }
    // A later page of the same name replaces the earlier one.
    void Add(FunctionDoc doc);
    bool Empty() const { return m_functions.empty(); }
    // Room for count pages, so that reading a big file does not move them again and again.
    void Reserve(std::size_t count);

private:
    // The slot of name in m_slots: where its index is, or the empty slot where it would go.
    std::size_t SlotOf(std::string_view name) const;
    void Rehash(std::size_t slotCount);

    std::vector<FunctionDoc> m_functions;
    // Open addressing over indexes into m_functions, at most half full; -1 marks an empty slot.
    // Indexes stay valid when m_functions grows, and a big file's names need no node each.
    std::vector<std::int32_t> m_slots;
};

struct ReferenceRead {
    TarnReference reference;
    std::vector<ReferenceProblem> problems;
    // Each "function" line that was read: its name and line number (from 1), in file order.
    std::vector<std::pair<std::string, int>> functionLines;
};

// Reads a definition file. Lines that are not annotations Scriba reads are skipped; an
// annotation that cannot be read is reported with its line number and the rest is still read.
ReferenceRead ReadDefinitionFile(std::string_view text);

// The definition file for every function of the table, documented from reference where it
// documents the function; valid Lua 5.1 that reads back into the same reference.
std::string WriteDefinitionFile(const FunctionTable &functions, const TarnReference &reference);

// The reference shipped with Scriba for its built-in function table, and the definition file
// it is read from.
const TarnReference &BuiltInReference();
std::string_view BuiltInReferenceText();
// The built-in reference where a shared one is wanted; it lives as long as the program.
std::shared_ptr<const TarnReference> SharedBuiltInReference();

// "Tarn.d.lua" beside the configuration file at iniPath (the same folder rules as Scriba.ini).
QString ReferencePathBeside(const QString &iniPath);

// The reference in use: the file beside iniPath when it exists and can be read, else the
// built-in one. problems receives what could not be read of the file, cause why a file that
// exists could not be opened at all.
TarnReference LoadReference(const QString &iniPath, std::vector<ReferenceProblem> *problems = nullptr,
                            QString *cause = nullptr);
// The same for a definition file named by the user (the language server's settings).
TarnReference LoadReferenceFile(const QString &path, std::vector<ReferenceProblem> *problems = nullptr,
                                QString *cause = nullptr);

// "tg_setbc(node, mode, value)" as the table row names the parameters.
std::string SignatureOf(const TableRow &row);

// The page's parameter of that name, or nullptr.
const ParamDoc *FindParam(const FunctionDoc &doc, std::string_view name);
// A table row's parameter entry without its marks: ("mode") gives mode.
std::string BareParameterName(std::string_view entry);
// The table's marks: (name) may be left out, "name" takes a string.
bool IsOptionalParameter(std::string_view entry);
bool IsStringParameter(std::string_view entry);
