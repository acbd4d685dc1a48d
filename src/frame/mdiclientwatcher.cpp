#include "mdiclientwatcher.h"

#include "frame/documenttabbar.h"
#include "frame/mainframe.h"

#include <QChildEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

CMDIClientWatcher::CMDIClientWatcher(QObject *parent) : QObject(parent) {}

CMDIClientWatcher::~CMDIClientWatcher()
{
    delete m_tabBar.data();
}

CDocumentTabBar *CMDIClientWatcher::TabBar() const
{
    return m_tabBar;
}

bool CMDIClientWatcher::Install(CMainFrame *frame)
{
    if (m_frame || !frame || !frame->MdiArea() || frame->centralWidget() != frame->MdiArea())
        return false;
    m_frame = frame;
    m_mdiArea = frame->MdiArea();
    // The strip and the document area share the frame's central space, laid out by hand.
    m_space = new QWidget;
    frame->takeCentralWidget();
    m_mdiArea->setParent(m_space);
    frame->setCentralWidget(m_space);
    m_tabBar = new CDocumentTabBar(this, m_space);
    m_mdiArea->raise();
    m_mdiArea->show();
    m_space->installEventFilter(this);
    m_mdiArea->installEventFilter(this);
    m_mdiArea->viewport()->installEventFilter(this);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMDIClientWatcher::OnSubWindowActivated);
    RecalcLayout();
    m_tabBar->Poll(true);
    return true;
}

bool CMDIClientWatcher::Uninstall()
{
    if (!m_frame)
        return false;
    disconnect(m_mdiArea, nullptr, this, nullptr);
    m_mdiArea->removeEventFilter(this);
    m_mdiArea->viewport()->removeEventFilter(this);
    delete m_tabBar.data();
    m_frame->takeCentralWidget();
    m_frame->setCentralWidget(m_mdiArea);
    m_mdiArea->show();
    delete m_space.data();
    m_frame = nullptr;
    m_mdiArea = nullptr;
    return true;
}

void CMDIClientWatcher::RecalcLayout()
{
    if (!m_frame || !m_space)
        return;
    QRect area = m_space->rect();
    if (m_tabBar && !m_tabBar->isHidden()) {
        m_tabBar->setGeometry(area);
        area = m_tabBar->DisplayRect(area);
    }
    m_mdiArea->setGeometry(area);
}

void CMDIClientWatcher::PostPoll()
{
    if (m_tabBar)
        m_tabBar->PostPoll();
}

void CMDIClientWatcher::OnSubWindowActivated(QMdiSubWindow *window)
{
    if (!m_tabBar)
        return;
    const int index = m_tabBar->FindTab(window);
    if (index >= 0)
        m_tabBar->SetCurrentIndex(index);
    PostPoll();
}

bool CMDIClientWatcher::eventFilter(QObject *watched, QEvent *e)
{
    if (!m_frame || !m_tabBar)
        return QObject::eventFilter(watched, e);
    if (watched == m_space && e->type() == QEvent::Resize) {
        RecalcLayout();
    } else if (watched == m_mdiArea) {
        switch (e->type()) {
        case QEvent::Resize:
            m_layoutNeeded = true;
            PostPoll();
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            // The strip shows and hides with the document area.
            m_tabBar->setVisible(e->type() == QEvent::ShowToParent);
            RecalcLayout();
            break;
        default:
            break;
        }
    } else if (watched == m_mdiArea->viewport()) {
        // Only a child event may be taken for one.
        if (e->type() == QEvent::ChildAdded && static_cast<QChildEvent *>(e)->child()->isWidgetType()) {
            // A new window: no tab is selected until the poll has made its tab.
            m_tabBar->SetCurrentIndex(-1);
            PostPoll();
        } else if (e->type() == QEvent::ChildRemoved) {
            m_tabBar->RemoveTab(static_cast<QChildEvent *>(e)->child(), true);
            PostPoll();
        }
    }
    return QObject::eventFilter(watched, e);
}
