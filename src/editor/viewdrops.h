// What a drop on the view holds: text to insert, or the names of files to open.
#pragma once

#include <QString>

class QMimeData;

// Dropped data is taken as text whenever it has text, so a link dragged from a browser inserts
// its text. File managers offer the names of the dragged files as text too: a drop whose text
// only names its own local files is a list of files.
bool IsFileDrop(const QMimeData *data);
// The script a file drop opens: the first dropped file, and only when its name ends in ".lua"
// exactly; empty otherwise.
QString DroppedScriptPath(const QMimeData *data);
