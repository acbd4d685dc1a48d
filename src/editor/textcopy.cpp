#include "textcopy.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>
#include <cstring>

void CopyTextRange(const QsciScintillaBase &editor, qint64 from, qint64 to, char *out)
{
    using Sci = QsciScintillaBase;
    const qint64 gap = editor.SendScintilla(Sci::SCI_GETGAPPOSITION);
    // Each side of the gap is contiguous; asking for a range on one side never moves the gap.
    const qint64 middle = std::clamp(gap, from, to);
    for (const auto &[start, end] : {std::pair{from, middle}, std::pair{middle, to}}) {
        if (end <= start)
            continue;
        const long part = editor.SendScintilla(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start),
                                               static_cast<long>(end - start));
        std::memcpy(out + (start - from), reinterpret_cast<const char *>(part), std::size_t(end - start));
    }
}
