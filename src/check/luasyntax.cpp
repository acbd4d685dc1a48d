#include "luasyntax.h"

#include "app/utf8.h"

#include <lua.hpp>

#include <cstring>

namespace {

// Lua's messages quote the token they stopped at, which for an unfinished string is the rest
// of its line: long enough to fill a tooltip with one line of data.
constexpr std::size_t kLongestMessage = 200;

// Hands the text to the parser in at most two pieces: a line break in place of a skipped
// "#" line, so the line numbers stay, and the rest.
struct Pieces {
    std::string_view parts[2];
    int next = 0;
};

const char *ReadPiece(lua_State *, void *data, std::size_t *size)
{
    auto *pieces = static_cast<Pieces *>(data);
    while (pieces->next < 2) {
        const std::string_view part = pieces->parts[pieces->next++];
        if (!part.empty()) {
            *size = part.size();
            return part.data();
        }
    }
    *size = 0;
    return nullptr;
}

Pieces PiecesOf(std::string_view text)
{
    if (text.empty() || text[0] != '#')
        return Pieces{{text, {}}};
    const std::size_t newline = text.find('\n');
    const std::string_view rest = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    return Pieces{{"\n", rest}};
}

// "s:12: 'end' expected near 'x'" with the chunk name "s": the line and the message.
LuaSyntaxError ParseMessage(std::string_view raw)
{
    LuaSyntaxError error{0, std::string(raw)};
    if (raw.starts_with("s:")) {
        std::size_t p = 2;
        int line = 0;
        while (p < raw.size() && raw[p] >= '0' && raw[p] <= '9' && line < 100000000)
            line = line * 10 + (raw[p++] - '0');
        if (p > 2 && raw.substr(p).starts_with(": ")) {
            error.line = line;
            error.message = std::string(raw.substr(p + 2));
        }
    }
    if (error.message.size() > kLongestMessage) {
        std::size_t cut = kLongestMessage;
        while (cut > 0 && (static_cast<unsigned char>(error.message[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 sequence
        error.message.resize(cut);
        error.message += "...";
    }
    return error;
}

// Where the 1-based line starts in text.
std::size_t LineStart(std::string_view text, int line)
{
    std::size_t start = 0;
    for (int at = 1; at < line && start != std::string_view::npos; ++at) {
        start = text.find('\n', start);
        if (start != std::string_view::npos)
            ++start;
    }
    return start == std::string_view::npos ? text.size() : start;
}

// The well-formed character of several bytes that starts with lead on the line, or empty.
std::string_view CharacterOnLine(std::string_view text, int line, char lead)
{
    const std::size_t start = LineStart(text, line);
    const std::size_t end = std::min(text.find('\n', start), text.size());
    for (std::size_t at = text.find(lead, start); at < end; at = text.find(lead, at + 1)) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(text.data() + at);
        if (const std::size_t length = Utf8SequenceLength(bytes, text.size() - at); length > 1)
            return text.substr(at, length);
    }
    return {};
}

// Lua quotes a symbol it cannot read as one byte, which for a character of several bytes is
// the first of them alone. That byte becomes the whole character where the line holds it;
// any byte that still starts no character is written as \xNN.
void QuoteWholeCharacters(LuaSyntaxError &error, std::string_view text)
{
    std::string &message = error.message;
    const std::size_t quote = message.rfind("near '");
    if (quote == std::string::npos || !message.ends_with('\''))
        return;
    const std::size_t from = quote + 6;
    std::string token = message.substr(from, message.size() - 1 - from);
    if (token.size() == 1 && static_cast<unsigned char>(token[0]) >= 0x80) {
        const std::string_view character = CharacterOnLine(text, error.line, token[0]);
        if (!character.empty())
            token = character;
    }
    std::string shown;
    for (std::size_t at = 0; at < token.size();) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(token.data() + at);
        const std::size_t length = Utf8SequenceLength(bytes, token.size() - at);
        if (length > 0) {
            shown.append(token, at, length);
            at += length;
            continue;
        }
        static const char kHex[] = "0123456789ABCDEF";
        shown += {'\\', 'x', kHex[bytes[0] >> 4], kHex[bytes[0] & 15]};
        ++at;
    }
    message.replace(from, message.size() - 1 - from, shown);
}

} // namespace

std::optional<LuaSyntaxError> CheckLuaSyntax(std::string_view text)
{
    // A text that starts with Lua's escape byte would be read as a precompiled chunk, whose
    // loader trusts its input; it is not a script to check.
    if (!text.empty() && text[0] == LUA_SIGNATURE[0])
        return LuaSyntaxError{1, "precompiled chunk or binary file, not Lua source text"};
    // Lua 5.1 reads the mark some editors put at the start of UTF-8 files as three symbols
    // and says only "unexpected symbol near '?'".
    if (text.starts_with("\xEF\xBB\xBF"))
        return LuaSyntaxError{1, "the file starts with a UTF-8 byte-order mark, which Lua 5.1 does not accept"};
    lua_State *state = luaL_newstate();
    if (!state)
        return LuaSyntaxError{1, "not enough memory to check the script"};
    Pieces pieces = PiecesOf(text);
    std::optional<LuaSyntaxError> error;
    if (lua_load(state, ReadPiece, &pieces, "=s") != 0) {
        std::size_t length = 0;
        const char *message = lua_tolstring(state, -1, &length);
        error = ParseMessage(message ? std::string_view(message, length) : std::string_view("syntax error"));
        QuoteWholeCharacters(*error, text);
    }
    lua_close(state);
    return error;
}
