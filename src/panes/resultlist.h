// One tab's list of the results pane: a line per result, a part of it in bold where a search
// matched, and a double click or Enter on a line that names a place going there. It follows the
// end as lines come until the user scrolls up; Copy takes the whole of the current line.
#pragma once

#include <QListView>

class ResultModel;

class CResultList : public QListView {
    Q_OBJECT

public:
    explicit CResultList(ResultModel *model, QWidget *parent = nullptr);

    ResultModel *Model() const { return m_model; }
    // Selects the row and shows it.
    void SelectRow(int row);
    int CurrentRow() const;
    // Whether new lines scroll the list to its end: until the user scrolls away from it.
    bool FollowsEnd() const { return m_follow; }
    // Puts the whole of the current line, not only what is shown of it, on the clipboard.
    void CopyCurrentLine();

signals:
    void rowActivated(int row);
    // Escape with the list focused: what runs in the tab is to stop.
    void escapePressed();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void updateGeometries() override;

private:
    void ScrollToEnd();

    ResultModel *m_model;
    bool m_follow = true;
    bool m_scrolling = false; // the list itself is scrolling to the end
};
