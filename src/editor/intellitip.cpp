#include "intellitip.h"

#include "app/settings.h"
#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QColor kTipBackground(255, 255, 200);
constexpr int kTextLeft = 5;          // text starts this far from the left edge
constexpr int kBelowCaret = 20;       // the tip's top below the caret point
constexpr int kRightOfCaret = 8;
constexpr int kRightEdgeMargin = 12;  // a tip moved left ends this far from the edge

QFont TipFont(int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setWeight(QFont::Weight(weight));
    return font;
}

} // namespace

CIntelliTip::CIntelliTip(CScribaView *parent, const Settings &settings)
    : QWidget(parent), m_parent(parent), m_settings(settings), m_normalFont(TipFont(QFont::Normal)),
      m_boldFont(TipFont(QFont::Bold))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
}

void CIntelliTip::SetContent(const QString &name, const QStringList &parameters)
{
    m_name = name;
    m_params = parameters;
    Layout();
}

void CIntelliTip::SetCurrentParameter(int n)
{
    m_current = n;
    update();
}

void CIntelliTip::SetPosition(QPoint point)
{
    m_point = point;
    Layout();
}

void CIntelliTip::ShowTip()
{
    if (m_shown)
        return;
    m_shown = true;
    raise();
    show();
}

void CIntelliTip::HideTip()
{
    if (!m_shown)
        return;
    hide();
    m_shown = false;
}

QString CIntelliTip::Text() const
{
    return m_name + u'(' + m_params.join(QStringLiteral(", ")) + u')';
}

void CIntelliTip::Layout()
{
    const QFontMetrics metrics(m_normalFont);
    const int w = metrics.horizontalAdvance(Text());
    const int h = metrics.height();
    // Inside the text area, so the tip never lies over the scroll bars.
    const QRect area = m_parent->viewport()->geometry();
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    int x = m_point.x() + kRightOfCaret;
    if (m_point.x() + w + kRightOfCaret > right)
        x = right - w - kRightEdgeMargin;
    // A tip wider than the view starts at its left edge, the function's name in sight.
    x = std::max(x, area.x());
    int y = m_point.y() + kBelowCaret;
    if (m_point.y() + h + kBelowCaret + 2 > bottom)
        y = m_point.y() - kBelowCaret;
    setGeometry(x, y, w + 2 * kTextLeft, h + 2);
    update();
}

void CIntelliTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kTipBackground);
    painter.setPen(Qt::black);
    int x = kTextLeft;
    const int baseline = QFontMetrics(m_normalFont).ascent();
    auto draw = [&](const QString &text, const QFont &font) {
        painter.setFont(font);
        painter.drawText(x, baseline, text);
        x += QFontMetrics(font).horizontalAdvance(text);
    };
    draw(m_name + u'(', m_normalFont);
    for (int i = 0; i < m_params.size(); ++i) {
        draw(m_params[i], i + 1 == m_current ? m_boldFont : m_normalFont);
        if (i + 1 < m_params.size())
            draw(QStringLiteral(", "), m_normalFont);
    }
    draw(QStringLiteral(")"), m_normalFont);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CIntelliTip::mousePressEvent(QMouseEvent *e)
{
    e->accept();
}

// ---------------------------------------------------------------- steps of the view

bool CIntelliTip::Enabled() const
{
    return m_settings.options.intellitip != 0;
}

void CIntelliTip::OnCharacter(int ch)
{
    if (!Enabled())
        return;
    if (ch == '(') {
        // The name is the word as typed, from the last white space before the caret.
        WordBeforeCaret before;
        m_parent->GetWordBeforeCaret(' ', before);
        int row = -1;
        if (!FindFunction(m_settings.functions, before.word, row))
            return;
        const TableRow &entries = m_settings.functions.GetAt(row);
        QStringList parameters;
        for (std::size_t i = 1; i < entries.size(); ++i)
            parameters.append(QString::fromStdString(entries[i]));
        SetContent(QString::fromStdString(before.word), parameters);
        SetCurrentParameter(1);
        SetPosition(m_parent->CaretPoint());
        ShowTip();
    } else if (ch == ')') {
        HideTip();
    } else if (ch == ',') {
        // Counted whether the tip is shown or not, and never past the last parameter.
        if (m_current < m_params.size())
            SetCurrentParameter(m_current + 1);
    }
}

void CIntelliTip::OnKeyBefore(const QKeyEvent *e)
{
    if (!Enabled())
        return;
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Home:
    case Qt::Key_End:
        HideTip();
        break;
    case Qt::Key_Backspace:
        // Deleting the opening parenthesis ends the call.
        if (m_shown) {
            const long start = m_parent->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
            if (start > 0 && m_parent->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, start - 1) == '(')
                HideTip();
        }
        break;
    default:
        break;
    }
}

void CIntelliTip::OnKeyAfter(const QKeyEvent *e)
{
    if (!Enabled() || !m_shown)
        return;
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
        Recount();
        break;
    default:
        break;
    }
}

void CIntelliTip::Recount()
{
    WordBeforeCaret call;
    m_parent->GetWordBeforeCaret('(', call);
    SetCurrentParameter(ParameterNumber(call.word));
}
