#include "tarnreference.h"

const FunctionDoc *TarnReference::Find(std::string_view name) const
{
    const auto it = m_byName.find(std::string(name));
    return it == m_byName.end() ? nullptr : &m_functions[it->second];
}

void TarnReference::Add(FunctionDoc doc)
{
    const auto [it, inserted] = m_byName.try_emplace(doc.name, m_functions.size());
    if (inserted)
        m_functions.push_back(std::move(doc));
    else
        m_functions[it->second] = std::move(doc);
}

const ParamDoc *FindParam(const FunctionDoc &doc, std::string_view name)
{
    for (const ParamDoc &param : doc.params)
        if (param.name == name)
            return &param;
    return nullptr;
}

std::string BareParameterName(std::string_view entry)
{
    while (!entry.empty() && (entry.front() == '(' || entry.front() == '"'))
        entry.remove_prefix(1);
    while (!entry.empty() && (entry.back() == ')' || entry.back() == '"'))
        entry.remove_suffix(1);
    return std::string(entry);
}

bool IsOptionalParameter(std::string_view entry)
{
    return entry.size() >= 2 && entry.front() == '(' && entry.back() == ')';
}

bool IsStringParameter(std::string_view entry)
{
    if (IsOptionalParameter(entry))
        entry = entry.substr(1, entry.size() - 2);
    return entry.size() >= 2 && entry.front() == '"' && entry.back() == '"';
}

std::string SignatureOf(const TableRow &row)
{
    std::string signature = row.empty() ? std::string() : row[0];
    signature += '(';
    for (std::size_t i = 1; i < row.size(); ++i) {
        if (i > 1)
            signature += ", ";
        signature += row[i];
    }
    signature += ')';
    return signature;
}
