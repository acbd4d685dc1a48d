// The outline beside the documents: the functions the active script defines, indented by
// nesting, with a filter; a click or Enter goes to the definition. The script is read on a
// worker thread after the same pause the check waits for, and only while the pane shows.
#pragma once

#include "panes/outlineitems.h"

#include <QDockWidget>
#include <QFutureWatcher>
#include <QPointer>

#include <cstdint>
#include <vector>

class CScribaView;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTimer;

class COutlinePane : public QDockWidget {
    Q_OBJECT

public:
    explicit COutlinePane(QWidget *parent = nullptr);

    // The view whose functions are listed; null for none.
    void SetView(CScribaView *view);
    CScribaView *View() const { return m_view; }
    // Reads the view's text again now.
    void Refresh();
    bool IsPending() const;
    QListWidget *List() const { return m_list; }
    QLineEdit *FilterField() const { return m_filter; }

signals:
    // The user chose a definition at position of the view.
    void definitionChosen(CScribaView *view, qint64 position);
    // Esc in the filter or the list: the keyboard back to the script.
    void leaveRequested();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void OnScanned();
    void Fill();
    void Choose(QListWidgetItem *item);

    QPointer<CScribaView> m_view;
    QLineEdit *m_filter;
    QListWidget *m_list;
    QTimer *m_pause;
    QFutureWatcher<std::vector<OutlineItem>> m_watcher;
    std::vector<OutlineItem> m_items;
    std::uint64_t m_version = 0;        // counts the changes of the view and of which view it is
    std::uint64_t m_scannedVersion = 0;
    bool m_scanning = false; // from the start of a scan until its result is taken
    bool m_again = false;
    QMetaObject::Connection m_editConnection;
};
