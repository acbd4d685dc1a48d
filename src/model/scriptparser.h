// The recursive-descent reader behind BuildModel. Its recursion passes through Block() and
// Expression() only, each counting one level against Model::kMaxDepth, so no input nests it
// deeper than that.
#pragma once

#include "model/scriptlexer.h"
#include "model/scriptmodel.h"

#include <vector>

namespace luamodel {

// The reader gives up: at the end of the text, at the nesting bound, or after too many errors.
struct ParseStop {};
// The reader goes on after an error: at the closer of the open bracket or block frame, or with
// the next statement when frame is kNone.
struct Recover {
    std::uint32_t frame;
};

// The tokens that end a block.
enum class Follow : std::uint8_t { Eof, End, Branch, Until };

// A value per name, found by the name's hash in constant time: the innermost local of each
// name in scope, and each global's index.
class NameTable {
public:
    static std::uint32_t Hash(std::string_view name);
    // The value stored for name, added as kNone when absent. Valid until the next call.
    std::uint32_t &Value(std::string_view name, std::uint32_t hash);

private:
    void Grow();
    struct Slot {
        std::string_view name;
        std::uint32_t value = kNone;
        std::uint32_t hash = 0;
        bool used = false;
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
    void SoftError(); // notes an error the reader can read past without losing its place
    // What is open, to restore after an error unwinds some of it.
    struct Mark {
        std::size_t scopes, functions, callDepth, loopBreaks, frames;
        int depth;
        std::uint32_t loops;
    };
    Mark Here() const;
    void Unwind(const Mark &mark);
    std::uint32_t FrameFor(Tok closer) const;
    // Runs body inside a bracket or block frame of the kind, then reads its closer; an error
    // inside that reaches this frame's closer resumes after the closer. False after an error.
    template <class Body> bool InFrame(char kind, Tok closer, Body body)
    {
        const std::uint32_t frame = std::uint32_t(m_frames.size());
        m_frames.push_back(kind);
        const Mark mark = Here();
        bool clean = true;
        try {
            body();
            if (!Accept(closer))
                Fail();
        } catch (const Recover &recover) {
            if (recover.frame != frame)
                throw;
            Unwind(mark);
            Advance();
            clean = false;
        }
        m_frames.resize(frame);
        return clean;
    }
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
    bool Block(Follow follow);
    void SkipStray();
    bool Statement();
    void FunctionNamed(const Token &keyword);
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
    void AssignValues(std::size_t base, Assignment &assignment, const Token &first);

    // Expressions.
    Expr Expression(std::uint32_t constructorTarget = kNone);
    Expr SimpleExpression(std::uint32_t constructorTarget);
    Suffixed SuffixedExpression();
    void CallArguments(Suffixed &chain, const Token &lastName, bool method);
    std::uint32_t ExpressionList(std::vector<Expr> *values);
    void Constructor(std::uint32_t targetUse);
    void Fields(std::uint32_t targetUse);
    void Parameters(std::uint32_t function);
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
    int m_errors = 0;
    static constexpr int kMaxErrors = 1000;
    std::vector<Suffixed> m_targets; // the targets of the assignments being read
    std::vector<char> m_frames; // open brackets "(", "{", "[" and blocks "b" (to `end`), "r" (to `until`)
    Model m_model;

    struct Active {
        std::uint32_t declaration;
        std::uint32_t previous; // the entry of the same name it hides, kNone if none
        std::uint32_t hash;
    };
    std::vector<Active> m_active; // locals in scope, innermost last
    NameTable m_locals;           // each name's innermost entry in m_active
    void DropActive(std::size_t base);
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
    bool m_lastExits = false; // the last `do` block cannot reach its end
};

} // namespace luamodel
