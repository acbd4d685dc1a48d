// Copies of an editor's text that leave Scintilla's gap where it is: asking for the whole text
// at once moves the gap to its end, which after an edit in the middle of a big script copies
// megabytes inside the control, and the next keystroke there moves it back.
#pragma once

#include <QtGlobal>

class QsciScintillaBase;

// Copies the bytes [from, to) of editor's text to out, which must have room for them.
void CopyTextRange(const QsciScintillaBase &editor, qint64 from, qint64 to, char *out);
