// The local variables in scope as Lua 5.1 text is read token by token, by Lua's own rules: the
// names of a `local` statement come into scope after the statement, a `for` loop's at its `do`,
// a function's parameters inside its body; a block's names leave at its `end`, or for
// `repeat ... until` after the condition, which still sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

class LocalScopes {
public:
    enum class Role : std::uint8_t {
        Name,
        Number,
        String,
        Closer, // ")", "]" or "}"
        Ellipsis,
        Keyword, // told apart by its text
        Comma,
        Assign,
        Semicolon,
        Other, // operators, ".", ":", opening brackets
    };

    bool InScope(std::string_view name) const;

    // name stays in scope while at least depth brackets and blocks are open.
    void Declare(std::string_view name, std::size_t depth);

    // Before each token, with the brackets and blocks open before it: a token that cannot go on
    // with a pending statement ends it.
    void Before(Role role, std::string_view text, std::size_t depth);
    // After each token, with the brackets and blocks open after it.
    void After(Role role, std::string_view text, std::size_t depth);
    // A bracket or block closed, leaving depth open: its names leave, and a statement it cut
    // short ends.
    void Closed(std::size_t depth);
    // `until` is about to close the block open at depth + 1; its names stay for the condition.
    void KeepForCondition(std::size_t depth);

private:
    struct Pending {
        enum class Kind : std::uint8_t { Local, For, Until } kind;
        std::size_t depth;       // where the statement stands
        std::size_t firstName;   // its names in m_pendingNames
        std::size_t previousKeep; // Until: m_keep before it
        bool pastNames = false;  // Local: after "="; For: after "=" or "in"
        bool afterOperand = false;
    };

    bool Ends(const Pending &pending, Role role, std::string_view text) const;
    void Follow(Pending &pending, Role role, std::string_view text);
    void Finish(bool declare);
    void DropDeeperThan(std::size_t depth);

    struct Local {
        std::string_view name;
        std::size_t depth;
    };
    std::vector<Local> m_locals; // in the order they came into scope
    std::unordered_map<std::string_view, int> m_counts;
    std::vector<Pending> m_pending; // innermost last
    std::vector<std::string_view> m_pendingNames;
    std::size_t m_keep = 0; // the first m_keep locals wait for an `until` condition to end
};
