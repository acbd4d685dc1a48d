#include "docstore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// The first block holds a small reference such as the built-in one; each further block is
// twice as big, up to a size that wastes little at the end of a big reference.
constexpr std::size_t kFirstBlock = std::size_t(16) << 10;
constexpr int kMostDoublings = 6; // 1 MB

} // namespace

DocStore::DocStore(DocStore &&other) noexcept
    : m_blocks(std::move(other.m_blocks)), m_next(std::exchange(other.m_next, nullptr)),
      m_left(std::exchange(other.m_left, 0))
{
    other.m_blocks.clear();
}

DocStore &DocStore::operator=(DocStore &&other) noexcept
{
    if (this != &other) {
        m_blocks = std::move(other.m_blocks);
        other.m_blocks.clear();
        m_next = std::exchange(other.m_next, nullptr);
        m_left = std::exchange(other.m_left, 0);
    }
    return *this;
}

std::string_view DocStore::Keep(std::string_view text)
{
    if (text.empty())
        return {};
    char *copy = static_cast<char *>(Allocate(text.size(), 1));
    std::memcpy(copy, text.data(), text.size());
    return {copy, text.size()};
}

void DocStore::Reserve(std::size_t bytes)
{
    // A guess that large is better served block by block, as the store grows.
    constexpr std::size_t kMostReserved = std::size_t(64) << 20;
    if (bytes > m_left && bytes <= kMostReserved)
        StartBlock(bytes);
}

void DocStore::StartBlock(std::size_t size)
{
    m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
    m_next = m_blocks.back().get();
    m_left = size;
}

void *DocStore::Allocate(std::size_t size, std::size_t alignment)
{
    std::size_t padding = std::size_t(-reinterpret_cast<std::uintptr_t>(m_next)) & (alignment - 1);
    if (m_next == nullptr || padding + size > m_left) {
        const std::size_t grown = kFirstBlock << std::min<std::size_t>(m_blocks.size(), kMostDoublings);
        StartBlock(std::max(grown, size + alignment));
        padding = std::size_t(-reinterpret_cast<std::uintptr_t>(m_next)) & (alignment - 1);
    }
    void *at = m_next + padding;
    m_next += padding + size;
    m_left -= padding + size;
    return at;
}
