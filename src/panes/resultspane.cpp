#include "resultspane.h"

#include "resultlist.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

CResultsPane::CResultsPane(QWidget *parent) : QDockWidget(tr("Results"), parent), m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("resultsPane"));
    for (int tab = 0; tab < TabCount; ++tab)
        m_models[tab] = new ResultModel(this);
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(MakePage(ProblemsTab, QString()), tr("Problems"));
    m_tabs->addTab(MakePage(SearchTab, tr("S&top")), tr("Search"));
    m_tabs->addTab(MakePage(OutputTab, tr("S&top")), tr("Output"));
    setWidget(m_tabs);
}

QWidget *CResultsPane::MakePage(Tab tab, const QString &stopText)
{
    auto *page = new QWidget(m_tabs);
    page->installEventFilter(this);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_lists[tab] = new CResultList(m_models[tab], page);
    layout->addWidget(m_lists[tab]);
    connect(m_lists[tab], &CResultList::rowActivated, this, [this, tab](int row) { Choose(tab, row); });
    if (stopText.isEmpty())
        return page;
    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 0, 4, 2);
    m_status[tab] = new QLabel(page);
    m_status[tab]->setTextFormat(Qt::PlainText);
    m_stop[tab] = new QPushButton(stopText, page);
    m_stop[tab]->setEnabled(false);
    bar->addWidget(m_status[tab], 1);
    bar->addWidget(m_stop[tab]);
    layout->addLayout(bar);
    connect(m_stop[tab], &QPushButton::clicked, this, [this, tab] { emit stopRequested(tab); });
    connect(m_lists[tab], &CResultList::escapePressed, this, [this, tab] {
        if (m_stop[tab]->isEnabled())
            emit stopRequested(tab);
    });
    return page;
}

bool CResultsPane::eventFilter(QObject *watched, QEvent *e)
{
    // A page that hides as another tab comes to the front would hand the keyboard to the next
    // widget in the window's order, a document window, which would then become the active
    // script. The keyboard stays in the pane, and the tab that comes takes it.
    if (e->type() == QEvent::Hide && watched->isWidgetType()) {
        auto *page = static_cast<QWidget *>(watched);
        if (QWidget *focused = QApplication::focusWidget(); focused && page->isAncestorOf(focused))
            m_tabs->tabBar()->setFocus();
    }
    return QDockWidget::eventFilter(watched, e);
}

void CResultsPane::hideEvent(QHideEvent *e)
{
    if (QWidget *focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        emit keyboardLeaving();
    QDockWidget::hideEvent(e);
}

CResultsPane::Tab CResultsPane::CurrentTab() const
{
    return Tab(m_tabs->currentIndex());
}

void CResultsPane::ShowTab(Tab tab)
{
    show();
    raise();
    m_tabs->setCurrentIndex(tab);
}

void CResultsPane::SetProblemCount(int count)
{
    m_tabs->setTabText(ProblemsTab, count > 0 ? tr("Problems (%1)").arg(count) : tr("Problems"));
}

QString CResultsPane::TabText(Tab tab) const
{
    return m_tabs->tabText(tab);
}

void CResultsPane::SetStatus(Tab tab, const QString &text)
{
    if (m_status[tab])
        m_status[tab]->setText(text);
}

QString CResultsPane::Status(Tab tab) const
{
    return m_status[tab] ? m_status[tab]->text() : QString();
}

void CResultsPane::SetStoppable(Tab tab, bool stoppable)
{
    if (m_stop[tab])
        m_stop[tab]->setEnabled(stoppable);
}

bool CResultsPane::StepPlace(int step)
{
    const Tab tab = CurrentTab();
    const int row = m_models[tab]->NextPlace(m_lists[tab]->CurrentRow(), step);
    if (row < 0)
        return false;
    m_lists[tab]->SelectRow(row);
    Choose(tab, row);
    return true;
}

void CResultsPane::Choose(Tab tab, int row)
{
    if (row < 0 || row >= m_models[tab]->rowCount())
        return;
    const ResultEntry &entry = m_models[tab]->At(row);
    if (entry.HasPlace())
        emit placeChosen(entry);
}
