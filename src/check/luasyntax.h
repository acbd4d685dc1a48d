// Lua 5.1's own verdict on a script's syntax: the text is compiled by the reference library,
// never run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct LuaSyntaxError {
    // From 1, as Lua counts lines; 0 when Lua names none, as for the limits it checks while
    // building the code ("too many local variables").
    int line = 0;
    std::string message;
};

// The first syntax error, or none. Safe to call from any thread: each call has a Lua state
// of its own. A first line starting with "#" is skipped, as Lua skips it in script files.
std::optional<LuaSyntaxError> CheckLuaSyntax(std::string_view text);
