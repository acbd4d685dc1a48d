#include "scribaview.h"

#include "editor/caretcolumn.h"

#include "app/fileio.h"
#include "app/prompter.h"
#include "doc/documenthost.h"
#include "app/settings.h"
#include "check/checkmarks.h"
#include "doc/scribadoc.h"
#include "editor/autocompletion.h"
#include "editor/autoindent.h"
#include "editor/bracketmatcher.h"
#include "editor/caretrest.h"
#include "editor/columntyping.h"
#include "editor/colourer.h"
#include "editor/completionlist.h"
#include "editor/indentrules.h"
#include "editor/intellitip.h"
#include "editor/lineediting.h"
#include "editor/lineword.h"
#include "editor/luascanner.h"
#include "editor/nameaids.h"
#include "editor/referencehover.h"
#include "editor/textcopy.h"
#include "editor/viewaccessible.h"
#include "editor/viewdisplay.h"
#include "editor/viewdrops.h"
#include "editor/viewprinter.h"
#include "frame/accelerators.h"
#include "reference/tarnreference.h"

#include <Qsci/qsciprinter.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

bool g_overtype = false;

namespace {

// The dominant line end is judged from the text's first megabyte.
constexpr qint64 kLineEndSample = 1 << 20;

// On a line longer than this the caret does not blink.
constexpr qint64 kSteadyCaretLine = 64 << 10;

// Pieces of lines whose measured widths Scintilla keeps: its default, and many more once the
// caret is on a long line, which is measured anew on every change of its styles. Each entry
// costs every view 16 bytes whether used or not.
constexpr unsigned long kPositionCache = 1024;
constexpr unsigned long kLongLinePositionCache = 16384;

constexpr unsigned long kChangeAnnouncements = QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE;

bool IsCharacterKey(const QKeyEvent *e)
{
    if (e->text().isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QChar c = e->text().front();
    return c.isPrint() || c == u'\t' || c == u'\r' || c == u'\n';
}

// The character a key types, as the language aids see it: 13 for Enter, 8 for Backspace, 9 for
// Tab, and the blank for Ctrl+Space too; 0 when the key types none.
int CharacterOf(const QKeyEvent *e)
{
    if (e->modifiers() & (Qt::AltModifier | Qt::MetaModifier))
        return 0;
    const bool ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ctrl ? 0 : '\r';
    case Qt::Key_Backspace:
        return ctrl ? 0 : '\b';
    case Qt::Key_Tab:
        return ctrl ? 0 : '\t';
    case Qt::Key_Backtab:
        return 0;
    case Qt::Key_Space:
        return ' ';
    default:
        return IsCharacterKey(e) ? int(e->text().front().unicode()) : 0;
    }
}

EditKind CauseOfKey(const QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Backspace:
        return EditBackspace;
    case Qt::Key_Delete:
        return EditDeleteKey;
    default:
        return IsCharacterKey(e) ? EditTyping : EditOther;
    }
}

} // namespace

CScribaView::CScribaView(CScribaDoc *document, DocumentHost &host, const Settings &settings, QWidget *parent)
    : QsciScintilla(parent), m_document(document), m_host(host), m_settings(settings),
      m_indent(std::make_unique<CAutoIndent>(*this, settings)),
      m_completion(std::make_unique<CAutoCompletion>(*this, settings)),
      m_tip(new CIntelliTip(this, settings))
{
    // Before the view is first shown, which makes Qt create its accessible interface.
    CViewAccessible::InstallFor("CScribaView");
    // QsciScintilla counts the caret's column from the start of its line after every caret move,
    // for a signal (cursorPositionChanged) the program does not use: in a script that is one long
    // line that alone costs a second per key near its end. caretOrSelectionChanged tells instead.
    disconnect(this, SIGNAL(SCN_UPDATEUI(int)), this, SLOT(handleUpdateUI(int)));
    setUtf8(true);
    setAutoCompletionSource(AcsNone);
    setCallTipsStyle(CallTipsNone);
    setBraceMatching(NoBraceMatch);
    setWrapMode(WrapNone);
    setAutoIndent(false);
    // Tab and Backspace in the indentation act on one character; the view does its own indenting.
    setTabIndents(false);
    setBackspaceUnindents(false);
    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    SendScintilla(SCI_SETMARGINLEFT, 0, 4L);
    // The horizontal scroll bar grows with the longest line shown instead of a fixed width.
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETEOLMODE, SC_EOL_LF);
    SendScintilla(SCI_SETMODEVENTMASK, kChangeAnnouncements);
    SendScintilla(SCI_SETPOSITIONCACHE, kPositionCache);
    DefineStyles();
    m_checks = new CheckMarks(this, settings);
    SetReference(SharedBuiltInReference());
    m_nameAids = new CNameAids(*this, settings);
    m_tip->SetSignatureFinder([this](std::string_view word) { return m_nameAids->Signature(word); });
    new CReferenceHover(*this, settings, [this](qint64 position) { return m_nameAids->DescribeAt(position); });

    m_colourer = new CColourer(this, settings);
    connect(this, &QsciScintillaBase::SCN_STYLENEEDED, this, [this](int position) {
        OnTextChanged(); // edits from outside the view's handlers, not yet coloured
        m_colourer->OnStyleNeeded(position);
    });
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &CScribaView::OnModified);
    connect(this, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, [this] { emit modifiedChanged(true); });
    connect(this, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, [this] { emit modifiedChanged(false); });
    m_caretPeriod = SendScintilla(SCI_GETCARETPERIOD);
    m_display = std::make_unique<CViewDisplay>(*this);
    m_brackets = std::make_unique<CBracketMatcher>(*this);
    m_lineEditing = std::make_unique<CLineEditing>(*this);
    connect(this, &QsciScintillaBase::SCN_ZOOM, this, [this] { m_display->OnZoomed(); });
    // After QScintilla's own handling of the click, which may have folded the caret away.
    connect(this, &QsciScintillaBase::SCN_MARGINCLICK, this, [this](int position, int, int) {
        m_display->KeepCaretInSight(LineOf(position));
    });
    // Column editing: Alt and a drag, or Alt+Shift and the arrows, make a column selection;
    // typing, deleting and pasting act on each of its lines.
    SendScintilla(SCI_SETMULTIPLESELECTION, 1);
    SendScintilla(SCI_SETADDITIONALSELECTIONTYPING, 1);
    SendScintilla(SCI_SETMULTIPASTE, SC_MULTIPASTE_EACH);
    SendScintilla(SCI_SETRECTANGULARSELECTIONMODIFIER, SCMOD_ALT);
    m_caretRest = new CCaretRest([this] { SteadyCaretOnLongLines(); }, this);
    m_columnTyping = std::make_unique<CColumnTyping>(*this);
    m_caretColumn = std::make_unique<CCaretColumn>(*this);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this] {
        CViewAccessible::CaretMoved(this);
        m_caretRest->Wake();
        SteadyCaretOnLongLines();
        m_brackets->Update();
        emit caretOrSelectionChanged();
    });
}

CScribaView::~CScribaView() = default;

void CScribaView::SetReference(std::shared_ptr<const TarnReference> reference)
{
    m_reference = std::move(reference);
    m_checks->SetReference(m_reference);
}

// ---------------------------------------------------------------- loading and saving

void CScribaView::BeginLoad(qint64 expectedSize)
{
    m_colourer->SetEnabled(false);
    ++m_textVersion; // the load announces no changes
    SendScintilla(SCI_SETMODEVENTMASK, 0);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    SendScintilla(SCI_CLEARALL);
    // Room to spare after the text, for the text and its styles alike: the first keys typed
    // and the text had as one piece (SCI_GETCHARACTERPOINTER, as saving asks for it) then
    // fit without Scintilla first moving all of it to a bigger buffer, which for a big
    // script costs a tenth of a second.
    const qint64 room = std::clamp<qint64>(expectedSize / 64, 4096, 1 << 20);
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(expectedSize + room));
}

void CScribaView::AppendBytes(const char *data, qint64 length)
{
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(length), data);
}

void CScribaView::EndLoad()
{
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_SETMODEVENTMASK, kChangeAnnouncements);
    // The caret to the start without scrolling to it: scrolling lays out the first line, which
    // costs seconds when the text is one long line and is not coloured yet.
    SendScintilla(SCI_SETEMPTYSELECTION, 0UL);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, 0UL);
    SendScintilla(SCI_SETXOFFSET, 0UL);
    AdoptDominantLineEnding();
    m_display->Refresh();
    SteadyCaretOnLongLines(); // before the first paint lays out a long first line
}

bool CScribaView::TakeAllocationFailure()
{
    const bool failed = SendScintilla(SCI_GETSTATUS) == SC_STATUS_BADALLOC;
    if (failed)
        SendScintilla(SCI_SETSTATUS, static_cast<unsigned long>(SC_STATUS_OK));
    return failed;
}

const char *CScribaView::TextPointer()
{
    return reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
}

qint64 CScribaView::TextLength() const
{
    return SendScintilla(SCI_GETLENGTH);
}

QByteArray CScribaView::CopyText() const
{
    const qint64 length = TextLength();
    QByteArray text(length, Qt::Uninitialized);
    CopyTextRange(*this, 0, length, text.data());
    return text;
}

void CScribaView::ReplaceAllText(const QByteArray &text)
{
    SendScintilla(SCI_SETTARGETRANGE, 0UL, static_cast<long>(TextLength()));
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(text.size()), text.constData());
    SendScintilla(SCI_GOTOPOS, 0);
}

void CScribaView::ClearText()
{
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
}

bool CScribaView::IsModified() const
{
    return SendScintilla(SCI_GETMODIFY) != 0;
}

void CScribaView::SetSavePoint()
{
    SendScintilla(SCI_SETSAVEPOINT);
}

void CScribaView::AdoptDominantLineEnding()
{
    // Count the line ends of the first megabyte: enough to know what the file uses.
    const qint64 length = std::min<qint64>(TextLength(), kLineEndSample);
    const char *text = reinterpret_cast<const char *>(SendScintilla(SCI_GETRANGEPOINTER, 0, length));
    qint64 crlf = 0, lf = 0, cr = 0;
    for (qint64 i = 0; text && i < length; ++i) {
        if (text[i] == '\r') {
            if (i + 1 < length && text[i + 1] == '\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        } else if (text[i] == '\n') {
            ++lf;
        }
    }
    int mode = SC_EOL_LF;
    if (crlf > lf && crlf >= cr)
        mode = SC_EOL_CRLF;
    else if (cr > lf && cr > crlf)
        mode = SC_EOL_CR;
    SendScintilla(SCI_SETEOLMODE, mode);
}

// ---------------------------------------------------------------- activation

void CScribaView::OnInitialUpdate()
{
    m_colourer->SetEnabled(true);
    RecolourAll();
    m_checks->CheckNow();
    m_nameAids->TextLoaded();
}

void CScribaView::OnActivateView(bool activate)
{
    if (activate) {
        if (bool(SendScintilla(SCI_GETOVERTYPE)) != g_overtype)
            SendScintilla(SCI_SETOVERTYPE, g_overtype ? 1 : 0);
        return;
    }
    LeaveAidsBehind();
    CloseFindDialog();
}

void CScribaView::focusOutEvent(QFocusEvent *e)
{
    m_columnTyping->End();
    QsciScintilla::focusOutEvent(e);
}

void CScribaView::focusInEvent(QFocusEvent *e)
{
    OnActivateView(true);
    m_caretRest->Wake();
    SteadyCaretOnLongLines();
    QsciScintilla::focusInEvent(e);
    emit caretOrSelectionChanged();
}

// ---------------------------------------------------------------- shared operations

void CScribaView::BeginSilentEdit()
{
    FreezeDisplay();
}

void CScribaView::EndSilentEdit()
{
    UnfreezeDisplay();
}

void CScribaView::FreezeDisplay()
{
    if (m_freezeCount++ == 0)
        viewport()->setUpdatesEnabled(false);
}

void CScribaView::UnfreezeDisplay()
{
    if (m_freezeCount > 0 && --m_freezeCount == 0)
        viewport()->setUpdatesEnabled(true);
}

std::string_view CScribaView::TextRange(qint64 from, qint64 to) const
{
    if (to <= from)
        return {};
    const char *text = reinterpret_cast<const char *>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), static_cast<long>(to - from)));
    return text ? std::string_view(text, std::size_t(to - from)) : std::string_view();
}

QPoint CScribaView::PointOfPosition(qint64 position) const
{
    const QPoint inText(int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, static_cast<long>(position))),
                        int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, static_cast<long>(position))));
    return viewport()->mapTo(this, inText);
}

QPoint CScribaView::CaretPoint() const
{
    return PointOfPosition(SendScintilla(SCI_GETCURRENTPOS));
}

bool CScribaView::GetWordBeforeCaret(char delimiter, WordBeforeCaret &out) const
{
    const qint64 caret = SendScintilla(SCI_GETSELECTIONSTART);
    const qint64 start = LineStart(LineOf(caret));
    const qint64 end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(LineOf(caret)));
    const char *line = reinterpret_cast<const char *>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), static_cast<long>(end - start)));
    std::string_view text = line ? std::string_view(line, std::size_t(end - start)) : std::string_view();
    return FindWordBeforeCaret(text, int(caret - start), delimiter, out);
}

qint64 CScribaView::LineStart(qint64 line) const
{
    // Past the last line, the end of the text.
    const qint64 start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return start < 0 ? TextLength() : start;
}

qint64 CScribaView::LineOf(qint64 position) const
{
    return SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
}

qint64 CScribaView::LineEndOf(qint64 position) const
{
    return SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(LineOf(position)));
}

// ---------------------------------------------------------------- colouring

void CScribaView::DefineStyles()
{
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, "Courier New");
    SendScintilla(SCI_STYLESETSIZE, STYLE_DEFAULT, 10L);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, 0L);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, 0xFFFFFFL);
    SendScintilla(SCI_STYLECLEARALL);
    const Settings &settings = m_settings;
    // Every style has a twin that looks the same; see CColourer::kTwinStyle.
    static_assert(kStyleNumberCount <= CColourer::kTwinStyle);
    for (int kind = 0; kind < kStyleKindCount; ++kind) {
        const TextStyle &style = settings.styles[std::size_t(kind)];
        for (const unsigned long number : {unsigned(StyleNumber(StyleKind(kind))),
                                           unsigned(StyleNumber(StyleKind(kind)) | CColourer::kTwinStyle)}) {
            SendScintilla(SCI_STYLESETFORE, number, static_cast<long>(style.color));
            SendScintilla(SCI_STYLESETBOLD, number, style.bold ? 1L : 0L);
            SendScintilla(SCI_STYLESETITALIC, number, style.italic ? 1L : 0L);
            SendScintilla(SCI_STYLESETUNDERLINE, number, style.underline ? 1L : 0L);
        }
    }
    if (m_display)
        m_display->Refresh(); // the line numbers' font may have changed
}

void CScribaView::ColourRange(qint64 first, qint64 last)
{
    m_colourer->ColourRange(first, last);
}

void CScribaView::SteadyCaretOnLongLines()
{
    // Each blink repaints the caret's line, and Scintilla draws some things of a line (the
    // marks of the script checks among them) all along it, seen or not: on a line of megabytes
    // a blinking caret would keep the processor busy while nothing happens.
    const qint64 caret = SendScintilla(SCI_GETCURRENTPOS);
    const bool longLine = LineEndOf(caret) - LineStart(LineOf(caret)) > kSteadyCaretLine;
    const long period = longLine || m_caretRest->IsResting() ? 0 : m_caretPeriod;
    if (longLine && SendScintilla(SCI_GETPOSITIONCACHE) < long(kLongLinePositionCache))
        SendScintilla(SCI_SETPOSITIONCACHE, kLongLinePositionCache);
    if (SendScintilla(SCI_GETCARETPERIOD) != period)
        SendScintilla(SCI_SETCARETPERIOD, static_cast<unsigned long>(period));
}

void CScribaView::RecolourLines(qint64 a, qint64 b)
{
    // A change as big as a file that opens coloured in the background (a Replace All over a
    // big script) is coloured the same way.
    m_colourer->Recolour(LineStart(LineOf(a)), LineEndOf(b));
}

void CScribaView::RecolourAll()
{
    // Styling never touches Scintilla's undo history or its save point, so the modified
    // flag stays as it was.
    m_colourer->RecolourAll();
}

bool CScribaView::ContinueBackgroundColouring()
{
    return m_colourer->ContinueBackground();
}

bool CScribaView::IsBackgroundColouring() const
{
    return m_colourer->IsBackgroundColouring();
}

void CScribaView::FinishColouring()
{
    // Every page printed is coloured, wherever the view is.
    while (ContinueBackgroundColouring())
        ;
}

EditKind CScribaView::ClassifyCause(EditKind cause) const
{
    if (cause == EditPaste && m_lastEdit == EditCut)
        return EditMovePaste;
    return cause;
}

void CScribaView::OnProtectedChange(EditKind cause, qint64 position, qint64 length, bool inserting)
{
    ++m_textVersion;
    m_caretColumn->KeepThrough(position, length, inserting, m_textVersion);
    emit edited();
    m_lastEdit = ClassifyCause(cause);
    if (m_changes.IsEmpty()) {
        // Edits that come from outside the view's own handlers are coloured on the next turn
        // of the event loop, before anything is painted.
        QMetaObject::invokeMethod(this, &CScribaView::OnTextChanged, Qt::QueuedConnection);
    }
    if (inserting)
        m_changes.Insert(position, length);
    else
        m_changes.Delete(position, length);
    m_colourer->TextChanging(position, length, inserting);
}

void CScribaView::OnTextChanged()
{
    if (m_changes.IsEmpty() || m_colourer->IsBusy())
        return;
    const qint64 length = TextLength();
    const qint64 start = std::min<qint64>(m_changes.Start(), length);
    const qint64 end = std::min<qint64>(m_changes.End(), length);
    m_changes.Clear();
    RecolourLines(start, end);
    m_lastEdit = EditNone;
    m_display->OnTextChanged();
}

void CScribaView::OnModified(int position, int type, const char *text, int length, int, int, int,
                             int, int, int)
{
    // Only the announcements before a change are asked for: Scintilla reports each with its
    // exact range, undo and redo included, and asking for the reports after the change would
    // make every keystroke cost time in proportion to the text's length.
    if (type & SC_MOD_BEFOREINSERT)
        CViewAccessible::AboutToInsert(this, position, text, length);
    else if (type & SC_MOD_BEFOREDELETE)
        CViewAccessible::AboutToDelete(this, position, length);
    if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))
        OnProtectedChange(m_cause, position, length, (type & SC_MOD_BEFOREINSERT) != 0);
}

void CScribaView::RunAsCause(EditKind cause, const std::function<void()> &edit)
{
    if (cause != EditTyping)
        m_columnTyping->End();
    const EditKind previous = m_cause;
    m_cause = cause;
    edit();
    m_cause = previous;
    OnTextChanged();
}

// ---------------------------------------------------------------- keys

bool CScribaView::event(QEvent *e)
{
    // An open completion list, or a shown tip, takes Escape before the application's accelerators.
    if (e->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(e);
        if (m_completion->ClaimsShortcut(key) || m_nameAids->ClaimsShortcut(key) || m_tip->ClaimsShortcut(key)) {
            e->accept();
            return true;
        }
    }
    // The application's accelerators win over Scintilla's own bindings of the same keys, so
    // every command goes through the view's handlers.
    if (e->type() == QEvent::ShortcutOverride && IsOwnAccelerator(static_cast<QKeyEvent *>(e))) {
        e->ignore();
        return true;
    }
    return QsciScintilla::event(e);
}

bool CScribaView::IsOwnAccelerator(const QKeyEvent *e) const
{
    return IsApplicationAccelerator(QKeySequence(e->keyCombination()));
}

void CScribaView::keyPressEvent(QKeyEvent *e)
{
    m_display->BeforeKey();
    // Scintilla would insert the letter of an Alt or Meta combination that it has no command
    // for; such keys belong to the menus.
    if ((e->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) && !e->text().isEmpty() && e->text().front().isPrint()) {
        e->ignore();
        return;
    }
    // With more than one caret the keys act on every caret as they are: no completion list,
    // no tip and no indentation.
    if (HasMultipleCarets()) {
        LeaveAidsBehind();
        if (IsCharacterKey(e))
            m_columnTyping->Join();
        DefaultKeyProcessing(e);
        return;
    }
    m_columnTyping->End();
    if (e->key() == Qt::Key_Insert && !(e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
        g_overtype = !g_overtype;
        SendScintilla(SCI_SETOVERTYPE, g_overtype ? 1 : 0);
        emit caretOrSelectionChanged();
        return;
    }
    if (m_nameAids->TakeKey(e) || m_completion->TakeEscape(e))
        return;
    // Key-down: the completion list's keys come first; a key the list takes never reaches the
    // control. Then the tip's keys and the Enter measurement.
    const bool listKey = CompletionKey(e);
    if (!listKey) {
        TipKeyBefore(e);
        MeasureEnter(e);
    }
    const int ch = CharacterOf(e);
    if (ch != 0)
        HandleCharacter(e, ch);
    else if (!listKey)
        DefaultKeyProcessing(e);
    if (!listKey)
        TipRecount(e);
    m_nameAids->AfterKey(e, ch);
    // Whatever became of an Enter, its display freeze ends with the key.
    m_indent->EndKey();
}

void CScribaView::HandleCharacter(QKeyEvent *e, int ch)
{
    // Tab conversion, the tip's characters and the completion list's come before the insertion.
    if (ConvertTab(ch))
        return;
    TipCharacter(ch);
    if (CompletionCharacter(e, ch))
        return;
    if (ch == ' ' && (e->modifiers() & Qt::ControlModifier)) {
        // Ctrl+Space with completion off types a plain blank.
        QKeyEvent blank(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        DefaultKeyProcessing(&blank);
    } else {
        DefaultKeyProcessing(e);
    }
    AfterCharacter(ch);
}

void CScribaView::inputMethodEvent(QInputMethodEvent *e)
{
    RunAsCause(EditTyping, [&] { QsciScintilla::inputMethodEvent(e); });
}

void CScribaView::DefaultKeyProcessing(QKeyEvent *e)
{
    RunAsCause(CauseOfKey(e), [&] { QsciScintilla::keyPressEvent(e); });
}

bool CScribaView::ConvertTab(int ch) { return m_indent->ConvertTab(ch); }
void CScribaView::TipCharacter(int ch) { m_tip->OnCharacter(ch); }
bool CScribaView::CompletionCharacter(QKeyEvent *e, int ch) { return m_completion->OnCharacter(e, ch); }
void CScribaView::AfterCharacter(int ch) { m_indent->AfterCharacter(ch, CompletionList() != nullptr); }
bool CScribaView::CompletionKey(QKeyEvent *e) { return m_completion->OnKey(e); }
void CScribaView::TipKeyBefore(QKeyEvent *e) { m_tip->OnKeyBefore(e); }
void CScribaView::MeasureEnter(QKeyEvent *e) { m_indent->MeasureEnter(e); }
void CScribaView::TipRecount(QKeyEvent *e) { m_tip->OnKeyAfter(e); }
void CScribaView::CloseCompletionList() { m_completion->Close(); }
void CScribaView::HideTip() { m_tip->HideTip(); }

void CScribaView::LeaveAidsBehind()
{
    CloseCompletionList();
    m_nameAids->Close();
    HideTip();
}

CCompletionList *CScribaView::CompletionList() const { return m_completion->List(); }

// ---------------------------------------------------------------- mouse and menu

void CScribaView::mousePressEvent(QMouseEvent *e)
{
    m_columnTyping->End();
    LeaveAidsBehind();
    QsciScintilla::mousePressEvent(e);
}

void CScribaView::wheelEvent(QWheelEvent *e)
{
    // The wheel anywhere but over the completion list closes the list and scrolls nothing.
    if (CompletionList()) {
        CloseCompletionList();
        e->accept();
        return;
    }
    // Ctrl and the wheel zoom every view at once.
    if ((e->modifiers() & Qt::ControlModifier) && e->angleDelta().y() != 0) {
        emit zoomRequested(e->angleDelta().y() > 0 ? 1 : -1);
        e->accept();
        return;
    }
    QsciScintilla::wheelEvent(e);
}

void CScribaView::contextMenuEvent(QContextMenuEvent *e)
{
    LeaveAidsBehind();
    QMenu *menu = BuildContextMenu();
    menu->exec(e->globalPos());
    delete menu;
}

QMenu *CScribaView::BuildContextMenu()
{
    QMenu *menu = new QMenu(this);
    auto add = [&](const QString &text, bool enabled, void (CScribaView::*command)()) {
        QAction *action = menu->addAction(text, this, command);
        action->setEnabled(enabled);
    };
    add(tr("&Undo"), CanUndo(), &CScribaView::OnEditUndo);
    add(tr("&Redo"), CanRedo(), &CScribaView::OnEditRedo);
    menu->addSeparator();
    add(tr("Cu&t"), HasSelection(), &CScribaView::OnEditCut);
    add(tr("&Copy"), HasSelection(), &CScribaView::OnEditCopy);
    add(tr("&Paste"), CanPaste(), &CScribaView::OnEditPaste);
    add(tr("&Delete"), HasSelection(), &CScribaView::OnEditClear);
    menu->addSeparator();
    add(tr("Select &All"), HasText(), &CScribaView::OnEditSelectAll);
    return menu;
}

// ---------------------------------------------------------------- commands

// The edit commands change the text or the selection behind the aids' backs: a list left open
// would put its name where the word no longer is.
void CScribaView::OnEditUndo()
{
    LeaveAidsBehind();
    if (CanUndo())
        RunAsCause(EditOther, [this] { SendScintilla(SCI_UNDO); });
}

void CScribaView::OnEditRedo()
{
    LeaveAidsBehind();
    if (CanRedo())
        RunAsCause(EditOther, [this] { SendScintilla(SCI_REDO); });
}

void CScribaView::OnEditCut()
{
    LeaveAidsBehind();
    if (HasSelection())
        RunAsCause(EditCut, [this] { SendScintilla(SCI_CUT); });
}

void CScribaView::OnEditCopy()
{
    if (HasSelection())
        SendScintilla(SCI_COPY);
}

void CScribaView::OnEditPaste()
{
    LeaveAidsBehind();
    if (!CanPaste())
        return;
    FreezeDisplay();
    RunAsCause(EditPaste, [this] { SendScintilla(SCI_PASTE); });
    UnfreezeDisplay();
}

void CScribaView::OnEditClear()
{
    LeaveAidsBehind();
    if (HasSelection())
        RunAsCause(EditOther, [this] { SendScintilla(SCI_CLEAR); });
}

void CScribaView::OnEditSelectAll()
{
    LeaveAidsBehind();
    SendScintilla(SCI_SELECTALL);
}

bool CScribaView::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
bool CScribaView::CanRedo() const { return SendScintilla(SCI_CANREDO) != 0; }
bool CScribaView::HasText() const { return TextLength() > 0; }

bool CScribaView::HasSelection() const
{
    return SendScintilla(SCI_GETSELECTIONSTART) != SendScintilla(SCI_GETSELECTIONEND);
}

bool CScribaView::CanPaste() const
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

QString CScribaView::CaretPositionText() const
{
    return m_caretColumn->PositionText(m_textVersion);
}

// ---------------------------------------------------------------- lines, brackets and folds

qint64 CScribaView::CaretLine() const
{
    return LineOf(SendScintilla(SCI_GETCURRENTPOS));
}

qint64 CScribaView::LineCount() const
{
    return SendScintilla(SCI_GETLINECOUNT);
}

bool CScribaView::HasMultipleCarets() const
{
    return SendScintilla(SCI_GETSELECTIONS) > 1;
}

void CScribaView::FinishFolding()
{
    m_colourer->FinishFolding();
}

bool CScribaView::IsFolding() const
{
    return m_colourer->IsFolding();
}

void CScribaView::OnEditToggleComment()
{
    LeaveAidsBehind();
    RunAsCause(EditOther, [this] { m_lineEditing->ToggleComment(); });
}

void CScribaView::OnEditIndentLines()
{
    LeaveAidsBehind();
    const std::string unit = IndentUnitOf(m_settings.options.indent, "  ");
    RunAsCause(EditOther, [&] { m_lineEditing->Indent(unit); });
}

void CScribaView::OnEditUnindentLines()
{
    LeaveAidsBehind();
    const std::string unit = IndentUnitOf(m_settings.options.indent, "  ");
    RunAsCause(EditOther, [&] { m_lineEditing->Unindent(unit); });
}

void CScribaView::OnEditMatchBracket()
{
    LeaveAidsBehind();
    m_brackets->GoToPartner();
}

void CScribaView::OnViewFoldAll()
{
    LeaveAidsBehind();
    m_display->FoldAll();
}

void CScribaView::OnViewUnfoldAll()
{
    m_display->UnfoldAll();
}

// ---------------------------------------------------------------- clipboard and drops

bool CScribaView::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

QByteArray CScribaView::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    // Only the plain text of whatever was copied is inserted.
    rectangular = false;
    return source->text().toUtf8();
}

void CScribaView::dragEnterEvent(QDragEnterEvent *e)
{
    if (IsFileDrop(e->mimeData())) {
        e->acceptProposedAction();
        return;
    }
    QsciScintilla::dragEnterEvent(e);
}

void CScribaView::dragMoveEvent(QDragMoveEvent *e)
{
    if (IsFileDrop(e->mimeData())) {
        e->acceptProposedAction();
        return;
    }
    QsciScintilla::dragMoveEvent(e);
}

void CScribaView::dropEvent(QDropEvent *e)
{
    if (IsFileDrop(e->mimeData())) {
        if (const QString path = DroppedScriptPath(e->mimeData()); !path.isEmpty()) {
            if (QWidget *top = window()) {
                top->raise();
                top->activateWindow();
            }
            m_host.OpenDocumentFile(path);
        }
        e->acceptProposedAction();
        return;
    }
    if (!e->mimeData()->hasUrls()) {
        RunAsCause(EditPaste, [&] { QsciScintilla::dropEvent(e); });
        return;
    }
    // Scintilla would take the links and drop nothing: hand it the text alone.
    QMimeData text;
    text.setText(e->mimeData()->text());
    QDropEvent textDrop(e->position(), e->possibleActions(), &text, e->buttons(), e->modifiers());
    RunAsCause(EditPaste, [&] { QsciScintilla::dropEvent(&textDrop); });
    e->setDropAction(textDrop.dropAction());
    e->setAccepted(textDrop.isAccepted());
}

// ---------------------------------------------------------------- printing

void CScribaView::Print(bool showDialog)
{
    FinishColouring();
    CViewPrinter(*this, m_host).Print(showDialog, windowTitle());
}

void CScribaView::PrintPreview()
{
    FinishColouring();
    CViewPrinter(*this, m_host).Preview(windowTitle());
}
