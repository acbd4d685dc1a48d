// Watches the main frame's document area (the QMdiArea): keeps the tab strip in step with the
// document windows and lays the strip and the document area out together.
#pragma once

#include <QObject>
#include <QPointer>

class CDocumentTabBar;
class CMainFrame;
class QMdiArea;
class QMdiSubWindow;
class QWidget;

class CMDIClientWatcher : public QObject {
    Q_OBJECT

public:
    explicit CMDIClientWatcher(QObject *parent = nullptr);
    ~CMDIClientWatcher() override;

    // Puts the tab strip round the frame's document area. False when already installed or when
    // the frame has no document area; the frame then works without tabs.
    bool Install(CMainFrame *frame);
    // Takes the strip away again and gives the document area back to the frame.
    bool Uninstall();

    CMainFrame *Frame() const { return m_frame; }
    CDocumentTabBar *TabBar() const;

    // Set when the document area changed size, cleared by the strip's poll once it laid out.
    bool LayoutNeeded() const { return m_layoutNeeded; }
    void ClearLayoutNeeded() { m_layoutNeeded = false; }

    // The strip covers the space for documents; the document area takes the strip's display
    // area below however many rows of tabs there are.
    void RecalcLayout();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void OnSubWindowActivated(QMdiSubWindow *window);
    void PostPoll();

    CMainFrame *m_frame = nullptr;
    QMdiArea *m_mdiArea = nullptr;
    QPointer<QWidget> m_space; // the frame's central widget while installed: strip and area
    QPointer<CDocumentTabBar> m_tabBar;
    bool m_layoutNeeded = false;
};
