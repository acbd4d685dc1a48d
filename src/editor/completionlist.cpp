#include "completionlist.h"

#include "editor/completionorder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

CCompletionList::CCompletionList(std::vector<std::string> names, const QFont &font, QWidget *parent)
    : QListWidget(parent), m_names(std::move(names))
{
    setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(font);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (const std::string &name : m_names)
        addItem(QString::fromStdString(name));
    hide();
    // The wheel over the tab strip, the toolbar or any other window of the program never
    // reaches the view, which closes the list on a turn over the text.
    qApp->installEventFilter(this);
}

CCompletionList::~CCompletionList()
{
    for (const QPointer<QWidget> &companion : std::as_const(m_companions))
        if (companion)
            removeEventFilter(companion);
}

bool CCompletionList::eventFilter(QObject *watched, QEvent *e)
{
    // A closed list waits for its deletion and lets everything pass.
    if (e->type() != QEvent::Wheel || !watched->isWidgetType() || isHidden())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget == this || isAncestorOf(widget))
        return false;
    for (const QPointer<QWidget> &companion : std::as_const(m_companions))
        if (companion && (widget == companion || companion->isAncestorOf(widget)))
            return true; // nothing beneath it scrolls, and the list stays open
    emit wheelOutside();
    return true;
}

void CCompletionList::SelectFrom(std::string_view word)
{
    const int row = int(FirstNotLess(m_names, word));
    if (row >= count()) {
        scrollToBottom();
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    setCurrentRow(row);
    scrollToItem(item(row), QAbstractItemView::PositionAtTop);
}

QString CCompletionList::SelectedName() const
{
    const QListWidgetItem *selected = currentItem();
    return selected && selected->isSelected() ? selected->text() : QString();
}

void CCompletionList::MoveSelection(int key)
{
    // Handled here, never passed on: a key the list ignores would go back to the view.
    QKeyEvent plain(QEvent::KeyPress, key, Qt::NoModifier);
    keyPressEvent(&plain);
}

int CCompletionList::ItemHeight() const
{
    return count() > 0 ? sizeHintForRow(0) : fontMetrics().height();
}

void CCompletionList::Place(QPoint word, const QRect &area)
{
    const int rows = std::min(count() + 1, kMaxRows);
    // The frame takes its own pixels, so that the last row is not cut off by it.
    const int height = rows * ItemHeight() + 2 * frameWidth();
    std::size_t longest = 0;
    for (int i = 0; i < count(); ++i)
        longest = std::max<std::size_t>(longest, std::size_t(item(i)->text().size()));
    // The font is fixed-pitch: every character is as wide as an "m".
    const int width = int(longest) * fontMetrics().horizontalAdvance(QLatin1Char('m')) + kExtraWidth;
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    int top = word.y() + kBelowWord;
    // Above only where it fits: in a view too short for it the first rows, the selected name
    // among them, stay in sight below the word.
    if (top + height > bottom && word.y() - height - kAboveWord >= area.y())
        top = word.y() - height - kAboveWord;
    int left = word.x();
    if (left + width > right)
        left = right - width - kRightMargin;
    // A word that begins left of the visible text (the view scrolled sideways), or a list wider
    // than the view: the names' beginnings stay in sight.
    left = std::max(left, area.x());
    setGeometry(left, top, width, height);
}

void CCompletionList::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        QListWidget::mouseDoubleClickEvent(e);
        return;
    }
    e->accept();
    emit accepted();
}

void CCompletionList::wheelEvent(QWheelEvent *e)
{
    QListWidget::wheelEvent(e);
    // At either end of the list the wheel would reach the text beneath and close the list.
    e->accept();
}
