// The results pane below the documents: the tabs "Problems", "Search" and "Output", each a
// list whose lines may name places. It shows lines and says which place the user chose; the
// frame opens it.
#pragma once

#include "resultmodel.h"

#include <QDockWidget>

class CResultList;
class QLabel;
class QPushButton;
class QTabWidget;

class CResultsPane : public QDockWidget {
    Q_OBJECT

public:
    enum Tab { ProblemsTab, SearchTab, OutputTab, TabCount };

    explicit CResultsPane(QWidget *parent = nullptr);

    ResultModel *Model(Tab tab) const { return m_models[tab]; }
    CResultList *List(Tab tab) const { return m_lists[tab]; }
    Tab CurrentTab() const;
    // Shows the pane with the tab in front.
    void ShowTab(Tab tab);
    void SetProblemCount(int count);
    QString TabText(Tab tab) const;
    // The line at the bottom of the Search or the Output tab, beside its Stop button.
    void SetStatus(Tab tab, const QString &text);
    QString Status(Tab tab) const;
    // Whether the Stop button of the Search or the Output tab can be pressed.
    void SetStoppable(Tab tab, bool stoppable);
    // The next (step 1) or previous (step -1) place of the tab in front: selected, and chosen.
    // False when the tab names no place.
    bool StepPlace(int step);

signals:
    void placeChosen(const ResultEntry &entry);
    void stopRequested(CResultsPane::Tab tab);
    // The pane hides with the keyboard in it: whoever had it before is to take it back, or the
    // next widget in the window's order (a document window) would.
    void keyboardLeaving();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    QWidget *MakePage(Tab tab, const QString &stopText);
    void Choose(Tab tab, int row);

    QTabWidget *m_tabs;
    ResultModel *m_models[TabCount] = {};
    CResultList *m_lists[TabCount] = {};
    QLabel *m_status[TabCount] = {};
    QPushButton *m_stop[TabCount] = {};
};
