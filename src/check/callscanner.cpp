// A Lua 5.1 tokeniser that keeps only what call counting needs: names, brackets, commas and
// the few keywords that open and close blocks, with a stack of the brackets and blocks open.
// Every closer finds its opener through per-kind counts, so no input costs more than linear
// time, however badly its brackets match.
#include "callscanner.h"

#include "check/localscopes.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

enum class Kind : std::uint8_t {
    None,
    Name,
    Keyword,
    String,
    Number,
    Open,
    Close,
    Comma,
    Dot, // "." or ":", before a field or method name
    Assign,
    Ellipsis,
    Other,
};

// The reserved words that matter here; the rest are just not names.
enum class Word : std::uint8_t { Plain, Function, Opener, Closer };

struct Token {
    Kind kind = Kind::None;
    Word word = Word::Plain;
    char bracket = 0; // "(", "{", "[" or "b" (a block) for Open and Close
    std::size_t start = 0;
    std::size_t end = 0;
    bool endsCall = false; // a ")", "}" or string that ends a call, whose value may be several
};

struct Frame {
    char kind = 0;
    int call = -1;            // the named call whose argument list this is
    bool callBracket = false; // an argument list, of a named call or not
    bool any = false;         // something stands inside
    bool lastMayBeMany = false;
    int commas = 0;
    bool emptyArgument = false;  // a comma with nothing before it, or a closer after a comma
    int definition = -1;         // the listed definition whose body this block is
    bool function = false;       // a function's body
    bool parametersSeen = false; // a body whose parameter list has opened
    bool parameters = false;     // a parameter list
};

enum ByteClass : std::uint8_t { kSpace, kLetter, kDigit, kQuote, kMinus, kSquare, kDot, kColon, kEqual,
                                kCompare, kOpen, kClose, kComma, kOtherByte };

constexpr ByteClass ClassOf(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')
        return kLetter;
    if (c >= '0' && c <= '9')
        return kDigit;
    switch (c) {
    case ' ': case '\t': case '\n': case '\r': case '\v': case '\f':
        return kSpace;
    case '"': case '\'':
        return kQuote;
    case '-': return kMinus;
    case '[': return kSquare;
    case '.': return kDot;
    case ':': return kColon;
    case '=': return kEqual;
    case '<': case '>': case '~': return kCompare;
    case '(': case '{': return kOpen;
    case ')': case '}': case ']': return kClose;
    case ',': return kComma;
    default: return kOtherByte;
    }
}

constexpr std::array<ByteClass, 256> kClasses = [] {
    std::array<ByteClass, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[std::size_t(c)] = ClassOf(static_cast<unsigned char>(c));
    return table;
}();

constexpr bool IsWordByte(unsigned char c) { return kClasses[c] == kLetter || kClasses[c] == kDigit; }
constexpr bool IsNewline(unsigned char c) { return c == '\n' || c == '\r'; }

// Lua 5.1's 21 reserved words: -1 for a plain name, else the word's role.
int ReservedRole(std::string_view name)
{
    struct Reserved {
        std::string_view text;
        Word role;
    };
    static constexpr Reserved kReserved[] = {
        {"and", Word::Plain},    {"break", Word::Plain},  {"do", Word::Opener},     {"else", Word::Plain},
        {"elseif", Word::Plain}, {"end", Word::Closer},   {"false", Word::Plain},   {"for", Word::Plain},
        {"function", Word::Function}, {"if", Word::Opener}, {"in", Word::Plain},    {"local", Word::Plain},
        {"nil", Word::Plain},    {"not", Word::Plain},    {"or", Word::Plain},      {"repeat", Word::Opener},
        {"return", Word::Plain}, {"then", Word::Plain},   {"true", Word::Plain},    {"until", Word::Closer},
        {"while", Word::Plain},
    };
    if (name.size() < 2 || name.size() > 8 || name[0] < 'a' || name[0] > 'w')
        return -1;
    for (const Reserved &word : kReserved)
        if (word.text == name)
            return int(word.role);
    return -1;
}

int OpenerIndex(char kind)
{
    switch (kind) {
    case '(': return 0;
    case '{': return 1;
    case '[': return 2;
    default: return 3; // a block
    }
}

char OpenerOf(unsigned char closer)
{
    return closer == ')' ? '(' : closer == '}' ? '{' : '[';
}

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : m_text(text), m_bytes(reinterpret_cast<const unsigned char *>(text.data())), m_size(text.size())
    {
    }

    CallScan Run()
    {
        std::size_t p = SkipFirstHashLine();
        while (p < m_size)
            p = Lex(p);
        return std::move(m_scan);
    }

private:
    std::size_t SkipFirstHashLine() const
    {
        if (m_size == 0 || m_bytes[0] != '#')
            return 0;
        const void *newline = std::memchr(m_bytes, '\n', m_size);
        return newline ? std::size_t(static_cast<const unsigned char *>(newline) - m_bytes) : m_size;
    }

    // Reads the token or gap at p, hands a token on, and returns where the next one starts.
    std::size_t Lex(std::size_t p)
    {
        const unsigned char c = m_bytes[p];
        switch (kClasses[c]) {
        case kSpace:
            return p + 1;
        case kLetter:
            return LexName(p);
        case kDigit:
            return Emit(Kind::Number, p, NumberEnd(p));
        case kQuote:
            return EmitString(p, QuotedEnd(p));
        case kMinus:
            if (At(p + 1) == '-')
                return CommentEnd(p + 2);
            return Emit(Kind::Other, p, p + 1);
        case kSquare: {
            const int level = LongBracketLevel(p);
            if (level >= 0)
                return EmitString(p, LongBracketEnd(p + std::size_t(level) + 2, level));
            return EmitBracket(Kind::Open, '[', p);
        }
        case kDot:
            if (At(p + 1) == '.')
                return At(p + 2) == '.' ? Emit(Kind::Ellipsis, p, p + 3) : Emit(Kind::Other, p, p + 2);
            if (kClasses[At(p + 1)] == kDigit)
                return Emit(Kind::Number, p, NumberEnd(p));
            return Emit(Kind::Dot, p, p + 1);
        case kColon:
            return Emit(Kind::Dot, p, p + 1);
        case kEqual:
            return At(p + 1) == '=' ? Emit(Kind::Other, p, p + 2) : Emit(Kind::Assign, p, p + 1);
        case kCompare:
            return Emit(Kind::Other, p, At(p + 1) == '=' ? p + 2 : p + 1);
        case kOpen:
            return EmitBracket(Kind::Open, char(c), p);
        case kClose:
            return EmitBracket(Kind::Close, OpenerOf(c), p);
        case kComma:
            return Emit(Kind::Comma, p, p + 1);
        default:
            return Emit(Kind::Other, p, p + 1);
        }
    }

    unsigned char At(std::size_t p) const { return p < m_size ? m_bytes[p] : 0; }

    std::size_t LexName(std::size_t start)
    {
        std::size_t end = start + 1;
        while (end < m_size && IsWordByte(m_bytes[end]))
            ++end;
        const int role = ReservedRole(m_text.substr(start, end - start));
        Token token{role < 0 ? Kind::Name : Kind::Keyword, role < 0 ? Word::Plain : Word(role), 0, start, end};
        Accept(token);
        return end;
    }

    // Lua's numeral: digits and dots, an exponent sign after "e", then any word bytes.
    std::size_t NumberEnd(std::size_t p) const
    {
        while (p < m_size && (kClasses[m_bytes[p]] == kDigit || m_bytes[p] == '.'))
            ++p;
        if (p < m_size && (m_bytes[p] == 'e' || m_bytes[p] == 'E')) {
            ++p;
            if (p < m_size && (m_bytes[p] == '+' || m_bytes[p] == '-'))
                ++p;
        }
        while (p < m_size && IsWordByte(m_bytes[p]))
            ++p;
        return p;
    }

    // A quoted string ends after its closing quote, or unfinished before a bare line break.
    std::size_t QuotedEnd(std::size_t start) const
    {
        const unsigned char quote = m_bytes[start];
        std::size_t p = start + 1;
        while (p < m_size) {
            const unsigned char c = m_bytes[p];
            if (c == quote)
                return p + 1;
            if (IsNewline(c))
                return p;
            if (c == '\\' && p + 1 < m_size) {
                // The escaped byte, or the escaped line break, CR LF and all.
                const std::size_t afterBreak = SkipNewline(p + 1);
                p = afterBreak > p + 1 ? afterBreak : p + 2;
                continue;
            }
            ++p;
        }
        return p;
    }

    // After a line break at p (CR LF and LF CR count as one, as Lua counts them); p if none.
    std::size_t SkipNewline(std::size_t p) const
    {
        if (p >= m_size || !IsNewline(m_bytes[p]))
            return p;
        if (p + 1 < m_size && IsNewline(m_bytes[p + 1]) && m_bytes[p + 1] != m_bytes[p])
            return p + 2;
        return p + 1;
    }

    // "[", any number of "=", "[": the level is the number of "="; -1 for a plain bracket.
    int LongBracketLevel(std::size_t p) const
    {
        std::size_t q = p + 1;
        while (q < m_size && m_bytes[q] == '=')
            ++q;
        return q < m_size && m_bytes[q] == '[' ? int(q - p - 1) : -1;
    }

    // After the "]", level "=", "]" that closes a long bracket whose content starts at p.
    std::size_t LongBracketEnd(std::size_t p, int level) const
    {
        while (p < m_size) {
            const void *found = std::memchr(m_bytes + p, ']', m_size - p);
            if (!found)
                return m_size;
            std::size_t q = std::size_t(static_cast<const unsigned char *>(found) - m_bytes) + 1;
            const std::size_t equals = q;
            while (q < m_size && m_bytes[q] == '=')
                ++q;
            if (q < m_size && m_bytes[q] == ']' && q - equals == std::size_t(level))
                return q + 1;
            p = equals;
        }
        return m_size;
    }

    // A comment after its "--": long when a long bracket opens it, else to the end of the line.
    std::size_t CommentEnd(std::size_t p) const
    {
        if (At(p) == '[') {
            const int level = LongBracketLevel(p);
            if (level >= 0)
                return LongBracketEnd(p + std::size_t(level) + 2, level);
        }
        while (p < m_size && !IsNewline(m_bytes[p]))
            ++p;
        return p;
    }

    std::size_t Emit(Kind kind, std::size_t start, std::size_t end)
    {
        Accept(Token{kind, Word::Plain, 0, start, end});
        return end;
    }

    std::size_t EmitString(std::size_t start, std::size_t end)
    {
        Token token{Kind::String, Word::Plain, 0, start, end};
        // `name "text"` is a call with that one argument.
        token.endsCall = IsCallee(m_last[0]);
        if (IsNamedCallee())
            AddCall({m_last[0].start, m_last[0].end, 1, true, false});
        Accept(token);
        return end;
    }

    std::size_t EmitBracket(Kind kind, char bracket, std::size_t p)
    {
        Accept(Token{kind, Word::Plain, bracket, p, p + 1});
        return p + 1;
    }

    // What may be called: a name, or the end of an expression in brackets or of a call.
    static bool IsCallee(const Token &token)
    {
        return token.kind == Kind::Name || (token.kind == Kind::Close && token.bracket != '{') || token.endsCall;
    }
    bool IsNamedCallee() const { return m_last[0].kind == Kind::Name && m_last[1].kind != Kind::Dot; }

    int AddCall(ScannedCall call)
    {
        call.local = m_scopes.InScope(m_text.substr(call.nameStart, call.nameEnd - call.nameStart));
        m_scan.calls.push_back(call);
        return int(m_scan.calls.size()) - 1;
    }

    void Accept(Token token)
    {
        FollowNames(token);
        const LocalScopes::Role role = RoleOf(token);
        m_scopes.Before(role, TextOf(token), m_frames.size());
        switch (token.kind) {
        case Kind::Open:
            OpenBracket(token);
            break;
        case Kind::Close:
            Close(token);
            break;
        case Kind::Keyword:
            OnKeyword(token);
            break;
        case Kind::Comma:
            if (!m_frames.empty() && m_frames.back().kind == '(') {
                ++m_frames.back().commas;
                m_frames.back().emptyArgument |= m_last[0].kind == Kind::Comma || m_last[0].kind == Kind::Open;
            }
            MarkContent(token);
            break;
        default:
            MarkContent(token);
            break;
        }
        m_scopes.After(role, TextOf(token), m_frames.size());
        if (token.kind == Kind::Name)
            DeclareName(token);
        m_last[2] = m_last[1];
        m_last[1] = m_last[0];
        m_last[0] = token;
    }

    LocalScopes::Role RoleOf(const Token &token) const
    {
        using Role = LocalScopes::Role;
        switch (token.kind) {
        case Kind::Name: return Role::Name;
        case Kind::Number: return Role::Number;
        case Kind::String: return Role::String;
        case Kind::Close: return Role::Closer;
        case Kind::Ellipsis: return Role::Ellipsis;
        case Kind::Keyword: return Role::Keyword;
        case Kind::Comma: return Role::Comma;
        case Kind::Assign: return Role::Assign;
        default: return m_bytes[token.start] == ';' ? Role::Semicolon : Role::Other;
        }
    }

    // A parameter, or the name of a `local function`, which is in scope inside its own body.
    void DeclareName(const Token &token)
    {
        if (m_frames.empty())
            return;
        const bool parameter = m_frames.back().parameters;
        const bool localFunction = m_last[0].kind == Kind::Keyword && m_last[0].word == Word::Function &&
                                   IsLocalKeyword(m_last[1]);
        if (parameter || localFunction)
            m_scopes.Declare(TextOf(token), m_frames.size() - 1);
    }

    // Tells the innermost frame that something stands in it, and whether it may be many values.
    void MarkContent(const Token &token)
    {
        if (m_frames.empty())
            return;
        Frame &frame = m_frames.back();
        frame.any = true;
        frame.lastMayBeMany = token.kind == Kind::Ellipsis || token.endsCall;
    }

    void Push(const Frame &frame)
    {
        m_frames.push_back(frame);
        ++m_open[std::size_t(OpenerIndex(frame.kind))];
    }

    Frame Pop()
    {
        const Frame frame = m_frames.back();
        m_frames.pop_back();
        --m_open[std::size_t(OpenerIndex(frame.kind))];
        if (frame.definition >= 0)
            --m_openDefinitions;
        m_scopes.Closed(m_frames.size());
        return frame;
    }

    void OpenBracket(const Token &token)
    {
        MarkContent(token);
        Frame frame;
        frame.kind = token.bracket;
        frame.callBracket = token.bracket != '[' && IsCallee(m_last[0]);
        if (token.bracket == '(' && !m_frames.empty() && m_frames.back().function && !m_frames.back().parametersSeen) {
            frame.parameters = true;
            m_frames.back().parametersSeen = true;
        }
        if (frame.callBracket && IsNamedCallee()) {
            if (token.bracket == '(' && m_last[1].kind == Kind::Keyword && m_last[1].word == Word::Function) {
                // `function name(`: a definition; the brackets hold parameters.
                m_scan.definedNames.push_back(TextOf(m_last[0]));
                frame.callBracket = false;
            } else if (token.bracket == '{') {
                AddCall({m_last[0].start, m_last[0].end, 1, true, false});
            } else {
                frame.call = AddCall({m_last[0].start, m_last[0].end, 0, false, false});
            }
        }
        Push(frame);
    }

    // Closes the innermost frame of the token's kind, with any left open inside it; a closer
    // with no opener of its kind is just content.
    void Close(Token &token)
    {
        if (m_open[std::size_t(OpenerIndex(token.bracket))] == 0) {
            token.kind = Kind::Other;
            MarkContent(token);
            return;
        }
        while (m_frames.back().kind != token.bracket)
            Pop(); // left open: a definition among them stays unclosed
        if (token.kind == Kind::Keyword && TextOf(token) == "until")
            m_scopes.KeepForCondition(m_frames.size() - 1);
        const Frame frame = Pop();
        if (frame.definition >= 0)
            m_scan.definitions[std::size_t(frame.definition)].end = token.end;
        if (frame.call >= 0) {
            ScannedCall &call = m_scan.calls[std::size_t(frame.call)];
            call.arguments = frame.any ? frame.commas + 1 : 0;
            call.closed = true;
            call.moreMayFollow = frame.lastMayBeMany;
            call.argumentMissing = frame.emptyArgument || m_last[0].kind == Kind::Comma;
        }
        token.endsCall = frame.callBracket;
        MarkContent(token);
    }

    void OnKeyword(Token &token)
    {
        switch (token.word) {
        case Word::Function:
            OnFunction(token);
            break;
        case Word::Opener:
            MarkContent(token);
            Push(Frame{'b'});
            break;
        case Word::Closer:
            token.bracket = 'b';
            Close(token);
            token.kind = Kind::Keyword;
            break;
        case Word::Plain:
            MarkContent(token);
            break;
        }
    }

    void OnFunction(const Token &token)
    {
        // `name = function`, `local name = function`; not `t.name = function`.
        if (m_last[0].kind == Kind::Assign && m_last[1].kind == Kind::Name && m_last[2].kind != Kind::Dot)
            m_scan.definedNames.push_back(TextOf(m_last[1]));
        const bool assigned = IsAssignedChain();
        MarkContent(token);
        Push(Frame{'b'});
        m_frames.back().function = true;
        if (assigned) {
            const bool isLocal = IsLocalKeyword(m_beforeChain);
            AddDefinition(isLocal ? m_beforeChain.start : m_chainStart, m_chainStart, m_chainEnd, isLocal);
            return;
        }
        // `function a.b:c(` or `local function f(`: the name follows.
        m_nameState = NameState::AfterKeyword;
        m_definitionLocal = IsLocalKeyword(m_last[0]);
        m_definitionStart = m_definitionLocal ? m_last[0].start : token.start;
    }

    // `a.b.c =` just before a `function`, as a statement: not a field inside `{ }`, nor the
    // last of several names, which Lua gives no value of this function.
    bool IsAssignedChain() const
    {
        return m_last[0].kind == Kind::Assign && m_last[1].kind == Kind::Name && m_chainValid &&
               m_chainEnd == m_last[1].end && m_beforeChain.kind != Kind::Comma &&
               (m_frames.empty() || m_frames.back().kind != '{');
    }

    bool IsLocalKeyword(const Token &token) const { return token.kind == Kind::Keyword && TextOf(token) == "local"; }

    // Follows the names that may become a definition's: the chain of names an assignment may
    // target, and the name after a `function` keyword up to its "(".
    void FollowNames(const Token &token)
    {
        if (token.kind == Kind::Name) {
            if (m_last[0].kind != Kind::Dot) {
                m_chainStart = token.start;
                m_beforeChain = m_last[0];
                m_chainValid = true;
            } else {
                m_chainValid = m_chainValid && m_last[1].kind == Kind::Name && m_last[1].end == m_chainEnd;
            }
            m_chainEnd = token.end;
        }
        switch (m_nameState) {
        case NameState::None:
            break;
        case NameState::AfterKeyword:
        case NameState::AfterDot:
            if (token.kind == Kind::Name) {
                if (m_nameState == NameState::AfterKeyword)
                    m_definitionNameStart = token.start;
                m_definitionNameEnd = token.end;
                m_nameState = NameState::InName;
            } else {
                m_nameState = NameState::None; // an anonymous function, or broken text
            }
            break;
        case NameState::InName:
            if (token.kind == Kind::Dot) {
                m_nameState = NameState::AfterDot;
                break;
            }
            // Only names and dots came since the keyword, so its block is still the innermost.
            if (token.kind == Kind::Open && token.bracket == '(')
                AddDefinition(m_definitionStart, m_definitionNameStart, m_definitionNameEnd, m_definitionLocal);
            m_nameState = NameState::None;
            break;
        }
    }

    // Lists a definition whose body is the innermost block.
    void AddDefinition(std::size_t start, std::size_t nameStart, std::size_t nameEnd, bool isLocal)
    {
        DefinedFunction definition;
        definition.name = m_text.substr(nameStart, nameEnd - nameStart);
        definition.nameStart = nameStart;
        definition.nameEnd = nameEnd;
        definition.start = start;
        definition.end = m_size;
        definition.depth = m_openDefinitions;
        definition.isLocal = isLocal;
        m_frames.back().definition = int(m_scan.definitions.size());
        m_scan.definitions.push_back(definition);
        ++m_openDefinitions;
    }

    std::string_view TextOf(const Token &token) const { return m_text.substr(token.start, token.end - token.start); }

    std::string_view m_text;
    const unsigned char *m_bytes;
    std::size_t m_size;
    std::array<Token, 3> m_last{}; // the last three tokens, the latest first
    std::vector<Frame> m_frames;
    std::array<std::size_t, 4> m_open{}; // open frames of each kind: ( { [ and blocks
    int m_openDefinitions = 0;           // frames that are a listed definition's body

    // The latest chain of names `a.b.c` and the token before it.
    std::size_t m_chainStart = 0;
    std::size_t m_chainEnd = 0;
    bool m_chainValid = false;
    Token m_beforeChain{};

    // The name being read after a `function` keyword.
    enum class NameState : std::uint8_t { None, AfterKeyword, InName, AfterDot };
    NameState m_nameState = NameState::None;
    std::size_t m_definitionStart = 0;
    std::size_t m_definitionNameStart = 0;
    std::size_t m_definitionNameEnd = 0;
    bool m_definitionLocal = false;
    LocalScopes m_scopes;
    CallScan m_scan;
};

} // namespace

CallScan ScanCalls(std::string_view text)
{
    return Scanner(text).Run();
}
