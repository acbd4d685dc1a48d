#include "outlinepane.h"

#include "check/checkmarks.h"
#include "editor/scribaview.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int kPositionRole = Qt::UserRole + 1;

} // namespace

COutlinePane::COutlinePane(QWidget *parent)
    : QDockWidget(tr("Functions"), parent), m_filter(new QLineEdit), m_list(new QListWidget), m_pause(new QTimer(this))
{
    setObjectName(QStringLiteral("outlinePane"));
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *caption = new QLabel(tr("Filte&r:"), page);
    caption->setBuddy(m_filter);
    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(m_filter, 1);
    layout->addLayout(row);
    layout->addWidget(m_list, 1);
    setWidget(page);
    m_filter->setClearButtonEnabled(true);
    m_list->setUniformItemSizes(true);

    m_pause->setSingleShot(true);
    m_pause->setInterval(CheckMarks::kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &COutlinePane::Refresh);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &COutlinePane::OnScanned);
    connect(m_filter, &QLineEdit::textChanged, this, &COutlinePane::Fill);
    connect(m_list, &QListWidget::itemClicked, this, &COutlinePane::Choose);
    connect(m_list, &QListWidget::itemActivated, this, &COutlinePane::Choose);
    // Down from the filter goes into the list and Enter there to the first function shown,
    // so the keyboard alone filters and jumps.
    m_filter->installEventFilter(this);
    m_list->installEventFilter(this);
    connect(m_filter, &QLineEdit::returnPressed, this, [this] {
        if (m_list->count() > 0)
            Choose(m_list->currentItem() ? m_list->currentItem() : m_list->item(0));
    });
}

bool COutlinePane::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride)
        return QDockWidget::eventFilter(watched, e);
    const int key = static_cast<QKeyEvent *>(e)->key();
    if (key == Qt::Key_Escape) {
        // Claimed before the window's own Esc command can take it.
        e->accept();
        if (e->type() == QEvent::KeyPress)
            emit leaveRequested();
        return true;
    }
    if (watched == m_filter && e->type() == QEvent::KeyPress && key == Qt::Key_Down && m_list->count() > 0) {
        m_list->setFocus();
        return true;
    }
    return QDockWidget::eventFilter(watched, e);
}

void COutlinePane::SetView(CScribaView *view)
{
    if (view == m_view)
        return;
    disconnect(m_editConnection);
    m_view = view;
    ++m_version;
    m_items.clear();
    Fill();
    if (view) {
        m_editConnection = connect(view, &CScribaView::edited, this, [this] {
            ++m_version;
            if (isVisible())
                m_pause->start();
        });
    }
    Refresh();
}

void COutlinePane::showEvent(QShowEvent *e)
{
    QDockWidget::showEvent(e);
    Refresh();
}

bool COutlinePane::IsPending() const
{
    return m_scanning || m_again || m_pause->isActive();
}

void COutlinePane::Refresh()
{
    m_pause->stop();
    if (!m_view || !isVisible())
        return;
    if (m_scanning) {
        m_again = true;
        return;
    }
    m_scanning = true;
    m_scannedVersion = m_version;
    m_watcher.setFuture(QtConcurrent::run([text = m_view->CopyText()] {
        return OutlineItems(std::string_view(text.constData(), std::size_t(text.size())));
    }));
}

void COutlinePane::OnScanned()
{
    m_scanning = false;
    std::vector<OutlineItem> items = m_watcher.future().takeResult();
    if (m_scannedVersion == m_version) {
        m_items = std::move(items);
        Fill();
    }
    // Typing meanwhile waits for its pause; a switch of view is read at once.
    if (m_again || (m_scannedVersion != m_version && !m_pause->isActive())) {
        m_again = false;
        Refresh();
    }
}

void COutlinePane::Fill()
{
    const std::string filter = m_filter->text().toStdString();
    m_list->clear();
    for (const OutlineItem &item : m_items) {
        if (!OutlineNameFits(item.name, filter))
            continue;
        auto *entry = new QListWidgetItem(QString(item.depth * 2, QLatin1Char(' ')) + QString::fromStdString(item.name));
        entry->setData(kPositionRole, qint64(item.position));
        entry->setToolTip(tr("%1function %2, line %3")
                              .arg(item.isLocal ? tr("local ") : QString(), QString::fromStdString(item.name))
                              .arg(item.line));
        m_list->addItem(entry);
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void COutlinePane::Choose(QListWidgetItem *item)
{
    if (item && m_view)
        emit definitionChosen(m_view, item->data(kPositionRole).toLongLong());
}
