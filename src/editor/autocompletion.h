// The completion list's part in the editor view's key handling: Ctrl+Space opens the list of
// function names under the word before the caret, typed letters move its selection, and Enter
// or a double click replaces the word by the selected name.
#pragma once

#include <QFont>
#include <QPointer>

class CCompletionList;
class CScribaView;
class QKeyEvent;
struct Settings;

class CAutoCompletion {
public:
    CAutoCompletion(CScribaView &view, const Settings &settings);
    ~CAutoCompletion();
    CAutoCompletion(const CAutoCompletion &) = delete;
    CAutoCompletion &operator=(const CAutoCompletion &) = delete;

    // Opens the list, filled from the function table as it is now, or brings an open list's
    // selection up to the word before the caret.
    void Show();
    void Close();
    CCompletionList *List() const { return m_list; }

    // Keys the list claims ahead of the application's accelerators while it is open.
    bool ClaimsShortcut(const QKeyEvent *e) const;
    // Escape closes an open list and goes no further; true when it did.
    bool TakeEscape(const QKeyEvent *e);
    // The key-down step: true when the key was the list's and must not reach the control.
    bool OnKey(const QKeyEvent *e);
    // The character step: true ends the handling of the character ch.
    bool OnCharacter(QKeyEvent *e, int ch);

private:
    bool Enabled() const;
    void Accept();
    // Left and Right with the list open: false when the key is to move the caret as usual.
    bool MoveWordStart(bool back);
    // The control inserts or deletes the character, then the post-character step runs.
    void PassToControl(QKeyEvent *e, int ch);

    CScribaView &m_view;
    const Settings &m_settings;
    // The list's font at the view's zoom.
    QFont ZoomedListFont() const;
    QFont m_listFont;
    QPointer<CCompletionList> m_list;
    bool m_active = false; // typed letters bring the open list up to date
};
