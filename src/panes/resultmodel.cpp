#include "resultmodel.h"

#include <QBrush>
#include <QColor>

ResultModel::ResultModel(QObject *parent) : QAbstractListModel(parent) {}

QString ResultModel::LineText(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1String("    "));
    return text;
}

void ResultModel::Append(std::vector<ResultEntry> entries)
{
    if (entries.empty())
        return;
    if (m_rows)
        Clear();
    // Of a batch longer than the limit only its end would survive.
    auto first = entries.begin();
    if (entries.size() > std::size_t(m_limit)) {
        m_dropped += qint64(entries.size()) - m_limit;
        first = entries.end() - m_limit;
    }
    const int incoming = int(entries.end() - first);
    const int oldCount = int(m_entries.size());
    const int overflow = oldCount + incoming - m_limit;
    if (overflow <= 0) {
        beginInsertRows(QModelIndex(), oldCount, oldCount + incoming - 1);
        m_entries.insert(m_entries.end(), std::make_move_iterator(first), std::make_move_iterator(entries.end()));
        endInsertRows();
        return;
    }
    // A full list scrolls through its rows: the rows stay and their lines move up, which a view
    // repaints without laying out again, as it would after removing rows at the top.
    const bool grows = oldCount < m_limit;
    if (grows)
        beginInsertRows(QModelIndex(), oldCount, m_limit - 1);
    m_entries.erase(m_entries.begin(), m_entries.begin() + overflow);
    m_entries.insert(m_entries.end(), std::make_move_iterator(first), std::make_move_iterator(entries.end()));
    m_dropped += overflow;
    if (grows)
        endInsertRows();
    if (oldCount > 0)
        emit dataChanged(index(0, 0), index(std::min(oldCount, m_limit) - 1, 0));
}

void ResultModel::ShowRows(std::unique_ptr<const ResultRows> rows)
{
    beginResetModel();
    m_entries.clear();
    m_dropped = 0;
    m_rows = std::move(rows);
    endResetModel();
}

void ResultModel::Clear()
{
    beginResetModel();
    m_entries.clear();
    m_rows.reset();
    m_dropped = 0;
    endResetModel();
}

int ResultModel::NextPlace(int from, int step) const
{
    const int count = rowCount();
    if (count == 0)
        return -1;
    if (from < 0 || from >= count)
        from = step > 0 ? -1 : count;
    int row = from;
    for (int tried = 0; tried < count; ++tried) {
        row = ((row + step) % count + count) % count;
        if (m_rows ? m_rows->Entry(row).HasPlace() : m_entries[std::size_t(row)].HasPlace())
            return row;
    }
    return -1;
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows ? m_rows->Count() : int(m_entries.size());
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    return m_rows ? Data(m_rows->Entry(index.row()), role) : Data(m_entries[std::size_t(index.row())], role);
}

QVariant ResultModel::Data(const ResultEntry &entry, int role)
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.text;
    case Qt::ForegroundRole:
        if (entry.kind == ResultKind::Error)
            return QBrush(QColor(0xC0, 0x00, 0x00));
        if (entry.kind == ResultKind::Warning)
            return QBrush(QColor(0x9A, 0x60, 0x00));
        if (entry.kind == ResultKind::Note)
            return QBrush(QColor(0x50, 0x50, 0x50));
        // A plain line that names a place is a link, and looks like one.
        return entry.HasPlace() ? QVariant(QBrush(QColor(0x00, 0x3C, 0xA0))) : QVariant();
    case KindRole:
        return int(entry.kind);
    case BoldStartRole:
        return entry.boldStart;
    case BoldLengthRole:
        return entry.boldLength;
    case HasPlaceRole:
        return entry.HasPlace();
    case MessageRole:
        return entry.message;
    default:
        return QVariant();
    }
}
