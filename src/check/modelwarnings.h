// The warnings read off the script model: Lua's usual mistakes (undefined globals and library
// fields, unused and shadowed locals, values overwritten before use, unreachable code,
// unbalanced assignments, empty blocks) and calls of the script's own functions with the wrong
// number of arguments. The numbers are those of warningcodes.h.
#pragma once

#include "app/scribacobarray.h"
#include "model/scriptmodel.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct ModelWarning {
    std::size_t start = 0;
    std::size_t end = 0;
    int code = 0;
    std::string message;
    std::string_view name; // the variable or field it is about, for ignore patterns; may be empty
};

// The globals defined outside the script: Lua's own, Tarn's functions and what the
// configuration declares.
class KnownGlobals {
public:
    // luaNames: whether Lua's standard globals count (a configuration may say "none").
    // The table must outlive the object and stay unchanged while it is used.
    KnownGlobals(const FunctionTable &tarn, bool luaNames);
    void Add(std::string_view name) { m_extra.emplace(name); }
    bool IsDefined(std::string_view name) const;
    bool IsTarnFunction(std::string_view name) const { return m_tarn.count(name) != 0; }
    // Whether the name starts like Tarn's functions of one module ("tg_"): an undefined one is
    // most likely a misspelt Tarn function.
    bool HasTarnPrefix(std::string_view name) const;
    bool LuaNames() const { return m_luaNames; }
    // Every known name, for "did you mean".
    template <typename Visit>
    void ForEach(Visit visit) const;

private:
    const FunctionTable &m_table;
    std::unordered_set<std::string_view> m_tarn;
    std::unordered_set<std::string_view> m_prefixes;
    std::unordered_set<std::string> m_extra;
    bool m_luaNames = true;
    std::vector<std::string_view> m_lua;
};

struct ModelWarningOptions {
    // A global set anywhere in the script is defined for the whole script, as Tarn scripts
    // define their functions and settings; false warns of every global the script sets.
    bool allowDefined = true;
    // The model stopped at a syntax error: warnings that depend on what follows are left out.
    bool partial = false;
    std::size_t maxLineLength = 0; // 0: no limit
};

std::vector<ModelWarning> ModelWarnings(std::string_view text, const luamodel::Model &model,
                                        const KnownGlobals &known, const ModelWarningOptions &options);

// The parts, each appending its warnings in no particular order.
void GlobalWarnings(const luamodel::Model &model, const KnownGlobals &known, const ModelWarningOptions &options,
                    std::vector<ModelWarning> &out);
void LocalWarnings(const luamodel::Model &model, std::vector<ModelWarning> &out);
void StatementWarnings(std::string_view text, const luamodel::Model &model, const ModelWarningOptions &options,
                       std::vector<ModelWarning> &out);
void OwnCallWarnings(const luamodel::Model &model, std::vector<ModelWarning> &out);

template <typename Visit>
void KnownGlobals::ForEach(Visit visit) const
{
    for (std::string_view name : m_tarn)
        visit(name);
    for (const std::string &name : m_extra)
        visit(std::string_view(name));
    for (std::string_view name : m_lua)
        visit(name);
}
