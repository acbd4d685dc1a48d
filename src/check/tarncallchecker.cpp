#include "tarncallchecker.h"

#include "check/similarnames.h"
#include "check/warningcodes.h"
#include "editor/luascanner.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

namespace {

// The module prefix of a name: up to and including its first "_"; "" when it has none.
std::string_view PrefixOf(std::string_view name)
{
    const std::size_t underscore = name.find('_');
    return underscore == std::string_view::npos ? std::string_view() : name.substr(0, underscore + 1);
}

std::string Arguments(int count)
{
    return count == 1 ? std::string("1 argument") : std::to_string(count) + " arguments";
}

std::string Expectation(const TarnCallChecker::Arity &arity)
{
    if (arity.most == TarnCallChecker::Arity::kAny)
        return "at least " + Arguments(arity.least);
    if (arity.least == arity.most)
        return arity.least == 0 ? std::string("no arguments") : Arguments(arity.least);
    const char *between = arity.most == arity.least + 1 ? " or " : " to ";
    return std::to_string(arity.least) + between + Arguments(arity.most);
}

// The global functions the script defines. Once defined, a global replaces the table's function
// for every call that runs later, which may be one written earlier in the file; a local one
// only hides the table's where it is in scope, which the scan tells per call.
std::unordered_set<std::string_view> GlobalFunctions(const CallScan &scan)
{
    std::unordered_set<std::string_view> names;
    for (const DefinedFunction &definition : scan.definitions)
        if (!definition.isLocal && definition.name.find_first_of(".:") == std::string_view::npos)
            names.insert(definition.name);
    return names;
}

} // namespace

TarnCallChecker::TarnCallChecker(const FunctionTable &functions) : m_functions(functions)
{
    for (const TableRow &row : functions.Rows()) {
        if (!row.empty())
            m_rows.emplace(row[0], int(m_arities.size())); // the first row of a name wins
        m_arities.push_back(ArityOf(row));
        const std::string_view prefix = row.empty() ? std::string_view() : PrefixOf(row[0]);
        if (prefix.empty())
            continue;
        auto known = std::find_if(m_prefixes.begin(), m_prefixes.end(),
                                  [prefix](const Prefix &each) { return each.text == prefix; });
        if (known == m_prefixes.end())
            known = m_prefixes.insert(m_prefixes.end(), Prefix{std::string(prefix), {}});
        known->rows.push_back(int(m_arities.size()) - 1);
    }
}

TarnCallChecker::Arity TarnCallChecker::ArityOf(const TableRow &row)
{
    Arity arity;
    for (std::size_t i = 1; i < row.size(); ++i) {
        const std::string &parameter = row[i];
        if (parameter == "..." || parameter == "(...)") {
            arity.most = Arity::kAny;
            break;
        }
        const bool optional = parameter.size() >= 2 && parameter.front() == '(' && parameter.back() == ')';
        arity.least += optional ? 0 : 1;
        ++arity.most;
    }
    return arity;
}

bool TarnCallChecker::FindRow(std::string_view name, int &row) const
{
    // The colouring's lookup drops underscores after the third character, so it never finds a
    // table name such as "grd_make"; the call is still the table's.
    if (FindFunction(m_functions, name, row))
        return true;
    const auto found = m_rows.find(name);
    if (found == m_rows.end())
        return false;
    row = found->second;
    return true;
}

const TarnCallChecker::Prefix *TarnCallChecker::PrefixFor(std::string_view name) const
{
    const std::string_view prefix = PrefixOf(name);
    for (const Prefix &known : m_prefixes)
        if (!prefix.empty() && known.text == prefix)
            return &known;
    return nullptr;
}

std::string TarnCallChecker::ClosestName(std::string_view name) const
{
    const Prefix *prefix = PrefixFor(name);
    if (!prefix)
        return std::string();
    const std::string_view rest = name.substr(prefix->text.size());
    // One slip in a short name, two in a longer one; more would suggest unrelated names.
    const int bound = rest.size() <= 4 ? 1 : 2;
    std::string_view closest;
    int closestDistance = bound + 1;
    for (int index : prefix->rows) {
        const TableRow &row = m_functions.GetAt(index);
        const int distance = BoundedDistance(rest, std::string_view(row[0]).substr(prefix->text.size()),
                                             std::min(bound, closestDistance - 1));
        if (distance < closestDistance) {
            closest = row[0];
            closestDistance = distance;
        }
    }
    return std::string(closest);
}

std::string TarnCallChecker::CountMessage(std::string_view name, const Arity &arity, const ScannedCall &call) const
{
    const int given = call.moreMayFollow ? call.arguments - 1 : call.arguments;
    return std::string(name) + " expects " + Expectation(arity) + ", got " +
           (call.moreMayFollow ? "at least " : "") + std::to_string(given);
}

std::vector<CallWarning> TarnCallChecker::Check(std::string_view text, const CallScan &scan, std::size_t limit) const
{
    const std::unordered_set<std::string_view> defined = GlobalFunctions(scan);
    std::vector<CallWarning> warnings;
    for (const ScannedCall &call : scan.calls) {
        if (warnings.size() >= limit)
            break;
        const std::string_view name = text.substr(call.nameStart, call.nameEnd - call.nameStart);
        if (call.local || defined.count(name))
            continue; // the script's own function or variable, whatever the table says
        int row = -1;
        if (FindRow(name, row)) {
            if (!call.closed)
                continue;
            const Arity &arity = m_arities[std::size_t(row)];
            // A last argument that may stand for several values can only make too many.
            const int least = call.moreMayFollow ? call.arguments - 1 : call.arguments;
            const bool tooFew = !call.moreMayFollow && least < arity.least;
            const bool tooMany = arity.most != Arity::kAny && least > arity.most;
            if (tooFew || tooMany)
                warnings.push_back({call.nameStart, call.nameEnd, CountMessage(name, arity, call),
                                    WarningCode::kTarnArgumentCount});
        }
    }
    return warnings;
}
