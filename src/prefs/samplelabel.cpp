#include "samplelabel.h"

#include <QPainter>

CSampleLabel::CSampleLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setAlignment(Qt::AlignCenter);
}

template <typename Change>
void CSampleLabel::ChangeFont(Change change)
{
    QFont changed = font();
    change(changed);
    setFont(changed);
    repaint();
}

void CSampleLabel::SetFaceName(const QString &face)
{
    ChangeFont([&](QFont &f) { f.setFamilies({face}); });
}

void CSampleLabel::SetHeight(int height)
{
    ChangeFont([&](QFont &f) { f.setPixelSize(height); });
}

void CSampleLabel::SetTextColor(ColorRef color)
{
    m_textColor = color;
    repaint();
}

void CSampleLabel::SetBold(bool bold)
{
    ChangeFont([&](QFont &f) { f.setWeight(bold ? QFont::Bold : QFont::Normal); });
}

void CSampleLabel::SetItalic(bool italic)
{
    ChangeFont([&](QFont &f) { f.setItalic(italic); });
}

void CSampleLabel::SetUnderline(bool underline)
{
    ChangeFont([&](QFont &f) { f.setUnderline(underline); });
}

void CSampleLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(contentsRect(), palette().color(QPalette::Button));
    drawFrame(&painter);
    const QColor ink = isEnabled() ? QColor(RedOf(m_textColor), GreenOf(m_textColor), BlueOf(m_textColor))
                                   : palette().color(QPalette::Disabled, QPalette::WindowText);
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(contentsRect(), int(alignment()), text());
}
