// Typing with several carets as one undo step per typed run, as ordinary typing is: Scintilla
// makes each key an undo step of its own when it acts on every caret.
#pragma once

class QsciScintillaBase;

class CColumnTyping {
public:
    explicit CColumnTyping(QsciScintillaBase &view) : m_view(view) {}
    ~CColumnTyping() { End(); }

    // A character typed with several carets: the run's undo step opens, if it is not open yet.
    void Join();
    // Anything else (another key, a click, a command, the focus going): the run's step closes.
    void End();
    bool IsOpen() const { return m_open; }

private:
    QsciScintillaBase &m_view;
    bool m_open = false;
};
