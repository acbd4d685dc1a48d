// The calls of plain names in Lua text and the functions it defines by name: a view of the
// script's model (model/scriptmodel.h), kept in the shape the Tarn call check, the outline and
// the language server read.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// A call written `name(...)`, `name "text"` or `name {...}`, the name not after "." or ":".
struct ScannedCall {
    std::size_t nameStart = 0;
    std::size_t nameEnd = 0;
    // Arguments at the top level of the call: commas outside nested brackets, strings,
    // comments and function bodies, plus one; 0 for an empty list, and for a list that never
    // closes.
    int arguments = 0;
    bool closed = false;
    // The last argument is a call or "...", which may stand for any number of values.
    bool moreMayFollow = false;
    // A local variable, parameter or loop variable of this name is in scope, so the call is
    // not to a global function.
    bool local = false;
};

// A function the script defines by name: `function a.b:c(`, `local function f(`, `f = function(`,
// `local f = function(` or `a.b = function(`. Anonymous functions, table fields written inside
// `{ }` and assignments to several names are not listed.
struct DefinedFunction {
    std::string_view name; // as written: "f", "a.b:c", "M.new"
    std::size_t nameStart = 0;
    std::size_t nameEnd = 0;
    // The `function` keyword, or `local` before it, or the assigned name for `x = function`.
    std::size_t start = 0;
    std::size_t end = 0; // just after the closing `end`; the text's size when unclosed
    int depth = 0;       // how many of the listed definitions enclose it
    bool isLocal = false;
};

struct CallScan {
    std::vector<ScannedCall> calls;
    // Every named definition, in text order, for outlines and symbol lists.
    std::vector<DefinedFunction> definitions;
    // Functions the script defines itself: `function name(`, `local function name(` and
    // `name = function(`. Views into the scanned text.
    std::vector<std::string_view> definedNames;
};

namespace luamodel {
class Model;
}

// Builds the text's model and reads the calls and definitions from it; a first line starting
// with "#" is skipped as Lua skips it.
CallScan ScanCalls(std::string_view text);
// The same from a model already built of text.
CallScan ScanCalls(const luamodel::Model &model, std::string_view text);
