#include "documenttabbar.h"

#include "doc/scribadoc.h"
#include "frame/childframe.h"
#include "frame/mainframe.h"
#include "frame/mdiclientwatcher.h"
#include "frame/tabrows.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kLampSize = 12;
constexpr int kTabPadding = 6;
constexpr int kLampGap = 4;

// The rectangle inside a border of the given width; an axis too short for two borders collapses.
QRect InsetByBorder(QRect rect, int border)
{
    if (2 * border < rect.height())
        rect.adjust(0, border, 0, -border);
    else
        rect.setHeight(0);
    if (2 * border < rect.width())
        rect.adjust(border, 0, -border, 0);
    else
        rect.setWidth(0);
    return rect;
}

// Green disc for a saved document; a red ring round a red centre for unsaved changes, so the
// shape tells the two apart as well as the colour.
void DrawLamp(QPainter &painter, const QRect &box, bool modified)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF lamp = QRectF(box).adjusted(1, 1, -1, -1);
    if (modified) {
        painter.setPen(QPen(QColor(200, 0, 0), 2.0));
        painter.setBrush(QColor(255, 235, 235));
        painter.drawEllipse(lamp.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 0, 0));
        painter.drawEllipse(lamp.center(), 2.2, 2.2);
    } else {
        painter.setPen(QPen(QColor(0, 110, 0), 1.0));
        painter.setBrush(QColor(40, 180, 40));
        painter.drawEllipse(lamp);
    }
    painter.restore();
}

QStyleOptionTab::TabPosition PositionInRow(bool first, bool last)
{
    if (first && last)
        return QStyleOptionTab::OnlyOneTab;
    if (first)
        return QStyleOptionTab::Beginning;
    return last ? QStyleOptionTab::End : QStyleOptionTab::Middle;
}

} // namespace

CDocumentTabBar::CDocumentTabBar(CMDIClientWatcher *owner, QWidget *parent)
    : QWidget(parent), m_owner(owner)
{
    // Clicking a tab never takes the keyboard from the editor.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(kPollIntervalMs);
    connect(m_pollTimer, &QTimer::timeout, this, &CDocumentTabBar::OnTimerPoll);
    m_pollTimer->start();
}

void CDocumentTabBar::OnTimerPoll()
{
    if (Poll(true))
        m_quietPolls = 0;
    else if (++m_quietPolls >= kQuietPollsBeforeRest)
        m_pollTimer->stop(); // nothing changes: an idle window takes no processor time
}

bool CDocumentTabBar::IsPolling() const
{
    return m_pollTimer->isActive();
}

void CDocumentTabBar::WatchWindow(QMdiSubWindow *window)
{
    // Installing it again only moves it to the front: it is still called once per event.
    window->installEventFilter(this);
}

bool CDocumentTabBar::eventFilter(QObject *watched, QEvent *e)
{
    switch (e->type()) {
    case QEvent::WindowTitleChange:
    case QEvent::ModifiedChange:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        PostPoll();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

CDocumentTabBar::~CDocumentTabBar() = default;

// ---------------------------------------------------------------- the tabs

QString CDocumentTabBar::TitleOf(const QMdiSubWindow *window)
{
    if (const auto *frame = qobject_cast<const CChildFrame *>(window))
        if (frame->GetDocument() && !frame->GetDocument()->GetTitle().isEmpty())
            return frame->GetDocument()->GetTitle();
    return window->windowTitle().remove(QStringLiteral("[*]"));
}

int CDocumentTabBar::FindTab(const QObject *window) const
{
    // A window of another class at the same place is not the one the tab was made for.
    for (int i = 0; i < Count(); ++i) {
        const TabEntry &entry = m_entries.at(i);
        if (window && entry.window.data() == window && entry.className == window->metaObject()->className())
            return i;
    }
    return -1;
}

bool CDocumentTabBar::AddTab(QMdiSubWindow *window)
{
    if (!window || window->isHidden())
        return false;
    m_entries.append({TitleOf(window), window->metaObject()->className(), window, -1});
    InvalidateGeometry();
    return true;
}

bool CDocumentTabBar::RemoveTab(const QObject *window, bool recalcNow)
{
    const int index = FindTab(window);
    if (index < 0)
        return false;
    RemoveEntry(index);
    if (recalcNow)
        RecalcLayout();
    return true;
}

void CDocumentTabBar::RemoveEntry(int index)
{
    m_entries.removeAt(index);
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
    InvalidateGeometry();
}

bool CDocumentTabBar::PruneDestroyedWindows()
{
    bool pruned = false;
    for (int i = Count() - 1; i >= 0; --i) {
        if (!m_entries.at(i).window) {
            RemoveEntry(i);
            pruned = true;
        }
    }
    return pruned;
}

bool CDocumentTabBar::Poll(bool addNew)
{
    CMainFrame *frame = m_owner->Frame();
    if (!frame)
        return false;
    bool changed = m_owner->LayoutNeeded();
    changed = PruneDestroyedWindows() || changed;
    int activeIndex = -1;
    QMdiArea *area = frame->MdiArea();
    QMdiSubWindow *active = area->currentSubWindow();
    if (active && active->isHidden())
        active = nullptr;
    // Nothing is added or removed while no document window is active.
    const QList<QMdiSubWindow *> windows = active ? area->subWindowList(QMdiArea::CreationOrder)
                                                  : QList<QMdiSubWindow *>();
    for (QMdiSubWindow *window : windows) {
        WatchWindow(window);
        int index = FindTab(window);
        const QString title = TitleOf(window);
        if (index < 0) {
            if (!addNew || !AddTab(window))
                continue;
            index = Count() - 1;
            changed = true;
        } else if (window->isHidden()) {
            RemoveTab(window, false);
            changed = true;
            continue;
        } else if (title != m_entries.at(index).title) {
            m_entries[index].title = title;
            InvalidateGeometry();
            changed = true;
        }
        if (window == active)
            activeIndex = index;
        UpdateLamp(index, window);
    }
    if (activeIndex >= 0 && activeIndex != m_current) {
        SetCurrentIndex(activeIndex);
        changed = true;
    }
    if (!changed)
        return false;
    RecalcLayout();
    m_owner->ClearLayoutNeeded();
    return true;
}

void CDocumentTabBar::UpdateLamp(int index, QMdiSubWindow *window)
{
    const auto *frame = qobject_cast<const CChildFrame *>(window);
    const int modified = frame && frame->GetDocument() && frame->GetDocument()->IsModified() ? 1 : 0;
    if (m_entries.at(index).shownModified == modified)
        return;
    // A lamp alone never needs a new layout: only its tab is painted again.
    m_entries[index].shownModified = modified;
    update(TabRect(index));
}

void CDocumentTabBar::PostPoll()
{
    m_quietPolls = 0;
    if (!m_pollTimer->isActive())
        m_pollTimer->start();
    if (m_pollPosted)
        return;
    m_pollPosted = true;
    QMetaObject::invokeMethod(this, [this] {
        m_pollPosted = false;
        Poll(true);
    }, Qt::QueuedConnection);
}

void CDocumentTabBar::SetCurrentIndex(int index)
{
    if (index < -1 || index >= Count() || index == m_current)
        return;
    m_current = index;
    // The row of the selected tab moves to the front.
    InvalidateGeometry();
}

QString CDocumentTabBar::TabToolTip(int index) const
{
    const QMdiSubWindow *window = m_entries.at(index).window;
    const auto *frame = qobject_cast<const CChildFrame *>(window);
    if (frame && frame->GetDocument() && frame->GetDocument()->HasFileOnDisk())
        return QDir::toNativeSeparators(frame->GetDocument()->GetPathName());
    return m_entries.at(index).title;
}

// ---------------------------------------------------------------- choosing a tab

void CDocumentTabBar::ClickTab(int index)
{
    if (index < 0 || index >= Count())
        return;
    SetCurrentIndex(index);
    OnSelectionChange();
}

void CDocumentTabBar::OnSelectionChange()
{
    ActivateTabWindow(m_current);
    RecalcLayout();
}

void CDocumentTabBar::ActivateTabWindow(int index)
{
    // A tab whose window is gone activates nothing.
    if (index < 0 || index >= Count())
        return;
    if (QMdiSubWindow *window = m_entries.at(index).window)
        m_owner->Frame()->ActivateFrame(window);
}

void CDocumentTabBar::RecalcLayout()
{
    m_owner->RecalcLayout();
    update();
}

QMenu *CDocumentTabBar::BuildContextMenu()
{
    CMainFrame *frame = m_owner->Frame();
    frame->UpdateCommands();
    auto *menu = new QMenu(this);
    auto add = [&](const QString &text, CommandId id) {
        QAction *item = menu->addAction(text);
        QAction *command = frame->Action(id);
        item->setEnabled(command->isEnabled());
        connect(item, &QAction::triggered, command, &QAction::trigger);
    };
    add(tr("&Close"), ID_FILE_CLOSE);
    add(tr("&Save"), ID_FILE_SAVE);
    add(tr("Save &As..."), ID_FILE_SAVE_AS);
    menu->addSeparator();
    add(tr("Save All"), ID_FILE_SAVE_ALL);
    return menu;
}

void CDocumentTabBar::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        ClickTab(TabAt(e->position().toPoint()));
    e->accept();
}

void CDocumentTabBar::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept(); // a double click does nothing
}

void CDocumentTabBar::mouseMoveEvent(QMouseEvent *e)
{
    const int hot = TabAt(e->position().toPoint());
    if (hot == m_hot)
        return;
    if (m_hot >= 0)
        update(TabRect(m_hot));
    m_hot = hot;
    if (m_hot >= 0)
        update(TabRect(m_hot));
}

void CDocumentTabBar::leaveEvent(QEvent *)
{
    if (m_hot >= 0)
        update(TabRect(m_hot));
    m_hot = -1;
}

void CDocumentTabBar::contextMenuEvent(QContextMenuEvent *e)
{
    // The tab under the pointer is chosen first, so the commands act on its document.
    ClickTab(TabAt(e->pos()));
    QMenu *menu = BuildContextMenu();
    menu->exec(e->globalPos());
    delete menu;
}

bool CDocumentTabBar::event(QEvent *e)
{
    if (e->type() != QEvent::ToolTip)
        return QWidget::event(e);
    const auto *help = static_cast<QHelpEvent *>(e);
    const int index = TabAt(help->pos());
    if (index < 0) {
        QToolTip::hideText();
        e->ignore();
    } else {
        QToolTip::showText(help->globalPos(), TabToolTip(index), this, TabRect(index));
    }
    return true;
}

void CDocumentTabBar::dragEnterEvent(QDragEnterEvent *e)
{
    e->accept(); // so that the moves arrive; dropEvent still refuses
}

void CDocumentTabBar::dragMoveEvent(QDragMoveEvent *e)
{
    // Dragging text over a tab brings its document to the front, ready for the drop there.
    const int index = TabAt(e->position().toPoint());
    if (index >= 0 && index != m_current)
        ClickTab(index);
    e->ignore();
}

void CDocumentTabBar::dropEvent(QDropEvent *e)
{
    e->setDropAction(Qt::IgnoreAction);
    e->ignore();
}

// ---------------------------------------------------------------- geometry

void CDocumentTabBar::InvalidateGeometry()
{
    m_geometryValid = false;
    m_hot = -1; // the tabs move under the pointer; the next move finds the one beneath it
    update();
}

int CDocumentTabBar::RowHeight() const
{
    return std::max(fontMetrics().height(), kLampSize) + 2 * kTabPadding;
}

int CDocumentTabBar::TabWidth(const QString &title) const
{
    return kTabPadding + kLampSize + kLampGap + fontMetrics().horizontalAdvance(title) + 2 * kTabPadding;
}

QRect CDocumentTabBar::ClientRect() const
{
    return InsetByBorder(rect(), kBorderWidth);
}

const CDocumentTabBar::TabGeometry &CDocumentTabBar::Geometry(int clientWidth) const
{
    if (m_geometryValid && m_geometry.clientWidth == clientWidth)
        return m_geometry;
    std::vector<int> widths;
    widths.reserve(std::size_t(Count()));
    for (const TabEntry &entry : m_entries)
        widths.push_back(TabWidth(entry.title));
    const std::vector<int> rows = WrapTabsIntoRows(widths, clientWidth);
    TabGeometry geometry;
    geometry.clientWidth = clientWidth;
    geometry.rowCount = rows.empty() ? 0 : rows.back() + 1;
    geometry.frontRow = m_current >= 0 ? rows[std::size_t(m_current)]
                                       : std::clamp(m_geometry.frontRow, 0, std::max(geometry.rowCount - 1, 0));
    geometry.rects.resize(widths.size());
    const int rowHeight = RowHeight();
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first;
        int used = 0;
        while (end < rows.size() && rows[end] == rows[first])
            used += widths[end++];
        // Rows of a strip with several rows are stretched to its full width.
        const int spare = geometry.rowCount > 1 ? std::max(0, clientWidth - used) : 0;
        const int count = int(end - first);
        const int top = VisualRowPosition(rows[first], geometry.frontRow, geometry.rowCount) * rowHeight;
        int x = 0;
        for (std::size_t i = first; i < end; ++i) {
            const int k = int(i - first);
            const int width = std::min(widths[i] + spare * (k + 1) / count - spare * k / count, clientWidth - x);
            geometry.rects[i] = QRect(x, top, std::max(width, 0), rowHeight);
            x += width;
        }
        first = end;
    }
    m_geometry = std::move(geometry);
    m_geometryValid = true;
    return m_geometry;
}

int CDocumentTabBar::RowCount() const
{
    return Geometry(ClientRect().width()).rowCount;
}

QRect CDocumentTabBar::TabRect(int index) const
{
    const QRect client = ClientRect();
    const TabGeometry &geometry = Geometry(client.width());
    if (index < 0 || std::size_t(index) >= geometry.rects.size())
        return QRect();
    return geometry.rects[std::size_t(index)].translated(client.topLeft());
}

int CDocumentTabBar::TabAt(const QPoint &position) const
{
    for (int i = 0; i < Count(); ++i)
        if (TabRect(i).contains(position))
            return i;
    return -1;
}

QRect CDocumentTabBar::DisplayRect(const QRect &stripRect) const
{
    QRect display = InsetByBorder(stripRect, kBorderWidth);
    display.setTop(display.top() + Geometry(display.width()).rowCount * RowHeight());
    if (display.width() < 0 || display.height() < 0)
        return QRect();
    return display;
}

// ---------------------------------------------------------------- painting

void CDocumentTabBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    PaintBorder(painter);
    const QRect client = ClientRect();
    if (client.isEmpty())
        return;
    painter.setClipRect(client);
    const TabGeometry &geometry = Geometry(client.width());
    for (int i = 0; i < Count(); ++i)
        PaintTab(painter, i, geometry.rects[std::size_t(i)].translated(client.topLeft()));
}

void CDocumentTabBar::PaintBorder(QPainter &painter) const
{
    // A sunken edge: the button shadow colour above and left, the light colour below and right.
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
}

void CDocumentTabBar::PaintTab(QPainter &painter, int index, const QRect &rect) const
{
    const QRect before = index > 0 ? TabRect(index - 1) : QRect();
    const QRect after = index + 1 < Count() ? TabRect(index + 1) : QRect();
    QStyleOptionTab option;
    option.initFrom(this);
    option.rect = rect;
    option.shape = QTabBar::RoundedNorth;
    option.position = PositionInRow(before.top() != rect.top(), after.top() != rect.top());
    option.state &= ~QStyle::State_MouseOver;
    if (index == m_current)
        option.state |= QStyle::State_Selected;
    if (index == m_hot)
        option.state |= QStyle::State_MouseOver;
    style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);

    const TabEntry &entry = m_entries.at(index);
    const QRect lamp(rect.left() + kTabPadding, rect.center().y() - kLampSize / 2 + 1, kLampSize, kLampSize);
    DrawLamp(painter, lamp, entry.shownModified == 1);
    const QRect text = rect.adjusted(kTabPadding + kLampSize + kLampGap, 0, -kTabPadding, 0);
    painter.setPen(palette().color(index == m_hot ? QPalette::Link : QPalette::WindowText));
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     fontMetrics().elidedText(entry.title, Qt::ElideMiddle, text.width()));
}
