// A model of a Lua 5.1 script: every name with its place. Scopes, declarations (locals,
// parameters, `self`, loop variables, `...`), every use of a name resolved to its declaration or
// to a global, fields of tables where they are plain, functions with their parameters and the
// `---@param`/`---@return` lines above them, calls with their arguments, and the statements the
// warnings look at.
//
// Positions are byte offsets into the text, with a 1-based line and a 1-based column counted in
// bytes from the line's start (a caller that needs UTF-16 or characters converts). Line breaks
// are "\n", "\r", "\r\n" and "\n\r", each counting as one, as Lua counts them.
//
// The model holds string_views into the text it was built from: that text must outlive the model
// and must not change while the model is used.
//
// Everything lives in flat vectors indexed by uint32_t; kNone marks "no such item". Lists are in
// text order unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace luamodel {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// The visibleFrom of a declaration whose statement the reader never finished.
constexpr std::size_t kNever = ~std::size_t(0);

struct TextPos {
    std::size_t offset = 0;
    std::uint32_t line = 1;
    std::uint32_t column = 1; // in bytes, 1-based
};

// A stretch of text: from start (with its line and column) up to end, exclusive.
struct TextRange {
    TextPos start;
    std::size_t end = 0;
};

enum class ScopeKind : std::uint8_t {
    Chunk,    // the whole script
    Function, // a function's body, with its parameters
    Block,    // do ... end, then/else branches, while bodies
    Loop,     // a for loop's body, with its loop variables
    Repeat,   // repeat ... until cond: the condition is inside
};

struct Scope {
    ScopeKind kind = ScopeKind::Block;
    std::size_t start = 0; // the keyword that opens it (for a function, its "(")
    // After its closing keyword (`end`, or the `until` condition); when left open, the text's
    // size, or where an error cut it short.
    std::size_t end = 0;
    std::uint32_t parent = kNone;
    std::uint32_t function = 0; // the function whose body holds it (0: the main chunk)
    std::uint32_t depth = 0;    // scopes enclosing it
    // Its declarations, contiguous in Model::scopeDeclarations, in text order.
    std::uint32_t firstDeclaration = 0;
    std::uint32_t declarationCount = 0;
};

enum class DeclarationKind : std::uint8_t {
    Local,         // local x
    LocalFunction, // local function f: in scope inside its own body
    Parameter,
    Self,          // the implicit first parameter of `function a:b()`; its range is the ":"
    NumericFor,    // for i = ...
    GenericFor,    // for k, v in ...
    Vararg,        // "..." of a vararg function (the main chunk's is not listed)
};

struct Declaration {
    std::string_view name; // "..." for a vararg
    TextRange range;       // the name where it is declared
    DeclarationKind kind = DeclarationKind::Local;
    std::uint32_t scope = 0;
    std::uint32_t function = 0; // the function it belongs to
    // Where it comes into scope: after its `local` statement, at the `do` of its `for`, at the
    // function's "(" for a parameter, at the name for `local function`. It stays until the scope's end.
    // kNever when the text stopped before its statement ended, and for a vararg (not a name).
    std::size_t visibleFrom = 0;
    // The declaration of the same name it hides where it comes into scope; kNone if none.
    std::uint32_t shadows = kNone;
    // Its uses, contiguous in Model::symbolUses, in text order; the first is the declaration itself.
    std::uint32_t firstUse = 0;
    std::uint32_t useCount = 0;
    bool usedAsUpvalue = false; // used from inside a function nested in its own
};

struct Global {
    std::string_view name;
    // Its uses, contiguous in Model::symbolUses, in text order.
    std::uint32_t firstUse = 0;
    std::uint32_t useCount = 0;
    std::uint32_t firstSet = kNone; // the use that first assigns it: its "declaration"
    bool read = false;    // read other than to set a field of it
    bool set = false;
    bool mutated = false; // a field of it is set: `g.x = 1`, `g[1] = 2`, `function g.f() end`
};

// One occurrence of a variable's name: a declaration, a read or a write.
struct NameUse {
    TextRange range;
    std::uint32_t symbol = 0;   // index into declarations, or into globals when global
    std::uint32_t function = 0; // the function the use stands in
    std::uint32_t scope = 0;    // the innermost scope it stands in
    bool global = false;
    bool write = false;          // assigned (a declaration counts as written)
    bool declaration = false;    // the declaration's own name
    bool hasValue = false;       // a write that gives a value (`local x` alone gives none)
    bool upvalue = false;        // a local used from inside a function nested in its declaring one
    bool mutation = false;       // a read whose field is then assigned: the `g` of `g.x = 1`
    bool inLoop = false;         // inside a loop body (while, repeat, for) of its own function
    // For a write by an assignment or `local` statement: that statement in Model::assignments.
    // Reads inside its range run before the write (`x = x + 1`).
    std::uint32_t assignment = kNone;
};

// A field written after a plain name chain: `a.b`, `a.b.c`, `a:m`, or set in a table
// constructor assigned to a name: `local t = { x = 1 }`.
struct FieldUse {
    std::string_view name;
    TextRange range;
    std::uint32_t baseUse = kNone; // the NameUse of the chain's first name
    std::uint32_t parent = kNone;  // the FieldUse it hangs on (`a.b` for `a.b.c`); kNone on the base itself
    bool write = false;            // assigned: `M.x = 1`, `function M.run()`, `{ x = 1 }`
    bool method = false;           // after ":"
    bool inConstructor = false;    // `{ name = value }`
};

// An annotation line written directly above a function.
struct ParamAnnotation {
    std::string_view name; // "..." allowed
    std::string_view type; // as written, may be empty
    bool optional = false; // "name?"
};
struct ReturnAnnotation {
    std::string_view type;
};

enum class FunctionKind : std::uint8_t {
    Main,      // the script itself: functions[0]
    Anonymous, // a function expression not assigned to a plain name
    Local,     // local function f / local f = function
    Global,    // function f / f = function
    Field,     // function a.b / a.b = function / { b = function }
    Method,    // function a:b (has `self`)
};

struct Function {
    FunctionKind kind = FunctionKind::Anonymous;
    // As written: "f", "a.b:c", "M.new"; empty when anonymous. A function is named by
    // `function name`, `local function name`, or a statement assigning it to one name or field.
    std::string_view name;
    TextRange nameRange;   // empty when anonymous
    // From `function`, or `local` before it, or the assigned name for `x = function`, up to after
    // the closing `end` (the text's size when unclosed).
    TextRange range;
    bool closed = false;
    std::uint32_t parent = kNone;     // the function it is written in
    std::uint32_t depth = 0;          // functions enclosing it, the main chunk not counted
    std::uint32_t namedDepth = 0;     // named functions (not Main, not Anonymous) enclosing it
    std::uint32_t scope = 0;          // its body's scope
    std::uint32_t symbol = kNone;     // the local declaration or global it is assigned to; kNone for fields
    bool symbolGlobal = false;
    std::uint32_t field = kNone;      // the FieldUse it is assigned to (`a.b = function`, `{ b = function }`)
    std::size_t openParen = 0;        // its parameter list's "(" and ")"
    std::size_t closeParen = 0;
    // Its parameters in Model::declarations: `self` first for a method, then the named ones; the
    // vararg's declaration is not among them.
    std::uint32_t firstParameter = 0;
    std::uint32_t parameterCount = 0;
    bool vararg = false;
    bool method = false;
    std::uint32_t varargDeclaration = kNone;
    std::uint32_t firstParamAnnotation = 0; // into Model::paramAnnotations
    std::uint32_t paramAnnotationCount = 0;
    std::uint32_t firstReturnAnnotation = 0; // into Model::returnAnnotations
    std::uint32_t returnAnnotationCount = 0;
};

enum class ValueType : std::uint8_t { Unknown, Nil, Boolean, Number, String, Table, Function, Vararg, Call };

struct Argument {
    TextRange range;
    ValueType type = ValueType::Unknown; // a literal's type; Vararg or Call for "..." or a call
};

enum class CallForm : std::uint8_t { Parens, String, Table };

struct Call {
    // The callee when it is a name or a chain of fields `a.b:c`: its text and range; empty otherwise.
    std::string_view callee;
    TextRange calleeRange;
    TextRange lastName;            // the chain's last name (`c` of `a.b:c`); the callee itself if plain
    std::uint32_t baseUse = kNone; // the NameUse of the chain's first name
    std::uint32_t calleeField = kNone; // the FieldUse of the chain's last field; kNone for a plain name
    bool plainName = false;        // the callee is one name, no fields
    bool method = false;           // `a:b(...)`
    CallForm form = CallForm::Parens;
    TextPos open;                  // "(" or the string's or table's first byte
    // After ")" or the string or table; when left open, where the reader gave it up (the text's
    // size, or the place an error cut it short).
    std::size_t close = 0;
    bool closed = false;
    std::uint32_t firstArgument = 0; // into Model::arguments
    std::uint32_t argumentCount = 0;
    std::uint32_t firstComma = 0;    // top-level commas, into Model::commas
    std::uint32_t commaCount = 0;
    bool moreMayFollow = false;   // the last argument is a call or "...": it may give several values
    std::uint32_t parent = kNone; // the call whose arguments hold this one
    std::uint32_t function = 0;
};

// A `local` statement or an assignment.
struct Assignment {
    TextRange range;
    bool isLocal = false;
    std::uint32_t names = 0;
    std::uint32_t values = 0;
    bool lastValueMulti = false; // the last value is a call or "..."
    std::uint32_t firstUse = kNone; // the NameUse of the first name when it is a variable
    std::uint32_t function = 0;
};

// A statement after `return` or `break` in the same block.
struct Unreachable {
    TextPos statement; // the first statement that cannot run
    TextPos exit;      // the `return` or `break`
};

enum class EmptyKind : std::uint8_t { Do, Then, ElseIf, Else };

// An empty `do end` or an empty branch of an `if`.
struct EmptyBlock {
    EmptyKind kind = EmptyKind::Do;
    TextPos keyword; // do, then (of `if` or `elseif`), else
    TextPos opener;  // do, if, elseif, else: where the statement or branch starts
    std::size_t end = 0; // after the keyword that ends the empty part
};

// What the parser did with the text. After a syntax error it reads on where it can: from the
// closer of the bracket or block the error is in, or with the next statement; it stops at the
// end of the text, at the nesting bound, or after a thousand errors.
struct ParseStatus {
    bool complete = true;  // read to the end without a syntax error
    bool tooDeep = false;  // stopped at the nesting bound
    TextPos stoppedAt;     // the first error, when not complete
};

// The symbol a NameUse refers to.
struct SymbolRef {
    std::uint32_t index = kNone; // into declarations or globals
    bool global = false;
    bool valid() const { return index != kNone; }
};

// The call around a place in the text, and which of its arguments the place is in.
struct CallAt {
    std::uint32_t call = kNone;
    std::uint32_t argument = 0; // 0-based: the number of the call's top-level commas before the place
};

class Model {
public:
    // The nesting of blocks, expressions and brackets the parser follows before it stops.
    static constexpr int kMaxDepth = 200;

    std::vector<Scope> scopes;             // in order of their start; scopes[0] is the chunk
    std::vector<Declaration> declarations; // in text order
    std::vector<Global> globals;           // in order of first use
    std::vector<NameUse> uses;             // every variable name, in text order
    std::vector<std::uint32_t> symbolUses; // uses grouped per declaration, then per global
    std::vector<std::uint32_t> scopeDeclarations;
    std::vector<FieldUse> fields;          // in text order
    std::vector<std::uint32_t> fieldsByBase;  // fields ordered by baseUse, text order within
    std::vector<std::uint32_t> globalsByName; // globals ordered by name
    std::vector<std::uint32_t> functionsByName; // named functions ordered by name, text order within
    std::vector<Function> functions;       // in text order of their start; functions[0] is the main chunk
    std::vector<ParamAnnotation> paramAnnotations;
    std::vector<ReturnAnnotation> returnAnnotations;
    std::vector<Call> calls;               // in text order of their "(" (or string or table)
    std::vector<Argument> arguments;
    std::vector<std::size_t> commas;
    std::vector<Assignment> assignments;
    std::vector<Unreachable> unreachable;
    std::vector<EmptyBlock> emptyBlocks;
    ParseStatus status;

    // Declarations visible at offset, innermost scope first and latest first within a scope;
    // shadowed ones are included after their shadower (callers that list names skip repeats).
    std::vector<std::uint32_t> VisibleAt(std::size_t offset) const;
    // The declaration of name visible at offset, kNone when the name is global there.
    std::uint32_t Resolve(std::string_view name, std::size_t offset) const;
    // The NameUse whose name covers offset (start <= offset <= end), kNone if none.
    std::uint32_t UseAt(std::size_t offset) const;
    // The symbol of a NameUse.
    SymbolRef SymbolOf(std::uint32_t use) const;
    // Where a symbol is declared: a local's own NameUse, a global's first assignment (kNone if
    // the script never assigns it).
    std::uint32_t DeclarationUse(SymbolRef symbol) const;
    // Every NameUse of a symbol, in text order.
    std::vector<std::uint32_t> Occurrences(SymbolRef symbol) const;
    // A global by name, kNone if the script never names it.
    std::uint32_t FindGlobal(std::string_view name) const;
    // The distinct field names set or read on a symbol directly (`M.run`, `M.x`, `{ x = 1 }`),
    // in order of first appearance.
    std::vector<std::string_view> FieldsOf(SymbolRef symbol) const;
    // The fields known for the name written at offset, as `name.` there would complete: the name
    // resolved at offset, locals first, else the global.
    std::vector<std::string_view> FieldsOf(std::string_view name, std::size_t offset) const;
    // The innermost call whose argument list holds offset (after its "(", up to its ")"), not
    // counting calls around a function body that holds offset, with the argument index; call is
    // kNone outside every call.
    CallAt CallAround(std::size_t offset) const;
    // The innermost scope holding offset.
    std::uint32_t ScopeAt(std::size_t offset) const;
    // The innermost function whose range holds offset (0: the main chunk).
    std::uint32_t FunctionAt(std::size_t offset) const;
    // Named functions (every kind but Main and Anonymous), in text order: outlines, symbol lists.
    std::vector<std::uint32_t> NamedFunctions() const;
    // The script's own function a call calls, by the callee as written: a plain name through its
    // symbol (the latest definition before the call, else the first after it), a field chain
    // (`M.new`, `a.b:c`) by the same name; kNone when unknown.
    std::uint32_t DefinitionOf(std::uint32_t call) const;
    // The NameUses of a declaration or global, as a range in symbolUses.
    const std::uint32_t *UsesBegin(SymbolRef symbol) const;
    const std::uint32_t *UsesEnd(SymbolRef symbol) const;
};

// Builds the model of text in one pass. Never throws for any text; after a syntax error it keeps
// what it read and reads on where it can (see ParseStatus).
Model BuildModel(std::string_view text);

} // namespace luamodel
