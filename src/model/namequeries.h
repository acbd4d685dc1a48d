// What the script's names mean at a place in it, read off its model: the names to complete there,
// where a name is declared, every use of it, whether and how it can be renamed, and the call
// being typed with its active parameter. The window and the language server both ask here, so
// they agree on Lua's scoping.
//
// Offsets are byte offsets into the text the model was built from; callers turn them into their
// own lines and columns. Every query costs what the place needs (the scopes around it, the uses
// of one symbol), never a walk over the whole text.
#pragma once

#include "app/scribacobarray.h"
#include "model/scriptmodel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class TarnReference;
struct FunctionDoc;
struct LuaLibraryEntry;

// What a name stands for: the window picks its icon by it, the server its CompletionItemKind.
enum class NameKind : std::uint8_t {
    Local,
    LocalFunction,
    Parameter,
    LoopVariable,
    Self,
    Vararg,
    Upvalue,         // a local of an enclosing function
    Global,          // a global the script sets or reads that is no function of its own
    GlobalFunction,  // function name() ... end, or name = function
    Field,           // a field of one of the script's tables: `M.x`
    Method,          // a function field of one of the script's tables: `function M.run()`, `M:step()`
    LibraryFunction, // Lua's own: print, string.format, f:read
    LibraryTable,    // string, math, io, ...
    LibraryValue,    // _VERSION, math.pi
    TarnFunction,
    Keyword,
};

// Tarn's side of the names: the function table, its names in completion order
// (CompletionNames of the table) and the reference that documents them. Any may be missing.
struct TarnNames {
    const FunctionTable *functions = nullptr;
    const std::vector<std::string> *sortedNames = nullptr;
    const TarnReference *reference = nullptr;
};

struct NameCandidate {
    std::string name;
    NameKind kind = NameKind::Global;
    // How far out the name is declared: 0 for the innermost scope at the place, growing outwards;
    // the script's globals, Lua's library, Tarn's functions and the keywords come after every local.
    int distance = 0;
    std::string detail; // a function's signature, "f(a, b)"; empty for other names
    bool deprecated = false;
    std::uint32_t declaration = luamodel::kNone; // a local's declaration in the model
    std::uint32_t function = luamodel::kNone;    // the script's function it names, if known
    int tarnRow = -1;                            // the function table's row of a Tarn function
    const LuaLibraryEntry *library = nullptr;    // Lua's entry for a library name
};

struct NameCompletion {
    std::size_t wordStart = 0; // the name typed so far is [wordStart, offset)
    std::size_t wordEnd = 0;   // the end of the name the place stands in, for replacing it whole
    // After `base.` or `base:` the candidates are base's fields (only functions after ":").
    bool afterField = false;
    bool method = false;
    std::string base; // as written: "string", "M", "a.b"
    // In a comment, a string or a number: nothing is offered there.
    bool quiet = false;
    std::vector<NameCandidate> candidates; // nearest scope first, then globals, library, Tarn, keywords
    bool incomplete = false;               // more matched than the limit asked for
};

// A parameter as a tip or a hover shows it.
struct NameParameter {
    std::string name;        // "x", "...", "(maxsegdeg)" as a Tarn table writes an optional one
    std::string type;        // from `---@param` or the reference; may be empty
    std::string description; // from the reference; may be empty
    bool optional = false;
};

// What a name at a place is, for a hover or a description panel.
struct NameDescription {
    bool found = false;
    std::size_t start = 0; // the name at the place
    std::size_t end = 0;
    std::string name; // as it is called: "helper", "string.format", "M.run"
    NameKind kind = NameKind::Global;
    std::string signature; // "string.format(formatstring, ...)"; empty for a name that is no function
    std::vector<NameParameter> parameters;
    std::vector<std::string> returns; // types from `---@return`
    std::string description;          // Lua's library line; empty for the script's own names
    int tarnRow = -1;                 // a Tarn function: its page is the reference's to show
    const FunctionDoc *tarnPage = nullptr;
    std::uint32_t function = luamodel::kNone; // the script's own function
};

// The call whose argument list holds a place, however many lines it spans.
struct CallSignature {
    bool found = false;
    std::size_t nameStart = 0; // the callee as written
    std::size_t nameEnd = 0;
    NameDescription callee; // its signature and parameters (a method's `self` left out)
    int argument = 0;       // 0-based: the commas of the call before the place
    // The parameter to show bold: argument, clamped to the last parameter; -1 without parameters.
    int activeParameter = -1;
    // More arguments than the function takes (it has no "..."): activeParameter is the last one.
    bool beyondLast = false;
};

struct NameDefinition {
    enum class Where : std::uint8_t {
        None,    // nothing to go to: not a name, or a global the script never sets
        Script,  // [start, end) in the script: a declaration or a global's first assignment
        Tarn,    // one of Tarn's functions: its page in the reference
        Library, // Lua's own: nothing in the script to go to
    };
    Where where = Where::None;
    std::size_t start = 0;
    std::size_t end = 0;
    std::string name;
    NameKind kind = NameKind::Global;
    int tarnRow = -1;
};

struct NameOccurrence {
    std::size_t start = 0;
    std::size_t end = 0;
    bool write = false;       // assigned there (a declaration counts)
    bool declaration = false; // the declaration itself, or a global's first assignment
};

struct RenameCheck {
    bool ok = false;
    std::string why;       // when not ok: what stands in the way, naming the other name and its line
    std::size_t start = 0; // the name at the place
    std::size_t end = 0;
    std::string oldName;
};

struct RenameEdits {
    bool ok = false;
    std::string why;
    std::vector<NameOccurrence> edits; // each to be replaced by the new name, in text order
};

class NameQueries {
public:
    // text is what model was built from; both, and tarn's tables, must outlive the queries.
    NameQueries(std::string_view text, const luamodel::Model &model, TarnNames tarn = {});

    // The names to offer at offset, filtered by the name typed before it (ASCII case ignored);
    // at most most of them when most > 0.
    NameCompletion Complete(std::size_t offset, std::size_t most = 0) const;
    // What the name at offset is; found is false where there is none.
    NameDescription Describe(std::size_t offset) const;
    // What a completion candidate is, for the panel beside the list.
    NameDescription DescribeCandidate(const NameCandidate &candidate) const;
    // The innermost call around offset that names a function with known parameters.
    CallSignature CallAt(std::size_t offset) const;
    // Where the name at offset is declared under Lua's scoping.
    NameDefinition Definition(std::size_t offset) const;
    // Every use of the symbol at offset (a variable, or a field of one of the script's tables),
    // in text order; empty where there is none.
    std::vector<NameOccurrence> Occurrences(std::size_t offset) const;
    // Whether the name at offset can be renamed: the script's own locals, globals and fields can.
    RenameCheck PrepareRename(std::size_t offset) const;
    // The edits that rename the symbol at offset to newName; refused when newName is no name, is
    // a keyword, or would capture another name or be captured by one.
    RenameEdits Rename(std::size_t offset, std::string_view newName) const;

    // Whether offset stands inside a comment or a string (or just after an unfinished one).
    bool InCommentOrString(std::size_t offset) const;

    static bool IsIdentifier(std::string_view name);
    static bool IsKeyword(std::string_view name);
    static NameKind KindOf(const luamodel::Declaration &declaration);
    static NameKind KindOf(const LuaLibraryEntry &entry);

private:
    // The symbol a place names: a variable, or a field hanging on one.
    struct Target {
        luamodel::SymbolRef symbol;    // the variable, or the field chain's base
        std::uint32_t use = luamodel::kNone;
        std::uint32_t field = luamodel::kNone;
        std::vector<std::string_view> path; // a field's chain before it: {"M"}, {"a", "b"}
        std::size_t start = 0;
        std::size_t end = 0;
        std::string_view name;
    };
    Target TargetAt(std::size_t offset) const;
    std::vector<NameOccurrence> FieldOccurrences(const Target &target) const;
    std::string WhyNotRenamed(const Target &target, std::string_view newName) const;
    std::string WhyNotRenamedLocal(const Target &target, std::string_view newName) const;
    std::string WhyNotRenamedGlobal(const Target &target, std::string_view newName) const;
    int LineOf(std::size_t offset) const;
    CallSignature SignatureOfCall(std::size_t calleeStart, std::size_t calleeEnd, std::size_t lastName,
                                  std::uint32_t function, int argument) const;
    CallSignature CallByLexing(std::size_t offset) const;

    bool Add(NameCompletion &completion, NameCandidate candidate, std::size_t most) const;
    void AddNameCandidates(NameCompletion &completion, std::string_view word, std::size_t offset,
                           std::size_t most) const;
    bool AddGlobalCandidates(NameCompletion &completion, std::string_view word, std::size_t offset, int distance,
                             std::unordered_set<std::string_view> &seen, std::size_t most) const;
    void AddFieldCandidates(NameCompletion &completion, std::string_view word, std::size_t baseStart,
                            std::size_t most) const;
    // typed: the start of a field being typed, left out.
    std::vector<std::uint32_t> FieldsOfChain(std::string_view chain, std::size_t offset,
                                             std::size_t typed = std::string_view::npos) const;
    bool FieldFollows(std::uint32_t field, const std::vector<std::string_view> &path) const;
    std::uint32_t FunctionNamedAt(std::size_t nameStart) const;
    std::uint32_t FunctionOfField(std::uint32_t field) const;
    bool IsTarnFunction(std::string_view name) const;
    std::string OwnSignature(const luamodel::Function &function, std::string_view name) const;
    void DescribeFunction(std::uint32_t index, NameDescription &description) const;
    void DescribeTarn(int row, NameDescription &description) const;
    void DescribeLibrary(std::string_view table, const LuaLibraryEntry &entry, NameDescription &description) const;
    void DescribeGlobal(std::uint32_t global, std::string_view name, NameDescription &description) const;
    void DescribeField(std::string_view base, bool method, std::size_t baseStart,
                       NameDescription &description) const;

    std::string_view m_text;
    const luamodel::Model &m_model;
    TarnNames m_tarn;
};
