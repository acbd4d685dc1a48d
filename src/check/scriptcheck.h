// The whole check of one script: Lua's syntax, then the Tarn calls. Plain data in and out, so
// the editor can run it on a worker thread over a copy of the text.
#pragma once

#include "app/scribacobarray.h"

#include <string>
#include <string_view>
#include <vector>

class TarnReference;
struct LuacheckConfig;

enum class ProblemSeverity { Error, Warning };

struct ScriptProblem {
    ProblemSeverity severity = ProblemSeverity::Warning;
    std::size_t start = 0; // the bytes to mark
    std::size_t end = 0;
    int line = 0;   // from 1; 0 for an error Lua gives no line
    int column = 0; // from 1, in characters; 0 for a syntax error, which Lua gives a line only
    std::string message;
    int code = 0; // what kind of problem, as warningcodes.h numbers them; 0 for none

    bool operator==(const ScriptProblem &) const = default;
};

// What a check takes besides the script and Tarn's table. Everything may be left out.
struct CheckOptions {
    const TarnReference *reference = nullptr; // deprecated functions, fixed strings, parameter types
    // What a `.luacheckrc` beside the script says; it overrides the switches below.
    const LuacheckConfig *config = nullptr;
    // The kinds of warning switched off in the preferences (warningcodes.h).
    std::vector<int> disabledCodes = DefaultDisabledCodes();
    std::size_t warningLimit = std::size_t(-1);

    static std::vector<int> DefaultDisabledCodes();
};

std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions,
                                       const CheckOptions &options);

// Every problem of the script, by line and column: the syntax error, if any, and the first
// warningLimit warnings.
std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions,
                                       std::size_t warningLimit = std::size_t(-1));
// The same, with the reference's warnings too: deprecated functions and strings a parameter
// does not take.
std::vector<ScriptProblem> CheckScript(std::string_view text, const FunctionTable &functions,
                                       const TarnReference &reference, std::size_t warningLimit = std::size_t(-1));

// "FILE:LINE: error: MESSAGE" or "FILE:LINE:COLUMN: warning: MESSAGE [W113]", as compilers
// write them; "FILE: error: MESSAGE" for an error without a line.
std::string ProblemLine(std::string_view file, const ScriptProblem &problem);
