// The completion list: a child list of the editor view holding every function name in
// completion order. It is made for one opening and destroyed on closing, never takes the focus,
// keeps the wheel to itself, and tells of a wheel turned anywhere else.
#pragma once

#include <QListWidget>
#include <QPointer>

#include <string>
#include <string_view>
#include <vector>

class CCompletionList : public QListWidget {
    Q_OBJECT

public:
    // names: in completion order (CompletionNames).
    CCompletionList(std::vector<std::string> names, const QFont &font, QWidget *parent);
    // Companions watch the list through event filters; they are taken off while the list is
    // still a list, before QWidget's destructor sends its last events.
    ~CCompletionList() override;

    // Scrolls the first name not less than word to the top and selects it; with no such name
    // nothing is selected.
    void SelectFrom(std::string_view word);
    // The selected name, or an empty string when none is selected.
    QString SelectedName() const;
    // Moves the selection as the list's own Up, Down, Page Up, Page Down, Home or End key does.
    void MoveSelection(int key);
    bool HasSelection() const { return currentRow() >= 0; }
    // A widget shown beside the list (the description panel): the wheel over it leaves the list
    // open.
    void AddCompanion(QWidget *companion) { m_companions.append(companion); }

    // Sizes the list for its names (at most ten rows) and places it below the word whose first
    // character's top-left corner is at word, or above it when it would reach past the bottom of
    // area (and fits above it), and shifted left when it would reach past area's right edge, never
    // beyond its left edge.
    void Place(QPoint word, const QRect &area);

    static constexpr int kMaxRows = 10;
    static constexpr int kBelowWord = 20;   // from the word's top to the list's top
    static constexpr int kAboveWord = 10;   // from the list's bottom up to the word's top
    static constexpr int kRightMargin = 10; // a list shifted left ends this far from the edge
    static constexpr int kExtraWidth = 30;  // room for the frame and the scroll bar

signals:
    // A double click: the selected name is to replace the word.
    void accepted();
    // The wheel turned over any other widget of the program; the turn goes no further.
    void wheelOutside();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;

private:
    int ItemHeight() const;

    std::vector<std::string> m_names;
    QList<QPointer<QWidget>> m_companions;
};
