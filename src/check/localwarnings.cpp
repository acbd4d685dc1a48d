// The script's own variables: locals, arguments and loop variables nobody reads, values
// overwritten before anything reads them, and locals that hide others of the same name.
#include "check/modelwarnings.h"

#include "check/warningcodes.h"

using namespace luamodel;

namespace {

// A name starting with `_` says "not used" on purpose; `_` alone is a placeholder that may be
// set, reset and hidden at will.
bool MarkedUnused(std::string_view name) { return !name.empty() && name.front() == '_'; }
bool Placeholder(std::string_view name) { return name == "_"; }

std::string Quoted(std::string_view name) { return std::string(name); }

class LocalChecker {
public:
    LocalChecker(const Model &model, std::vector<ModelWarning> &out) : m_model(model), m_out(out) {}

    void Run()
    {
        for (std::uint32_t index = 0; index < m_model.declarations.size(); ++index) {
            const Declaration &declaration = m_model.declarations[index];
            CheckUse(index, declaration);
            CheckShadowing(declaration);
        }
    }

private:
    struct Counts {
        std::uint32_t reads = 0;
        std::uint32_t writes = 0; // after the declaration
    };

    const NameUse &UseOf(const Declaration &declaration, std::uint32_t i) const
    {
        return m_model.uses[m_model.symbolUses[declaration.firstUse + i]];
    }

    Counts CountUses(std::uint32_t index, const Declaration &declaration) const
    {
        // A local function calling itself is not a use: only a call from outside its body is.
        std::size_t ownStart = 0, ownEnd = 0;
        if (declaration.kind == DeclarationKind::LocalFunction)
            for (const Function &function : m_model.functions)
                if (function.symbol == index && !function.symbolGlobal) {
                    ownStart = function.range.start.offset;
                    ownEnd = function.range.end;
                    break;
                }
        Counts counts;
        for (std::uint32_t i = 0; i < declaration.useCount; ++i) {
            const NameUse &use = UseOf(declaration, i);
            if (use.declaration)
                continue;
            if (use.write)
                ++counts.writes;
            else if (use.range.start.offset < ownStart || use.range.start.offset >= ownEnd)
                ++counts.reads;
        }
        return counts;
    }

    void CheckUse(std::uint32_t index, const Declaration &declaration)
    {
        if (Placeholder(declaration.name))
            return;
        const Counts counts = CountUses(index, declaration);
        switch (declaration.kind) {
        case DeclarationKind::Vararg:
            if (counts.reads == 0)
                Warn(declaration.range, WarningCode::kUnusedArgument, "unused variable length argument", {});
            return;
        case DeclarationKind::Parameter:
        case DeclarationKind::Self:
            if (counts.reads == 0 && counts.writes == 0 && !MarkedUnused(declaration.name))
                Warn(declaration.range, WarningCode::kUnusedArgument, "unused argument " + Quoted(declaration.name),
                     declaration.name);
            return;
        case DeclarationKind::NumericFor:
        case DeclarationKind::GenericFor:
            if (counts.reads == 0 && counts.writes == 0 && !MarkedUnused(declaration.name))
                Warn(declaration.range, WarningCode::kUnusedLoopVariable,
                     "unused loop variable " + Quoted(declaration.name), declaration.name);
            return;
        case DeclarationKind::Local:
        case DeclarationKind::LocalFunction:
            CheckLocal(index, declaration, counts);
            return;
        }
    }

    bool IsFunctionValue(const Declaration &declaration) const
    {
        return declaration.kind == DeclarationKind::LocalFunction;
    }

    // `local f` followed by one `f = function`: the function is what goes unused, and the
    // warning stands where it is written.
    const NameUse *LaterFunction(std::uint32_t index, const Declaration &declaration, const Counts &counts) const
    {
        if (counts.writes != 1 || UseOf(declaration, 0).hasValue)
            return nullptr;
        for (std::uint32_t i = 1; i < declaration.useCount; ++i) {
            const NameUse &use = UseOf(declaration, i);
            if (!use.write)
                continue;
            for (const Function &function : m_model.functions)
                if (function.symbol == index && !function.symbolGlobal && function.nameRange.start.offset == use.range.start.offset)
                    return &use;
        }
        return nullptr;
    }

    void CheckLocal(std::uint32_t index, const Declaration &declaration, const Counts &counts)
    {
        if (counts.reads == 0) {
            if (const NameUse *function = LaterFunction(index, declaration, counts)) {
                if (!MarkedUnused(declaration.name))
                    Warn(function->range, WarningCode::kUnusedLocal, "unused function " + Quoted(declaration.name),
                         declaration.name);
                return;
            }
        }
        if (counts.reads == 0 && counts.writes == 0) {
            if (!MarkedUnused(declaration.name))
                Warn(declaration.range, WarningCode::kUnusedLocal,
                 std::string(IsFunctionValue(declaration) ? "unused function " : "unused variable ") +
                     Quoted(declaration.name),
                 declaration.name);
        } else if (counts.reads == 0) {
            Warn(declaration.range, WarningCode::kNeverRead,
                 "variable " + Quoted(declaration.name) + " is set but never read", declaration.name);
        } else if (declaration.kind == DeclarationKind::Local && counts.writes > 0 && !declaration.usedAsUpvalue) {
            CheckOverwrites(declaration);
        }
    }

    bool Encloses(std::uint32_t outer, std::uint32_t inner) const
    {
        for (std::uint32_t scope = inner; scope != kNone; scope = m_model.scopes[scope].parent)
            if (scope == outer)
                return true;
        return false;
    }

    // Whether any read of the declaration lies in the statement that makes write (`x = x + 1`
    // reads before it writes).
    bool ReadInOwnStatement(const Declaration &declaration, const NameUse &write) const
    {
        if (write.assignment == kNone)
            return false;
        const Assignment &statement = m_model.assignments[write.assignment];
        for (std::uint32_t i = 0; i < declaration.useCount; ++i) {
            const NameUse &use = UseOf(declaration, i);
            if (!use.write && use.range.start.offset >= statement.range.start.offset &&
                use.range.start.offset < statement.range.end)
                return true;
        }
        return false;
    }

    // Values given to a local that no read can see: overwritten in the same or an enclosing
    // block before any read, or never read after. Only straight code is judged: a value given
    // inside a loop may be read on the loop's next round, so those are left alone.
    void CheckOverwrites(const Declaration &declaration)
    {
        const NameUse &declared = UseOf(declaration, 0);
        for (std::uint32_t i = 0; i < declaration.useCount; ++i) {
            const NameUse &value = UseOf(declaration, i);
            if (!value.write || !value.hasValue || value.function != declared.function)
                continue;
            // In a loop the value may be read on the next round by a read written before it.
            if (value.inLoop && !(declared.inLoop && value.scope == declared.scope))
                continue;
            std::uint32_t next = i + 1;
            while (next < declaration.useCount && UseOf(declaration, next).write &&
                   UseOf(declaration, next).assignment == value.assignment && value.assignment != kNone)
                ++next; // `x, x = 1, 2`: the same statement
            if (ReadLater(declaration, next))
                continue;
            const NameUse *following = next < declaration.useCount ? &UseOf(declaration, next) : nullptr;
            if (following && following->function == value.function && Encloses(following->scope, value.scope))
                Warn(value.range, WarningCode::kOverwritten,
                     "value assigned to " + Quoted(declaration.name) + " is overwritten on line " +
                         std::to_string(following->range.start.line) + " before use",
                     declaration.name);
            else
                Warn(value.range, WarningCode::kOverwritten,
                     "value assigned to " + Quoted(declaration.name) + " is never used", declaration.name);
        }
    }

    // Whether any use from the next-th on reads the variable before a write that surely
    // replaces the value: one in the same or an enclosing block of the same function.
    bool ReadLater(const Declaration &declaration, std::uint32_t next) const
    {
        const NameUse &value = UseOf(declaration, next - 1);
        for (std::uint32_t i = next; i < declaration.useCount; ++i) {
            const NameUse &use = UseOf(declaration, i);
            if (!use.write || ReadInOwnStatement(declaration, use))
                return true;
            // A write that always runs before anything after it: the value cannot reach later reads.
            if (use.function == value.function && Encloses(use.scope, value.scope) && !use.inLoop)
                return false;
        }
        return false;
    }

    // Any new name hiding a local variable or function in scope: a local, an argument, a loop
    // variable. (Hiding an argument or a loop variable is numbered apart and not reported.)
    void CheckShadowing(const Declaration &declaration)
    {
        if (declaration.shadows == kNone || Placeholder(declaration.name) || declaration.kind == DeclarationKind::Vararg)
            return;
        const Declaration &hidden = m_model.declarations[declaration.shadows];
        if (hidden.kind != DeclarationKind::Local && hidden.kind != DeclarationKind::LocalFunction)
            return;
        const std::string line = std::to_string(hidden.range.start.line);
        if (hidden.scope == declaration.scope)
            Warn(declaration.range, WarningCode::kRedefined,
                 "variable " + Quoted(declaration.name) + " was already defined on line " + line, declaration.name);
        else if (hidden.function == declaration.function)
            Warn(declaration.range, WarningCode::kShadowsLocal,
                 "variable " + Quoted(declaration.name) + " hides the one defined on line " + line, declaration.name);
        else
            Warn(declaration.range, WarningCode::kShadowsUpvalue,
                 "variable " + Quoted(declaration.name) + " hides the upvalue defined on line " + line, declaration.name);
    }

    void Warn(const TextRange &range, int code, std::string message, std::string_view name)
    {
        m_out.push_back({range.start.offset, range.end, code, std::move(message), name});
    }

    const Model &m_model;
    std::vector<ModelWarning> &m_out;
};

} // namespace

void LocalWarnings(const Model &model, std::vector<ModelWarning> &out) { LocalChecker(model, out).Run(); }
