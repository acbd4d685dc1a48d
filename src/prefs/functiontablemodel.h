// The function table as the rows of a grid: column 0 the name, then one column per parameter
// position, as many as the widest row needs. Every edit of the table goes through here, so
// the grid always shows the table's rows in the table's order.
#pragma once

#include "app/scribacobarray.h"
#include "functionimport.h"

#include <QAbstractTableModel>

class FunctionTableModel : public QAbstractTableModel {
public:
    explicit FunctionTableModel(FunctionTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int ParameterColumns() const { return m_parameterColumns; }
    // Appends the missing parameter columns first, then adds the row and sorts the table;
    // returns the row's place.
    int InsertRow(TableRow row);
    void RemoveRow(int index);
    // After a row with parameterCount parameters left the table: the columns that no remaining
    // row needs go, highest first.
    void DropSurplusColumns(int parameterCount);
    FunctionImport Import(std::string_view text);

private:
    FunctionTable &m_table;
    int m_parameterColumns = 0;
};
