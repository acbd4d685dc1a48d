// The small dialog in which one function row is entered or changed: its name and the ordered
// names of its parameters. The caller does the table work.
#pragma once

#include "app/scribacobarray.h"

#include <QDialog>

class CEntryEdit;
class Prompter;
class QListWidget;
class QPushButton;

class CFunctionDlg : public QDialog {
    Q_OBJECT

public:
    // row is rewritten only on OK; paramCountDelta counts parameters added minus removed,
    // whether or not the dialog ends with OK.
    CFunctionDlg(TableRow &row, int &paramCountDelta, Prompter &prompter, QWidget *parent = nullptr);

    // Validates the name and, when it passes, stores the row and closes.
    void accept() override;
    void setVisible(bool visible) override;

private:
    QWidget *CreateFunctionGroup();
    void AddParameter();
    void RemoveParameter();
    void MoveParameter(int step);
    void RefuseName(const QString &text, bool selectAll);

    TableRow &m_row;
    int &m_paramCountDelta;
    Prompter &m_prompter;
    QString m_shownName; // the name as the box showed it at opening
    CEntryEdit *m_name;
    CEntryEdit *m_parameter;
    QPushButton *m_add;
    QPushButton *m_remove;
    QListWidget *m_list;
    QPushButton *m_up;
    QPushButton *m_down;
};
