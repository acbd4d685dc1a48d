#include "autocompletion.h"

#include "app/settings.h"
#include "editor/completionlist.h"
#include "editor/completionorder.h"
#include "editor/completionpanel.h"
#include "editor/lineword.h"
#include "editor/scribaview.h"

#include <QKeyEvent>

namespace {

bool IsNameCharacter(int ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}

QFont ListFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(16);
    return font;
}

} // namespace

CAutoCompletion::CAutoCompletion(CScribaView &view, const Settings &settings)
    : m_view(view), m_settings(settings), m_listFont(ListFont())
{
}

CAutoCompletion::~CAutoCompletion() = default;

bool CAutoCompletion::Enabled() const
{
    return m_settings.options.autocompletion != 0;
}

void CAutoCompletion::Show()
{
    m_active = true;
    if (!m_list) {
        m_list = new CCompletionList(CompletionNames(m_settings.functions), m_listFont, &m_view);
        CCompletionPanel::Attach(m_list, m_view, m_settings.functions);
        // Queued: accepting destroys the list whose double click is being handled.
        QObject::connect(m_list, &CCompletionList::accepted, &m_view, [this] {
            if (m_list)
                Accept();
        }, Qt::QueuedConnection);
    }
    WordBeforeCaret before;
    m_view.GetWordBeforeCaret(' ', before);
    if (m_list->isHidden()) {
        const long start = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
        m_list->Place(m_view.PointOfPosition(start - long(before.word.size())), m_view.viewport()->geometry());
        m_list->raise();
        m_list->show();
    }
    m_list->SelectFrom(before.word);
}

void CAutoCompletion::Close()
{
    m_active = false;
    if (CCompletionList *list = m_list) {
        m_list = nullptr;
        list->hide();
        list->deleteLater();
    }
}

bool CAutoCompletion::ClaimsShortcut(const QKeyEvent *e) const
{
    return m_list && e->key() == Qt::Key_Escape;
}

bool CAutoCompletion::TakeEscape(const QKeyEvent *e)
{
    if (!ClaimsShortcut(e))
        return false;
    Close();
    return true;
}

bool CAutoCompletion::OnKey(const QKeyEvent *e)
{
    if (!Enabled() || !m_list)
        return false;
    switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // The tab character itself goes on as usual.
        Close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The line break's character accepts the selected name.
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
        // The list moves its selection; the caret stays.
        m_list->MoveSelection(e->key());
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        return MoveWordStart(e->key() == Qt::Key_Left);
    default:
        return false;
    }
}

bool CAutoCompletion::MoveWordStart(bool back)
{
    // Left takes the word's last character off the word used for matching, selected, so an
    // accepted name replaces it too; Right gives one back.
    const long start = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (!back) {
        // The line break is never taken into what an accepted name replaces, which would join
        // the next line to this one: at the line's end the list goes and the caret moves on.
        const long line = m_view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
        if (start >= m_view.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line)) {
            Close();
            return false;
        }
        m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, end,
                             m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, start));
        Show();
        return true;
    }
    WordBeforeCaret before;
    m_view.GetWordBeforeCaret(' ', before);
    if (!before.word.empty()) {
        m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, end,
                             m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONBEFORE, start));
        Show();
        return true;
    }
    // Nothing left to match: the selected characters go, as one step that undo brings back.
    if (start != end)
        m_view.RunAsCause(EditOther, [this] { m_view.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, ""); });
    Close();
    return true;
}

bool CAutoCompletion::OnCharacter(QKeyEvent *e, int ch)
{
    if (!Enabled())
        return false;
    if (ch == ' ' && (e->modifiers() & Qt::ControlModifier)) {
        Show();
        return true;
    }
    if (ch == '\r' && m_list) {
        Accept();
        return true;
    }
    const bool active = m_active;
    m_active = false;
    if (!active)
        return false;
    if (ch == '\b') {
        WordBeforeCaret before;
        m_view.GetWordBeforeCaret(' ', before);
        if (before.word.empty()) {
            // The word's last character goes: the list goes with it.
            Close();
            PassToControl(e, ch);
        } else {
            PassToControl(e, ch);
            Show();
        }
        return true;
    }
    if (IsNameCharacter(ch)) {
        PassToControl(e, ch);
        Show();
        return true;
    }
    Close();
    return false;
}

void CAutoCompletion::PassToControl(QKeyEvent *e, int ch)
{
    m_view.DefaultKeyProcessing(e);
    m_view.AfterCharacter(ch);
}

void CAutoCompletion::Accept()
{
    const QByteArray name = m_list->SelectedName().toUtf8();
    if (name.isEmpty()) {
        // Every name sorts before the word, or there are none: nothing to insert.
        Close();
        return;
    }
    m_view.FreezeDisplay();
    long start = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = m_view.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    WordBeforeCaret before;
    if (m_view.GetWordBeforeCaret(' ', before))
        start -= long(before.word.size());
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    m_view.RunAsCause(EditOther, [&] {
        m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, start, end);
        m_view.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, name.constData());
    });
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    m_view.UnfreezeDisplay();
    Close();
}
