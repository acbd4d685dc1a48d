// Room for a reference's pages: their text and their lists, handed out from a few big blocks
// instead of a heap block for every string and list. Nothing in it is freed on its own; it all
// goes at once with the store. Blocks never move, so what it hands out stays where it is while
// the store lives, also when the store itself is moved.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

class DocStore {
public:
    DocStore() = default;
    // The moved-from store starts afresh: the blocks it handed out from now belong to the other.
    DocStore(DocStore &&other) noexcept;
    DocStore &operator=(DocStore &&other) noexcept;
    DocStore(const DocStore &) = delete;
    DocStore &operator=(const DocStore &) = delete;

    // Room for about bytes in one block, so that a store whose size is known ahead is one
    // allocation; what is not used of it is never touched.
    void Reserve(std::size_t bytes);

    // A copy of text that lives as long as the store.
    std::string_view Keep(std::string_view text);

    // count value-initialized items to fill in, living as long as the store; T must need no
    // destructor, since the store runs none.
    template <class T> T *Array(std::size_t count)
    {
        static_assert(std::is_trivially_destructible_v<T>);
        if (count == 0)
            return nullptr;
        T *items = static_cast<T *>(Allocate(count * sizeof(T), alignof(T)));
        for (std::size_t i = 0; i < count; ++i)
            new (items + i) T();
        return items;
    }

private:
    void *Allocate(std::size_t size, std::size_t alignment);
    void StartBlock(std::size_t size);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte *m_next = nullptr;
    std::size_t m_left = 0;
};
