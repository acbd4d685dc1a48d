// The reader's tokens, errors and recovery, scopes, and the resolution of names.
#include "model/scriptparser.h"

namespace luamodel {

std::uint32_t NameTable::Hash(std::string_view name)
{
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

namespace {

// Names are short: comparing them inline beats a call to memcmp.
bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

std::uint32_t &NameTable::Value(std::string_view name, std::uint32_t hash)
{
    if ((m_used + 1) * 2 > m_slots.size())
        Grow();
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (!slot.used) {
            slot = {name, kNone, hash, true};
            ++m_used;
            return slot.value;
        }
        if (slot.hash == hash && SameName(slot.name, name))
            return slot.value;
    }
}

void NameTable::Grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    m_used = 0;
    for (const Slot &slot : old)
        if (slot.used)
            Value(slot.name, slot.hash) = slot.value;
}

Parser::Parser(std::string_view text) : m_lexer(text), m_text(text)
{
}

Model Parser::Run()
{
    // Room for what a script of this size usually holds, so the vectors rarely move.
    const std::size_t size = m_text.size();
    m_model.uses.reserve(size / 16);
    m_model.calls.reserve(size / 64);
    m_model.arguments.reserve(size / 48);
    m_model.fields.reserve(size / 128);
    m_model.declarations.reserve(size / 256);
    m_model.scopes.reserve(size / 256);
    m_model.assignments.reserve(size / 128);
    Function main;
    main.kind = FunctionKind::Main;
    main.range.end = m_text.size();
    main.vararg = true;
    m_model.functions.push_back(main);
    m_functions.push_back({0, 0});
    OpenScope(ScopeKind::Chunk, 0);
    try {
        Advance();
        Block(Follow::Eof);
        m_model.functions[0].closed = true;
    } catch (const ParseStop &) {
    }
    CloseEverything();
    Finish();
    return std::move(m_model);
}

void Parser::Advance()
{
    m_lastEnd = m_tok.end;
    if (m_hasAhead) {
        m_tok = m_ahead;
        m_hasAhead = false;
    } else {
        m_tok = m_lexer.Next();
    }
    if (m_tok.broken)
        SoftError();
}

const Token &Parser::Peek()
{
    if (!m_hasAhead) {
        m_ahead = m_lexer.Next();
        m_hasAhead = true;
    }
    return m_ahead;
}

bool Parser::Accept(Tok type)
{
    if (!Check(type))
        return false;
    Advance();
    return true;
}

void Parser::Expect(Tok type)
{
    if (!Accept(type))
        Fail();
}

void Parser::SoftError()
{
    if (m_model.status.complete) {
        m_model.status.complete = false;
        m_model.status.stoppedAt = PosOf(m_tok);
    }
}

// An error at the current token: at the end, or after too many, the reader stops; a closer of an
// open frame resumes there; anything else resumes with the next statement.
void Parser::Fail()
{
    SoftError();
    if (Check(Tok::Eof) || ++m_errors > kMaxErrors)
        throw ParseStop{};
    throw Recover{FrameFor(m_tok.type)};
}

std::uint32_t Parser::FrameFor(Tok closer) const
{
    char kind = 0;
    switch (closer) {
    case Tok::RParen: kind = '('; break;
    case Tok::RBrace: kind = '{'; break;
    case Tok::RBracket: kind = '['; break;
    case Tok::End: kind = 'b'; break;
    case Tok::Until: kind = 'r'; break;
    default: return kNone;
    }
    for (std::size_t i = m_frames.size(); i-- > 0;)
        if (m_frames[i] == kind)
            return std::uint32_t(i);
    return kNone;
}

Parser::Mark Parser::Here() const
{
    return {m_scopes.size(), m_functions.size(), m_callDepth, m_loopBreaks.size(), m_frames.size(),
            m_depth, m_functions.back().loops};
}

// Closes what an error cut short: scopes end where the reader resumes, calls are left unclosed
// there, functions stay unclosed.
void Parser::Unwind(const Mark &mark)
{
    const std::size_t cut = m_tok.start;
    while (m_scopes.size() > mark.scopes)
        CloseScope(cut);
    m_functions.resize(mark.functions);
    while (m_callDepth > mark.callDepth) {
        OpenCall &open = m_callStack[--m_callDepth];
        m_model.calls[open.call].close = cut;
        FlushCall(open);
    }
    m_loopBreaks.resize(mark.loopBreaks);
    m_frames.resize(mark.frames);
    m_depth = mark.depth;
    m_functions.back().loops = mark.loops;
    m_namingArmed = false;
}

TextPos Parser::PosOf(const Token &token) const
{
    return {token.start, token.line, std::uint32_t(token.start - token.lineStart + 1)};
}

std::string_view Parser::TextOf(const Token &token) const
{
    return m_text.substr(token.start, token.end - token.start);
}

void Parser::Enter()
{
    if (++m_depth > Model::kMaxDepth) {
        m_model.status.tooDeep = true;
        SoftError();
        throw ParseStop{};
    }
}

std::uint32_t Parser::OpenScope(ScopeKind kind, std::size_t start)
{
    Scope scope;
    scope.kind = kind;
    scope.start = start;
    scope.end = m_text.size();
    scope.parent = m_scopes.empty() ? kNone : m_scopes.back().scope;
    scope.function = m_functions.back().function;
    scope.depth = std::uint32_t(m_scopes.size());
    const std::uint32_t index = std::uint32_t(m_model.scopes.size());
    m_model.scopes.push_back(scope);
    m_scopes.push_back({index, m_active.size()});
    return index;
}

void Parser::CloseScope(std::size_t end)
{
    m_model.scopes[m_scopes.back().scope].end = end;
    DropActive(m_scopes.back().activeBase);
    m_scopes.pop_back();
}

// After a stop: whatever is open runs to the end of the text.
void Parser::CloseEverything()
{
    while (!m_scopes.empty())
        CloseScope(m_text.size());
    while (m_callDepth > 0) {
        OpenCall &open = m_callStack[--m_callDepth];
        m_model.calls[open.call].close = m_text.size();
        FlushCall(open);
    }
}

std::uint32_t Parser::Declare(const Token &name, DeclarationKind kind, bool hasValue)
{
    Declaration declaration;
    declaration.name = TextOf(name);
    declaration.range = {PosOf(name), name.end};
    declaration.kind = kind;
    declaration.scope = m_scopes.back().scope;
    declaration.function = m_functions.back().function;
    declaration.visibleFrom = kNever;
    const std::uint32_t index = std::uint32_t(m_model.declarations.size());
    m_model.declarations.push_back(declaration);
    const std::uint32_t use = AddUse(name, index, false);
    NameUse &own = m_model.uses[use];
    own.write = true;
    own.declaration = true;
    own.hasValue = hasValue;
    own.upvalue = false;
    return index;
}

void Parser::Activate(std::uint32_t declaration, std::size_t from)
{
    Declaration &declared = m_model.declarations[declaration];
    declared.visibleFrom = from;
    const std::uint32_t hash = NameTable::Hash(declared.name);
    std::uint32_t &innermost = m_locals.Value(declared.name, hash);
    declared.shadows = innermost == kNone ? kNone : m_active[innermost].declaration;
    m_active.push_back({declaration, innermost, hash});
    innermost = std::uint32_t(m_active.size() - 1);
}

// The locals from base on leave scope; the names they hid are in scope again.
void Parser::DropActive(std::size_t base)
{
    while (m_active.size() > base) {
        const Active &active = m_active.back();
        m_locals.Value(m_model.declarations[active.declaration].name, active.hash) = active.previous;
        m_active.pop_back();
    }
}

std::uint32_t Parser::AddUse(const Token &token, std::uint32_t symbol, bool global)
{
    NameUse use;
    use.range = {PosOf(token), token.end};
    use.symbol = symbol;
    use.global = global;
    use.function = m_functions.back().function;
    use.scope = m_scopes.back().scope;
    use.inLoop = m_functions.back().loops > 0;
    m_model.uses.push_back(use);
    return std::uint32_t(m_model.uses.size() - 1);
}

// A name read where it stands: the innermost local of that name in scope, else a global.
std::uint32_t Parser::UseName(const Token &name)
{
    const std::string_view text = TextOf(name);
    const std::uint32_t hash = NameTable::Hash(text);
    const std::uint32_t innermost = m_locals.Value(text, hash);
    if (innermost != kNone) {
        const std::uint32_t declaration = m_active[innermost].declaration;
        const std::uint32_t use = AddUse(name, declaration, false);
        if (innermost < m_functions.back().activeBase) {
            m_model.uses[use].upvalue = true;
            m_model.declarations[declaration].usedAsUpvalue = true;
        }
        return use;
    }
    std::uint32_t &global = m_globals.Value(text, hash);
    if (global == kNone) {
        global = std::uint32_t(m_model.globals.size());
        Global added;
        added.name = text;
        m_model.globals.push_back(added);
    }
    return AddUse(name, global, true);
}

void Parser::MarkWrite(std::uint32_t use, bool hasValue, std::uint32_t assignment)
{
    NameUse &written = m_model.uses[use];
    written.write = true;
    written.hasValue = hasValue;
    written.assignment = assignment;
}

// A block of statements up to a token of follow; true when its end cannot be reached from its
// start (a `return` or `break`, or something that always runs one). A statement with an error is
// left where the error is, and reading goes on with the next.
bool Parser::Block(Follow follow)
{
    Enter();
    bool exits = false;
    bool reported = false;
    TextPos exitAt;
    for (;;) {
        switch (m_tok.type) {
        case Tok::Eof:
            Leave();
            return exits;
        case Tok::End:
            if (follow == Follow::End || follow == Follow::Branch) {
                Leave();
                return exits;
            }
            SkipStray();
            continue;
        case Tok::Else:
        case Tok::Elseif:
            if (follow == Follow::Branch) {
                Leave();
                return exits;
            }
            SkipStray();
            continue;
        case Tok::Until:
            if (follow == Follow::Until) {
                Leave();
                return exits;
            }
            SkipStray();
            continue;
        case Tok::Semicolon:
            Advance();
            continue;
        case Tok::Name: case Tok::LParen: case Tok::If: case Tok::While: case Tok::Do: case Tok::For:
        case Tok::Repeat: case Tok::Function: case Tok::Local: case Tok::Return: case Tok::Break:
            break;
        default:
            SkipStray();
            continue;
        }
        const TextPos at = PosOf(m_tok);
        if (exits && !reported) {
            m_model.unreachable.push_back({at, exitAt});
            reported = true;
        }
        const Mark mark = Here();
        try {
            if (Statement() && !exits) {
                exits = true;
                exitAt = at;
            }
        } catch (const Recover &recover) {
            if (recover.frame != kNone)
                throw;
            Unwind(mark);
            if (m_tok.start == at.offset)
                Advance();
        }
    }
}

// A token that cannot start a statement: the closer of an open frame closes it (with whatever
// is open inside); anything else is passed over.
void Parser::SkipStray()
{
    if (FrameFor(m_tok.type) != kNone)
        Fail();
    SoftError();
    Advance();
}

} // namespace luamodel
