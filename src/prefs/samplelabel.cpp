#include "samplelabel.h"

#include <QPainter>

CSampleLabel::CSampleLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setAlignment(Qt::AlignCenter);
}

void CSampleLabel::SetSampleFont(const QFont &sampleFont)
{
    setFont(sampleFont);
    repaint();
}

void CSampleLabel::SetFaceName(const QString &face)
{
    QFont f = font();
    f.setFamilies({face});
    SetSampleFont(f);
}

void CSampleLabel::SetHeight(int height)
{
    QFont f = font();
    f.setPixelSize(height);
    SetSampleFont(f);
}

void CSampleLabel::SetTextColor(ColorRef color)
{
    m_textColor = color;
    repaint();
}

void CSampleLabel::SetBold(bool bold)
{
    QFont f = font();
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    SetSampleFont(f);
}

void CSampleLabel::SetItalic(bool italic)
{
    QFont f = font();
    f.setItalic(italic);
    SetSampleFont(f);
}

void CSampleLabel::SetUnderline(bool underline)
{
    QFont f = font();
    f.setUnderline(underline);
    SetSampleFont(f);
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
