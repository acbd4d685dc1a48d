#include "intellitip.h"

#include "app/settings.h"
#include "editor/callcontext.h"
#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "editor/referencetext.h"
#include "editor/scribaview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kTipBackground(255, 255, 200);
const QColor kDescriptionColour(70, 70, 70);
constexpr int kTextLeft = 5;          // text starts this far from the left edge
constexpr int kTextTop = 1;
constexpr int kBelowCaret = 20;       // the tip's top below the caret point
constexpr int kAboveCaret = 2;        // a tip above the caret ends this far above its line
constexpr int kRightOfCaret = 8;
constexpr int kRightEdgeMargin = 12;  // a tip moved left ends this far from the edge
constexpr int kLeastWidth = 80;       // wraps no narrower than this, however narrow the view

QFont TipFont(int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setWeight(QFont::Weight(weight));
    return font;
}

// Lays text out in lines of width, wrapping at blanks (after the commas of a signature) and
// within a word only when it alone is wider; later lines start indent further right. Returns
// the width of the widest line.
int LayOut(QTextLayout &layout, int width, int indent)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    qreal widest = 0;
    for (int n = 0;; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        const int x = n == 0 ? 0 : indent;
        line.setLineWidth(width - x);
        line.setPosition(QPointF(x, y));
        y += line.height();
        widest = std::max(widest, x + line.naturalTextWidth());
    }
    layout.endLayout();
    return int(std::ceil(widest));
}

} // namespace

CIntelliTip::CIntelliTip(CScribaView *parent, const Settings &settings)
    : QWidget(parent), m_parent(parent), m_settings(settings), m_normalFont(TipFont(QFont::Normal))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
    // The text area's own size, once the view has laid it out: the view's resize comes first.
    m_viewport = parent->viewport();
    m_viewport->installEventFilter(this);
}

bool CIntelliTip::eventFilter(QObject *watched, QEvent *e)
{
    // Compared by the pointer kept: while the view is destroyed its viewport's last events come
    // here, when the view can no longer be asked for it.
    if (e->type() == QEvent::Resize && watched == m_viewport && m_shown) {
        // The caret may have moved in the window as it narrowed or widened.
        m_point = m_parent->CaretPoint();
        Layout();
    }
    return false;
}

CIntelliTip::~CIntelliTip() = default;

void CIntelliTip::SetContent(const QString &name, const QStringList &parameters, const FunctionDoc *doc)
{
    m_name = name;
    m_params = parameters;
    m_paramLines.clear();
    m_description.clear();
    m_deprecation.clear();
    if (doc) {
        // Found by name: a reference of the user's own may list the parameters in another order.
        for (const QString &parameter : parameters) {
            const ParamDoc *param = FindParam(*doc, BareParameterName(parameter.toStdString()));
            m_paramLines.append(param ? ParameterLine(*param) : QString());
        }
        m_description = FirstDescriptionLine(*doc);
        if (doc->deprecated)
            m_deprecation = doc->deprecation.empty()
                                ? tr("Deprecated")
                                : tr("Deprecated: %1").arg(QString::fromUtf8(doc->deprecation.data(), qsizetype(doc->deprecation.size())));
    }
    Layout();
}

void CIntelliTip::SetContent(const TipSignature &signature)
{
    m_name = signature.name;
    m_params = signature.parameters;
    m_paramLines = signature.parameterLines;
    while (m_paramLines.size() < m_params.size())
        m_paramLines.append(QString());
    m_description = signature.description;
    Layout();
}

void CIntelliTip::SetCurrentParameter(int n)
{
    m_current = n;
    // The bold parameter changes, and with a page the line below it.
    Layout();
}

void CIntelliTip::SetPosition(QPoint point)
{
    m_point = point;
    Layout();
}

void CIntelliTip::Avoid(const QRect &rect)
{
    if (rect == m_avoid)
        return;
    m_avoid = rect;
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

QStringList CIntelliTip::Lines() const
{
    QStringList lines{Text()};
    if (!m_deprecation.isEmpty())
        lines.append(m_deprecation);
    if (m_current >= 1 && m_current <= m_paramLines.size() && !m_paramLines[m_current - 1].isEmpty())
        lines.append(m_paramLines[m_current - 1]);
    if (!m_description.isEmpty())
        lines.append(m_description);
    return lines;
}

int CIntelliTip::LayOutLines(int width, int count)
{
    m_layouts.clear();
    const QStringList lines = Lines().mid(0, count);
    int widest = 0;
    for (int i = 0; i < lines.size(); ++i) {
        auto layout = std::make_unique<QTextLayout>(lines[i], m_normalFont);
        int indent = 0;
        if (i == 0) {
            // The parameter being typed in bold; continued lines start under the first parameter.
            int start = int(m_name.size()) + 1;
            for (int p = 0; p < m_params.size(); ++p) {
                if (p + 1 == m_current) {
                    QTextLayout::FormatRange bold{start, int(m_params[p].size()), {}};
                    bold.format.setFontWeight(QFont::Bold);
                    layout->setFormats({bold});
                }
                start += int(m_params[p].size()) + 2;
            }
            indent = std::min(QFontMetrics(m_normalFont).horizontalAdvance(m_name + u'('), width / 3);
        }
        widest = std::max(widest, LayOut(*layout, width, indent));
        m_layouts.push_back(std::move(layout));
    }
    return widest;
}

QRect CIntelliTip::PlaceFor(QSize size) const
{
    // Inside the text area, so the tip never lies over the scroll bars.
    const QRect area = m_parent->viewport()->geometry();
    const int right = area.x() + area.width();
    int x = m_point.x() + kRightOfCaret;
    if (x + size.width() > right)
        x = right - size.width() - kRightEdgeMargin;
    // A tip wider than the view starts at its left edge, the function's name in sight.
    x = std::max(x, area.x());
    // Below the caret's line, else above it; with the completion list open, whichever side it
    // leaves free, or beyond the list.
    const int lineBottom = m_point.y() + kBelowCaret;
    const int lineTop = m_point.y() - kAboveCaret;
    QList<int> tops{lineBottom, lineTop - size.height()};
    if (!m_avoid.isEmpty())
        tops << m_avoid.bottom() + 2 << m_avoid.top() - size.height() - 2;
    auto fits = [&](int top) { return top >= area.y() && top + size.height() <= area.y() + area.height(); };
    auto free = [&](int top) { return m_avoid.isEmpty() || !m_avoid.intersects(QRect(QPoint(x, top), size)); };
    for (int top : tops)
        if (fits(top) && free(top))
            return QRect(QPoint(x, top), size);
    for (int top : tops)
        if (free(top))
            return QRect(QPoint(x, top), size);
    return QRect(QPoint(x, fits(lineBottom) ? lineBottom : lineTop - size.height()), size);
}

int CIntelliTip::LaidOutHeight() const
{
    int height = 0;
    for (const auto &layout : m_layouts)
        height += int(std::ceil(layout->boundingRect().height()));
    return height + 2 * kTextTop;
}

void CIntelliTip::Layout()
{
    const QRect area = m_parent->viewport()->geometry();
    const int most = std::max(area.width() - 2 * kTextLeft - kRightEdgeMargin, kLeastWidth);
    // The room below the caret's line or above it, whichever is more: lines from the end (the
    // description, then the parameter's) give way until the tip fits there, so a view made
    // narrow never has the tip cut off or lying over the line being typed.
    const int room = std::max(area.y() + area.height() - (m_point.y() + kBelowCaret), m_point.y() - kAboveCaret - area.y());
    int count = int(Lines().size());
    int width = LayOutLines(most, count);
    while (count > 1 && LaidOutHeight() > room)
        width = LayOutLines(most, --count);
    setGeometry(PlaceFor(QSize(width + 2 * kTextLeft + 1, LaidOutHeight())));
    update();
}

void CIntelliTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kTipBackground);
    qreal y = kTextTop;
    for (std::size_t i = 0; i < m_layouts.size(); ++i) {
        painter.setPen(i == 0 ? Qt::black : kDescriptionColour);
        m_layouts[i]->draw(&painter, QPointF(kTextLeft, y));
        y += m_layouts[i]->boundingRect().height();
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CIntelliTip::mousePressEvent(QMouseEvent *e)
{
    e->accept();
}

// ---------------------------------------------------------------- steps of the view

bool CIntelliTip::ShowFunction(std::string_view word)
{
    int row = -1;
    if (FindFunction(m_settings.functions, word, row)) {
        const TableRow &entries = m_settings.functions.GetAt(row);
        QStringList parameters;
        for (std::size_t i = 1; i < entries.size(); ++i)
            parameters.append(QString::fromStdString(entries[i]));
        SetContent(QString::fromUtf8(word.data(), qsizetype(word.size())), parameters,
                   m_parent->Reference().Find(entries[0]));
        return true;
    }
    const std::optional<TipSignature> signature = m_finder ? m_finder(word) : std::nullopt;
    if (!signature)
        return false;
    SetContent(*signature);
    return true;
}

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
        if (!ShowFunction(before.word))
            return;
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
    case Qt::Key_Escape:
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

bool CIntelliTip::ClaimsShortcut(const QKeyEvent *e) const
{
    return m_shown && e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier;
}

void CIntelliTip::OnKeyAfter(const QKeyEvent *e)
{
    if (!Enabled() || !m_shown)
        return;
    // Keys that take the caret to another line, or to where the call may not reach, follow the
    // call it stands in then: a call split over lines keeps its tip on every line.
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Home:
    case Qt::Key_End:
        FollowCall();
        break;
    default:
        break;
    }
}

void CIntelliTip::FollowCall()
{
    const qint64 caret = m_parent->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const qint64 caretLine = m_parent->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
    const qint64 firstLine = std::max<qint64>(0, caretLine - kCallContextLines);
    qint64 start = m_parent->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(firstLine));
    start = std::max<qint64>(start, caret - qint64(kCallContextBytes));
    const std::string_view text = m_parent->TextRange(start, caret);
    CallContext call;
    if (!FindCallContext(text, call)) {
        HideTip();
        return;
    }
    if (call.word != m_name.toUtf8().toStdString() && !ShowFunction(call.word)) {
        HideTip();
        return;
    }
    SetCurrentParameter(call.parameter);
    // Under the caret's line again when the caret went to another line.
    const QPoint caretPoint = m_parent->CaretPoint();
    if (!m_shown || caretPoint.y() != m_point.y())
        SetPosition(caretPoint);
    ShowTip();
}
