// The call scan as a view of the script's model: the calls of plain names with their argument
// counts, and the named functions with their extent and nesting.
#include "callscanner.h"

#include "model/scriptmodel.h"

using namespace luamodel;

namespace {

ScannedCall ScannedOf(const Model &model, const Call &call)
{
    ScannedCall scanned;
    scanned.nameStart = call.calleeRange.start.offset;
    scanned.nameEnd = call.calleeRange.end;
    scanned.closed = call.closed;
    if (call.closed) {
        // Commas plus one, also for a list an error cut short.
        const bool any = call.argumentCount > 0 || call.commaCount > 0;
        scanned.arguments = any ? int(call.commaCount) + 1 : 0;
        scanned.moreMayFollow = call.moreMayFollow;
    }
    scanned.local = call.baseUse != kNone && !model.uses[call.baseUse].global;
    return scanned;
}

DefinedFunction DefinedOf(const Function &function, std::string_view text)
{
    DefinedFunction defined;
    defined.name = function.name;
    defined.nameStart = function.nameRange.start.offset;
    defined.nameEnd = function.nameRange.end;
    defined.start = function.range.start.offset;
    defined.end = function.range.end;
    defined.depth = int(function.namedDepth);
    defined.isLocal = text.substr(defined.start).starts_with("local");
    return defined;
}

} // namespace

CallScan ScanCalls(std::string_view text)
{
    return ScanCalls(BuildModel(text), text);
}

CallScan ScanCalls(const Model &model, std::string_view text)
{
    CallScan scan;
    for (const Call &call : model.calls)
        if (call.plainName)
            scan.calls.push_back(ScannedOf(model, call));
    for (const Function &function : model.functions) {
        if (function.kind == FunctionKind::Main || function.kind == FunctionKind::Anonymous)
            continue;
        scan.definitions.push_back(DefinedOf(function, text));
        const bool plainName = function.kind == FunctionKind::Global || function.kind == FunctionKind::Local;
        if (plainName)
            scan.definedNames.push_back(function.name);
    }
    return scan;
}
