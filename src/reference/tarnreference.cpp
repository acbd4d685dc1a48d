#include "tarnreference.h"

#include <algorithm>
#include <functional>

const FunctionDoc *TarnReference::Find(std::string_view name) const
{
    if (m_slots.empty())
        return nullptr;
    const std::int32_t index = m_slots[SlotOf(name)];
    return index < 0 ? nullptr : &m_functions[std::size_t(index)];
}

std::size_t TarnReference::SlotOf(std::string_view name) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = std::hash<std::string_view>()(name) & mask;; slot = (slot + 1) & mask) {
        const std::int32_t index = m_slots[slot];
        if (index < 0 || m_functions[std::size_t(index)].name == name)
            return slot;
    }
}

void TarnReference::Rehash(std::size_t slotCount)
{
    m_slots.assign(slotCount, -1);
    for (std::size_t i = 0; i < m_functions.size(); ++i)
        m_slots[SlotOf(m_functions[i].name)] = std::int32_t(i);
}

void TarnReference::Reserve(std::size_t count)
{
    m_functions.reserve(count);
    std::size_t wanted = 16;
    while (wanted < 2 * count)
        wanted *= 2;
    if (wanted > m_slots.size())
        Rehash(wanted);
}

void TarnReference::Add(FunctionDoc doc)
{
    if (2 * (m_functions.size() + 1) > m_slots.size())
        Rehash(std::max<std::size_t>(16, 2 * m_slots.size()));
    const std::size_t slot = SlotOf(doc.name);
    if (m_slots[slot] >= 0) {
        m_functions[std::size_t(m_slots[slot])] = std::move(doc);
        return;
    }
    m_slots[slot] = std::int32_t(m_functions.size());
    m_functions.push_back(std::move(doc));
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
