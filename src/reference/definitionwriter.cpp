// Writes the function table as a Lua definition file, documented from the reference. What the
// table says (names, parameters, which are optional) wins over the reference; the output is
// plain Lua 5.1 whatever the table holds, since other editors' language servers load it.
#include "tarnreference.h"

#include "editor/lineword.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace {

bool IsLuaKeyword(std::string_view name)
{
    return std::find(kLuaKeywords.begin(), kLuaKeywords.end(), name) != kLuaKeywords.end();
}

bool IsLuaName(std::string_view name)
{
    if (name.empty() || IsLuaKeyword(name) || (name.front() >= '0' && name.front() <= '9'))
        return false;
    return std::all_of(name.begin(), name.end(), IsNameCharacter);
}

// A parameter name Lua accepts: other characters become "_", a keyword or a leading digit gets
// one in front.
std::string LuaParameterName(std::string name)
{
    if (name == "..." || IsLuaName(name))
        return name;
    for (char &c : name)
        if (!IsNameCharacter(c))
            c = '_';
    if (name.empty() || IsLuaKeyword(name) || (name.front() >= '0' && name.front() <= '9'))
        name.insert(0, 1, '_');
    return name;
}

// Text on one comment line: a line break in it would end the comment and start code.
std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char &c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

void WriteDescription(std::string &out, DocList<std::string_view> lines)
{
    for (const std::string_view text : lines) {
        std::string_view rest = text;
        // A line break inside one entry starts a further description line.
        for (;;) {
            const std::size_t lf = rest.find_first_of("\r\n");
            const std::string_view line = rest.substr(0, lf);
            out += line.empty() ? "---\n" : "--- " + std::string(line) + '\n';
            if (lf == std::string_view::npos)
                break;
            rest.remove_prefix(lf + (rest.substr(lf).starts_with("\r\n") ? 2 : 1));
        }
    }
}

void WriteParam(std::string &out, const std::string &entry, const std::string &name, const FunctionDoc *doc)
{
    const ParamDoc *param = doc ? FindParam(*doc, BareParameterName(entry)) : nullptr;
    const std::string_view type = param && !param->type.empty() ? param->type
                                  : IsStringParameter(entry)        ? std::string_view("string")
                                                                    : std::string_view("any");
    out += "---@param " + name + (IsOptionalParameter(entry) ? "? " : " ") + OneLine(type);
    if (param && !param->description.empty())
        out += ' ' + OneLine(param->description);
    out += '\n';
}

void WriteFunction(std::string &out, const TableRow &row, const FunctionDoc *doc)
{
    out += '\n';
    if (doc)
        WriteDescription(out, doc->description);
    std::vector<std::string> names;
    for (std::size_t i = 1; i < row.size(); ++i) {
        std::string name = LuaParameterName(BareParameterName(row[i]));
        // "..." stands last in a Lua parameter list, so only there.
        if (name == "..." && i + 1 < row.size())
            name = "_";
        WriteParam(out, row[i], name, doc);
        names.push_back(std::move(name));
    }
    if (doc) {
        for (const ReturnDoc &value : doc->returns) {
            out += "---@return " + OneLine(value.type.empty() ? std::string_view("any") : value.type);
            if (!value.description.empty())
                out += " # " + OneLine(value.description);
            out += '\n';
        }
        if (doc->deprecated)
            out += doc->deprecation.empty() ? "---@deprecated\n" : "---@deprecated " + OneLine(doc->deprecation) + '\n';
        for (const std::string_view see : doc->see)
            out += "---@see " + OneLine(see) + '\n';
    }
    out += "function " + row[0] + '(';
    for (std::size_t i = 0; i < names.size(); ++i)
        out += (i ? ", " : "") + names[i];
    out += ") end\n";
}

} // namespace

std::string WriteDefinitionFile(const FunctionTable &functions, const TarnReference &reference)
{
    std::string out = "---@meta\n-- Tarn's functions, for editors that read Lua definition files.\n";
    std::unordered_set<std::string_view> written;
    for (const TableRow &row : functions.Rows()) {
        if (row.empty() || !written.insert(row[0]).second)
            continue;
        if (!IsLuaName(row[0])) {
            out += "\n-- " + OneLine(row[0]) + " is not a Lua name and cannot be declared here.\n";
            continue;
        }
        WriteFunction(out, row, reference.Find(row[0]));
    }
    return out;
}
