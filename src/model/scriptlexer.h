// Lua 5.1's tokens, read one at a time from a string_view without allocating: strings with their
// escapes, long brackets, both kinds of comment, a first line starting with "#".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace luamodel {

enum class Tok : std::uint8_t {
    Eof,
    Error, // a byte Lua does not know, or "[=" that opens no long string
    Name,
    Number,
    String,
    Ellipsis,
    Concat,
    Dot,
    Colon,
    Comma,
    Semicolon,
    Assign,
    LParen,
    RParen,
    LBrace,
    RBrace,
    LBracket,
    RBracket,
    Minus,
    Hash,
    BinaryOp, // + * / % ^ == ~= < <= > >=
    // Reserved words.
    And,
    Break,
    Do,
    Else,
    Elseif,
    End,
    False,
    For,
    Function,
    If,
    In,
    Local,
    Nil,
    Not,
    Or,
    Repeat,
    Return,
    Then,
    True,
    Until,
    While,
};

struct Token {
    Tok type = Tok::Eof;
    std::uint32_t line = 1;
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t lineStart = 0; // offset of the first byte of the token's line
    // A string left unfinished (to its line's end, or a long one to the text's end), or a long
    // comment before it left open.
    bool broken = false;
};

class Lexer {
public:
    explicit Lexer(std::string_view text);

    // The next token; Eof at the end, again and again. Lexing goes on after a broken token.
    Token Next();

    std::string_view text() const { return m_text; }

private:
    std::size_t SkipSpaceAndComments(std::size_t p);
    std::size_t SkipNewline(std::size_t p);
    std::size_t LongBracketEnd(std::size_t p, std::size_t level); // npos when unclosed
    int LongBracketLevel(std::size_t p) const;
    std::size_t QuotedEnd(std::size_t p, bool &broken);
    std::size_t NumberEnd(std::size_t p) const;
    unsigned char At(std::size_t p) const { return p < m_size ? m_bytes[p] : 0; }

    std::string_view m_text;
    const unsigned char *m_bytes;
    std::size_t m_size;
    std::size_t m_pos = 0;
    std::uint32_t m_line = 1;
    std::size_t m_lineStart = 0;
};

} // namespace luamodel
