// Statements, scopes and the resolution of names while the text is read.
#include "model/scriptparser.h"

namespace luamodel {

std::uint32_t NameTable::FindOrAdd(std::string_view name, std::uint32_t next)
{
    if ((m_used + 1) * 2 > m_slots.size())
        Grow();
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    return Insert(name, hash, next);
}

std::uint32_t NameTable::Insert(std::string_view name, std::uint32_t hash, std::uint32_t value)
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.value == kNone) {
            slot = {name, value, hash};
            ++m_used;
            return kNone;
        }
        if (slot.hash == hash && slot.name == name)
            return slot.value;
    }
}

void NameTable::Grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    m_used = 0;
    for (const Slot &slot : old)
        if (slot.value != kNone)
            Insert(slot.name, slot.hash, slot.value);
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
    m_active.resize(m_scopes.back().activeBase);
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
    // A shadowed name is the one in scope at the moment of activation, not of declaration.
    declared.shadows = kNone;
    for (std::size_t i = m_active.size(); i-- > 0;) {
        const Active &active = m_active[i];
        if (active.length == declared.name.size() && std::string_view(active.name, active.length) == declared.name) {
            declared.shadows = active.declaration;
            break;
        }
    }
    m_active.push_back({declared.name.data(), std::uint32_t(declared.name.size()), declaration});
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
    const unsigned char first = static_cast<unsigned char>(text[0]);
    for (std::size_t i = m_active.size(); i-- > 0;) {
        const Active &active = m_active[i];
        if (active.length != text.size() || static_cast<unsigned char>(active.name[0]) != first ||
            std::string_view(active.name, active.length) != text)
            continue;
        const std::uint32_t use = AddUse(name, active.declaration, false);
        if (i < m_functions.back().activeBase) {
            m_model.uses[use].upvalue = true;
            m_model.declarations[active.declaration].usedAsUpvalue = true;
        }
        return use;
    }
    const std::uint32_t next = std::uint32_t(m_model.globals.size());
    const std::uint32_t found = m_globals.FindOrAdd(text, next);
    if (found != kNone)
        return AddUse(name, found, true);
    Global global;
    global.name = text;
    m_model.globals.push_back(global);
    return AddUse(name, next, true);
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

void Parser::NoteEmpty(EmptyKind kind, const Token &opener, const Token &keyword, std::size_t end)
{
    EmptyBlock empty;
    empty.kind = kind;
    empty.opener = PosOf(opener);
    empty.keyword = PosOf(keyword);
    empty.end = end;
    m_model.emptyBlocks.push_back(empty);
}

// One statement; true when the code after it in its block cannot run.
bool Parser::Statement()
{
    switch (m_tok.type) {
    case Tok::If:
        return IfStatement();
    case Tok::While: {
        bool endless = false;
        WhileStatement(endless);
        return endless;
    }
    case Tok::Do:
        DoStatement();
        return m_lastExits;
    case Tok::For:
        ForStatement();
        return false;
    case Tok::Repeat: {
        bool endless = false;
        RepeatStatement(endless);
        return endless;
    }
    case Tok::Function:
        FunctionStatement();
        return false;
    case Tok::Local:
        LocalStatement();
        return false;
    case Tok::Return:
        ReturnStatement();
        return true;
    case Tok::Break:
        Advance();
        if (!m_loopBreaks.empty())
            ++m_loopBreaks.back();
        return true;
    default:
        ExpressionStatement();
        return false;
    }
}

void Parser::DoStatement()
{
    const Token opener = m_tok;
    Advance();
    bool empty = false;
    bool exits = false;
    const bool clean = InFrame('b', Tok::End, [&] {
        OpenScope(ScopeKind::Block, opener.start);
        empty = Check(Tok::End);
        exits = Block(Follow::End);
    });
    if (clean) {
        CloseScope(m_lastEnd);
        if (empty)
            NoteEmpty(EmptyKind::Do, opener, opener, m_lastEnd);
    }
    m_lastExits = clean && exits;
}

bool Parser::IfStatement()
{
    bool allExit = true;
    bool hasElse = false;
    const bool clean = InFrame('b', Tok::End, [&] {
        Token opener = m_tok;
        EmptyKind kind = EmptyKind::Then;
        for (;;) {
            Advance(); // if, elseif
            Expression();
            const Token then = m_tok;
            Expect(Tok::Then);
            OpenScope(ScopeKind::Block, then.start);
            const bool empty = Check(Tok::End) || Check(Tok::Else) || Check(Tok::Elseif);
            allExit = Block(Follow::Branch) && allExit;
            CloseScope(m_tok.start);
            if (empty)
                NoteEmpty(kind, opener, then, m_tok.start);
            if (!Check(Tok::Elseif))
                break;
            opener = m_tok;
            kind = EmptyKind::ElseIf;
        }
        if (Check(Tok::Else)) {
            hasElse = true;
            const Token elseToken = m_tok;
            Advance();
            OpenScope(ScopeKind::Block, elseToken.start);
            const bool empty = Check(Tok::End);
            allExit = Block(Follow::End) && allExit;
            CloseScope(m_tok.start);
            if (empty)
                NoteEmpty(EmptyKind::Else, elseToken, elseToken, m_tok.start);
        }
    });
    return clean && hasElse && allExit;
}

void Parser::WhileStatement(bool &endless)
{
    const Token whileToken = m_tok;
    Advance();
    bool forever = false;
    const bool clean = InFrame('b', Tok::End, [&] {
        forever = Expression().literalTrue;
        Expect(Tok::Do);
        OpenScope(ScopeKind::Block, whileToken.start);
        ++m_functions.back().loops;
        m_loopBreaks.push_back(0);
        Block(Follow::End);
    });
    if (!clean)
        return;
    endless = forever && m_loopBreaks.back() == 0;
    m_loopBreaks.pop_back();
    --m_functions.back().loops;
    CloseScope(m_lastEnd);
}

void Parser::RepeatStatement(bool &endless)
{
    const Token repeatToken = m_tok;
    Advance();
    const bool clean = InFrame('r', Tok::Until, [&] {
        OpenScope(ScopeKind::Repeat, repeatToken.start);
        ++m_functions.back().loops;
        m_loopBreaks.push_back(0);
        Block(Follow::Until);
    });
    // The condition still sees the body's locals.
    const Expr condition = Expression();
    if (!clean)
        return;
    endless = condition.literalFalse && m_loopBreaks.back() == 0;
    m_loopBreaks.pop_back();
    --m_functions.back().loops;
    CloseScope(m_lastEnd);
}

void Parser::ForStatement()
{
    const Token forToken = m_tok;
    Advance();
    const bool clean = InFrame('b', Tok::End, [&] {
        OpenScope(ScopeKind::Loop, forToken.start);
        std::vector<std::uint32_t> names;
        const Token first = m_tok;
        Expect(Tok::Name);
        if (Check(Tok::Assign)) {
            names.push_back(Declare(first, DeclarationKind::NumericFor, true));
            Advance();
            Expression();
            Expect(Tok::Comma);
            Expression();
            if (Accept(Tok::Comma))
                Expression();
        } else {
            names.push_back(Declare(first, DeclarationKind::GenericFor, true));
            while (Accept(Tok::Comma)) {
                const Token name = m_tok;
                Expect(Tok::Name);
                names.push_back(Declare(name, DeclarationKind::GenericFor, true));
            }
            Expect(Tok::In);
            ExpressionList(nullptr);
        }
        const Token doToken = m_tok;
        Expect(Tok::Do);
        for (const std::uint32_t name : names)
            Activate(name, doToken.start);
        ++m_functions.back().loops;
        m_loopBreaks.push_back(0);
        Block(Follow::End);
    });
    if (!clean)
        return;
    m_loopBreaks.pop_back();
    --m_functions.back().loops;
    CloseScope(m_lastEnd);
}

void Parser::FunctionStatement()
{
    const Token keyword = m_tok;
    Advance();
    FunctionNamed(keyword);
}

// The name and body after `function`: a.b.c:m() ... end
void Parser::FunctionNamed(const Token &keyword)
{
    const Token first = m_tok;
    Expect(Tok::Name);
    Suffixed chain;
    chain.start = first.start;
    chain.startPos = PosOf(first);
    chain.baseUse = UseName(first);
    Token last = first;
    bool method = false;
    Token colon;
    while (Check(Tok::Dot) || Check(Tok::Colon)) {
        method = Check(Tok::Colon);
        if (method)
            colon = m_tok;
        Advance();
        last = m_tok;
        Expect(Tok::Name);
        chain.lastField = AddField(last, chain, method);
        chain.kind = Suffixed::Kind::Field;
        if (method)
            break;
    }
    Naming naming;
    naming.nameStart = PosOf(first);
    naming.nameEnd = last.end;
    naming.start = PosOf(keyword);
    naming.statementStart = keyword.start;
    if (chain.lastField == kNone) {
        MarkWrite(chain.baseUse, true, kNone);
        naming.kind = m_model.uses[chain.baseUse].global ? FunctionKind::Global : FunctionKind::Local;
        naming.symbol = m_model.uses[chain.baseUse].symbol;
        naming.global = m_model.uses[chain.baseUse].global;
    } else {
        m_model.uses[chain.baseUse].mutation = true;
        m_model.fields[chain.lastField].write = true;
        naming.kind = method ? FunctionKind::Method : FunctionKind::Field;
        naming.field = chain.lastField;
    }
    Arm(naming);
    FunctionBody(keyword, method ? &colon : nullptr);
}

void Parser::LocalStatement()
{
    const Token local = m_tok;
    Advance();
    if (Check(Tok::Function)) {
        const Token keyword = m_tok;
        Advance();
        const Token name = m_tok;
        Expect(Tok::Name);
        const std::uint32_t declaration = Declare(name, DeclarationKind::LocalFunction, true);
        Activate(declaration, name.start);
        Naming naming;
        naming.kind = FunctionKind::Local;
        naming.nameStart = PosOf(name);
        naming.nameEnd = name.end;
        naming.symbol = declaration;
        naming.start = PosOf(local);
        naming.statementStart = local.start;
        Arm(naming);
        FunctionBody(keyword, nullptr);
        return;
    }
    std::vector<Token> names;
    std::vector<std::uint32_t> declared;
    std::vector<std::uint32_t> uses; // each declaration's own NameUse
    do {
        const Token name = m_tok;
        Expect(Tok::Name);
        names.push_back(name);
        declared.push_back(Declare(name, DeclarationKind::Local, false));
        uses.push_back(std::uint32_t(m_model.uses.size() - 1));
    } while (Accept(Tok::Comma));
    Assignment assignment;
    assignment.range.start = PosOf(local);
    assignment.isLocal = true;
    assignment.names = std::uint32_t(names.size());
    assignment.firstUse = uses.front();
    assignment.function = m_functions.back().function;
    const std::uint32_t index = std::uint32_t(m_model.assignments.size());
    m_model.assignments.push_back(assignment);
    if (Accept(Tok::Assign)) {
        std::uint32_t values = 0;
        Expr last;
        do {
            // A function is named by a statement of one name only.
            if (values == 0 && names.size() == 1 && Check(Tok::Function)) {
                Naming naming;
                naming.kind = FunctionKind::Local;
                naming.nameStart = PosOf(names[values]);
                naming.nameEnd = names[values].end;
                naming.symbol = declared[values];
                naming.start = PosOf(local);
                naming.statementStart = local.start;
                Arm(naming);
            }
            last = Expression(values < names.size() ? uses[values] : kNone);
            ++values;
        } while (Accept(Tok::Comma));
        Assignment &stored = m_model.assignments[index];
        stored.values = values;
        stored.lastValueMulti = last.multi;
        for (std::size_t i = 0; i < uses.size(); ++i)
            MarkWrite(uses[i], i < values || last.multi, index);
    } else {
        for (const std::uint32_t use : uses)
            MarkWrite(use, false, index);
    }
    m_model.assignments[index].range.end = m_lastEnd;
    for (const std::uint32_t declaration : declared)
        Activate(declaration, m_lastEnd);
}

void Parser::ReturnStatement()
{
    Advance();
    if (Check(Tok::Eof) || Check(Tok::End) || Check(Tok::Else) || Check(Tok::Elseif) || Check(Tok::Until) ||
        Check(Tok::Semicolon))
        return;
    ExpressionList(nullptr);
}

// A call, or an assignment to one or more variables, fields or indexes.
void Parser::ExpressionStatement()
{
    const Token first = m_tok;
    std::vector<Suffixed> targets;
    targets.push_back(SuffixedExpression());
    if (!Check(Tok::Assign) && !Check(Tok::Comma)) {
        if (targets.front().kind != Suffixed::Kind::Call)
            Fail();
        return;
    }
    while (Accept(Tok::Comma))
        targets.push_back(SuffixedExpression());
    for (const Suffixed &target : targets)
        if (target.kind == Suffixed::Kind::Call || target.kind == Suffixed::Kind::Paren)
            Fail();
    Expect(Tok::Assign);
    Assignment assignment;
    assignment.range.start = PosOf(first);
    assignment.names = std::uint32_t(targets.size());
    assignment.function = m_functions.back().function;
    if (targets.front().kind == Suffixed::Kind::Name)
        assignment.firstUse = targets.front().baseUse;
    AssignValues(targets, assignment, first);
}

void Parser::AssignValues(const std::vector<Suffixed> &targets, Assignment &assignment, const Token &first)
{
    const std::uint32_t index = std::uint32_t(m_model.assignments.size());
    m_model.assignments.push_back(assignment);
    std::uint32_t values = 0;
    Expr last;
    do {
        std::uint32_t constructorTarget = kNone;
        if (values < targets.size()) {
            const Suffixed &target = targets[values];
            if (target.kind == Suffixed::Kind::Name)
                constructorTarget = target.baseUse;
            const bool plainTarget = target.kind == Suffixed::Kind::Name ||
                                     (target.kind == Suffixed::Kind::Field && target.plain && target.lastField != kNone);
            if (targets.size() == 1 && Check(Tok::Function) && plainTarget) {
                Naming naming;
                const NameUse &base = m_model.uses[target.baseUse];
                naming.nameStart = target.startPos;
                naming.nameEnd = target.end;
                naming.start = PosOf(first);
                naming.statementStart = first.start;
                if (target.kind == Suffixed::Kind::Name) {
                    naming.kind = base.global ? FunctionKind::Global : FunctionKind::Local;
                    naming.symbol = base.symbol;
                    naming.global = base.global;
                } else {
                    naming.kind = FunctionKind::Field;
                    naming.field = target.lastField;
                }
                Arm(naming);
            }
        }
        last = Expression(constructorTarget);
        ++values;
    } while (Accept(Tok::Comma));
    Assignment &stored = m_model.assignments[index];
    stored.values = values;
    stored.lastValueMulti = last.multi;
    stored.range.end = m_lastEnd;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Suffixed &target = targets[i];
        const bool hasValue = i < values || last.multi;
        if (target.kind == Suffixed::Kind::Name) {
            MarkWrite(target.baseUse, hasValue, index);
            continue;
        }
        if (target.baseUse != kNone)
            m_model.uses[target.baseUse].mutation = true;
        if (target.kind == Suffixed::Kind::Field && target.plain && target.lastField != kNone)
            m_model.fields[target.lastField].write = true;
    }
}

} // namespace luamodel
