#include "warningcodes.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

namespace W = WarningCode;

// A Tarn script is usually one flat file of steps, where a callback's unused parameters (Tarn
// passes every callback the same ones) and loop counters kept for readability are habits, not
// mistakes: those two classes start switched off.
constexpr std::array kClasses{
    WarningClass{W::kSetGlobal, "Setting an undefined global variable"},
    WarningClass{W::kMutateGlobal, "Changing a field of an undefined global variable"},
    WarningClass{W::kReadGlobal, "Reading an undefined global variable"},
    WarningClass{W::kUndefinedField, "Reading an undefined field of a Lua library table"},
    WarningClass{W::kUnusedLocal, "Unused local variable"},
    WarningClass{W::kUnusedArgument, "Unused function argument", false},
    WarningClass{W::kUnusedLoopVariable, "Unused loop variable", false},
    WarningClass{W::kNeverRead, "Local variable set but never read"},
    WarningClass{W::kOverwritten, "Value assigned and overwritten before use"},
    WarningClass{W::kRedefined, "Local variable defined again in the same scope"},
    WarningClass{W::kShadowsLocal, "Local variable hiding another local"},
    WarningClass{W::kShadowsUpvalue, "Local variable hiding an upvalue"},
    WarningClass{W::kUnreachable, "Unreachable code"},
    WarningClass{W::kMoreValues, "More values than names in an assignment"},
    WarningClass{W::kMoreNames, "More names than values in an assignment"},
    WarningClass{W::kEmptyDo, "Empty do ... end block"},
    WarningClass{W::kEmptyIf, "Empty if branch"},
    WarningClass{W::kLineTooLong, "Line longer than the configured maximum"},
    WarningClass{W::kTarnArgumentCount, "Wrong number of arguments to a Tarn function"},
    WarningClass{W::kOwnArgumentCount, "Wrong number of arguments to a function of the script"},
    WarningClass{W::kFixedString, "A string a Tarn parameter does not take"},
    WarningClass{W::kLiteralType, "A value of the wrong type for a Tarn parameter"},
    WarningClass{W::kDeprecated, "A deprecated Tarn function"},
};

} // namespace

std::span<const WarningClass> WarningClasses() { return kClasses; }

const WarningClass *FindWarningClass(int code)
{
    const auto found = std::find_if(kClasses.begin(), kClasses.end(), [code](const WarningClass &c) { return c.code == code; });
    return found == kClasses.end() ? nullptr : &*found;
}

std::string CodeText(int code, bool error)
{
    if (code <= 0)
        return std::string();
    std::string digits = std::to_string(code);
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    return (error ? "E" : "W") + digits;
}

int CodeFromText(std::string_view text)
{
    if (!text.empty() && (text.front() == 'W' || text.front() == 'w' || text.front() == 'E' || text.front() == 'e'))
        text.remove_prefix(1);
    int code = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), code);
    return failure == std::errc() && end == text.data() + text.size() && !text.empty() ? code : 0;
}

bool IsUnusedCode(int code) { return (code >= 211 && code <= 213) || code == 231 || code == 511; }

bool IsDeprecatedCode(int code) { return code == WarningCode::kDeprecated; }
