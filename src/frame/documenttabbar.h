// The strip of document tabs above the document area: one tab per document window, in rows
// that wrap, each with the document's title and a lamp that shows unsaved changes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class CMDIClientWatcher;
class QMdiSubWindow;
class QMenu;
class QPainter;
class QTimer;

class CDocumentTabBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBorderWidth = 5;
    static constexpr int kPollIntervalMs = 200;
    // The timer rests after this many polls in a row found nothing to lay out; a change of a
    // document window (title, modified mark, shown, hidden, added, removed, activated) or of
    // the document area wakes it, with a poll at once.
    static constexpr int kQuietPollsBeforeRest = 5;

    CDocumentTabBar(CMDIClientWatcher *owner, QWidget *parent);
    ~CDocumentTabBar() override;

    // Brings the tabs in line with the document windows: new windows get a tab at the right end
    // (when addNew), hidden or destroyed ones lose theirs, titles and lamps follow, and the tab
    // of the active window is selected. Asks for a new layout only when the texts, the set of
    // tabs, the selection or the watcher's flag changed, and then returns true.
    bool Poll(bool addNew);
    // A poll as soon as the event loop gets to it, after the operation that asked for it; the
    // timer polls again from then on until things are quiet.
    void PostPoll();
    bool IsPolling() const;

    int FindTab(const QObject *window) const;
    bool AddTab(QMdiSubWindow *window);
    bool RemoveTab(const QObject *window, bool recalcNow);
    // The title of the window's document, or the window's own title when it has none.
    static QString TitleOf(const QMdiSubWindow *window);

    int Count() const { return int(m_entries.size()); }
    int CurrentIndex() const { return m_current; }
    // Selects a tab without activating its window (-1 for none).
    void SetCurrentIndex(int index);
    QString TabText(int index) const { return m_entries.at(index).title; }
    // The modified state the lamp shows: 0 or 1, or -1 before the first poll saw the tab.
    int TabLamp(int index) const { return m_entries.at(index).shownModified; }
    QString TabToolTip(int index) const;
    QRect TabRect(int index) const;
    int TabAt(const QPoint &position) const;
    int RowCount() const;

    // The area below the rows of tabs, for the strip placed at stripRect (in its parent's
    // coordinates); empty when the strip leaves no room.
    QRect DisplayRect(const QRect &stripRect) const;

    // What a right click on a tab offers, for the document of the selected tab.
    QMenu *BuildContextMenu();
    // A click on a tab: selects it and activates its window.
    void ClickTab(int index);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    struct TabEntry {
        QString title;
        QByteArray className;
        QPointer<QMdiSubWindow> window;
        int shownModified = -1;
    };
    struct TabGeometry {
        int clientWidth = -1;
        int rowCount = 0;
        int frontRow = 0;
        std::vector<QRect> rects; // in the strip's client coordinates
    };

    void OnTimerPoll();
    void WatchWindow(QMdiSubWindow *window);
    void OnSelectionChange();
    void ActivateTabWindow(int index);
    void RecalcLayout();
    void RemoveEntry(int index);
    bool PruneDestroyedWindows();
    void UpdateLamp(int index, QMdiSubWindow *window);
    void InvalidateGeometry();
    const TabGeometry &Geometry(int clientWidth) const;
    QRect ClientRect() const;
    int RowHeight() const;
    int TabWidth(const QString &title) const;
    void PaintBorder(QPainter &painter) const;
    void PaintTab(QPainter &painter, int index, const QRect &rect) const;

    CMDIClientWatcher *m_owner;
    QList<TabEntry> m_entries;
    int m_current = -1;
    int m_hot = -1;
    bool m_pollPosted = false;
    QTimer *m_pollTimer = nullptr;
    int m_quietPolls = 0;
    mutable TabGeometry m_geometry;
    mutable bool m_geometryValid = false;
};
