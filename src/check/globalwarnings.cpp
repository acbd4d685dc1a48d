// Globals nobody defines, and fields Lua's library tables do not have.
#include "check/modelwarnings.h"

#include "check/similarnames.h"
#include "check/warningcodes.h"
#include "editor/luascanner.h"
#include "model/lualibrary.h"

#include <unordered_map>

using namespace luamodel;

namespace {

// Looking for a near name is the costly part of a warning; a script with thousands of
// undefined names gets suggestions for the first ones.
constexpr std::size_t kMostSuggestions = 500;

class GlobalChecker {
public:
    GlobalChecker(const Model &model, const KnownGlobals &known, const ModelWarningOptions &options,
                  std::vector<ModelWarning> &out)
        : m_model(model), m_known(known), m_options(options), m_out(out)
    {}

    void Run()
    {
        for (const Global &global : m_model.globals)
            if (!m_known.IsDefined(global.name))
                CheckUses(global);
        CheckLibraryFields();
    }

private:
    void CheckUses(const Global &global)
    {
        const bool defined = m_options.allowDefined && global.set;
        for (std::uint32_t i = 0; i < global.useCount; ++i) {
            const NameUse &use = m_model.uses[m_model.symbolUses[global.firstUse + i]];
            const std::string name(global.name);
            if (use.write) {
                if (!m_options.allowDefined)
                    Warn(use, WarningCode::kSetGlobal, "setting undefined global variable " + name, global.name);
            } else if (defined) {
                continue;
            } else if (use.mutation) {
                Warn(use, WarningCode::kMutateGlobal, "changing a field of undefined global variable " + name, global.name);
            } else {
                const std::string what = m_known.HasTarnPrefix(global.name) ? "unknown Tarn function " + name
                                                                             : name + " is not defined";
                Warn(use, WarningCode::kReadGlobal, what + Suggestion(global.name, use.range.start.offset), global.name);
            }
        }
    }

    // Reads of fields that `math`, `string` and the other library tables do not have, when the
    // script has not put a table of its own under that name.
    void CheckLibraryFields()
    {
        if (!m_known.LuaNames())
            return;
        for (const FieldUse &field : m_model.fields) {
            if (field.write || field.parent != kNone || field.baseUse == kNone || field.inConstructor)
                continue;
            const NameUse &base = m_model.uses[field.baseUse];
            if (!base.global)
                continue;
            const Global &global = m_model.globals[base.symbol];
            if (global.set || !LuaLibrary::IsLibraryTable(global.name) || LuaLibrary::Field(global.name, field.name))
                continue;
            NearestName nearest(field.name);
            for (const LuaLibraryEntry &entry : LuaLibrary::Fields(global.name))
                nearest.Offer(entry.name);
            std::string message = std::string(global.name) + '.' + std::string(field.name) +
                                  " is not a field of Lua's " + std::string(global.name) + " library";
            if (!nearest.Best().empty())
                message += " (did you mean " + nearest.Best() + "?)";
            m_out.push_back({field.range.start.offset, field.range.end, WarningCode::kUndefinedField, std::move(message),
                             field.name});
        }
    }

    // " (did you mean x?)" from the known names, the globals the script sets and the locals
    // in scope at offset; "" when none is near.
    std::string Suggestion(std::string_view name, std::size_t offset)
    {
        if (m_suggested >= kMostSuggestions)
            return {};
        ++m_suggested;
        NearestName nearest(name);
        OfferGlobals(nearest, name);
        for (std::uint32_t declaration : m_model.VisibleAt(offset))
            nearest.Offer(m_model.declarations[declaration].name);
        return nearest.Best().empty() ? std::string() : " (did you mean " + nearest.Best() + "?)";
    }

    void OfferGlobals(NearestName &nearest, std::string_view name)
    {
        auto found = m_globalNearest.find(name);
        if (found == m_globalNearest.end()) {
            NearestName own(name);
            m_known.ForEach([&own](std::string_view known) { own.Offer(known); });
            for (const Global &global : m_model.globals)
                if (global.set && m_options.allowDefined)
                    own.Offer(global.name);
            found = m_globalNearest.emplace(name, own.Best()).first;
        }
        nearest.Offer(found->second);
    }

    void Warn(const NameUse &use, int code, std::string message, std::string_view name)
    {
        m_out.push_back({use.range.start.offset, use.range.end, code, std::move(message), name});
    }

    const Model &m_model;
    const KnownGlobals &m_known;
    const ModelWarningOptions &m_options;
    std::vector<ModelWarning> &m_out;
    std::unordered_map<std::string_view, std::string> m_globalNearest;
    std::size_t m_suggested = 0;
};

} // namespace

KnownGlobals::KnownGlobals(const FunctionTable &tarn, bool luaNames) : m_table(tarn), m_luaNames(luaNames)
{
    for (const TableRow &row : tarn.Rows()) {
        if (row.empty())
            continue;
        m_tarn.emplace(row[0]);
        if (const std::size_t underscore = row[0].find('_'); underscore != std::string::npos && underscore > 0)
            m_prefixes.emplace(std::string_view(row[0]).substr(0, underscore + 1));
    }
    if (luaNames)
        for (const LuaLibraryEntry &entry : LuaLibrary::Globals())
            m_lua.push_back(entry.name);
}

bool KnownGlobals::HasTarnPrefix(std::string_view name) const
{
    const std::size_t underscore = name.find('_');
    return underscore != std::string_view::npos && underscore > 0 && m_prefixes.count(name.substr(0, underscore + 1));
}

bool KnownGlobals::IsDefined(std::string_view name) const
{
    // The colouring's lookup of Tarn's names is the table's word: what it colours as Tarn's is.
    int row = -1;
    return (m_luaNames && LuaLibrary::Global(name)) || m_tarn.count(name) || m_extra.count(std::string(name)) ||
           FindFunction(m_table, name, row);
}

void GlobalWarnings(const Model &model, const KnownGlobals &known, const ModelWarningOptions &options,
                    std::vector<ModelWarning> &out)
{
    GlobalChecker(model, known, options, out).Run();
}
