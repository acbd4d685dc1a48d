#include "similarnames.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

int BoundedDistance(std::string_view a, std::string_view b, int bound)
{
    const int n = int(a.size());
    const int m = int(b.size());
    if (std::abs(n - m) > bound)
        return bound + 1;
    // Three rows of the table: on the stack for names of a usual length.
    constexpr int kShortName = 63;
    std::array<int, 3 * (kShortName + 1)> stackRows;
    std::vector<int> heapRows(m > kShortName ? 3 * std::size_t(m + 1) : 0);
    int *rows = m > kShortName ? heapRows.data() : stackRows.data();
    int *beforePrevious = rows;
    int *previous = rows + m + 1;
    int *current = rows + 2 * (m + 1);
    for (int j = 0; j <= m; ++j)
        previous[std::size_t(j)] = j;
    for (int i = 1; i <= n; ++i) {
        current[0] = i;
        int best = i;
        for (int j = 1; j <= m; ++j) {
            const auto J = std::size_t(j);
            const int substitution = previous[J - 1] + (a[std::size_t(i - 1)] == b[J - 1] ? 0 : 1);
            int distance = std::min({previous[J] + 1, current[J - 1] + 1, substitution});
            if (i > 1 && j > 1 && a[std::size_t(i - 1)] == b[J - 2] && a[std::size_t(i - 2)] == b[J - 1])
                distance = std::min(distance, beforePrevious[J - 2] + 1);
            current[J] = distance;
            best = std::min(best, distance);
        }
        if (best > bound)
            return bound + 1;
        std::swap(beforePrevious, previous);
        std::swap(previous, current);
    }
    return std::min(previous[std::size_t(m)], bound + 1);
}

NearestName::NearestName(std::string_view name)
    : m_name(name), m_bound(name.size() <= 4 ? 1 : 2), m_bestDistance(m_bound + 1)
{}

void NearestName::Offer(std::string_view candidate)
{
    if (candidate == m_name || candidate.empty())
        return;
    const int distance = BoundedDistance(m_name, candidate, m_bestDistance - 1);
    if (distance < m_bestDistance) {
        m_bestDistance = distance;
        m_best = std::string(candidate);
    }
}
