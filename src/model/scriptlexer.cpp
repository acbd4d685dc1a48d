#include "model/scriptlexer.h"

#include <array>
#include <cstring>

namespace luamodel {

namespace {

constexpr std::size_t kNpos = std::string_view::npos;

enum ByteClass : std::uint8_t { kOtherByte, kSpace, kNewline, kLetter, kDigit };

constexpr std::array<ByteClass, 256> kClasses = [] {
    std::array<ByteClass, 256> table{};
    for (int c = 'a'; c <= 'z'; ++c)
        table[std::size_t(c)] = kLetter;
    for (int c = 'A'; c <= 'Z'; ++c)
        table[std::size_t(c)] = kLetter;
    table['_'] = kLetter;
    for (int c = '0'; c <= '9'; ++c)
        table[std::size_t(c)] = kDigit;
    table[' '] = table['\t'] = table['\v'] = table['\f'] = kSpace;
    table['\n'] = table['\r'] = kNewline;
    return table;
}();

bool IsWordByte(unsigned char c)
{
    return kClasses[c] == kLetter || kClasses[c] == kDigit;
}

// A word of up to 8 bytes packed into an integer, to compare with the reserved words at once.
constexpr std::uint64_t Packed(std::string_view word)
{
    std::uint64_t packed = 0;
    for (std::size_t i = word.size(); i-- > 0;)
        packed = (packed << 8) | static_cast<unsigned char>(word[i]);
    return packed;
}

struct ReservedWord {
    std::uint64_t packed;
    Tok type;
};

constexpr ReservedWord kReserved[] = {
    {Packed("and"), Tok::And},         {Packed("break"), Tok::Break},   {Packed("do"), Tok::Do},
    {Packed("else"), Tok::Else},       {Packed("elseif"), Tok::Elseif}, {Packed("end"), Tok::End},
    {Packed("false"), Tok::False},     {Packed("for"), Tok::For},       {Packed("function"), Tok::Function},
    {Packed("if"), Tok::If},           {Packed("in"), Tok::In},         {Packed("local"), Tok::Local},
    {Packed("nil"), Tok::Nil},         {Packed("not"), Tok::Not},       {Packed("or"), Tok::Or},
    {Packed("repeat"), Tok::Repeat},   {Packed("return"), Tok::Return}, {Packed("then"), Tok::Then},
    {Packed("true"), Tok::True},       {Packed("until"), Tok::Until},   {Packed("while"), Tok::While},
};

Tok Reserved(const unsigned char *s, std::size_t n)
{
    if (n < 2 || n > 8 || s[0] < 'a' || s[0] > 'w')
        return Tok::Name;
    std::uint64_t packed = 0;
    for (std::size_t i = n; i-- > 0;)
        packed = (packed << 8) | s[i];
    for (const ReservedWord &word : kReserved)
        if (word.packed == packed)
            return word.type;
    return Tok::Name;
}

} // namespace

Lexer::Lexer(std::string_view text)
    : m_text(text), m_bytes(reinterpret_cast<const unsigned char *>(text.data())), m_size(text.size())
{
    if (m_size > 0 && m_bytes[0] == '#') {
        const void *newline = std::memchr(m_bytes, '\n', m_size);
        m_pos = newline ? std::size_t(static_cast<const unsigned char *>(newline) - m_bytes) : m_size;
        const void *cr = std::memchr(m_bytes, '\r', m_pos);
        if (cr)
            m_pos = std::size_t(static_cast<const unsigned char *>(cr) - m_bytes);
    }
}

// After a line break at p (CR LF and LF CR count as one), counting the line.
std::size_t Lexer::SkipNewline(std::size_t p)
{
    const unsigned char c = m_bytes[p];
    ++p;
    if (p < m_size && (m_bytes[p] == '\n' || m_bytes[p] == '\r') && m_bytes[p] != c)
        ++p;
    ++m_line;
    m_lineStart = p;
    return p;
}

std::size_t Lexer::SkipSpaceAndComments(std::size_t p)
{
    while (p < m_size) {
        const unsigned char c = m_bytes[p];
        const ByteClass cls = kClasses[c];
        if (cls == kSpace) {
            ++p;
        } else if (cls == kNewline) {
            p = SkipNewline(p);
        } else if (c == '-' && At(p + 1) == '-') {
            p += 2;
            if (At(p) == '[') {
                const int level = LongBracketLevel(p);
                if (level >= 0) {
                    const std::size_t end = LongBracketEnd(p + std::size_t(level) + 2, std::size_t(level));
                    if (end == kNpos)
                        return kNpos;
                    p = end;
                    continue;
                }
            }
            while (p < m_size && m_bytes[p] != '\n' && m_bytes[p] != '\r')
                ++p;
        } else {
            break;
        }
    }
    return p;
}

// "[", any number of "=", "[": the level is the number of "="; -1 for anything else.
int Lexer::LongBracketLevel(std::size_t p) const
{
    std::size_t q = p + 1;
    while (q < m_size && m_bytes[q] == '=')
        ++q;
    return q < m_size && m_bytes[q] == '[' ? int(q - p - 1) : -1;
}

// After the "]", level "=", "]" closing a long bracket whose content starts at p, counting lines.
std::size_t Lexer::LongBracketEnd(std::size_t p, std::size_t level)
{
    while (p < m_size) {
        const unsigned char c = m_bytes[p];
        if (c == ']') {
            std::size_t q = p + 1;
            while (q < m_size && m_bytes[q] == '=')
                ++q;
            if (q < m_size && m_bytes[q] == ']' && q - p - 1 == level)
                return q + 1;
            p = q;
        } else if (c == '\n' || c == '\r') {
            p = SkipNewline(p);
        } else {
            ++p;
        }
    }
    return kNpos;
}

// After the closing quote of the string opening at p; before a bare line break or at the end
// when unfinished (broken).
std::size_t Lexer::QuotedEnd(std::size_t p, bool &broken)
{
    const unsigned char quote = m_bytes[p];
    ++p;
    while (p < m_size) {
        const unsigned char c = m_bytes[p];
        if (c == quote)
            return p + 1;
        if (c == '\n' || c == '\r') {
            broken = true;
            return p;
        }
        if (c == '\\') {
            ++p;
            if (p >= m_size)
                break;
            if (m_bytes[p] == '\n' || m_bytes[p] == '\r')
                p = SkipNewline(p);
            else
                ++p;
            continue;
        }
        ++p;
    }
    broken = true;
    return m_size;
}

// Lua 5.1's numeral: digits and dots, an exponent sign after "e", then any word bytes.
std::size_t Lexer::NumberEnd(std::size_t p) const
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

Token Lexer::Next()
{
    Token token;
    std::size_t p = SkipSpaceAndComments(m_pos);
    token.line = m_line;
    token.lineStart = m_lineStart;
    if (p == kNpos) { // a long comment left open
        token.broken = true;
        p = m_size;
    }
    token.start = p;
    if (p >= m_size) {
        token.end = m_pos = m_size;
        return token;
    }
    const unsigned char c = m_bytes[p];
    std::size_t end = p + 1;
    Tok type = Tok::Error;
    switch (kClasses[c]) {
    case kLetter:
        while (end < m_size && IsWordByte(m_bytes[end]))
            ++end;
        type = Reserved(m_bytes + p, end - p);
        break;
    case kDigit:
        end = NumberEnd(p);
        type = Tok::Number;
        break;
    default:
        switch (c) {
        case '"':
        case '\'':
            end = QuotedEnd(p, token.broken);
            type = Tok::String;
            break;
        case '[': {
            const int level = LongBracketLevel(p);
            if (level >= 0) {
                end = LongBracketEnd(p + std::size_t(level) + 2, std::size_t(level));
                type = Tok::String;
            } else if (At(p + 1) == '=') {
                type = Tok::Error; // "[=" without a second "[": Lua refuses the delimiter
            } else {
                type = Tok::LBracket;
            }
            break;
        }
        case '.':
            if (At(p + 1) == '.') {
                end = At(p + 2) == '.' ? p + 3 : p + 2;
                type = end == p + 3 ? Tok::Ellipsis : Tok::Concat;
            } else if (kClasses[At(p + 1)] == kDigit) {
                end = NumberEnd(p);
                type = Tok::Number;
            } else {
                type = Tok::Dot;
            }
            break;
        case '=':
            if (At(p + 1) == '=') {
                end = p + 2;
                type = Tok::BinaryOp;
            } else {
                type = Tok::Assign;
            }
            break;
        case '<':
        case '>':
            end = At(p + 1) == '=' ? p + 2 : p + 1;
            type = Tok::BinaryOp;
            break;
        case '~':
            if (At(p + 1) == '=') {
                end = p + 2;
                type = Tok::BinaryOp;
            }
            break;
        case '+': case '*': case '/': case '%': case '^':
            type = Tok::BinaryOp;
            break;
        case '-': type = Tok::Minus; break;
        case '#': type = Tok::Hash; break;
        case ':': type = Tok::Colon; break;
        case ',': type = Tok::Comma; break;
        case ';': type = Tok::Semicolon; break;
        case '(': type = Tok::LParen; break;
        case ')': type = Tok::RParen; break;
        case '{': type = Tok::LBrace; break;
        case '}': type = Tok::RBrace; break;
        case ']': type = Tok::RBracket; break;
        default: break;
        }
    }
    if (end == kNpos) { // a long string left open
        token.broken = true;
        end = m_size;
    }
    token.type = type;
    token.end = end;
    m_pos = end;
    return token;
}

} // namespace luamodel
