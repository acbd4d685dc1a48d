// Tarn's reference: what each function of the table does, read from and written to Lua
// definition files as the Lua language server reads them ("---@meta", "---@param",
// "---@return"). The function table decides which functions exist and their parameters; the
// reference only documents them.
#pragma once

#include "app/scribacobarray.h"
#include "reference/docstore.h"

#include <QString>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <cstdint>
#include <utility>
#include <vector>

// A run of items on a page, kept in the storage of the reference that holds the page.
template <class T> class DocList {
public:
    DocList() = default;
    DocList(const T *items, std::size_t count) : m_items(items), m_count(count) {}

    const T *begin() const { return m_items; }
    const T *end() const { return m_items + m_count; }
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const T &operator[](std::size_t i) const { return m_items[i]; }
    const T &front() const { return m_items[0]; }
    const T &back() const { return m_items[m_count - 1]; }

    friend bool operator==(const DocList &a, const DocList &b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    const T *m_items = nullptr;
    std::size_t m_count = 0;
};

// A function's page as a reference holds it. Its text and lists live in the reference's own
// storage: they are valid as long as the reference is, also after the reference is moved, and
// go with it. Whoever keeps something of a page longer than its reference keeps a copy of it.
struct ParamDoc {
    std::string_view name;
    std::string_view type;        // as written: "number", "integer|string", "\"head\"|\"flux\""
    std::string_view description; // Markdown; names the unit where the parameter has one
    bool optional = false;        // written "name?"
    // The fixed strings the parameter takes, from a type of string literals ("head"|"flux"),
    // without their quotes; empty when any value of the type is allowed.
    DocList<std::string_view> allowedStrings;

    bool operator==(const ParamDoc &) const = default;
};

struct ReturnDoc {
    std::string_view type;
    std::string_view description;

    bool operator==(const ReturnDoc &) const = default;
};

struct FunctionDoc {
    std::string_view name;
    DocList<std::string_view> description; // the "---" lines before the annotations, Markdown
    DocList<ParamDoc> params;
    DocList<ReturnDoc> returns;
    bool deprecated = false;
    std::string_view deprecation; // the text after "---@deprecated", e.g. "use tg_new"
    DocList<std::string_view> see;

    bool operator==(const FunctionDoc &) const = default;
};

// A page that owns its text: what a caller builds to add to a reference.
struct OwnedParamDoc {
    std::string name;
    std::string type;
    std::string description;
    bool optional = false;
    std::vector<std::string> allowedStrings;
};

struct OwnedReturnDoc {
    std::string type;
    std::string description;
};

struct OwnedFunctionDoc {
    std::string name;
    std::vector<std::string> description;
    std::vector<OwnedParamDoc> params;
    std::vector<OwnedReturnDoc> returns;
    bool deprecated = false;
    std::string deprecation;
    std::vector<std::string> see;
};

// A line of a definition file that could not be read.
struct ReferenceProblem {
    int line = 0; // from 1
    std::string message;

    bool operator==(const ReferenceProblem &) const = default;
};

class TarnReference {
public:
    TarnReference() = default;
    TarnReference(TarnReference &&) noexcept = default;
    TarnReference &operator=(TarnReference &&) noexcept = default;
    // A copy has storage of its own.
    TarnReference(const TarnReference &other);
    TarnReference &operator=(const TarnReference &other);

    // The function's page, or nullptr when the reference does not document it.
    const FunctionDoc *Find(std::string_view name) const;
    // In the order they were added (file order for a file that was read).
    const std::vector<FunctionDoc> &Functions() const { return m_functions; }
    // A later page of the same name replaces the earlier one. Both copy the page's text into
    // the reference, so the page may come from anywhere, another reference included.
    void Add(const OwnedFunctionDoc &doc);
    void AddPage(const FunctionDoc &page);
    bool Empty() const { return m_functions.empty(); }
    // Room for count pages, so that reading a big file does not move them again and again, and
    // for about storeBytes of their text and lists.
    void Reserve(std::size_t count, std::size_t storeBytes = 0);

private:
    // The slot of name, whose hash is hash, in m_slots: where its index is, or the empty slot
    // where it would go.
    std::size_t SlotOf(std::string_view name, std::uint32_t hash) const;
    void Rehash(std::size_t slotCount);
    // Adds a page whose text is already in m_store.
    void Insert(FunctionDoc doc);

    std::vector<FunctionDoc> m_functions; // views into m_store
    // Open addressing over indexes into m_functions, at most half full; -1 marks an empty slot.
    // Indexes stay valid when m_functions grows, and a big file's names need no node each.
    // Each slot keeps its name's hash, so that a probe past other names compares numbers
    // instead of reading those names.
    struct Slot {
        std::int32_t index = -1;
        std::uint32_t hash = 0;
    };
    std::vector<Slot> m_slots;
    DocStore m_store; // the pages' text and lists
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

// A definition file as the program loads it.
struct LoadedReference {
    // The file's pages; the built-in reference when there is no file or it cannot be read.
    TarnReference reference;
    // What could not be read of the file, a line that is no Lua included, in line order.
    std::vector<ReferenceProblem> problems;
    // Each "function" line read, as ReferenceRead has them.
    std::vector<std::pair<std::string, int>> functionLines;
    // Why a file that exists could not be read at all.
    QString cause;
};
LoadedReference ReadReferenceFile(const QString &path);
// Adds to loaded's problems, in line order, the function lines of functions the table lacks.
void ReportFunctionsNotIn(const FunctionTable &table, LoadedReference &loaded);

// "tg_setbc(node, mode, value)" as the table row names the parameters.
std::string SignatureOf(const TableRow &row);

// The page's parameter of that name, or nullptr.
const ParamDoc *FindParam(const FunctionDoc &doc, std::string_view name);
// A table row's parameter entry without its marks: ("mode") gives mode.
std::string BareParameterName(std::string_view entry);
// The table's marks: (name) may be left out, "name" takes a string.
bool IsOptionalParameter(std::string_view entry);
bool IsStringParameter(std::string_view entry);
