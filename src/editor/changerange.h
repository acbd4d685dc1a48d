// The span of text that a run of edits has touched, kept in the coordinates of the text after
// them, so the colouring can be brought up to date once, when the edits are done.
#pragma once

#include <cstdint>

class ChangeRange {
public:
    // Announced before the edit takes place.
    void Insert(std::int64_t position, std::int64_t length);
    void Delete(std::int64_t position, std::int64_t length);

    bool IsEmpty() const { return m_empty; }
    std::int64_t Start() const { return m_start; }
    std::int64_t End() const { return m_end; }
    void Clear() { m_empty = true; }

private:
    void Include(std::int64_t start, std::int64_t end);

    bool m_empty = true;
    std::int64_t m_start = 0;
    std::int64_t m_end = 0;
};
