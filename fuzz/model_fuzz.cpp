// Any bytes read as a Lua script: building its model must end, in linear time and bounded
// depth, with every position inside the text, the lists in the order they promise, and every
// query answering inside them.
#include "model/scriptmodel.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace luamodel;

namespace {

void Require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "script model: %s\n", what);
        std::abort();
    }
}

void CheckLists(const Model &model, std::size_t size)
{
    std::size_t previous = 0;
    for (const NameUse &use : model.uses) {
        Require(use.range.start.offset >= previous && use.range.end <= size, "uses out of order or outside");
        Require(use.global ? use.symbol < model.globals.size() : use.symbol < model.declarations.size(),
                "use of no symbol");
        Require(use.scope < model.scopes.size() && use.function < model.functions.size(), "use in no scope");
        previous = use.range.start.offset;
    }
    Require(model.symbolUses.size() == model.uses.size(), "uses lost in grouping");
    for (const Declaration &declaration : model.declarations)
        Require(declaration.useCount >= 1 && model.uses[model.symbolUses[declaration.firstUse]].declaration,
                "declaration without its own use");
    previous = 0;
    for (const Scope &scope : model.scopes) {
        Require(scope.start >= previous && scope.start <= scope.end && scope.end <= size, "scope out of order");
        previous = scope.start;
    }
    previous = 0;
    for (const Function &function : model.functions) {
        Require(function.range.start.offset >= previous && function.range.end <= size, "function out of order");
        Require(function.range.start.offset <= function.range.end, "function ends before it starts");
        previous = function.range.start.offset;
    }
    previous = 0;
    for (const Call &call : model.calls) {
        Require(call.open.offset >= previous && call.close <= size, "call out of order or outside");
        Require(call.firstArgument + call.argumentCount <= model.arguments.size(), "arguments outside");
        Require(call.firstComma + call.commaCount <= model.commas.size(), "commas outside");
        previous = call.open.offset;
    }
    for (const FieldUse &field : model.fields)
        Require(field.range.end <= size && (field.baseUse == kNone || field.baseUse < model.uses.size()),
                "field outside");
}

void CheckQueries(const Model &model, std::size_t size)
{
    // A handful of places spread over the text: every query stays flat in the text's size.
    for (std::size_t step = 0; step <= 8; ++step) {
        const std::size_t offset = size * step / 8;
        Require(model.ScopeAt(offset) < model.scopes.size(), "no scope at a place");
        Require(model.FunctionAt(offset) < model.functions.size(), "no function at a place");
        for (const std::uint32_t declaration : model.VisibleAt(offset))
            Require(declaration < model.declarations.size(), "visible declaration outside");
        const CallAt call = model.CallAround(offset);
        Require(call.call == kNone || call.call < model.calls.size(), "call outside");
        const std::uint32_t use = model.UseAt(offset);
        if (use != kNone) {
            const SymbolRef symbol = model.SymbolOf(use);
            Require(model.Occurrences(symbol).size() >= 1, "a symbol without occurrences");
            const std::uint32_t declaration = model.DeclarationUse(symbol);
            Require(declaration == kNone || declaration < model.uses.size(), "declaration outside");
            model.FieldsOf(symbol);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const Model model = BuildModel(text);
    CheckLists(model, size);
    CheckQueries(model, size);
    return 0;
}
