// The line commands in the editing view: Toggle Comment, Indent Lines and Unindent Lines. Each
// acts on the caret's line or on every line the selection touches, as one undo step, and the
// selection covers the same lines afterwards.
#pragma once

#include "editor/linecommands.h"

#include <QtGlobal>

#include <functional>
#include <string>
#include <vector>

class CScribaView;

class CLineEditing {
public:
    explicit CLineEditing(CScribaView &view);

    void ToggleComment();
    void Indent(const std::string &unit);
    void Unindent(const std::string &unit);

private:
    using Rules = std::function<std::vector<LineEdit>(const std::vector<std::string_view> &)>;
    void EditTouchedLines(const Rules &rules);
    // Where a position on line `line` at column `column` goes through the edits of that line.
    static qint64 ColumnAfter(const std::vector<LineEdit> &edits, std::size_t line, qint64 column, bool keepAtInsertion);
    qint64 LineStart(qint64 line) const;
    long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;

    CScribaView &m_view;
};
