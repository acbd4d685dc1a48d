// What Tarn's reference adds to the script check: calls of deprecated functions, string
// literals passed where a parameter takes a fixed set of strings but not that one, and
// literals of a type the parameter does not take.
#pragma once

#include "app/scribacobarray.h"
#include "check/callscanner.h"
#include "check/tarncallchecker.h"

#include <string_view>
#include <vector>

class TarnReference;

// The warnings for the calls of one scan of text, in text order; no more than limit. Calls of
// functions the script defines itself, or of a local of the same name, are passed over.
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
// The type of an argument written as one literal: "string", "number", "boolean" or "nil"; ""
// for anything else.
std::string_view LiteralType(std::string_view argument);
// Whether a parameter of the annotated type ("number", "integer|string", "string[]"...)
// may take a literal of type literal; true whenever the type names something this cannot judge.
bool TypeTakesLiteral(std::string_view type, bool optional, std::string_view literal);
std::vector<CallArgument> ReadCallArguments(std::string_view text, std::size_t nameEnd);
