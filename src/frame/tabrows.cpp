#include "tabrows.h"

std::vector<int> WrapTabsIntoRows(const std::vector<int> &widths, int rowWidth)
{
    std::vector<int> rows;
    rows.reserve(widths.size());
    int row = 0;
    int used = 0;
    for (const int width : widths) {
        if (used > 0 && used + width > rowWidth) {
            ++row;
            used = 0;
        }
        used += width;
        rows.push_back(row);
    }
    return rows;
}

int VisualRowPosition(int row, int frontRow, int rowCount)
{
    if (rowCount <= 0)
        return 0;
    return ((row - frontRow - 1) % rowCount + rowCount) % rowCount;
}
