// The parameter tip of one editor view: a small window over the text that shows the function
// being called with its parameter names, the one being typed in bold, and below them what the
// reference says of that parameter and of the function. It wraps at the view's width and never
// takes the focus. Its steps in the view's key handling count commas and look for "(" on the
// caret's line only.
#pragma once

#include "reference/tarnreference.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

class QTextLayout;

class CScribaView;
struct Settings;

// A function the tip shows that is not one of Tarn's: Lua's library, the script's own.
struct TipSignature {
    QString name;
    QStringList parameters;
    QStringList parameterLines; // one for each parameter, empty where nothing is said of it
    QString description;
};

class CIntelliTip : public QWidget {
    Q_OBJECT

public:
    // Finds a function by the word typed before "(" when Tarn's table has none of that name.
    using SignatureFinder = std::function<std::optional<TipSignature>(std::string_view word)>;

    CIntelliTip(CScribaView *parent, const Settings &settings);
    ~CIntelliTip() override;

    // doc: the function's page, if the reference has one.
    void SetContent(const QString &name, const QStringList &parameters, const FunctionDoc *doc = nullptr);
    void SetContent(const TipSignature &signature);
    void SetSignatureFinder(SignatureFinder finder) { m_finder = std::move(finder); }
    // Shows the tip for the call the caret stands in, read back over the lines before it, or
    // hides it outside any call of a known function.
    void FollowCall();
    // n counts from 1; beyond the last parameter none is bold.
    void SetCurrentParameter(int n);
    // point: the caret's top-left corner in the view's coordinates.
    void SetPosition(QPoint point);
    // Keeps the tip off rect (the completion list and its panel), in the view's coordinates;
    // an empty rect lets it go back to its place under the caret.
    void Avoid(const QRect &rect);
    void ShowTip();
    void HideTip();

    bool IsShown() const { return m_shown; }
    // Escape, while the tip shows: it is the tip's to close, not the window's.
    bool ClaimsShortcut(const QKeyEvent *e) const;
    int CurrentParameter() const { return m_current; }
    const QString &Name() const { return m_name; }
    const QStringList &Parameters() const { return m_params; }
    // The first line as it reads: "name(a, b)".
    QString Text() const;
    // Every line of the tip before wrapping: the first, then whether the function is deprecated,
    // the current parameter's line and the function's description where the reference has them.
    QStringList Lines() const;

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
    // A view made narrower or wider (a pane opened beside it) lays the shown tip out again.
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    bool Enabled() const;
    void Layout();
    // Lays the lines out within width; returns the width they take.
    // Lays out the first count of Lines(); the width of the widest.
    int LayOutLines(int width, int count);
    int LaidOutHeight() const;
    QRect PlaceFor(QSize size) const;
    // Fills the tip for the function word names; false when no function has that name.
    bool ShowFunction(std::string_view word);

    CScribaView *m_parent;
    QWidget *m_viewport = nullptr; // the view's text area, whose resizes move the tip
    const Settings &m_settings;
    QFont m_normalFont;
    QPoint m_point;
    int m_current = 1;
    QStringList m_params;
    QString m_name;
    // The page's lines, kept as text: the reference the page came from may be replaced while
    // the tip is up. One line for each of m_params, empty where the page does not document it.
    QStringList m_paramLines;
    QString m_description;
    QString m_deprecation; // "Deprecated", with what to use instead when the reference says
    QRect m_avoid;
    // The signature, the parameter's line and the description, as laid out for painting.
    std::vector<std::unique_ptr<QTextLayout>> m_layouts;
    bool m_shown = false;
    SignatureFinder m_finder;
};
