// One tab's list of the results pane: a line per result, a part of it in bold where a search
// matched, and a double click or Enter on a line that names a place going there.
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

signals:
    void rowActivated(int row);
    // Escape with the list focused: what runs in the tab is to stop.
    void escapePressed();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void FollowEnd(int first);

    ResultModel *m_model;
};
