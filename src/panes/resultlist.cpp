#include "resultlist.h"

#include "resultmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Paints a line with its bold part; the rest is the plain item view look.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int boldStart = index.data(ResultModel::BoldStartRole).toInt();
        const int boldLength = index.data(ResultModel::BoldLengthRole).toInt();
        if (boldStart < 0 || boldLength <= 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRect textRect = style ? style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget) : option.rect;
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        QFont bold = item.font;
        bold.setBold(true);
        int x = textRect.left() + 2;
        const auto draw = [&](const QString &piece, const QFont &font) {
            painter->setFont(font);
            painter->drawText(QRect(x, textRect.top(), textRect.right() - x, textRect.height()),
                              Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, piece);
            x += QFontMetrics(font).horizontalAdvance(piece);
        };
        draw(text.left(boldStart), item.font);
        draw(text.mid(boldStart, boldLength), bold);
        draw(text.mid(boldStart + boldLength), item.font);
        painter->restore();
    }
};

} // namespace

CResultList::CResultList(ResultModel *model, QWidget *parent) : QListView(parent), m_model(model)
{
    setModel(model);
    setItemDelegate(new ResultDelegate(this));
    // Every line is one line high: the view then never measures the lines it does not show.
    setUniformItemSizes(true);
    // Laid out a part at a time, so a list of a hundred thousand lines never holds the window up.
    setLayoutMode(QListView::Batched);
    setBatchSize(5000);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        emit rowActivated(index.row());
    });
    // A list read from its end keeps showing its end as lines come; one scrolled up stays.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_scrolling)
            m_follow = value >= verticalScrollBar()->maximum() - 1;
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { m_follow = true; });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_follow)
            ScrollToEnd();
    });
}

void CResultList::ScrollToEnd()
{
    m_scrolling = true;
    scrollToBottom();
    m_scrolling = false;
}

// A long list is laid out a part at a time: the end it follows moves with each part.
void CResultList::updateGeometries()
{
    QListView::updateGeometries();
    if (m_follow && model()->rowCount() > 0) {
        m_scrolling = true;
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        m_scrolling = false;
    }
}

void CResultList::CopyCurrentLine()
{
    if (currentIndex().isValid())
        QApplication::clipboard()->setText(m_model->At(currentIndex().row()).text);
}

void CResultList::contextMenuEvent(QContextMenuEvent *e)
{
    const QModelIndex index = indexAt(e->pos());
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    QMenu menu(this);
    menu.addAction(tr("&Copy Line"), this, &CResultList::CopyCurrentLine);
    menu.exec(e->globalPos());
}

void CResultList::SelectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

int CResultList::CurrentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

bool CResultList::event(QEvent *e)
{
    // Escape, Enter and Copy are the list's own while it has the keyboard, not the window's.
    if (e->type() == QEvent::ShortcutOverride) {
        const auto *keyEvent = static_cast<QKeyEvent *>(e);
        const int key = keyEvent->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter || keyEvent->matches(QKeySequence::Copy)) {
            e->accept();
            return true;
        }
    }
    return QListView::event(e);
}

void CResultList::keyPressEvent(QKeyEvent *e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        emit rowActivated(currentIndex().row());
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        emit escapePressed();
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        CopyCurrentLine();
        return;
    }
    QListView::keyPressEvent(e);
}
