// A label that acts as a hyperlink: link, visited and hover colours, an underline while the
// pointer is over it, the hand cursor, its target as the tooltip, and a click (or Space) that
// opens the target and reports a failure in a message.
#pragma once

#include <QColor>
#include <QLabel>
#include <QTimer>

class LinkOpener;
class Prompter;

class CLinkLabel : public QLabel {
    Q_OBJECT

public:
    static constexpr QRgb kLinkColour = qRgb(0, 0, 238);
    static constexpr QRgb kVisitedColour = qRgb(85, 26, 139);
    static constexpr QRgb kHoverColour = qRgb(255, 0, 0);
    static constexpr int kHoverCheckMs = 100;

    // Either caption or target may be empty; each then stands in for the other.
    CLinkLabel(const QString &caption, const QString &target, LinkOpener &opener, Prompter &prompter,
               QWidget *parent = nullptr);

    void SetTarget(const QString &target);
    const QString &Target() const { return m_target; }
    void SetVisited(bool visited);
    bool IsVisited() const { return m_visited; }
    bool IsHovering() const { return m_hovering; }
    bool HoverTimerActive() const { return m_hoverTimer.isActive(); }
    void SetAutoSize(bool autoSize) { m_autoSize = autoSize; }
    // The colour the text is drawn in now.
    QColor TextColour() const;

    // Fits the label to its text: it keeps its left edge, or its centre or right edge when the
    // text is centred or right-aligned, and its vertical centre when the text is centred so.
    void PositionWindow();
    // A code above 32 when the target was opened (see linkerror.h).
    int OpenTarget(const QString &target);
    void ReportError(int code);
    // The hover timer's work: ends hovering once the pointer at globalPos is outside the label.
    void CheckHover(const QPoint &globalPos);

protected:
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void StartHover();
    void SetUnderlined(bool underlined);
    void ShowColour();
    void OnClicked();

    LinkOpener &m_opener;
    Prompter &m_prompter;
    QString m_target;
    bool m_hovering = false;
    bool m_visited = false;
    bool m_autoSize = true;
    bool m_pressed = false;
    QTimer m_hoverTimer;
};
