// "Did you mean": the known name nearest to a misspelt one.
#pragma once

#include <string>
#include <string_view>

// The optimal string alignment distance (edits, with swaps of neighbours as one), or bound + 1
// as soon as it must exceed bound.
int BoundedDistance(std::string_view a, std::string_view b, int bound);

// Finds the candidate nearest to a name among those offered one by one: one slip in a short
// name, two in a longer one; more would suggest unrelated names. Ties go to the first offered.
class NearestName {
public:
    explicit NearestName(std::string_view name);
    void Offer(std::string_view candidate);
    // "" when no candidate was near.
    const std::string &Best() const { return m_best; }

private:
    std::string_view m_name;
    int m_bound = 0;
    int m_bestDistance = 0;
    std::string m_best;
};
