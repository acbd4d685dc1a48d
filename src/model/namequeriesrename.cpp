// Where a name is declared, its uses, and renaming it without changing what any name refers to.
#include "namequeries.h"

#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "model/lualibrary.h"

#include <algorithm>

using namespace luamodel;

namespace {

std::string Quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

} // namespace

// The line of the field that starts at offset.
int NameQueries::LineOf(std::size_t offset) const
{
    const auto &fields = m_model.fields;
    auto it = std::lower_bound(fields.begin(), fields.end(), offset,
                               [](const FieldUse &field, std::size_t at) { return field.range.start.offset < at; });
    return it == fields.end() ? 0 : int(it->range.start.line);
}

NameQueries::Target NameQueries::TargetAt(std::size_t offset) const
{
    Target target;
    offset = std::min(offset, m_text.size());
    std::size_t start = offset, end = offset;
    while (start > 0 && IsNameCharacter(m_text[start - 1]))
        --start;
    while (end < m_text.size() && IsNameCharacter(m_text[end]))
        ++end;
    // "..." is a name of its own.
    if (start == end) {
        for (std::size_t from = offset >= 2 ? offset - 2 : 0; from <= offset && from + 3 <= m_text.size(); ++from) {
            if (m_text.compare(from, 3, "...") == 0) {
                start = from;
                end = from + 3;
                break;
            }
        }
    }
    if (start == end)
        return target;
    const std::uint32_t use = m_model.UseAt(start);
    if (use != kNone && m_model.uses[use].range.start.offset == start) {
        target.use = use;
        target.symbol = m_model.SymbolOf(use);
        target.start = start;
        target.end = m_model.uses[use].range.end;
        target.name = m_text.substr(target.start, target.end - target.start);
        return target;
    }
    const auto &fields = m_model.fields;
    auto it = std::lower_bound(fields.begin(), fields.end(), start,
                               [](const FieldUse &field, std::size_t at) { return field.range.start.offset < at; });
    // A field in a constructor may share its place with nothing else; find the one that starts here.
    for (; it != fields.end() && it->range.start.offset == start; ++it) {
        if (it->baseUse == kNone)
            continue;
        target.field = std::uint32_t(it - fields.begin());
        target.symbol = m_model.SymbolOf(it->baseUse);
        target.start = start;
        target.end = it->range.end;
        target.name = it->name;
        for (std::uint32_t parent = it->parent; parent != kNone; parent = fields[parent].parent)
            target.path.insert(target.path.begin(), fields[parent].name);
        const NameUse &base = m_model.uses[it->baseUse];
        target.path.insert(target.path.begin(),
                           m_text.substr(base.range.start.offset, base.range.end - base.range.start.offset));
        return target;
    }
    return target;
}

std::vector<NameOccurrence> NameQueries::FieldOccurrences(const Target &target) const
{
    std::vector<NameOccurrence> found;
    if (!target.symbol.valid())
        return found;
    bool declared = false;
    for (const std::uint32_t *use = m_model.UsesBegin(target.symbol); use != m_model.UsesEnd(target.symbol); ++use) {
        const auto &order = m_model.fieldsByBase;
        auto it = std::lower_bound(order.begin(), order.end(), *use,
                                   [this](std::uint32_t f, std::uint32_t base) { return m_model.fields[f].baseUse < base; });
        for (; it != order.end() && m_model.fields[*it].baseUse == *use; ++it) {
            const FieldUse &field = m_model.fields[*it];
            if (field.name != target.name || !FieldFollows(*it, target.path))
                continue;
            found.push_back({field.range.start.offset, field.range.end, field.write, field.write && !declared});
            declared = declared || field.write;
        }
    }
    std::sort(found.begin(), found.end(),
              [](const NameOccurrence &a, const NameOccurrence &b) { return a.start < b.start; });
    return found;
}

// ---------------------------------------------------------------- definition and uses

NameDefinition NameQueries::Definition(std::size_t offset) const
{
    NameDefinition definition;
    const Target target = TargetAt(offset);
    if (target.name.empty())
        return definition;
    definition.name = std::string(target.name);
    if (target.field != kNone) {
        for (const NameOccurrence &occurrence : FieldOccurrences(target)) {
            if (occurrence.declaration) {
                definition.where = NameDefinition::Where::Script;
                definition.kind = NameKind::Field;
                definition.start = occurrence.start;
                definition.end = occurrence.end;
                return definition;
            }
        }
        const std::string base = [&] {
            std::string joined;
            for (std::size_t i = 0; i < target.path.size(); ++i)
                joined += (i ? "." : "") + std::string(target.path[i]);
            return joined;
        }();
        if (!target.symbol.global || !LuaLibrary::Field(base, target.name))
            return definition;
        definition.where = NameDefinition::Where::Library;
        definition.kind = NameKind::LibraryFunction;
        definition.name = base + "." + definition.name;
        return definition;
    }
    if (!target.symbol.valid())
        return definition;
    const std::uint32_t declaration = m_model.DeclarationUse(target.symbol);
    if (declaration != kNone) {
        const NameUse &use = m_model.uses[declaration];
        definition.where = NameDefinition::Where::Script;
        definition.kind = target.symbol.global ? NameKind::Global : NameKind::Local;
        definition.start = use.range.start.offset;
        definition.end = use.range.end;
        return definition;
    }
    int row = -1;
    if (m_tarn.functions && FindFunction(*m_tarn.functions, target.name, row)) {
        definition.where = NameDefinition::Where::Tarn;
        definition.kind = NameKind::TarnFunction;
        definition.tarnRow = row;
        definition.name = m_tarn.functions->GetAt(row)[0];
    } else if (const LuaLibraryEntry *entry = LuaLibrary::Global(target.name)) {
        definition.where = NameDefinition::Where::Library;
        definition.kind = entry->IsFunction() ? NameKind::LibraryFunction : NameKind::LibraryTable;
    }
    return definition;
}

std::vector<NameOccurrence> NameQueries::Occurrences(std::size_t offset) const
{
    const Target target = TargetAt(offset);
    if (target.field != kNone)
        return FieldOccurrences(target);
    std::vector<NameOccurrence> found;
    if (!target.symbol.valid())
        return found;
    const std::uint32_t declaration = m_model.DeclarationUse(target.symbol);
    for (const std::uint32_t *use = m_model.UsesBegin(target.symbol); use != m_model.UsesEnd(target.symbol); ++use) {
        const NameUse &at = m_model.uses[*use];
        found.push_back({at.range.start.offset, at.range.end, at.write, *use == declaration});
    }
    return found;
}

// ---------------------------------------------------------------- renaming

RenameCheck NameQueries::PrepareRename(std::size_t offset) const
{
    RenameCheck check;
    const Target target = TargetAt(offset);
    check.start = target.start;
    check.end = target.end;
    check.oldName = std::string(target.name);
    if (target.name.empty() || !target.symbol.valid()) {
        check.why = "There is no name of the script here to rename.";
        return check;
    }
    if (target.field != kNone) {
        std::string base;
        for (std::size_t i = 0; i < target.path.size(); ++i)
            base += (i ? "." : "") + std::string(target.path[i]);
        if (target.symbol.global && LuaLibrary::IsLibraryTable(base)) {
            check.why = Quoted(base + "." + check.oldName) + " is part of Lua's own library.";
            return check;
        }
        check.ok = true;
        return check;
    }
    if (!target.symbol.global) {
        const Declaration &declaration = m_model.declarations[target.symbol.index];
        if (declaration.kind == DeclarationKind::Vararg || target.name == "...")
            check.why = "\"...\" is no name: it cannot be renamed.";
        else if (declaration.kind == DeclarationKind::Self)
            check.why = "\"self\" is the name Lua gives a method's object: it cannot be renamed.";
        else
            check.ok = true;
        return check;
    }
    if (m_model.globals[target.symbol.index].firstSet == kNone) {
        if (IsTarnFunction(target.name)) {
            check.why = Quoted(target.name) + " is one of Tarn's functions: its name is Tarn's, not the script's.";
            return check;
        }
        if (LuaLibrary::Global(target.name)) {
            check.why = Quoted(target.name) + " is part of Lua's own library.";
            return check;
        }
    }
    check.ok = true;
    return check;
}

RenameEdits NameQueries::Rename(std::size_t offset, std::string_view newName) const
{
    RenameEdits result;
    const RenameCheck check = PrepareRename(offset);
    if (!check.ok) {
        result.why = check.why;
        return result;
    }
    const Target target = TargetAt(offset);
    result.why = WhyNotRenamed(target, newName);
    if (!result.why.empty())
        return result;
    result.ok = true;
    if (newName != target.name)
        result.edits = Occurrences(offset);
    return result;
}

std::string NameQueries::WhyNotRenamed(const Target &target, std::string_view newName) const
{
    if (IsKeyword(newName))
        return Quoted(newName) + " is one of Lua's keywords.";
    if (!IsIdentifier(newName))
        return Quoted(newName) + " is not a Lua name: letters, digits and \"_\", not starting with a digit.";
    if (newName == target.name)
        return {};
    if (target.field != kNone) {
        Target other = target;
        other.name = newName;
        const std::vector<NameOccurrence> clash = FieldOccurrences(other);
        if (!clash.empty())
            return "The table already has a field " + Quoted(newName) + " (line " +
                   std::to_string(LineOf(clash.front().start)) + ").";
        return {};
    }
    return target.symbol.global ? WhyNotRenamedGlobal(target, newName) : WhyNotRenamedLocal(target, newName);
}

// A local keeps every use only if no other local of the new name is declared between its
// declaration and a use (that one would capture the use), and if no use of the new name inside
// its scope refers to something else now (the renamed local would capture that use).
std::string NameQueries::WhyNotRenamedLocal(const Target &target, std::string_view newName) const
{
    const Declaration &renamed = m_model.declarations[target.symbol.index];
    for (const std::uint32_t *use = m_model.UsesBegin(target.symbol); use != m_model.UsesEnd(target.symbol); ++use) {
        const NameUse &at = m_model.uses[*use];
        const std::uint32_t other = m_model.Resolve(newName, at.range.start.offset);
        if (other != kNone && other != target.symbol.index &&
            m_model.declarations[other].range.start.offset > renamed.range.start.offset)
            return "The local " + Quoted(newName) + " declared on line " +
                   std::to_string(m_model.declarations[other].range.start.line) + " would hide it on line " +
                   std::to_string(at.range.start.line) + ".";
    }
    const std::size_t from = renamed.visibleFrom;
    const std::size_t to = m_model.scopes[renamed.scope].end;
    const auto capturedIn = [&](SymbolRef symbol) -> const NameUse * {
        for (const std::uint32_t *use = m_model.UsesBegin(symbol); use != m_model.UsesEnd(symbol); ++use) {
            const NameUse &at = m_model.uses[*use];
            if (at.range.start.offset >= from && at.range.start.offset <= to && !at.declaration)
                return &at;
        }
        return nullptr;
    };
    const std::uint32_t outer = m_model.Resolve(newName, from);
    if (outer != kNone && outer != target.symbol.index)
        if (const NameUse *use = capturedIn(SymbolRef{outer, false}))
            return "It would hide the local " + Quoted(newName) + " of line " +
                   std::to_string(m_model.declarations[outer].range.start.line) + ", used on line " +
                   std::to_string(use->range.start.line) + ".";
    const std::uint32_t global = m_model.FindGlobal(newName);
    if (global != kNone)
        if (const NameUse *use = capturedIn(SymbolRef{global, true}))
            return "It would hide the global " + Quoted(newName) + " used on line " +
                   std::to_string(use->range.start.line) + ".";
    return {};
}

// A global keeps every use only if no local of the new name is in scope at one, and the new name
// is no other global's: the script's, Lua's or Tarn's.
std::string NameQueries::WhyNotRenamedGlobal(const Target &target, std::string_view newName) const
{
    for (const std::uint32_t *use = m_model.UsesBegin(target.symbol); use != m_model.UsesEnd(target.symbol); ++use) {
        const NameUse &at = m_model.uses[*use];
        const std::uint32_t local = m_model.Resolve(newName, at.range.start.offset);
        if (local != kNone)
            return "The local " + Quoted(newName) + " declared on line " +
                   std::to_string(m_model.declarations[local].range.start.line) + " would hide it on line " +
                   std::to_string(at.range.start.line) + ".";
    }
    const std::uint32_t global = m_model.FindGlobal(newName);
    if (global != kNone)
        return "The script already uses a global " + Quoted(newName) + " (line " +
               std::to_string(m_model.uses[m_model.symbolUses[m_model.globals[global].firstUse]].range.start.line) +
               ").";
    if (IsTarnFunction(newName))
        return Quoted(newName) + " is one of Tarn's functions.";
    if (LuaLibrary::Global(newName))
        return Quoted(newName) + " is part of Lua's own library.";
    return {};
}
