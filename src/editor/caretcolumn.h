#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>

class QsciScintillaBase;

// The caret position pane's text, "Ln 3, Col 7", for an editor. Columns count characters, not
// bytes, and the last count is kept so that the pane, refreshed after every key, costs only the
// caret's step even at the end of a line of megabytes.
class CCaretColumn {
public:
    explicit CCaretColumn(const QsciScintillaBase &editor) : m_editor(editor) {}

    // textVersion counts the changes to the text, so a kept count is used only while it holds.
    QString PositionText(std::uint64_t textVersion) const;
    // Keeps the count through an edit announced as textVersion where it still holds.
    void KeepThrough(qint64 position, qint64 length, bool inserting, std::uint64_t textVersion);

private:
    qint64 CharactersBetween(qint64 start, qint64 end) const;
    // Characters from `from` to `to`, negative when `to` lies before `from`.
    qint64 SignedCharactersBetween(qint64 from, qint64 to) const;
    qint64 Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;

    const QsciScintillaBase &m_editor;
    struct Count {
        qint64 start = -1;
        qint64 end = -1;
        std::uint64_t version = 0;
        qint64 characters = 0; // in [start, end)
    };
    mutable Count m_count;
};
