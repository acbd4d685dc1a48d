// A single-line box for a keyword, function or parameter name: characters its kind refuses
// never reach it, whether typed, pasted, dropped or composed.
#pragma once

#include "entryrules.h"

#include <QLineEdit>

class CEntryEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CEntryEdit(EntryKind kind, QWidget *parent = nullptr);

    // Puts a stored entry into the box as it stands, even with characters the box would refuse
    // from the keyboard; later input is filtered, the rest of the text kept.
    void SetStoredText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    class Filter;
    EntryKind m_kind;
    Filter *m_filter;
};
