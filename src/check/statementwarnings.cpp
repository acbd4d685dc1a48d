// Statements that do nothing or cannot run, assignments whose sides do not match, long lines,
// and calls of the script's own functions with more or fewer arguments than they take.
#include "check/modelwarnings.h"

#include "check/warningcodes.h"

#include <algorithm>
#include <unordered_map>

using namespace luamodel;

namespace {

std::string Arguments(int count)
{
    return count == 1 ? std::string("1 argument") : std::to_string(count) + " arguments";
}

std::string Expectation(int least, int most)
{
    if (most < 0)
        return "at least " + Arguments(least);
    if (least == most)
        return least == 0 ? std::string("no arguments") : Arguments(least);
    if (least == 0)
        return "at most " + Arguments(most);
    return std::to_string(least) + (most == least + 1 ? " or " : " to ") + Arguments(most);
}

void LongLines(std::string_view text, std::size_t limit, std::vector<ModelWarning> &out)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        // Characters, not bytes: UTF-8 continuation bytes do not count.
        const auto length = std::size_t(std::count_if(text.begin() + std::ptrdiff_t(start), text.begin() + std::ptrdiff_t(end),
                                                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
        if (length > limit)
            out.push_back({start, end, WarningCode::kLineTooLong,
                           "line is " + std::to_string(length) + " characters long, more than " + std::to_string(limit), {}});
        start = end + 1;
    }
}

// The functions the script gives a name exactly once: a local function never reassigned, or a
// global set only by its definition. A name set twice may hold either, so neither is judged.
struct OwnFunction {
    std::uint32_t function = kNone;
    int least = 0;
    int most = 0; // -1: any number
};

bool SetOnce(const Model &model, std::uint32_t firstUse, std::uint32_t useCount)
{
    int writes = 0;
    for (std::uint32_t i = 0; i < useCount; ++i)
        writes += model.uses[model.symbolUses[firstUse + i]].write ? 1 : 0;
    return writes == 1;
}

// Arguments a caller must give: without `---@param` lines any may be left out, as Lua fills
// them with nil; with them, every parameter not marked `name?` is required.
OwnFunction ArityOf(const Model &model, std::uint32_t index)
{
    const Function &function = model.functions[index];
    OwnFunction own{index, 0, function.vararg ? -1 : int(function.parameterCount) - (function.method ? 1 : 0)};
    if (function.paramAnnotationCount == 0)
        return own;
    for (std::uint32_t i = 0; i < function.parameterCount; ++i) {
        const std::string_view name = model.declarations[function.firstParameter + i].name;
        const auto begin = model.paramAnnotations.begin() + function.firstParamAnnotation;
        const auto found = std::find_if(begin, begin + function.paramAnnotationCount,
                                        [name](const ParamAnnotation &a) { return a.name == name; });
        if (found != begin + function.paramAnnotationCount && !found->optional && name != "self")
            own.least = int(i + 1) - (function.method ? 1 : 0);
    }
    return own;
}

} // namespace

void StatementWarnings(std::string_view text, const Model &model, const ModelWarningOptions &options,
                       std::vector<ModelWarning> &out)
{
    for (const Unreachable &statement : model.unreachable)
        out.push_back({statement.statement.offset, statement.statement.offset, WarningCode::kUnreachable,
                       "unreachable code", {}});
    for (const Assignment &assignment : model.assignments) {
        if (assignment.values == 0)
            continue;
        if (assignment.values > assignment.names)
            out.push_back({assignment.range.start.offset, assignment.range.end, WarningCode::kMoreValues,
                           "more values than names: the last " + std::to_string(assignment.values - assignment.names) +
                               " are dropped",
                           {}});
        else if (assignment.values < assignment.names && !assignment.isLocal && !assignment.lastValueMulti)
            out.push_back({assignment.range.start.offset, assignment.range.end, WarningCode::kMoreNames,
                           "more names than values: the last " + std::to_string(assignment.names - assignment.values) +
                               " are set to nil",
                           {}});
    }
    for (const EmptyBlock &block : model.emptyBlocks)
        out.push_back({block.keyword.offset, block.end,
                       block.kind == EmptyKind::Do ? WarningCode::kEmptyDo : WarningCode::kEmptyIf,
                       block.kind == EmptyKind::Do ? "empty do ... end block" : "empty if branch", {}});
    if (options.maxLineLength > 0)
        LongLines(text, options.maxLineLength, out);
}

void OwnCallWarnings(const Model &model, std::vector<ModelWarning> &out)
{
    std::unordered_map<std::uint64_t, OwnFunction> functions; // by symbol: index, top bit for globals
    for (std::uint32_t i = 1; i < model.functions.size(); ++i) {
        const Function &function = model.functions[i];
        if (function.symbol == kNone || (function.kind != FunctionKind::Local && function.kind != FunctionKind::Global))
            continue;
        const std::uint32_t firstUse = function.symbolGlobal ? model.globals[function.symbol].firstUse
                                                             : model.declarations[function.symbol].firstUse;
        const std::uint32_t useCount = function.symbolGlobal ? model.globals[function.symbol].useCount
                                                             : model.declarations[function.symbol].useCount;
        if (SetOnce(model, firstUse, useCount))
            functions.emplace(std::uint64_t(function.symbol) | (function.symbolGlobal ? 1ull << 32 : 0), ArityOf(model, i));
    }
    if (functions.empty())
        return;
    for (const Call &call : model.calls) {
        if (!call.plainName || !call.closed || call.baseUse == kNone)
            continue;
        const SymbolRef symbol = model.SymbolOf(call.baseUse);
        const auto found = functions.find(std::uint64_t(symbol.index) | (symbol.global ? 1ull << 32 : 0));
        if (found == functions.end())
            continue;
        const OwnFunction &own = found->second;
        const int given = int(call.argumentCount) - (call.moreMayFollow ? 1 : 0);
        const bool tooFew = !call.moreMayFollow && given < own.least;
        const bool tooMany = own.most >= 0 && given > own.most;
        if (tooFew || tooMany)
            out.push_back({call.calleeRange.start.offset, call.calleeRange.end, WarningCode::kOwnArgumentCount,
                           std::string(call.callee) + " expects " + Expectation(own.least, own.most) + ", got " +
                               (call.moreMayFollow ? "at least " : "") + std::to_string(given),
                           call.callee});
    }
}

std::vector<ModelWarning> ModelWarnings(std::string_view text, const Model &model, const KnownGlobals &known,
                                        const ModelWarningOptions &options)
{
    std::vector<ModelWarning> warnings;
    GlobalWarnings(model, known, options, warnings);
    OwnCallWarnings(model, warnings);
    if (!options.partial) {
        // What follows a syntax error is unknown: uses there would make these wrong.
        LocalWarnings(model, warnings);
        StatementWarnings(text, model, options, warnings);
    }
    return warnings;
}
