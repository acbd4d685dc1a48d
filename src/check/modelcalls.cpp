#include "modelcalls.h"

using namespace luamodel;

CallScan CallsOfModel(std::string_view text, const Model &model)
{
    CallScan scan;
    scan.calls.reserve(model.calls.size());
    for (const Call &call : model.calls) {
        if (!call.plainName || call.baseUse == kNone)
            continue;
        ScannedCall scanned;
        scanned.nameStart = call.calleeRange.start.offset;
        scanned.nameEnd = call.calleeRange.end;
        scanned.arguments = int(call.argumentCount);
        scanned.closed = call.closed;
        scanned.moreMayFollow = call.moreMayFollow;
        scanned.local = !model.uses[call.baseUse].global;
        scan.calls.push_back(scanned);
    }
    for (std::uint32_t i = 1; i < model.functions.size(); ++i) {
        const Function &function = model.functions[i];
        if (function.name.empty())
            continue;
        DefinedFunction defined;
        defined.name = text.substr(function.nameRange.start.offset, function.nameRange.end - function.nameRange.start.offset);
        defined.nameStart = function.nameRange.start.offset;
        defined.nameEnd = function.nameRange.end;
        defined.start = function.range.start.offset;
        defined.end = function.range.end;
        defined.depth = int(function.namedDepth);
        defined.isLocal = function.kind == FunctionKind::Local;
        scan.definitions.push_back(defined);
        if (function.kind == FunctionKind::Local || function.kind == FunctionKind::Global)
            scan.definedNames.push_back(defined.name);
    }
    return scan;
}
