// The parameter tip of one editor view: a small window over the text that shows the function
// being called with its parameter names, the one being typed in bold. It never takes the focus.
// Its steps in the view's key handling count commas and look for "(" on the caret's line only.
#pragma once

#include <QFont>
#include <QPoint>
#include <QStringList>
#include <QWidget>

class CScribaView;
struct Settings;

class CIntelliTip : public QWidget {
    Q_OBJECT

public:
    CIntelliTip(CScribaView *parent, const Settings &settings);

    void SetContent(const QString &name, const QStringList &parameters);
    // n counts from 1; beyond the last parameter none is bold.
    void SetCurrentParameter(int n);
    // point: the caret's top-left corner in the view's coordinates.
    void SetPosition(QPoint point);
    void ShowTip();
    void HideTip();

    bool IsShown() const { return m_shown; }
    int CurrentParameter() const { return m_current; }
    const QString &Name() const { return m_name; }
    const QStringList &Parameters() const { return m_params; }
    // The whole tip as it reads: "name(a, b)".
    QString Text() const;

    // Steps of the view's handling, each only while the tip is switched on.
    // A typed "(", ")" or ",", before it is inserted.
    void OnCharacter(int ch);
    // A key-down before and after it has taken effect.
    void OnKeyBefore(const QKeyEvent *e);
    void OnKeyAfter(const QKeyEvent *e);

protected:
    void paintEvent(QPaintEvent *e) override;
    // A click on the tip changes nothing, and does not reach the text beneath it.
    void mousePressEvent(QMouseEvent *e) override;

private:
    bool Enabled() const;
    void Layout();
    void Recount();

    CScribaView *m_parent;
    const Settings &m_settings;
    QFont m_normalFont;
    QFont m_boldFont;
    QPoint m_point;
    int m_current = 1;
    QStringList m_params;
    QString m_name;
    bool m_shown = false;
};
