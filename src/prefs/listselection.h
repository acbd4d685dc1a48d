// The entry a list's buttons act on.
#pragma once

class QListWidget;

// The row of the list's selected entry, or -1 when none is selected. Ctrl+click can leave a
// current row that is not selected: buttons that act on an entry act only on one shown selected.
int SelectedRow(const QListWidget &list);
