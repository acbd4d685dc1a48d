// How the document tabs wrap into rows, and where each row shows.
#pragma once

#include <vector>

// The row of each tab when tabs of these widths fill rows of rowWidth from left to right, in
// order. A tab wider than a row has a row of its own.
std::vector<int> WrapTabsIntoRows(const std::vector<int> &widths, int rowWidth);

// The position, counted from the top, at which a row shows when frontRow is in front (at the
// bottom, next to the documents). The rows keep their turn: those after the front row move to
// the top, as if the rows had rolled round.
int VisualRowPosition(int row, int frontRow, int rowCount);
