// Go to Line: one field for a line number between 1 and the script's line count. OK stays
// disabled while the field holds anything else.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QPushButton;
class QLineEdit;

class CGoToLineDialog : public QDialog {
    Q_OBJECT

public:
    // current: the caret's line; count: the script's lines; both counted from 1.
    CGoToLineDialog(qint64 current, qint64 count, QWidget *parent = nullptr);

    // The line chosen, counted from 1; 0 while the field holds no line of the script.
    qint64 Line() const;
    QLineEdit *Field() const { return m_field; }
    QPushButton *OkButton() const;

private:
    void Validate();

    qint64 m_count;
    QLineEdit *m_field;
    QDialogButtonBox *m_buttons;
};
