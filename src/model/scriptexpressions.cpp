// Expressions: operands, fields and calls, table constructors and function bodies.
#include "model/scriptparser.h"

namespace luamodel {

namespace {

bool IsBinary(Tok type)
{
    return type == Tok::BinaryOp || type == Tok::Minus || type == Tok::Concat || type == Tok::And || type == Tok::Or;
}

bool IsUnary(Tok type)
{
    return type == Tok::Not || type == Tok::Minus || type == Tok::Hash;
}

} // namespace

// Operators are read in a loop, not by precedence: the model needs the operands, not the tree.
Expr Parser::Expression(std::uint32_t constructorTarget)
{
    Enter();
    const std::size_t start = m_tok.start;
    bool negated = false;
    bool unary = false;
    while (IsUnary(m_tok.type)) {
        negated = Check(Tok::Minus) && !unary;
        unary = true;
        Advance();
    }
    Expr result = SimpleExpression(constructorTarget);
    if (unary)
        result = Expr{negated && result.type == ValueType::Number ? ValueType::Number : ValueType::Unknown};
    while (IsBinary(m_tok.type)) {
        Advance();
        while (IsUnary(m_tok.type))
            Advance();
        SimpleExpression(kNone);
        result = Expr{};
    }
    result.start = start;
    result.end = m_lastEnd;
    Leave();
    return result;
}

Expr Parser::SimpleExpression(std::uint32_t constructorTarget)
{
    Expr result;
    switch (m_tok.type) {
    case Tok::Number:
        result.type = ValueType::Number;
        break;
    case Tok::String:
        result.type = ValueType::String;
        break;
    case Tok::Nil:
        result.type = ValueType::Nil;
        break;
    case Tok::True:
        result.type = ValueType::Boolean;
        result.literalTrue = true;
        break;
    case Tok::False:
        result.type = ValueType::Boolean;
        result.literalFalse = true;
        break;
    case Tok::Ellipsis: {
        result.type = ValueType::Vararg;
        result.multi = true;
        const std::uint32_t vararg = m_model.functions[m_functions.back().function].varargDeclaration;
        if (vararg != kNone)
            AddUse(m_tok, vararg, false);
        break;
    }
    case Tok::LBrace:
        Constructor(constructorTarget);
        result.type = ValueType::Table;
        return result;
    case Tok::Function: {
        const Token keyword = m_tok;
        Advance();
        if (Check(Tok::Name)) {
            // `function name()` where a value belongs: read as the definition it was meant to be.
            SoftError();
            m_namingArmed = false;
            FunctionNamed(keyword);
        } else {
            FunctionBody(keyword, nullptr);
        }
        result.type = ValueType::Function;
        return result;
    }
    default: {
        const Suffixed suffixed = SuffixedExpression();
        if (suffixed.kind == Suffixed::Kind::Call) {
            result.type = ValueType::Call;
            result.multi = true;
        }
        return result;
    }
    }
    Advance();
    return result;
}

std::uint32_t Parser::AddField(const Token &name, const Suffixed &chain, bool method)
{
    if (!chain.plain || chain.baseUse == kNone)
        return kNone;
    FieldUse field;
    field.name = TextOf(name);
    field.range = {PosOf(name), name.end};
    field.baseUse = chain.baseUse;
    field.parent = chain.lastField;
    field.method = method;
    m_model.fields.push_back(field);
    return std::uint32_t(m_model.fields.size() - 1);
}

Suffixed Parser::SuffixedExpression()
{
    Suffixed chain;
    chain.start = m_tok.start;
    chain.startPos = PosOf(m_tok);
    Token lastName = m_tok;
    if (Check(Tok::Name)) {
        chain.baseUse = UseName(m_tok);
        Advance();
    } else if (Accept(Tok::LParen)) {
        InFrame('(', Tok::RParen, [&] { Expression(); });
        chain.kind = Suffixed::Kind::Paren;
        chain.plain = false;
    } else {
        Fail();
    }
    for (;;) {
        switch (m_tok.type) {
        case Tok::Dot: {
            Advance();
            lastName = m_tok;
            Expect(Tok::Name);
            chain.lastField = AddField(lastName, chain, false);
            chain.kind = Suffixed::Kind::Field;
            break;
        }
        case Tok::LBracket:
            Advance();
            InFrame('[', Tok::RBracket, [&] { Expression(); });
            chain.kind = Suffixed::Kind::Index;
            chain.plain = false;
            break;
        case Tok::Colon: {
            Advance();
            lastName = m_tok;
            Expect(Tok::Name);
            chain.lastField = AddField(lastName, chain, true);
            CallArguments(chain, lastName, true);
            chain.kind = Suffixed::Kind::Call;
            chain.plain = false;
            break;
        }
        case Tok::LParen:
        case Tok::String:
        case Tok::LBrace:
            CallArguments(chain, lastName, false);
            chain.kind = Suffixed::Kind::Call;
            chain.plain = false;
            break;
        default:
            chain.end = m_lastEnd;
            return chain;
        }
    }
}

void Parser::FlushCall(OpenCall &open)
{
    Call &call = m_model.calls[open.call];
    call.firstArgument = std::uint32_t(m_model.arguments.size());
    call.argumentCount = std::uint32_t(open.arguments.size());
    call.firstComma = std::uint32_t(m_model.commas.size());
    call.commaCount = std::uint32_t(open.commas.size());
    m_model.arguments.insert(m_model.arguments.end(), open.arguments.begin(), open.arguments.end());
    m_model.commas.insert(m_model.commas.end(), open.commas.begin(), open.commas.end());
    if (!call.closed)
        call.close = m_text.size();
}

// The arguments after a callee: "(list)", a string or a table.
void Parser::CallArguments(Suffixed &chain, const Token &lastName, bool method)
{
    Call call;
    if (chain.plain && chain.baseUse != kNone) {
        call.callee = m_text.substr(chain.start, lastName.end - chain.start);
        call.calleeRange = {chain.startPos, lastName.end};
        call.lastName = {PosOf(lastName), lastName.end};
        call.baseUse = chain.baseUse;
        call.calleeField = chain.lastField;
        call.plainName = chain.kind == Suffixed::Kind::Name && !method;
        call.method = method;
    }
    call.open = PosOf(m_tok);
    call.function = m_functions.back().function;
    call.parent = m_callDepth > 0 ? m_callStack[m_callDepth - 1].call : kNone;
    const std::uint32_t index = std::uint32_t(m_model.calls.size());
    m_model.calls.push_back(call);
    if (m_callDepth == m_callStack.size())
        m_callStack.emplace_back();
    OpenCall &open = m_callStack[m_callDepth++];
    open.call = index;
    open.arguments.clear();
    open.commas.clear();

    const Token first = m_tok;
    Argument argument;
    argument.range = {PosOf(first), first.end};
    if (Check(Tok::String)) {
        m_model.calls[index].form = CallForm::String;
        argument.type = ValueType::String;
        Advance();
        m_callStack[m_callDepth - 1].arguments.push_back(argument);
    } else if (Check(Tok::LBrace)) {
        m_model.calls[index].form = CallForm::Table;
        Constructor(kNone);
        argument.type = ValueType::Table;
        argument.range.end = m_lastEnd;
        m_callStack[m_callDepth - 1].arguments.push_back(argument);
    } else {
        Advance(); // "("
        bool multi = false;
        TextPos started{kNever, 0, 0};
        const bool clean = InFrame('(', Tok::RParen, [&] {
            while (!Check(Tok::RParen)) {
                started = PosOf(m_tok);
                const Expr value = Expression();
                // Nested calls may have grown the stack: look the entry up again.
                m_callStack[m_callDepth - 1].arguments.push_back({{started, value.end}, value.type});
                started.offset = kNever;
                multi = value.multi;
                if (!Check(Tok::Comma))
                    break;
                m_callStack[m_callDepth - 1].commas.push_back(m_tok.start);
                Advance();
            }
        });
        // An argument cut short by the closer counts as far as it went.
        if (!clean && started.offset != kNever)
            m_callStack[m_callDepth - 1].arguments.push_back({{started, m_lastEnd - 1}, ValueType::Unknown});
        m_model.calls[index].moreMayFollow = multi;
    }
    m_model.calls[index].closed = true;
    m_model.calls[index].close = m_lastEnd;
    FlushCall(m_callStack[--m_callDepth]);
}

void Parser::Constructor(std::uint32_t targetUse)
{
    Advance(); // "{"
    InFrame('{', Tok::RBrace, [&] { Fields(targetUse); });
}

void Parser::Fields(std::uint32_t targetUse)
{
    while (!Check(Tok::RBrace)) {
        if (Accept(Tok::LBracket)) {
            InFrame('[', Tok::RBracket, [&] { Expression(); });
            Expect(Tok::Assign);
            Expression();
        } else if (Check(Tok::Name) && Peek().type == Tok::Assign) {
            const Token name = m_tok;
            Advance();
            Advance();
            std::uint32_t field = kNone;
            if (targetUse != kNone) {
                FieldUse use;
                use.name = TextOf(name);
                use.range = {PosOf(name), name.end};
                use.baseUse = targetUse;
                use.write = true;
                use.inConstructor = true;
                field = std::uint32_t(m_model.fields.size());
                m_model.fields.push_back(use);
            }
            if (Check(Tok::Function) && field != kNone) {
                Naming naming;
                naming.kind = FunctionKind::Anonymous;
                naming.field = field;
                naming.start = PosOf(m_tok);
                naming.nameStart = PosOf(name);
                naming.nameEnd = name.end;
                naming.statementStart = name.start;
                Arm(naming);
            }
            Expression();
        } else {
            Expression();
        }
        if (!Accept(Tok::Comma) && !Accept(Tok::Semicolon))
            break;
    }
}

void Parser::Arm(const Naming &naming)
{
    m_naming = naming;
    m_namingArmed = true;
}

std::uint32_t Parser::NewFunction(const Token &keyword)
{
    Function function;
    function.range.start = PosOf(keyword);
    function.range.end = m_text.size();
    function.parent = m_functions.back().function;
    const Function &parent = m_model.functions[function.parent];
    function.depth = std::uint32_t(m_functions.size() - 1);
    const bool parentNamed = parent.kind != FunctionKind::Main && parent.kind != FunctionKind::Anonymous;
    function.namedDepth = parent.namedDepth + (parentNamed ? 1 : 0);
    if (m_namingArmed) {
        m_namingArmed = false;
        function.kind = m_naming.kind;
        function.range.start = m_naming.start;
        function.symbol = m_naming.symbol;
        function.symbolGlobal = m_naming.global;
        function.field = m_naming.field;
        if (m_naming.kind != FunctionKind::Anonymous) {
            function.nameRange = {m_naming.nameStart, m_naming.nameEnd};
            function.name = m_text.substr(m_naming.nameStart.offset, m_naming.nameEnd - m_naming.nameStart.offset);
        }
        ReadAnnotations(function, m_naming.statementStart);
    }
    m_model.functions.push_back(function);
    return std::uint32_t(m_model.functions.size() - 1);
}

std::uint32_t Parser::FunctionBody(const Token &keyword, const Token *colon)
{
    const std::uint32_t index = NewFunction(keyword);
    InFrame('b', Tok::End, [&] {
        const Token open = m_tok;
        Expect(Tok::LParen);
        m_functions.push_back({index, m_active.size()});
        const std::uint32_t scope = OpenScope(ScopeKind::Function, open.start);
        m_model.functions[index].scope = scope;
        m_model.functions[index].openParen = open.start;
        m_model.functions[index].firstParameter = std::uint32_t(m_model.declarations.size());
        if (colon) {
            const std::uint32_t self = Declare(*colon, DeclarationKind::Self, true);
            m_model.declarations[self].name = "self";
            Activate(self, open.start);
            m_model.functions[index].method = true;
            m_model.functions[index].parameterCount = 1;
        }
        InFrame('(', Tok::RParen, [&] { Parameters(index); });
        m_model.functions[index].closeParen = m_lastEnd - 1;
        Block(Follow::End);
    });
    // Closed by its `end`, also when an error inside was cut short there.
    Function &function = m_model.functions[index];
    function.closed = true;
    function.range.end = m_lastEnd;
    if (m_functions.back().function == index) {
        CloseScope(m_lastEnd);
        m_functions.pop_back();
    }
    return index;
}

void Parser::Parameters(std::uint32_t index)
{
    while (!Check(Tok::RParen)) {
        if (Check(Tok::Ellipsis)) {
            const std::uint32_t vararg = Declare(m_tok, DeclarationKind::Vararg, true);
            m_model.functions[index].vararg = true;
            m_model.functions[index].varargDeclaration = vararg;
            Advance();
            break;
        }
        const Token name = m_tok;
        Expect(Tok::Name);
        Activate(Declare(name, DeclarationKind::Parameter, true), name.start);
        ++m_model.functions[index].parameterCount;
        if (!Accept(Tok::Comma))
            break;
    }
}

std::uint32_t Parser::ExpressionList(std::vector<Expr> *values)
{
    std::uint32_t count = 0;
    do {
        const Expr value = Expression();
        if (values)
            values->push_back(value);
        ++count;
    } while (Accept(Tok::Comma));
    return count;
}

} // namespace luamodel
