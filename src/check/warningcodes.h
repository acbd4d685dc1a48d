// The kinds of warning the check gives, each with a number. Lua's usual mistakes carry the
// numbers luacheck gives them, so a script's `-- luacheck:` comments and `.luacheckrc` mean the
// same here; Tarn's own warnings are numbered from 701, where luacheck has none:
//   701  a Tarn function called with too few or too many arguments
//   702  a function of the script called with too few or too many arguments
//   703  a string literal a Tarn parameter does not take
//   704  a literal of the wrong type for a Tarn parameter
//   705  a deprecated Tarn function
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace WarningCode {
constexpr int kSyntaxError = 11;
constexpr int kSetGlobal = 111;
constexpr int kMutateGlobal = 112;
constexpr int kReadGlobal = 113;
constexpr int kUndefinedField = 143;
constexpr int kUnusedLocal = 211;
constexpr int kUnusedArgument = 212;
constexpr int kUnusedLoopVariable = 213;
constexpr int kNeverRead = 231;
constexpr int kOverwritten = 311;
constexpr int kRedefined = 411;
constexpr int kShadowsLocal = 421;
constexpr int kShadowsUpvalue = 431;
constexpr int kUnreachable = 511;
constexpr int kMoreValues = 531; // values beyond the names are dropped
constexpr int kMoreNames = 532;  // names beyond the values are set to nil
constexpr int kEmptyDo = 541;
constexpr int kEmptyIf = 542;
constexpr int kLineTooLong = 631;
constexpr int kTarnArgumentCount = 701;
constexpr int kOwnArgumentCount = 702;
constexpr int kFixedString = 703;
constexpr int kLiteralType = 704;
constexpr int kDeprecated = 705;
} // namespace WarningCode

struct WarningClass {
    int code = 0;
    std::string_view title; // for the preferences page
    bool onByDefault = true;
};

// Every kind of warning, by code.
std::span<const WarningClass> WarningClasses();
const WarningClass *FindWarningClass(int code);
// "W113", or "E011" for the syntax error; "" for 0.
std::string CodeText(int code, bool error = false);
// The code of "W113", "113" or "w113"; 0 when the text is none.
int CodeFromText(std::string_view text);
// Warnings about something that does nothing (the editor greys it out), and about something
// that should no longer be used.
bool IsUnusedCode(int code);
bool IsDeprecatedCode(int code);
