// The lines of one tab of the results pane, with the place (file, line, column) each names.
// Lines are appended in batches and the oldest dropped beyond a count and a size, so a program
// that prints millions of lines, or one endless line, costs the window no more than the last of
// them. A list shows each line cut to a width it can paint at once; the whole line is the tip.
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

    // The most characters of a line the list shows; a longer line is shown cut, ending in an
    // ellipsis, so painting it costs the same whatever its length.
    static constexpr qsizetype kShownChars = 1000;

    // Text as a line of the list shows it: a tab, which a list item cannot show, as four blanks.
    static QString LineText(QString text);
    // The line as the list shows it: cut after kShownChars characters.
    static QString ShownText(const QString &text);

    // The most lines kept; older ones are dropped as new ones come.
    void SetLimit(int lines) { m_limit = std::max(1, lines); }
    int Limit() const { return m_limit; }
    // The most characters all lines hold together; the oldest lines are dropped beyond it.
    void SetCharBudget(qint64 chars) { m_charBudget = std::max<qint64>(1, chars); }
    qint64 CharBudget() const { return m_charBudget; }
    qint64 CharCount() const { return m_chars; }
    void Append(std::vector<ResultEntry> entries);
    // Shows these rows in place of all lines (none are appended to them).
    void ShowRows(std::unique_ptr<const ResultRows> rows);
    void Clear();
    ResultEntry At(int row) const { return m_rows ? m_rows->Entry(row) : m_entries[std::size_t(row)]; }
    // Lines dropped at the front since the last Clear, here or (CountDropped) before they came.
    qint64 Dropped() const { return m_dropped; }
    void CountDropped(qint64 lines);

    // The next row after from (step 1) or before it (step -1) that names a place, wrapping
    // around; -1 when no row does. from -1 starts before the first row (or after the last).
    int NextPlace(int from, int step) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

signals:
    void droppedChanged(qint64 dropped);

private:
    static QVariant Data(const ResultEntry &entry, int role);
    static QString TipText(const QString &text);
    // How many of the oldest lines go so that incoming chars more fit in the budget.
    std::size_t OverBudget(qint64 incoming) const;
    void Replace(std::size_t drop, std::vector<ResultEntry>::iterator first, std::vector<ResultEntry>::iterator last);

    std::deque<ResultEntry> m_entries;
    std::unique_ptr<const ResultRows> m_rows;
    int m_limit = 100000;
    qint64 m_charBudget = 32 * 1024 * 1024; // 64 MB of text
    qint64 m_chars = 0;
    qint64 m_dropped = 0;
};
