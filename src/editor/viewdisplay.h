// What the editing view shows around and over the text: the line-number and fold margins, the
// current line, whitespace and line ends, wrapping and zoom, and the folding commands. The
// switches are the same for every view; the frame keeps them and hands them to each view.
#pragma once

#include <QtGlobal>

class CScribaView;

struct ViewSwitches {
    bool lineNumbers = true;
    bool currentLine = true;
    bool whitespace = false;
    bool lineEndings = false;
    bool wordWrap = false;
    int zoom = 0; // points added to every font size

    bool operator==(const ViewSwitches &) const = default;
};

class CViewDisplay {
public:
    explicit CViewDisplay(CScribaView &view);

    void Apply(const ViewSwitches &switches);
    const ViewSwitches &Switches() const { return m_switches; }

    // After the text changed: the line-number margin follows the line count, and a folded
    // header that is edited unfolds.
    void OnTextChanged();
    // After the zoom changed.
    void OnZoomed();
    // After a new text was loaded or the fonts changed: the margin is measured again.
    void Refresh();

    // Before the view handles a key: Up and Down go on from the caret's column.
    void BeforeKey();

    // Puts the caret at the start of line (counted from 0) and that line in the middle of the view.
    void GoToLine(qint64 line);

    void FoldAll();
    void UnfoldAll();
    // A fold never hides the caret: when the caret's line is hidden, the caret goes to the
    // header line that is shown instead.
    void KeepCaretInSight(qint64 headerLine);

private:
    void SetUpMargins();
    void UpdateLineNumberWidth();
    long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;

    CScribaView &m_view;
    ViewSwitches m_switches;
    int m_lineDigits = 0;
    // The margin or the zoom changed since Scintilla last chose the column that Up and Down keep.
    bool m_caretColumnDue = false;
};
