// What Tarn's reference adds to the script check: calls of deprecated functions, and string
// literals passed where a parameter takes a fixed set of strings but not that one.
#pragma once

#include "app/scribacobarray.h"
#include "check/callscanner.h"
#include "check/tarncallchecker.h"

#include <string_view>
#include <vector>

class TarnReference;

// The warnings for the calls of one scan of text, in text order; no more than limit. Calls of
// functions the script defines itself are the script's own and are passed over.
std::vector<CallWarning> CheckReferenceCalls(std::string_view text, const CallScan &scan,
                                             const FunctionTable &functions, const TarnReference &reference,
                                             std::size_t limit = TarnCallChecker::kNoLimit);

// Where the arguments of the call whose name ends at nameEnd lie: for each top-level argument
// its trimmed range and, when it is one plain string literal, its text. Stops at the first
// "function" at the top level, whose body's commas are not the call's.
struct CallArgument {
    std::size_t start = 0;
    std::size_t end = 0;
    bool isString = false;  // one short string literal without escapes
    std::string_view value; // its text between the quotes
};
std::vector<CallArgument> ReadCallArguments(std::string_view text, std::size_t nameEnd);
