#include "resultmodel.h"

#include <QBrush>
#include <QColor>

ResultModel::ResultModel(QObject *parent) : QAbstractListModel(parent) {}

QString ResultModel::LineText(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1String("    "));
    return text;
}

namespace {

// A cut line's tip shows this much of it, in lines of kTipWidth characters.
constexpr qsizetype kTipChars = 4000;
constexpr qsizetype kTipWidth = 120;

} // namespace

QString ResultModel::ShownText(const QString &text)
{
    if (text.size() <= kShownChars)
        return text;
    return text.left(kShownChars) + QChar(0x2026);
}

QString ResultModel::TipText(const QString &text)
{
    if (text.size() <= kShownChars)
        return text;
    QString tip;
    for (qsizetype at = 0; at < std::min(text.size(), kTipChars); at += kTipWidth)
        tip += text.mid(at, kTipWidth) + QLatin1Char('\n');
    tip += tr("(%1 characters; Copy takes the whole line)").arg(text.size());
    return tip;
}

void ResultModel::CountDropped(qint64 lines)
{
    if (lines <= 0)
        return;
    m_dropped += lines;
    emit droppedChanged(m_dropped);
}

void ResultModel::Append(std::vector<ResultEntry> entries)
{
    if (entries.empty())
        return;
    if (m_rows)
        Clear();
    const qint64 droppedBefore = m_dropped;
    // Of a batch beyond the limits only its end would survive; its last line always does.
    auto first = entries.begin();
    if (entries.size() > std::size_t(m_limit))
        first = entries.end() - m_limit;
    qint64 incomingChars = 0;
    for (auto it = entries.end(); it != first;) {
        --it;
        if (incomingChars + it->text.size() > m_charBudget && it + 1 != entries.end()) {
            first = it + 1;
            break;
        }
        incomingChars += it->text.size();
    }
    m_dropped += first - entries.begin();
    const std::size_t incoming = std::size_t(entries.end() - first);
    const std::size_t byCount = m_entries.size() + incoming > std::size_t(m_limit)
                                    ? m_entries.size() + incoming - std::size_t(m_limit) : 0;
    Replace(std::max(byCount, OverBudget(incomingChars)), first, entries.end());
    if (m_dropped != droppedBefore)
        emit droppedChanged(m_dropped);
}

std::size_t ResultModel::OverBudget(qint64 incoming) const
{
    std::size_t drop = 0;
    qint64 chars = m_chars + incoming;
    while (chars > m_charBudget && drop < m_entries.size())
        chars -= m_entries[drop++].text.size();
    return drop;
}

void ResultModel::Replace(std::size_t drop, std::vector<ResultEntry>::iterator first, std::vector<ResultEntry>::iterator last)
{
    const int oldCount = int(m_entries.size());
    const int newCount = oldCount - int(drop) + int(last - first);
    for (auto it = first; it != last; ++it)
        m_chars += it->text.size();
    if (drop == 0) {
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
        m_entries.insert(m_entries.end(), std::make_move_iterator(first), std::make_move_iterator(last));
        endInsertRows();
        return;
    }
    // A full list scrolls through its rows: the rows stay and their lines move up, which a view
    // repaints without laying out again, as it would after removing rows at the top.
    if (newCount > oldCount)
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
    else if (newCount < oldCount)
        beginRemoveRows(QModelIndex(), newCount, oldCount - 1);
    for (std::size_t row = 0; row < drop; ++row)
        m_chars -= m_entries[row].text.size();
    m_entries.erase(m_entries.begin(), m_entries.begin() + std::ptrdiff_t(drop));
    m_entries.insert(m_entries.end(), std::make_move_iterator(first), std::make_move_iterator(last));
    m_dropped += qint64(drop);
    if (newCount > oldCount)
        endInsertRows();
    else if (newCount < oldCount)
        endRemoveRows();
    if (std::min(oldCount, newCount) > 0)
        emit dataChanged(index(0, 0), index(std::min(oldCount, newCount) - 1, 0));
}

void ResultModel::ShowRows(std::unique_ptr<const ResultRows> rows)
{
    beginResetModel();
    m_entries.clear();
    m_chars = 0;
    m_dropped = 0;
    m_rows = std::move(rows);
    endResetModel();
}

void ResultModel::Clear()
{
    beginResetModel();
    m_entries.clear();
    m_chars = 0;
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
        return ShownText(entry.text);
    case Qt::ToolTipRole:
        return TipText(entry.text);
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
