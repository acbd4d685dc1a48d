#include "localscopes.h"

namespace {

using Role = LocalScopes::Role;

// What may end an expression: after it, a name or a keyword other than an operator starts a
// new statement.
bool EndsOperand(Role role, std::string_view text)
{
    switch (role) {
    case Role::Name:
    case Role::Number:
    case Role::String:
    case Role::Closer:
    case Role::Ellipsis:
        return true;
    case Role::Keyword:
        return text == "end" || text == "true" || text == "false" || text == "nil";
    default:
        return false;
    }
}

bool StartsStatement(Role role, std::string_view text)
{
    return role == Role::Name || role == Role::Number || (role == Role::Keyword && text != "and" && text != "or");
}

} // namespace

bool LocalScopes::InScope(std::string_view name) const
{
    return m_counts.count(name) > 0;
}

void LocalScopes::Declare(std::string_view name, std::size_t depth)
{
    m_locals.push_back({name, depth});
    ++m_counts[name];
}

void LocalScopes::Before(Role role, std::string_view text, std::size_t depth)
{
    while (!m_pending.empty() && m_pending.back().depth == depth && Ends(m_pending.back(), role, text))
        Finish(true);
}

bool LocalScopes::Ends(const Pending &pending, Role role, std::string_view text) const
{
    switch (pending.kind) {
    case Pending::Kind::Local:
        if (!pending.pastNames) // `local a, b` ends at anything but another name after a comma
            return role == Role::Name ? pending.afterOperand : role != Role::Comma && role != Role::Assign;
        [[fallthrough]];
    case Pending::Kind::Until:
        return role == Role::Semicolon || (pending.afterOperand && StartsStatement(role, text));
    case Pending::Kind::For:
        return false; // its names wait for the `do`
    }
    return false;
}

void LocalScopes::After(Role role, std::string_view text, std::size_t depth)
{
    if (!m_pending.empty() && m_pending.back().depth == depth)
        Follow(m_pending.back(), role, text);
    if (role != Role::Keyword)
        return;
    if (text == "local" || text == "for") {
        const auto kind = text == "local" ? Pending::Kind::Local : Pending::Kind::For;
        m_pending.push_back({kind, depth, m_pendingNames.size(), m_keep});
    } else if (text == "do") {
        // The loop's names belong to the block the `do` opened.
        if (!m_pending.empty() && m_pending.back().kind == Pending::Kind::For && m_pending.back().depth + 1 == depth) {
            m_pending.back().depth = depth;
            Finish(true);
        }
    } else if ((text == "else" || text == "elseif") && depth > 0) {
        DropDeeperThan(depth - 1); // the names of the branch that ends here
    }
}

void LocalScopes::Follow(Pending &pending, Role role, std::string_view text)
{
    const bool inNames = !pending.pastNames && pending.kind != Pending::Kind::Until;
    if (!inNames) {
        pending.afterOperand = EndsOperand(role, text);
        return;
    }
    if (role == Role::Name) {
        m_pendingNames.push_back(text);
        pending.afterOperand = true;
    } else if (role == Role::Assign || (role == Role::Keyword && text == "in")) {
        pending.pastNames = true;
        pending.afterOperand = false;
    } else {
        pending.afterOperand = false;
    }
}

void LocalScopes::Closed(std::size_t depth)
{
    while (!m_pending.empty() && m_pending.back().depth > depth)
        Finish(false);
    DropDeeperThan(depth);
}

void LocalScopes::KeepForCondition(std::size_t depth)
{
    m_pending.push_back({Pending::Kind::Until, depth, m_pendingNames.size(), m_keep});
    m_keep = m_locals.size();
}

void LocalScopes::Finish(bool declare)
{
    const Pending pending = m_pending.back();
    m_pending.pop_back();
    if (declare && pending.kind != Pending::Kind::Until)
        for (std::size_t i = pending.firstName; i < m_pendingNames.size(); ++i)
            Declare(m_pendingNames[i], pending.depth);
    m_pendingNames.resize(pending.firstName);
    if (pending.kind == Pending::Kind::Until) {
        m_keep = pending.previousKeep;
        DropDeeperThan(pending.depth);
    }
}

void LocalScopes::DropDeeperThan(std::size_t depth)
{
    while (m_locals.size() > m_keep && m_locals.back().depth > depth) {
        const auto found = m_counts.find(m_locals.back().name);
        if (--found->second == 0)
            m_counts.erase(found);
        m_locals.pop_back();
    }
}
