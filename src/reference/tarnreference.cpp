#include "tarnreference.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

// The copies below serve pages that own their text and pages of another reference alike: both
// name their parts the same.

template <class Texts> DocList<std::string_view> KeepTexts(DocStore &store, const Texts &texts)
{
    const std::size_t count = std::size(texts);
    std::string_view *kept = store.Array<std::string_view>(count);
    std::size_t i = 0;
    for (const auto &text : texts)
        kept[i++] = store.Keep(text);
    return {kept, count};
}

template <class Param> ParamDoc KeepParam(DocStore &store, const Param &param)
{
    return {store.Keep(param.name), store.Keep(param.type), store.Keep(param.description), param.optional,
            KeepTexts(store, param.allowedStrings)};
}

template <class Page> FunctionDoc KeepPage(DocStore &store, const Page &page)
{
    FunctionDoc kept;
    kept.name = store.Keep(page.name);
    kept.description = KeepTexts(store, page.description);
    ParamDoc *params = store.Array<ParamDoc>(std::size(page.params));
    for (std::size_t i = 0; i < std::size(page.params); ++i)
        params[i] = KeepParam(store, page.params[i]);
    kept.params = {params, std::size(page.params)};
    ReturnDoc *returns = store.Array<ReturnDoc>(std::size(page.returns));
    for (std::size_t i = 0; i < std::size(page.returns); ++i)
        returns[i] = {store.Keep(page.returns[i].type), store.Keep(page.returns[i].description)};
    kept.returns = {returns, std::size(page.returns)};
    kept.deprecated = page.deprecated;
    kept.deprecation = store.Keep(page.deprecation);
    kept.see = KeepTexts(store, page.see);
    return kept;
}

std::uint32_t HashOf(std::string_view name)
{
    return std::uint32_t(std::hash<std::string_view>()(name));
}

} // namespace

TarnReference::TarnReference(const TarnReference &other) : m_slots(other.m_slots)
{
    m_functions.reserve(other.m_functions.size());
    for (const FunctionDoc &page : other.m_functions)
        m_functions.push_back(KeepPage(m_store, page));
}

TarnReference &TarnReference::operator=(const TarnReference &other)
{
    if (this != &other)
        *this = TarnReference(other);
    return *this;
}

const FunctionDoc *TarnReference::Find(std::string_view name) const
{
    if (m_slots.empty())
        return nullptr;
    const std::int32_t index = m_slots[SlotOf(name, HashOf(name))].index;
    return index < 0 ? nullptr : &m_functions[std::size_t(index)];
}

std::size_t TarnReference::SlotOf(std::string_view name, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot &at = m_slots[slot];
        if (at.index < 0 || (at.hash == hash && m_functions[std::size_t(at.index)].name == name))
            return slot;
    }
}

void TarnReference::Rehash(std::size_t slotCount)
{
    std::vector<Slot> old(slotCount);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot &entry : old) {
        if (entry.index < 0)
            continue;
        std::size_t slot = entry.hash & mask;
        while (m_slots[slot].index >= 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = entry;
    }
}

void TarnReference::Reserve(std::size_t count, std::size_t storeBytes)
{
    m_store.Reserve(storeBytes);
    m_functions.reserve(count);
    std::size_t wanted = 16;
    while (wanted < 2 * count)
        wanted *= 2;
    if (wanted > m_slots.size())
        Rehash(wanted);
}

void TarnReference::Add(const OwnedFunctionDoc &doc)
{
    Insert(KeepPage(m_store, doc));
}

void TarnReference::AddPage(const FunctionDoc &page)
{
    Insert(KeepPage(m_store, page));
}

void TarnReference::Insert(FunctionDoc doc)
{
    if (2 * (m_functions.size() + 1) > m_slots.size())
        Rehash(std::max<std::size_t>(16, 2 * m_slots.size()));
    const std::uint32_t hash = HashOf(doc.name);
    const std::size_t slot = SlotOf(doc.name, hash);
    if (m_slots[slot].index >= 0) {
        m_functions[std::size_t(m_slots[slot].index)] = doc; // the earlier page's text stays unused in m_store
        return;
    }
    m_slots[slot] = {std::int32_t(m_functions.size()), hash};
    m_functions.push_back(doc);
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
