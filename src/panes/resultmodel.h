// The lines of one tab of the results pane, with the place (file, line, column) each names.
// Lines are appended in batches and the oldest dropped beyond a limit, so a program that
// prints millions of lines costs the window no more than the last of them.
#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

enum class ResultKind : unsigned char { Plain, Error, Warning, Note };

struct ResultEntry {
    QString text;
    QString path;    // the file the line names; empty when it names none
    int line = 0;    // from 1
    int column = 0;  // from 1, in characters; 0 for the line's start
    QPointer<QObject> document; // the open document meant, when the place is in one (untitled ones have no path)
    QString message; // the message without its place, where the line carries one
    ResultKind kind = ResultKind::Plain;
    int boldStart = -1; // a part of text shown in bold (the match of a search)
    int boldLength = 0;

    bool HasPlace() const { return line > 0 && (!path.isEmpty() || document); }
};

// Lines a model shows without holding them: each is made when the view asks for it, so a list
// of a hundred thousand lines that lie elsewhere costs no copy of them.
class ResultRows {
public:
    virtual ~ResultRows() = default;
    virtual int Count() const = 0;
    virtual ResultEntry Entry(int row) const = 0;
};

class ResultModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { KindRole = Qt::UserRole + 1, BoldStartRole, BoldLengthRole, HasPlaceRole, MessageRole };

    explicit ResultModel(QObject *parent = nullptr);

    // Text as a line of the list shows it: a tab, which a list item cannot show, as four blanks.
    static QString LineText(QString text);

    // The most lines kept; older ones are dropped as new ones come.
    void SetLimit(int lines) { m_limit = std::max(1, lines); }
    int Limit() const { return m_limit; }
    void Append(std::vector<ResultEntry> entries);
    // Shows these rows in place of all lines (none are appended to them).
    void ShowRows(std::unique_ptr<const ResultRows> rows);
    void Clear();
    ResultEntry At(int row) const { return m_rows ? m_rows->Entry(row) : m_entries[std::size_t(row)]; }
    // Lines dropped at the front since the last Clear.
    qint64 Dropped() const { return m_dropped; }

    // The next row after from (step 1) or before it (step -1) that names a place, wrapping
    // around; -1 when no row does. from -1 starts before the first row (or after the last).
    int NextPlace(int from, int step) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    static QVariant Data(const ResultEntry &entry, int role);

    std::deque<ResultEntry> m_entries;
    std::unique_ptr<const ResultRows> m_rows;
    int m_limit = 100000;
    qint64 m_dropped = 0;
};
