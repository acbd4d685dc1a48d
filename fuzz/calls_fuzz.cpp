// Any bytes read as a Lua script: the call scanner and the check must end, in linear time, with
// every call inside the text, every count non-negative, and every mark inside the text.
#include "app/defaulttexts.h"
#include "check/callscanner.h"
#include "check/scriptcheck.h"
#include "check/tarncallchecker.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "call scan: %s\n", what);
        std::abort();
    }
}

bool IsName(std::string_view name)
{
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (name.empty() || !letter(name[0]))
        return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

const FunctionTable &Functions()
{
    static const FunctionTable table = [] {
        FunctionTable parsed;
        parsed.ParseText(DefaultFunctionsText());
        parsed.SortByName();
        return parsed;
    }();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const CallScan scan = ScanCalls(text);
    std::size_t previousStart = 0;
    for (const ScannedCall &call : scan.calls) {
        Require(call.nameStart < call.nameEnd && call.nameEnd <= size, "call outside the text");
        Require(call.nameStart >= previousStart, "calls out of order");
        Require(IsName(text.substr(call.nameStart, call.nameEnd - call.nameStart)), "callee is not a name");
        Require(call.arguments >= 0, "negative argument count");
        Require(call.closed || call.arguments == 0, "unclosed call with a count");
        Require(!call.moreMayFollow || call.arguments > 0, "expanding last argument of an empty list");
        previousStart = call.nameStart;
    }
    for (std::string_view name : scan.definedNames)
        Require(name.data() >= text.data() && name.data() + name.size() <= text.data() + size && IsName(name),
                "definition outside the text");
    std::size_t previousDefinition = 0;
    for (const DefinedFunction &definition : scan.definitions) {
        Require(definition.start >= previousDefinition && definition.start <= definition.nameStart &&
                    definition.nameStart < definition.nameEnd && definition.nameEnd <= definition.end &&
                    definition.end <= size,
                "definition out of order or outside the text");
        Require(definition.depth >= 0, "negative nesting");
        previousDefinition = definition.start;
    }

    for (const CallWarning &warning : TarnCallChecker(Functions()).Check(text, scan))
        Require(warning.start < warning.end && warning.end <= size && !warning.message.empty(), "bad warning");
    for (const ScriptProblem &problem : CheckScript(text, Functions())) {
        Require(problem.start <= problem.end && problem.end <= size, "mark outside the text");
        Require(problem.line >= 0 && problem.column >= 0, "negative place");
    }
    return 0;
}
