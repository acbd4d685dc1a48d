// The panel beside the completion list: the selected name's signature and description from
// Tarn's reference. It follows the list's selection and place, stays beside the list so the
// word being typed stays in sight, keeps the parameter tip off both, and has the list strike
// deprecated names through.
#pragma once

#include <QLabel>
#include <QPointer>

#include <functional>

class CCompletionList;
class CIntelliTip;
class CScribaView;
class CScribaCObArray;
using FunctionTable = CScribaCObArray;

class CCompletionPanel : public QLabel {
    Q_OBJECT

public:
    // The Markdown for a name the table does not have (Lua's library, the script's own
    // functions), or "" when there is nothing to say.
    using Describer = std::function<QString(const QString &name)>;

    // Attaches a panel to a list just made; the panel goes when the list goes. The table must
    // outlive the list.
    static CCompletionPanel *Attach(CCompletionList *list, CScribaView &view, const FunctionTable &functions,
                                    Describer describe = {});

    static constexpr int kMostWidth = 380;
    static constexpr int kLeastWidth = 160;
    static constexpr int kGap = 2;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    CCompletionPanel(CCompletionList *list, CScribaView &view, const FunctionTable &functions, Describer describe);
    void ShowSelected();
    void Place();
    void KeepTipOff();
    void LetTipBack();

    QPointer<CCompletionList> m_list;
    CScribaView &m_view;
    QPointer<CIntelliTip> m_tip; // gone first when the view is closed
    const FunctionTable &m_functions;
    Describer m_describe;
};
