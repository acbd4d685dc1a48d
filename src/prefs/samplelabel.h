// The style preview of the Preferences dialog: a text drawn in one style's font and colour on
// the button face.
#pragma once

#include "app/textstyle.h"

#include <QLabel>

class CSampleLabel : public QLabel {
    Q_OBJECT

public:
    explicit CSampleLabel(const QString &text, QWidget *parent = nullptr);

    // Each setter repaints at once.
    void SetFaceName(const QString &face);
    // A character height in pixels, not a cell height.
    void SetHeight(int height);
    void SetTextColor(ColorRef color);
    void SetBold(bool bold);
    void SetItalic(bool italic);
    void SetUnderline(bool underline);

    ColorRef TextColor() const { return m_textColor; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    template <typename Change>
    void ChangeFont(Change change);

    ColorRef m_textColor = 0;
};
