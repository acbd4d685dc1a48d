// The model's queries: binary searches over its sorted vectors, then walks bounded by the
// nesting of scopes or calls at one place.
#include "model/scriptmodel.h"

#include <algorithm>
#include <unordered_set>

namespace luamodel {

namespace {

bool Holds(const Scope &scope, std::size_t offset)
{
    return scope.start <= offset && offset <= scope.end;
}

} // namespace

std::uint32_t Model::ScopeAt(std::size_t offset) const
{
    if (scopes.empty())
        return kNone;
    // The last scope starting at or before offset, then out to the first that still holds it.
    auto after = std::upper_bound(scopes.begin(), scopes.end(), offset,
                                  [](std::size_t at, const Scope &scope) { return at < scope.start; });
    std::uint32_t index = after == scopes.begin() ? 0 : std::uint32_t(after - scopes.begin() - 1);
    while (index != kNone && index != 0 && !Holds(scopes[index], offset))
        index = scopes[index].parent;
    return index == kNone ? 0 : index;
}

std::vector<std::uint32_t> Model::VisibleAt(std::size_t offset) const
{
    std::vector<std::uint32_t> visible;
    for (std::uint32_t index = ScopeAt(offset); index != kNone; index = scopes[index].parent) {
        const Scope &scope = scopes[index];
        for (std::uint32_t i = scope.declarationCount; i-- > 0;) {
            const std::uint32_t declaration = scopeDeclarations[scope.firstDeclaration + i];
            if (declarations[declaration].visibleFrom <= offset)
                visible.push_back(declaration);
        }
    }
    return visible;
}

std::uint32_t Model::Resolve(std::string_view name, std::size_t offset) const
{
    for (std::uint32_t index = ScopeAt(offset); index != kNone; index = scopes[index].parent) {
        const Scope &scope = scopes[index];
        for (std::uint32_t i = scope.declarationCount; i-- > 0;) {
            const std::uint32_t declaration = scopeDeclarations[scope.firstDeclaration + i];
            if (declarations[declaration].visibleFrom <= offset && declarations[declaration].name == name)
                return declaration;
        }
    }
    return kNone;
}

std::uint32_t Model::UseAt(std::size_t offset) const
{
    auto after = std::upper_bound(uses.begin(), uses.end(), offset,
                                  [](std::size_t at, const NameUse &use) { return at < use.range.start.offset; });
    if (after == uses.begin())
        return kNone;
    const std::uint32_t index = std::uint32_t(after - uses.begin() - 1);
    return offset <= uses[index].range.end ? index : kNone;
}

SymbolRef Model::SymbolOf(std::uint32_t use) const
{
    if (use >= uses.size())
        return {};
    return {uses[use].symbol, uses[use].global};
}

const std::uint32_t *Model::UsesBegin(SymbolRef symbol) const
{
    if (!symbol.valid())
        return nullptr;
    const std::uint32_t first = symbol.global ? globals[symbol.index].firstUse : declarations[symbol.index].firstUse;
    return symbolUses.data() + first;
}

const std::uint32_t *Model::UsesEnd(SymbolRef symbol) const
{
    if (!symbol.valid())
        return nullptr;
    const std::uint32_t count = symbol.global ? globals[symbol.index].useCount : declarations[symbol.index].useCount;
    return UsesBegin(symbol) + count;
}

std::uint32_t Model::DeclarationUse(SymbolRef symbol) const
{
    if (!symbol.valid())
        return kNone;
    if (symbol.global)
        return globals[symbol.index].firstSet;
    const Declaration &declaration = declarations[symbol.index];
    return declaration.useCount == 0 ? kNone : symbolUses[declaration.firstUse];
}

std::vector<std::uint32_t> Model::Occurrences(SymbolRef symbol) const
{
    if (!symbol.valid())
        return {};
    return {UsesBegin(symbol), UsesEnd(symbol)};
}

std::uint32_t Model::FindGlobal(std::string_view name) const
{
    auto found = std::lower_bound(globalsByName.begin(), globalsByName.end(), name,
                                  [this](std::uint32_t global, std::string_view key) { return globals[global].name < key; });
    return found != globalsByName.end() && globals[*found].name == name ? *found : kNone;
}

std::vector<std::string_view> Model::FieldsOf(SymbolRef symbol) const
{
    std::vector<std::string_view> names;
    if (!symbol.valid())
        return names;
    std::unordered_set<std::string_view> seen;
    for (const std::uint32_t *use = UsesBegin(symbol); use != UsesEnd(symbol); ++use) {
        // The fields hanging on this use directly follow it in text order.
        auto first = std::lower_bound(fieldsByBase.begin(), fieldsByBase.end(), *use,
                                      [this](std::uint32_t field, std::uint32_t base) { return fields[field].baseUse < base; });
        for (auto it = first; it != fieldsByBase.end() && fields[*it].baseUse == *use; ++it) {
            const FieldUse &field = fields[*it];
            if (field.parent == kNone && seen.insert(field.name).second)
                names.push_back(field.name);
        }
    }
    return names;
}

std::vector<std::string_view> Model::FieldsOf(std::string_view name, std::size_t offset) const
{
    const std::uint32_t local = Resolve(name, offset);
    if (local != kNone)
        return FieldsOf(SymbolRef{local, false});
    return FieldsOf(SymbolRef{FindGlobal(name), true});
}

CallAt Model::CallAround(std::size_t offset) const
{
    auto after = std::upper_bound(calls.begin(), calls.end(), offset,
                                  [](std::size_t at, const Call &call) { return at <= call.open.offset; });
    if (after == calls.begin())
        return {};
    std::uint32_t index = std::uint32_t(after - calls.begin() - 1);
    // Inside a function body written among the arguments, the call is not the one being written.
    const std::uint32_t function = FunctionAt(offset);
    while (index != kNone) {
        const Call &call = calls[index];
        const bool inside = call.form == CallForm::Parens && offset > call.open.offset && offset < call.close + (call.closed ? 0 : 1);
        if (inside && call.function == function)
            break;
        index = call.parent;
    }
    if (index == kNone)
        return {};
    const Call &call = calls[index];
    const auto begin = commas.begin() + call.firstComma;
    const auto end = begin + call.commaCount;
    return {index, std::uint32_t(std::lower_bound(begin, end, offset) - begin)};
}

std::uint32_t Model::FunctionAt(std::size_t offset) const
{
    auto after = std::upper_bound(functions.begin(), functions.end(), offset,
                                  [](std::size_t at, const Function &function) { return at < function.range.start.offset; });
    std::uint32_t index = after == functions.begin() ? 0 : std::uint32_t(after - functions.begin() - 1);
    while (index != 0 && index != kNone &&
           !(functions[index].range.start.offset <= offset && offset < functions[index].range.end))
        index = functions[index].parent;
    return index == kNone ? 0 : index;
}

std::uint32_t Model::DefinitionOf(std::uint32_t index) const
{
    if (index >= calls.size() || calls[index].callee.empty())
        return kNone;
    const Call &call = calls[index];
    auto first = std::lower_bound(functionsByName.begin(), functionsByName.end(), call.callee,
                                  [this](std::uint32_t function, std::string_view name) { return functions[function].name < name; });
    std::uint32_t found = kNone;
    for (auto it = first; it != functionsByName.end() && functions[*it].name == call.callee; ++it) {
        const Function &function = functions[*it];
        if (call.plainName) {
            // The same variable: a local of the name in scope at the call, or the global.
            const NameUse &base = uses[call.baseUse];
            if (function.symbol != base.symbol || function.symbolGlobal != base.global)
                continue;
        }
        if (found != kNone && function.range.start.offset > call.open.offset)
            break;
        found = *it;
    }
    return found;
}

std::vector<std::uint32_t> Model::NamedFunctions() const
{
    std::vector<std::uint32_t> named;
    for (std::uint32_t i = 0; i < functions.size(); ++i)
        if (functions[i].kind != FunctionKind::Main && functions[i].kind != FunctionKind::Anonymous)
            named.push_back(i);
    return named;
}

} // namespace luamodel
