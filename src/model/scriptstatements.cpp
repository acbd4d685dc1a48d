// Statements: blocks and loops, functions by name, locals and assignments.
#include "model/scriptparser.h"

namespace luamodel {

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
        // The loop's names are declared one after the other.
        const std::uint32_t firstName = std::uint32_t(m_model.declarations.size());
        const Token first = m_tok;
        Expect(Tok::Name);
        if (Check(Tok::Assign)) {
            Declare(first, DeclarationKind::NumericFor, true);
            Advance();
            Expression();
            Expect(Tok::Comma);
            Expression();
            if (Accept(Tok::Comma))
                Expression();
        } else {
            Declare(first, DeclarationKind::GenericFor, true);
            while (Accept(Tok::Comma)) {
                const Token name = m_tok;
                Expect(Tok::Name);
                Declare(name, DeclarationKind::GenericFor, true);
            }
            Expect(Tok::In);
            ExpressionList(nullptr);
        }
        const Token doToken = m_tok;
        Expect(Tok::Do);
        const std::uint32_t lastName = std::uint32_t(m_model.declarations.size());
        for (std::uint32_t name = firstName; name < lastName; ++name)
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
    // The names are declared one after the other, each with its own use right after the last.
    const Token firstName = m_tok;
    const std::uint32_t firstDeclared = std::uint32_t(m_model.declarations.size());
    const std::uint32_t firstUse = std::uint32_t(m_model.uses.size());
    std::uint32_t names = 0;
    do {
        const Token name = m_tok;
        Expect(Tok::Name);
        Declare(name, DeclarationKind::Local, false);
        ++names;
    } while (Accept(Tok::Comma));
    Assignment assignment;
    assignment.range.start = PosOf(local);
    assignment.isLocal = true;
    assignment.names = names;
    assignment.firstUse = firstUse;
    assignment.function = m_functions.back().function;
    const std::uint32_t index = std::uint32_t(m_model.assignments.size());
    m_model.assignments.push_back(assignment);
    std::uint32_t values = 0;
    Expr last;
    if (Accept(Tok::Assign)) {
        do {
            // A function is named by a statement of one name only.
            if (values == 0 && names == 1 && Check(Tok::Function)) {
                Naming naming;
                naming.kind = FunctionKind::Local;
                naming.nameStart = PosOf(firstName);
                naming.nameEnd = firstName.end;
                naming.symbol = firstDeclared;
                naming.start = PosOf(local);
                naming.statementStart = local.start;
                Arm(naming);
            }
            last = Expression(values < names ? firstUse + values : kNone);
            ++values;
        } while (Accept(Tok::Comma));
        Assignment &stored = m_model.assignments[index];
        stored.values = values;
        stored.lastValueMulti = last.multi;
    }
    for (std::uint32_t i = 0; i < names; ++i)
        MarkWrite(firstUse + i, i < values || (values > 0 && last.multi), index);
    m_model.assignments[index].range.end = m_lastEnd;
    for (std::uint32_t i = 0; i < names; ++i)
        Activate(firstDeclared + i, m_lastEnd);
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
    const Suffixed target = SuffixedExpression();
    if (!Check(Tok::Assign) && !Check(Tok::Comma)) {
        if (target.kind != Suffixed::Kind::Call)
            Fail();
        return;
    }
    // The targets on a stack shared with the statements inside the values, which leave it as
    // they found it.
    const std::size_t base = m_targets.size();
    m_targets.push_back(target);
    while (Accept(Tok::Comma)) {
        const Suffixed next = SuffixedExpression();
        m_targets.push_back(next);
    }
    for (std::size_t i = base; i < m_targets.size(); ++i)
        if (m_targets[i].kind == Suffixed::Kind::Call || m_targets[i].kind == Suffixed::Kind::Paren)
            Fail();
    Expect(Tok::Assign);
    Assignment assignment;
    assignment.range.start = PosOf(first);
    assignment.names = std::uint32_t(m_targets.size() - base);
    assignment.function = m_functions.back().function;
    if (target.kind == Suffixed::Kind::Name)
        assignment.firstUse = target.baseUse;
    AssignValues(base, assignment, first);
    m_targets.resize(base);
}

void Parser::AssignValues(std::size_t base, Assignment &assignment, const Token &first)
{
    const std::uint32_t index = std::uint32_t(m_model.assignments.size());
    m_model.assignments.push_back(assignment);
    const std::size_t count = assignment.names;
    std::uint32_t values = 0;
    Expr last;
    do {
        std::uint32_t constructorTarget = kNone;
        if (values < count) {
            const Suffixed target = m_targets[base + values];
            if (target.kind == Suffixed::Kind::Name)
                constructorTarget = target.baseUse;
            const bool plainTarget = target.kind == Suffixed::Kind::Name ||
                                     (target.kind == Suffixed::Kind::Field && target.plain && target.lastField != kNone);
            if (count == 1 && Check(Tok::Function) && plainTarget) {
                Naming naming;
                const NameUse &baseUse = m_model.uses[target.baseUse];
                naming.nameStart = target.startPos;
                naming.nameEnd = target.end;
                naming.start = PosOf(first);
                naming.statementStart = first.start;
                if (target.kind == Suffixed::Kind::Name) {
                    naming.kind = baseUse.global ? FunctionKind::Global : FunctionKind::Local;
                    naming.symbol = baseUse.symbol;
                    naming.global = baseUse.global;
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
    for (std::size_t i = 0; i < count; ++i) {
        const Suffixed &target = m_targets[base + i];
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
