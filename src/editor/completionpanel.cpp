#include "completionpanel.h"

#include "editor/completionlist.h"
#include "editor/deprecatednamedelegate.h"
#include "editor/intellitip.h"
#include "editor/referencetext.h"
#include "editor/scribaview.h"
#include "reference/tarnreference.h"

#include <QEvent>

CCompletionPanel *CCompletionPanel::Attach(CCompletionList *list, CScribaView &view, const FunctionTable &functions,
                                           Describer describe)
{
    return new CCompletionPanel(list, view, functions, std::move(describe));
}

CCompletionPanel::CCompletionPanel(CCompletionList *list, CScribaView &view, const FunctionTable &functions,
                                   Describer describe)
    : QLabel(list->parentWidget()), m_list(list), m_view(view), m_tip(view.Tip()), m_functions(functions),
      m_describe(std::move(describe))
{
    setObjectName(QStringLiteral("completionPanel"));
    list->AddCompanion(this);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameShape(QFrame::Box);
    setMargin(4);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 225));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    hide();
    list->setItemDelegate(new CDeprecatedNameDelegate(view.Reference(), list));
    list->installEventFilter(this);
    connect(list, &QListWidget::currentRowChanged, this, &CCompletionPanel::ShowSelected);
    connect(list, &QObject::destroyed, this, [this] {
        LetTipBack();
        deleteLater();
    });
}

bool CCompletionPanel::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_list) {
        switch (e->type()) {
        case QEvent::Show:
            ShowSelected();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (m_list->isVisible())
                Place();
            break;
        case QEvent::Hide:
            hide();
            LetTipBack();
            break;
        default:
            break;
        }
    }
    return false;
}

void CCompletionPanel::ShowSelected()
{
    if (!m_list || m_list->isHidden())
        return;
    const QString name = m_list->SelectedName();
    const DocumentedFunction function = LookUpFunction(m_functions, m_view.Reference(), name.toStdString());
    const QString markdown = function ? FunctionMarkdown(function, PageParts::Summary)
                             : m_describe && !name.isEmpty() ? m_describe(name)
                                                             : QString();
    if (markdown.isEmpty()) {
        hide();
        KeepTipOff();
        return;
    }
    setText(MarkdownToHtml(markdown));
    Place();
}

// Beside the list, on the side with room, at the list's height: the list is below or above the
// word, so the panel is too. Where neither side has room it goes beyond the list, away from
// the word.
void CCompletionPanel::Place()
{
    if (!m_list || text().isEmpty())
        return;
    const QRect list = m_list->geometry();
    const QRect area = m_view.viewport()->geometry();
    const bool listBelowWord = list.top() > m_view.CaretPoint().y();
    const int rightRoom = area.right() - list.right() - 2 * kGap;
    const int leftRoom = list.left() - area.left() - 2 * kGap;
    const int width = std::min(kMostWidth, std::max({rightRoom, leftRoom, kLeastWidth}));
    const int height = std::min(heightForWidth(width), area.height());
    QRect place(0, 0, width, height);
    if (rightRoom >= width || leftRoom >= width) {
        place.moveLeft(rightRoom >= width ? list.right() + kGap : list.left() - kGap - width);
        if (listBelowWord)
            place.moveTop(list.top());
        else
            place.moveBottom(list.bottom());
    } else {
        place.moveLeft(std::max(area.left(), std::min(list.left(), area.right() - width)));
        if (listBelowWord)
            place.moveTop(list.bottom() + kGap);
        else
            place.moveBottom(list.top() - kGap);
    }
    setGeometry(place);
    raise();
    show();
    KeepTipOff();
}

void CCompletionPanel::KeepTipOff()
{
    if (m_list && m_tip)
        m_tip->Avoid(isVisible() ? m_list->geometry().united(geometry()) : m_list->geometry());
}

void CCompletionPanel::LetTipBack()
{
    if (m_tip)
        m_tip->Avoid(QRect());
}
