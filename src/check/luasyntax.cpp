#include "luasyntax.h"

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
    }
    lua_close(state);
    return error;
}
