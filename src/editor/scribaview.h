// The editing view of one script: a Scintilla control with this program's key handling,
// commands, colouring and the hooks the language aids hang on.
#pragma once

#include "editor/changerange.h"

#include <Qsci/qsciscintilla.h>

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CAutoCompletion;
class DocumentHost;
struct Settings;
class CAutoIndent;
class CBracketMatcher;
class CCaretRest;
class CColumnTyping;
class CCaretColumn;
class CColourer;
class CLineEditing;
class CNameAids;
class CViewDisplay;
class CCompletionList;
class CIntelliTip;
class CFindReplaceDialog;
class CheckMarks;
class CScribaDoc;
class QMenu;
class QsciPrinter;
class TarnReference;
struct WordBeforeCaret;

// How the text is about to change: the cause the view is handling when Scintilla announces it.
enum EditKind : std::int32_t {
    EditNone = 0,
    EditOther = 1,
    EditTyping = 2,
    EditDeleteKey = 3,
    EditBackspace = 4,
    EditCut = 5,
    EditPaste = 6,
    EditMovePaste = 7,
};

// The overtype mode the user last chose with Insert in any view; every view follows it.
extern bool g_overtype;

// What was last searched for, shared by all views and their find dialogs; never saved.
extern QString g_findText;
extern QString g_replaceText;
extern bool g_matchCase;
extern bool g_wholeWord;

class CScribaView : public QsciScintilla {
    Q_OBJECT

public:
    // host: the program the view lives in (prompts, opening dropped files, the page layout);
    // settings: the store whose styles, options and tables the view reads, in place.
    CScribaView(CScribaDoc *document, DocumentHost &host, const Settings &settings, QWidget *parent = nullptr);
    ~CScribaView() override;

    CScribaDoc *GetDocument() const { return m_document; }
    DocumentHost &Host() const { return m_host; }
    const Settings &GetSettings() const { return m_settings; }
    // Tarn's reference that the tip, the list's panel, the hover and the check show from; the
    // built-in one until another is set.
    void SetReference(std::shared_ptr<const TarnReference> reference);
    const TarnReference &Reference() const { return *m_reference; }
    // The script check's marks on this view.
    CheckMarks *Checks() const { return m_checks; }

    // Loading and saving: the document streams its bytes through these.
    void BeginLoad(qint64 expectedSize);
    void AppendBytes(const char *data, qint64 length);
    void EndLoad();
    // True (once) when the control could not get the memory for a change since the last call.
    bool TakeAllocationFailure();
    // The whole text, without copying (valid until the next change).
    const char *TextPointer();
    qint64 TextLength() const;
    // A copy of the whole text, taken without moving Scintilla's gap: two plain copies, so a
    // 50 MB script costs a few milliseconds and the next keystroke nothing extra.
    QByteArray CopyText() const;
    void ClearText();
    // Replaces the whole text as one step that Undo takes back.
    void ReplaceAllText(const QByteArray &text);

    // Scintilla's save point is the modified flag: modified exactly when the text differs from
    // what was last loaded or saved.
    bool IsModified() const;
    void SetSavePoint();

    // Enables colouring and colours the loaded text.
    void OnInitialUpdate();
    void OnActivateView(bool activate);

    // Shared operations of the language aids.
    void BeginSilentEdit();
    void EndSilentEdit();
    void FreezeDisplay();
    void UnfreezeDisplay();
    bool GetWordBeforeCaret(char delimiter, WordBeforeCaret &out) const;
    bool IsDisplayFrozen() const { return m_freezeCount > 0; }
    // Counts the changes of the text, a load included: equal counts, the same text.
    std::uint64_t TextVersion() const { return m_textVersion; }
    // The bytes of [from, to), valid until the text changes.
    std::string_view TextRange(qint64 from, qint64 to) const;
    // The top-left corner of the character at position, in the view's coordinates.
    QPoint PointOfPosition(qint64 position) const;
    QPoint CaretPoint() const;

    // The language aids. Clicks, deactivation, the edit commands and switching an aid off close
    // the list and hide the tip.
    void CloseCompletionList();
    void HideTip();
    // Both: the caret or the text moved in a way the aids do not follow.
    void LeaveAidsBehind();
    CCompletionList *CompletionList() const;
    CIntelliTip *Tip() const { return m_tip; }
    // Complete Name, the navigation and the marks on the uses of the name at the caret.
    CNameAids &NameAids() const { return *m_nameAids; }
    // When the caret's blink rests, some seconds after the user last did something in the view.
    CCaretRest *CaretRest() const { return m_caretRest; }

    // Colouring.
    void DefineStyles();
    void ColourRange(qint64 first, qint64 last);
    void RecolourLines(qint64 a, qint64 b);
    // Colours the whole text: at once when it is small, else what is painted when it is painted
    // and the rest a slice at a time while the program is idle, so a big file opens without
    // waiting (the colouring itself is CColourer's).
    void RecolourAll();
    // One idle-time slice of that; false when the whole text is coloured.
    bool ContinueBackgroundColouring();
    bool IsBackgroundColouring() const;
    // Colours what the background has not reached yet, at once.
    void FinishColouring();
    EditKind LastEdit() const { return m_lastEdit; }
    // Colours the lines that the edits since the last call touched.
    void OnTextChanged();

    // Commands and their enabling rules.
    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditSelectAll();
    bool CanUndo() const;
    bool CanRedo() const;
    bool HasSelection() const;
    bool CanPaste() const;
    bool HasText() const;
    // "Ln %d, Col %d" for the caret's line and the selection end's column, counted from 1.
    QString CaretPositionText() const;

    // Find and replace (scribaviewfind.cpp).
    void OnEditFind();
    void OnEditReplace();
    // Find Next: repeats the open dialog's last action, or searches without a dialog.
    void OnEditRepeat();
    bool CanFindNext() const;
    // A report of the find dialog (flags unused then), or of Find Next (flags FR_FINDNEXT).
    int OnFindReplace(std::uint32_t flags);
    CFindReplaceDialog *FindDialog() const;

    void Print(bool showDialog);
    void PrintPreview();

    // The line-ending mode for typed line breaks follows the text's dominant one.
    void AdoptDominantLineEnding();

    // Margins, folding, wrapping, zoom and the other switches of the display.
    CViewDisplay &Display() const { return *m_display; }
    // Gives every line its fold level now, wherever the idle-time folding is.
    void FinishFolding();
    bool IsFolding() const;
    qint64 CaretLine() const;
    qint64 LineCount() const;
    // More than one caret: column editing.
    bool HasMultipleCarets() const;
    void OnEditToggleComment();
    void OnEditIndentLines();
    void OnEditUnindentLines();
    void OnEditMatchBracket();
    void OnViewFoldAll();
    void OnViewUnfoldAll();

signals:
    void modifiedChanged(bool modified);
    void caretOrSelectionChanged();
    // Announced before every change of the text, typed or not.
    void edited();
    // Ctrl and the wheel: zoom every view in (steps > 0) or out.
    void zoomRequested(int steps);

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    // The aids drive the key handling's steps and edit the text as the view's own handlers do.
    friend class CAutoCompletion;
    friend class CAutoIndent;

    // The whole handling of the character ch that e carries.
    void HandleCharacter(QKeyEvent *e, int ch);
    // Steps of a character, in order. A step that returns true ends the handling.
    bool ConvertTab(int ch);
    void TipCharacter(int ch);
    bool CompletionCharacter(QKeyEvent *e, int ch);
    void AfterCharacter(int ch);
    // Steps of a key-down, in order.
    bool CompletionKey(QKeyEvent *e);
    void TipKeyBefore(QKeyEvent *e);
    void MeasureEnter(QKeyEvent *e);
    void TipRecount(QKeyEvent *e);
    // The control's own handling of the key or character.
    void DefaultKeyProcessing(QKeyEvent *e);

    void OnModified(int position, int type, const char *text, int length, int linesAdded,
                    int line, int foldNow, int foldPrev, int token, int annotationLinesAdded);
    void OnProtectedChange(EditKind cause, qint64 position, qint64 length, bool inserting);
    EditKind ClassifyCause(EditKind cause) const;
    void RunAsCause(EditKind cause, const std::function<void()> &edit);
    void SteadyCaretOnLongLines();

    // Find and replace.
    struct CharRange {
        qint64 cpMin;
        qint64 cpMax;
    };
    enum class FindOutcome { Found, NotFound, Declined };
    void OpenFindDialog(bool findOnly);
    void CloseFindDialog();
    void AdoptDialogState();
    CharRange Selection() const;
    FindOutcome FindNext(CharRange &r);
    void FindNextFromDialog(CharRange r);
    void ReplaceSelection(const CharRange &r);
    void ReplaceAll(const CharRange &r);
    void ReplaceOccurrences(const std::vector<std::size_t> &positions, std::size_t length,
                            const std::string &replacement, std::size_t lastReplaced);
    void KeepFindDialogOff(const CharRange &r);

    bool IsOwnAccelerator(const QKeyEvent *e) const;
    QMenu *BuildContextMenu();
    qint64 LineStart(qint64 line) const;
    qint64 LineOf(qint64 position) const;
    qint64 LineEndOf(qint64 position) const;

    CScribaDoc *m_document;
    DocumentHost &m_host;
    const Settings &m_settings;
    QPointer<CFindReplaceDialog> m_findDialog;
    std::unique_ptr<CAutoIndent> m_indent;
    std::unique_ptr<CAutoCompletion> m_completion;
    CIntelliTip *m_tip = nullptr;
    CNameAids *m_nameAids = nullptr;
    CheckMarks *m_checks = nullptr;
    std::shared_ptr<const TarnReference> m_reference;
    int m_freezeCount = 0;
    int m_silentCount = 0;
    EditKind m_cause = EditOther;    // what the view is handling right now
    EditKind m_lastEdit = EditNone;  // the kind of the announced, unhandled change
    ChangeRange m_changes;           // touched by edits not yet recoloured
    CColourer *m_colourer = nullptr;
    std::unique_ptr<CViewDisplay> m_display;
    std::unique_ptr<CBracketMatcher> m_brackets;
    std::unique_ptr<CLineEditing> m_lineEditing;
    std::unique_ptr<CColumnTyping> m_columnTyping;
    long m_caretPeriod = 500; // the caret's blink, in milliseconds, on lines of ordinary length
    CCaretRest *m_caretRest = nullptr;
    std::uint64_t m_textVersion = 0; // counts the changes announced, for caches of the text
    std::unique_ptr<CCaretColumn> m_caretColumn; // the caret pane's text and its last count
};
