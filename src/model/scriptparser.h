// The recursive-descent reader behind BuildModel. Its recursion passes through Block() and
// Expression() only, each counting one level against Model::kMaxDepth, so no input nests it
// deeper than that.
#pragma once

#include "model/scriptlexer.h"
#include "model/scriptmodel.h"

#include <vector>

namespace luamodel {

// Why the reader stopped before the end.
struct ParseStop {};

// Global names by text, for resolving each use in constant time.
class NameTable {
public:
    // The index stored for name, or kNone; stores next when absent.
    std::uint32_t FindOrAdd(std::string_view name, std::uint32_t next);

private:
    void Grow();
    struct Slot {
        std::string_view name;
        std::uint32_t value = kNone;
    };
    std::vector<Slot> m_slots = std::vector<Slot>(64);
    std::size_t m_used = 0;
};

// What an expression turned out to be, as far as the model cares.
struct Expr {
    ValueType type = ValueType::Unknown;
    bool multi = false;     // a call or "...": may give several values
    bool literalTrue = false;
    bool literalFalse = false;
    std::size_t start = 0;
    std::size_t end = 0;
};

// A suffixed expression: a name or "(exp)" with fields, indexes and calls after it.
struct Suffixed {
    enum class Kind : std::uint8_t { Name, Field, Index, Call, Paren } kind = Kind::Name;
    std::uint32_t baseUse = kNone;   // the leading name's NameUse
    std::uint32_t lastField = kNone; // the last recorded FieldUse of a plain chain
    bool plain = true;               // only names and "." or ":" fields so far
    TextPos startPos;
    std::size_t start = 0;
    std::size_t end = 0;
};

class Parser {
    struct Naming;

public:
    explicit Parser(std::string_view text);
    Model Run();

private:
    // Tokens.
    void Advance();
    const Token &Peek();
    bool Check(Tok type) const { return m_tok.type == type; }
    bool Accept(Tok type);
    void Expect(Tok type);
    [[noreturn]] void Fail();
    TextPos PosOf(const Token &token) const;
    std::string_view TextOf(const Token &token) const;

    // Nesting.
    void Enter();
    void Leave() { --m_depth; }
    std::uint32_t OpenScope(ScopeKind kind, std::size_t start);
    void CloseScope(std::size_t end);
    void CloseEverything();

    // Names.
    std::uint32_t Declare(const Token &name, DeclarationKind kind, bool hasValue);
    void Activate(std::uint32_t declaration, std::size_t from);
    std::uint32_t UseName(const Token &name);
    std::uint32_t AddUse(const Token &token, std::uint32_t symbol, bool global);
    std::uint32_t AddField(const Token &name, const Suffixed &chain, bool method);
    void MarkWrite(std::uint32_t use, bool hasValue, std::uint32_t assignment);

    // Statements.
    bool Block();
    bool Statement();
    bool IfStatement();
    void WhileStatement(bool &endless);
    void DoStatement();
    void ForStatement();
    void RepeatStatement(bool &endless);
    void FunctionStatement();
    void LocalStatement();
    void ExpressionStatement();
    void ReturnStatement();
    void NoteEmpty(EmptyKind kind, const Token &opener, const Token &keyword, std::size_t end);
    void AssignValues(const std::vector<Suffixed> &targets, Assignment &assignment, const Token &first);

    // Expressions.
    Expr Expression(std::uint32_t constructorTarget = kNone);
    Expr SimpleExpression(std::uint32_t constructorTarget);
    Suffixed SuffixedExpression();
    void CallArguments(Suffixed &chain, const Token &lastName, bool method);
    std::uint32_t ExpressionList(std::vector<Expr> *values);
    void Constructor(std::uint32_t targetUse);
    // Reads "(params) block end" for the function whose `function` (or `local`) is keyword;
    // colon is the ":" of a method, whose `self` it declares.
    std::uint32_t FunctionBody(const Token &keyword, const Token *colon);

    // Functions and their names.
    std::uint32_t NewFunction(const Token &keyword);
    void Arm(const Naming &naming);
    void ReadAnnotations(Function &function, std::size_t statementStart);

    // Bookkeeping after the read.
    void Finish();

    Lexer m_lexer;
    std::string_view m_text;
    Token m_tok;
    Token m_ahead;
    bool m_hasAhead = false;
    std::size_t m_lastEnd = 0; // end of the last token consumed
    int m_depth = 0;
    Model m_model;

    struct Active {
        const char *name;
        std::uint32_t length;
        std::uint32_t declaration;
    };
    std::vector<Active> m_active; // locals in scope, innermost last
    struct OpenScopeState {
        std::uint32_t scope;
        std::size_t activeBase;
    };
    std::vector<OpenScopeState> m_scopes;
    struct OpenFunction {
        std::uint32_t function;
        std::size_t activeBase;
        std::uint32_t loops = 0;
    };
    std::vector<OpenFunction> m_functions;
    std::vector<std::uint32_t> m_loopBreaks; // breaks seen in each open loop
    // Calls whose arguments are being read, innermost last; entries past m_callDepth keep their
    // vectors' storage for the next call.
    struct OpenCall {
        std::uint32_t call;
        std::vector<Argument> arguments;
        std::vector<std::size_t> commas;
    };
    std::vector<OpenCall> m_callStack;
    std::size_t m_callDepth = 0;
    void FlushCall(OpenCall &open);
    NameTable m_globals;
    // The value being named by the statement reading it: `local f = function`, `a.b = function`.
    struct Naming {
        FunctionKind kind = FunctionKind::Anonymous;
        TextPos nameStart;
        std::size_t nameEnd = 0;
        std::uint32_t symbol = kNone;
        bool global = false;
        std::uint32_t field = kNone;
        TextPos start;                   // where the named definition starts
        std::size_t statementStart = 0;  // where annotations are looked for above
    };
    Naming m_naming;
    bool m_namingArmed = false;
};

} // namespace luamodel
