// Which warnings the user wants: the preferences' switches, a `.luacheckrc`'s ignore and
// enable lists, and the `-- luacheck:` comments in the script itself, which apply to their own
// line when they follow code, else from where they stand to the end of the function (or of a
// push ... pop stretch).
#pragma once

#include "check/modelwarnings.h"

#include <string>
#include <string_view>
#include <vector>

struct LuacheckConfig;

struct InlineOptions {
    struct Directive {
        std::size_t from = 0; // the stretch of text it applies to
        std::size_t to = 0;
        bool enable = false;  // else ignore
        std::vector<std::string> patterns; // empty: every warning
    };
    struct Problem {
        std::size_t start = 0;
        std::size_t end = 0;
        std::string message;
    };
    std::vector<Directive> directives; // in text order
    std::vector<std::string> globals;  // declared by `globals`, `read globals` and the like
    std::vector<Problem> problems;
};

InlineOptions ReadInlineOptions(std::string_view text, const luamodel::Model &model);

// Whether a luacheck pattern matches a warning: "211" (a code or its start, so "21" takes 211
// to 213), "foo" (the variable's name, a Lua pattern matched whole), "211/foo.*" (both).
bool PatternMatches(std::string_view pattern, int code, std::string_view name);
// Lua's pattern matching, whole text against whole pattern, for the few classes and
// repetitions names need; a pattern too deep to follow matches nothing.
bool LuaPatternMatchesWhole(std::string_view pattern, std::string_view text);

class WarningFilter {
public:
    WarningFilter(const std::vector<int> &disabledCodes, const LuacheckConfig *config, const InlineOptions &inlineOptions);
    bool Keeps(const ModelWarning &warning) const;

private:
    const std::vector<int> &m_disabled;
    const LuacheckConfig *m_config;
    const InlineOptions &m_inline;
};
