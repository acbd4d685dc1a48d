#include "changerange.h"

#include <algorithm>

void ChangeRange::Include(std::int64_t start, std::int64_t end)
{
    if (m_empty) {
        m_start = start;
        m_end = end;
        m_empty = false;
        return;
    }
    m_start = std::min(m_start, start);
    m_end = std::max(m_end, end);
}

void ChangeRange::Insert(std::int64_t position, std::int64_t length)
{
    // Text already marked moves on when the insertion comes before it.
    if (!m_empty) {
        if (m_start > position)
            m_start += length;
        if (m_end >= position)
            m_end += length;
    }
    Include(position, position + length);
}

void ChangeRange::Delete(std::int64_t position, std::int64_t length)
{
    // Marked positions inside the deleted text collapse onto its start; later ones move back.
    auto map = [&](std::int64_t x) {
        if (x <= position)
            return x;
        return x < position + length ? position : x - length;
    };
    if (!m_empty) {
        m_start = map(m_start);
        m_end = map(m_end);
    }
    Include(position, position);
}
