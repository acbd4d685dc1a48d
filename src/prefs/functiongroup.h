// The "Tarn Lua functions" group of the Preferences dialog: the function table as a grid,
// changed in the table itself through the add/edit dialog, and shared with others through
// Import and Export of its rows as a text file.
#pragma once

#include "app/scribacobarray.h"
#include "functionimport.h"

#include <QGroupBox>

class FunctionTableModel;
class Prompter;
class QPushButton;
class QTableView;

class CFunctionGroup : public QGroupBox {
    Q_OBJECT

public:
    CFunctionGroup(FunctionTable &table, Prompter &prompter, QWidget *parent = nullptr);

    // The grid's selected row, or -1.
    int SelectedRow() const;

signals:
    // A function was added, edited, removed or imported.
    void tableChanged();

private:
    QTableView *CreateGrid();
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnImport();
    void OnExport();
    // Runs the add/edit dialog on row; true when it ended with OK.
    bool RunFunctionDialog(TableRow &row, int &paramCountDelta);
    void InsertAndSelect(TableRow row);
    void SelectRow(int row);
    void UpdateButtons();
    bool HasSelection();
    void ShowError(const QString &text);
    void ShowImportResult(const QString &path, const FunctionImport &result);

    FunctionTable &m_table;
    Prompter &m_prompter;
    FunctionTableModel *m_model;
    QTableView *m_grid;
    QPushButton *m_add;
    QPushButton *m_edit;
    QPushButton *m_remove;
    QPushButton *m_import;
    QPushButton *m_export;
};
