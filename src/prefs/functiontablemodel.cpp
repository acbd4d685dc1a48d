#include "functiontablemodel.h"

#include <algorithm>

FunctionTableModel::FunctionTableModel(FunctionTable &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table), m_parameterColumns(table.MaxParameterCount())
{
}

int FunctionTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.GetSize();
}

int FunctionTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1 + m_parameterColumns;
}

QVariant FunctionTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    const TableRow &row = m_table.GetAt(index.row());
    const auto column = std::size_t(index.column());
    return column < row.size() ? QString::fromUtf8(row[column]) : QString();
}

QVariant FunctionTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(section == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    return section == 0 ? QStringLiteral("Function") : QStringLiteral("P%1").arg(section);
}

Qt::ItemFlags FunctionTableModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int FunctionTableModel::InsertRow(TableRow row)
{
    const int parameters = int(row.size()) - 1;
    if (parameters > m_parameterColumns) {
        beginInsertColumns(QModelIndex(), 1 + m_parameterColumns, parameters);
        m_parameterColumns = parameters;
        endInsertColumns();
    }
    // The table is sorted between edits, so the row lands after the last row of its name.
    const auto &rows = m_table.Rows();
    const int at = int(std::upper_bound(rows.begin(), rows.end(), row[0],
                                        [](const std::string &name, const TableRow &r) { return name < r[0]; }) -
                       rows.begin());
    beginInsertRows(QModelIndex(), at, at);
    const int landed = m_table.AddSorted(std::move(row));
    endInsertRows();
    Q_ASSERT(landed == at);
    return landed;
}

void FunctionTableModel::RemoveRow(int index)
{
    beginRemoveRows(QModelIndex(), index, index);
    m_table.RemoveAt(index);
    endRemoveRows();
}

void FunctionTableModel::DropSurplusColumns(int parameterCount)
{
    const int needed = m_table.MaxParameterCount();
    const int last = std::min(parameterCount, m_parameterColumns);
    if (last <= needed)
        return;
    beginRemoveColumns(QModelIndex(), needed + 1, last);
    m_parameterColumns = needed;
    endRemoveColumns();
}

FunctionImport FunctionTableModel::Import(std::string_view text)
{
    beginResetModel();
    const FunctionImport result = ImportFunctions(m_table, text);
    m_parameterColumns = m_table.MaxParameterCount();
    endResetModel();
    return result;
}
