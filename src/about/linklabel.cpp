#include "linklabel.h"

#include "about/browsercommand.h"
#include "about/linkerror.h"
#include "about/linkopener.h"
#include "app/prompter.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QUrl>

CLinkLabel::CLinkLabel(const QString &caption, const QString &target, LinkOpener &opener, Prompter &prompter,
                       QWidget *parent)
    : QLabel(parent), m_opener(opener), m_prompter(prompter), m_target(target.isEmpty() ? caption : target)
{
    setTextFormat(Qt::PlainText);
    setText(caption.isEmpty() ? m_target : caption);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(m_target);
    m_hoverTimer.setInterval(kHoverCheckMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] { CheckHover(QCursor::pos()); });
    ShowColour();
    PositionWindow();
}

void CLinkLabel::SetTarget(const QString &target)
{
    m_target = target;
    PositionWindow();
    setToolTip(m_target);
}

void CLinkLabel::SetVisited(bool visited)
{
    m_visited = visited;
    ShowColour();
}

QColor CLinkLabel::TextColour() const
{
    return QColor(m_hovering ? kHoverColour : m_visited ? kVisitedColour : kLinkColour);
}

void CLinkLabel::ShowColour()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, TextColour());
    setPalette(colours);
}

void CLinkLabel::SetUnderlined(bool underlined)
{
    QFont changed = font();
    changed.setUnderline(underlined);
    setFont(changed);
}

void CLinkLabel::PositionWindow()
{
    if (!m_autoSize)
        return;
    QFont underlined = font();
    underlined.setUnderline(true);
    const QSize extra = size() - contentsRect().size();
    const QSize fitted = QFontMetrics(underlined).size(Qt::TextSingleLine, text()) + extra;
    const QRect old = geometry();
    QRect fit(old.topLeft(), fitted);
    if (alignment() & Qt::AlignVCenter)
        fit.moveTop(old.top() + (old.height() - fitted.height()) / 2);
    if (alignment() & Qt::AlignHCenter)
        fit.moveLeft(old.left() + (old.width() - fitted.width()) / 2);
    else if (alignment() & Qt::AlignRight)
        fit.moveRight(old.right());
    setGeometry(fit);
}

// ---------------------------------------------------------------- hovering

void CLinkLabel::StartHover()
{
    if (m_hovering)
        return;
    m_hovering = true;
    SetUnderlined(true);
    ShowColour();
    m_hoverTimer.start();
}

void CLinkLabel::CheckHover(const QPoint &globalPos)
{
    if (rect().contains(mapFromGlobal(globalPos)))
        return;
    m_hovering = false;
    m_hoverTimer.stop();
    SetUnderlined(false);
    ShowColour();
}

void CLinkLabel::mouseMoveEvent(QMouseEvent *e)
{
    StartHover();
    QLabel::mouseMoveEvent(e);
}

// ---------------------------------------------------------------- opening the target

void CLinkLabel::mousePressEvent(QMouseEvent *e)
{
    m_pressed = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent *e)
{
    const bool clicked = m_pressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_pressed = false;
    if (clicked)
        OnClicked();
    else
        QLabel::mouseReleaseEvent(e);
}

void CLinkLabel::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier)
        OnClicked();
    else
        QLabel::keyPressEvent(e);
}

void CLinkLabel::OnClicked()
{
    // The underline stays until the timer finds the pointer gone or the pointer moves again.
    m_hovering = false;
    ShowColour();
    const int code = OpenTarget(m_target);
    if (LinkOpened(code)) {
        SetVisited(true);
        return;
    }
    QApplication::beep();
    ReportError(code);
}

int CLinkLabel::OpenTarget(const QString &target)
{
    if (m_opener.OpenUrl(QUrl::fromUserInput(target)))
        return kLinkOpened;
    const std::optional<BrowserCommand> command = MakeBrowserCommand(m_opener.HtmlHandlerExec(), target);
    if (!command)
        return kLinkNoAssociation;
    return m_opener.StartDetached(command->arguments);
}

void CLinkLabel::ReportError(int code)
{
    m_prompter.Ask(window(), {QStringLiteral("Scriba"), LinkErrorMessage(code), QMessageBox::Warning,
                              QMessageBox::Ok});
}

void CLinkLabel::paintEvent(QPaintEvent *e)
{
    QLabel::paintEvent(e);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
