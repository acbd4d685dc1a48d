#include "mainframe.h"

#include "app/fileio.h"
#include "app/scribaapp.h"
#include "app/settings.h"
#include "check/checkmarks.h"
#include "doc/scribadoc.h"
#include "editor/gotolinedialog.h"
#include "editor/htmlexport.h"
#include "editor/scribaview.h"
#include "frame/childframe.h"
#include "frame/lockkeyevents.h"
#include "frame/lockkeyreader.h"
#include "frame/namecommands.h"
#include "frame/viewoptions.h"
#include "panes/panecommands.h"
#include "panes/referencepane.h"
#include "run/runcontroller.h"
#include "reference/tarnreference.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <new>

// The icons live in the library's resources, which a static library must register itself.
static void InitResources()
{
    Q_INIT_RESOURCE(scriba);
}

namespace {

// A recent-file entry as the File menu shows it: at most 30 characters, the name kept whole.
QString ShortenedPath(const QString &path)
{
    constexpr int kMaxLength = 30;
    const QString native = QDir::toNativeSeparators(path);
    if (native.size() <= kMaxLength)
        return native;
    const QString name = QFileInfo(path).fileName();
    const int headLength = kMaxLength - int(name.size()) - 4;
    if (headLength <= 0)
        return name;
    return native.left(headLength) + QStringLiteral("...") + QDir::separator() + name;
}

// A path as a menu item's text: an "&" is a character of the name, not a mnemonic, and a tab
// or line break in a name, which would start the key column or a second line, shows as a blank.
QString RecentFileMenuText(const QString &path)
{
    QString shown = ShortenedPath(path);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    for (QChar &c : shown)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return shown;
}

// How often the lock-key panes look at the keyboard: quick enough to follow a key at once.
constexpr int kLockKeyPollMs = 200;

// True when the window that has the keyboard is the closing dialog, one of the windows it
// belongs to, or a window already gone: then the keyboard is the dialog's to hand back.
bool HoldsTheKeyboard(const QWidget *closing)
{
    const QWindow *focus = QGuiApplication::focusWindow();
    if (!focus) // another program has the keyboard
        return false;
    for (const QWidget *window = closing; window; window = window->parentWidget()) {
        window = window->window();
        if (window->windowHandle() == focus)
            return true;
    }
    return !focus->isVisible();
}

// A dialog that closes hands the keyboard back to the window it belongs to, as a window manager
// would. Without one, no window would be active and no menu key would work until a click.
void ReturnKeyboardToOwner(QWidget *closing)
{
    if (!closing->isWindow() || closing->windowType() != Qt::Dialog || !closing->parentWidget())
        return;
    QWidget *owner = closing->parentWidget()->window();
    if (!owner->isVisible() || !owner->windowHandle() || !HoldsTheKeyboard(closing))
        return;
    // Asked of the window system itself: Qt may already count the owner as active by now.
    owner->windowHandle()->requestActivate();
}

} // namespace

CMainFrame::CMainFrame(CScribaApp *app, const Settings &settings) : m_app(app), m_settings(settings)
{
    InitResources();
    setWindowTitle(QStringLiteral("Scriba"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/scriba.svg")));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setViewMode(QMdiArea::SubWindowView);
    // Closing the active window brings back the one that was active before it.
    m_mdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_mdiArea);
    m_viewOptions = std::make_unique<CViewOptions>([app] { return app->OpenProfile(); });

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    WatchLockKeys();
    m_clientWatcher.Install(this); // without it the program works on, without tabs

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        // Every document window is maximised, whichever way it became the active one.
        if (window && !window->isMaximized())
            window->showMaximized();
        UpdateTitle();
        auto *frame = qobject_cast<CChildFrame *>(window);
        CScribaView *view = frame ? frame->GetView() : nullptr;
        if (view == m_activeView)
            return;
        if (m_activeView)
            m_activeView->OnActivateView(false);
        m_activeView = view;
        if (view)
            view->OnActivateView(true);
        if (m_referencePane)
            m_referencePane->FollowView(view);
        RequestUpdate();
    });
    connect(app, &DocumentHost::documentsChanged, this, &CMainFrame::RequestUpdate);
    // Queued: the recent-file list may change while one of its own menu entries is being handled.
    connect(app, &CScribaApp::recentFilesChanged, this, &CMainFrame::CreateMenus, Qt::QueuedConnection);
    // Asking the clipboard is a round trip to the display server: it is asked when it changes,
    // not on every key's update.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        ReadClipboard();
        RequestUpdate();
    });
    ReadClipboard();
    qApp->installEventFilter(this);
    resize(900, 680);
    UpdateCommands();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------- actions

QAction *CMainFrame::AddAction(CommandId command, const QString &text, const QString &prompt,
                               const QString &icon)
{
    auto *action = new QAction(text, this);
    action->setStatusTip(prompt);
    action->setShortcutContext(Qt::WindowShortcut);
    // A menu shows the key its text names; the command's other keys work without being shown.
    const QKeySequence shown(text.section(QLatin1Char('\t'), 1), QKeySequence::PortableText);
    for (const QKeySequence &keys : KeysOf(command)) {
        if (keys == shown)
            action->setShortcut(keys);
        else
            AddUnshownKey(action, keys);
    }
    if (!icon.isEmpty())
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)));
    addAction(action); // keys work whichever menu is shown
    m_actions.insert(command, action);
    return action;
}

void CMainFrame::AddUnshownKey(QAction *command, const QKeySequence &keys)
{
    auto *key = new QAction(this);
    key->setShortcut(keys);
    key->setShortcutContext(Qt::WindowShortcut);
    connect(command, &QAction::enabledChanged, key, &QAction::setEnabled);
    connect(key, &QAction::triggered, command, &QAction::trigger);
    addAction(key);
}

void CMainFrame::Route(CommandId command, void (CScribaView::*handler)())
{
    connect(Action(command), &QAction::triggered, this, [this, handler] {
        if (CScribaView *view = ActiveView())
            (view->*handler)();
        RequestUpdate();
    });
}

void CMainFrame::CreateActions()
{
    auto onDocument = [this](CommandId command, auto &&work) {
        connect(Action(command), &QAction::triggered, this, [this, work] {
            if (CScribaDoc *document = ActiveDocument())
                work(document);
            RequestUpdate();
        });
    };
    AddAction(ID_FILE_NEW, tr("&New\tCtrl+N"), tr("Create a new document"), QStringLiteral("new"))->setToolTip(tr("New"));
    AddAction(ID_FILE_OPEN, tr("&Open...\tCtrl+O"), tr("Open an existing document"), QStringLiteral("open"))->setToolTip(tr("Open"));
    AddAction(ID_FILE_CLOSE, tr("&Close"), tr("Close the active document"));
    AddAction(ID_FILE_SAVE, tr("&Save\tCtrl+S"), tr("Save the active document"), QStringLiteral("save"))->setToolTip(tr("Save"));
    AddAction(ID_FILE_SAVE_AS, tr("Save &As..."), tr("Save the active document with a new name"));
    AddAction(ID_FILE_EXPORT_HTML, tr("&Export as HTML..."), tr("Save the active document as a coloured web page"));
    AddAction(ID_FILE_SAVE_ALL, tr("Save All"), tr("Save all open documents"));
    AddAction(ID_FILE_PRINT, tr("&Print...\tCtrl+P"), tr("Print the active document"), QStringLiteral("print"))->setToolTip(tr("Print"));
    AddAction(ID_FILE_PRINT_PREVIEW, tr("Print Pre&view"), tr("Display full pages"), QStringLiteral("printpreview"))->setToolTip(tr("Print Preview"));
    AddAction(ID_FILE_PRINT_SETUP, tr("P&rint Setup..."), tr("Change the printer and printing options"));
    AddAction(ID_APP_EXIT, tr("E&xit"), tr("Quit the application; prompts to save documents"));
    AddAction(ID_EDIT_UNDO, tr("&Undo\tCtrl+Z"), tr("Undo the last action"), QStringLiteral("undo"))->setToolTip(tr("Undo"));
    AddAction(ID_EDIT_REDO, tr("&Redo\tCtrl+Y"), tr("Redo the previously undone action"), QStringLiteral("redo"))->setToolTip(tr("Redo"));
    AddAction(ID_EDIT_CUT, tr("Cu&t\tCtrl+X"), tr("Cut the selection and put it on the Clipboard"), QStringLiteral("cut"))->setToolTip(tr("Cut"));
    AddAction(ID_EDIT_COPY, tr("&Copy\tCtrl+C"), tr("Copy the selection and put it on the Clipboard"), QStringLiteral("copy"))->setToolTip(tr("Copy"));
    AddAction(ID_EDIT_PASTE, tr("&Paste\tCtrl+V"), tr("Insert Clipboard contents"), QStringLiteral("paste"))->setToolTip(tr("Paste"));
    AddAction(ID_EDIT_CLEAR, tr("&Delete"), tr("Erase the selection"));
    AddAction(ID_EDIT_SELECT_ALL, tr("Select A&ll\tCtrl+A"), tr("Select the entire document"));
    AddAction(ID_EDIT_FIND, tr("&Find...\tCtrl+F"), tr("Find the specified text"), QStringLiteral("find"))->setToolTip(tr("Find"));
    AddAction(ID_EDIT_REPEAT, tr("F&ind Next\tF3"), tr("Find the next instance of specified text"), QStringLiteral("findnext"))->setToolTip(tr("Find next"));
    AddAction(ID_EDIT_REPLACE, tr("R&eplace\tCtrl+R"), tr("Replace specific text with different text"));
    AddAction(ID_PREFERENCES, tr("Prefere&nces..."), tr("Scriba preferences"));
    AddAction(ID_APP_ABOUT, tr("&About Scriba..."), tr("About"));
    AddAction(ID_HELP_REFERENCE, tr("Tarn &Reference\tF1"), tr("Show what each Tarn function does"));
    AddAction(ID_VIEW_TOOLBAR, tr("&Toolbar"), tr("Show or hide the toolbar"))->setCheckable(true);
    AddAction(ID_VIEW_STATUS_BAR, tr("&Status Bar"), tr("Show or hide the status bar"))->setCheckable(true);
    AddAction(ID_VIEW_CHECK_SCRIPTS, tr("&Check Scripts"),
              tr("Mark syntax errors and doubtful Tarn calls while typing"))->setCheckable(true);
    Action(ID_VIEW_CHECK_SCRIPTS)->setChecked(m_app->ScriptChecking());
    // Claimed keys that do nothing: Esc, and the pane and embedded-object keys, as a document
    // window has neither split panes nor embedded objects.
    for (CommandId id : {ID_CANCEL_KEY, ID_NEXT_PANE, ID_PREV_PANE, ID_OBJECT_PROPERTIES})
        AddAction(id, QString(), QString());
    AddAction(ID_NEXT_DOCUMENT, tr("Next Document"), QString());
    AddAction(ID_PREV_DOCUMENT, tr("Previous Document"), QString());
    AddAction(ID_VIEW_RESULTS_PANE, tr("&Results Pane\tCtrl+Shift+M"), tr("Show or hide the problems, search results and run output"));
    AddAction(ID_EDIT_NEXT_RESULT, tr("Ne&xt Result\tF8"), tr("Go to the next place in the results pane"));
    AddAction(ID_EDIT_PREV_RESULT, tr("Pre&vious Result\tShift+F8"), tr("Go to the previous place in the results pane"));
    AddAction(ID_EDIT_FIND_IN_FILES, tr("Find in File&s...\tCtrl+Shift+F"), tr("Find text in every script of a folder"));
    AddAction(ID_RUN_SCRIPT, tr("&Run Script\tF5"), tr("Save the script and run the run command on it"));
    AddAction(ID_RUN_STOP, tr("&Stop\tShift+F5"), tr("Stop the running script"));
    AddAction(ID_RUN_SET_COMMAND, tr("Set Run &Command..."), tr("Change the command that runs a script"));
    AddAction(ID_VIEW_OUTLINE, tr("&Functions\tCtrl+Shift+O"), tr("Show or hide the functions of the script"));
    AddAction(ID_EDIT_COMPLETE_NAME, tr("&Complete Name\tCtrl+J"), tr("List the names that can stand where the caret is"));
    AddAction(ID_EDIT_GOTO_DEFINITION, tr("&Go to Definition\tF12"), tr("Go to where the name at the caret is declared"));
    AddAction(ID_EDIT_FIND_REFERENCES, tr("&Find References\tShift+F12"), tr("List every use of the name at the caret"));
    AddAction(ID_EDIT_RENAME_SYMBOL, tr("&Rename Symbol...\tF2"), tr("Rename the name at the caret and every use of it"));

    connect(Action(ID_FILE_NEW), &QAction::triggered, m_app, &CScribaApp::OnFileNew);
    connect(Action(ID_FILE_OPEN), &QAction::triggered, m_app, &CScribaApp::OnFileOpen);
    connect(Action(ID_FILE_PRINT_SETUP), &QAction::triggered, m_app, &CScribaApp::OnPrintSetup);
    connect(Action(ID_APP_ABOUT), &QAction::triggered, m_app, &CScribaApp::OnAppAbout);
    connect(Action(ID_HELP_REFERENCE), &QAction::triggered, this, &CMainFrame::OpenReference);
    connect(Action(ID_PREFERENCES), &QAction::triggered, m_app, &CScribaApp::OnPreferences);
    connect(Action(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);
    onDocument(ID_FILE_CLOSE, [](CScribaDoc *document) { document->OnFileClose(); });
    onDocument(ID_FILE_SAVE, [](CScribaDoc *document) { document->DoFileSave(); });
    onDocument(ID_FILE_SAVE_AS, [](CScribaDoc *document) { document->DoSave(QString()); });
    onDocument(ID_FILE_SAVE_ALL, [](CScribaDoc *document) { document->OnFileSaveAll(); });
    onDocument(ID_FILE_PRINT, [](CScribaDoc *document) { document->GetView()->Print(true); });
    onDocument(ID_FILE_PRINT_PREVIEW, [](CScribaDoc *document) { document->GetView()->PrintPreview(); });
    connect(Action(ID_FILE_EXPORT_HTML), &QAction::triggered, this, &CMainFrame::ExportHtml);
    Route(ID_EDIT_UNDO, &CScribaView::OnEditUndo);
    Route(ID_EDIT_REDO, &CScribaView::OnEditRedo);
    Route(ID_EDIT_CUT, &CScribaView::OnEditCut);
    Route(ID_EDIT_COPY, &CScribaView::OnEditCopy);
    Route(ID_EDIT_PASTE, &CScribaView::OnEditPaste);
    Route(ID_EDIT_CLEAR, &CScribaView::OnEditClear);
    Route(ID_EDIT_SELECT_ALL, &CScribaView::OnEditSelectAll);
    Route(ID_EDIT_FIND, &CScribaView::OnEditFind);
    Route(ID_EDIT_REPEAT, &CScribaView::OnEditRepeat);
    Route(ID_EDIT_REPLACE, &CScribaView::OnEditReplace);
    connect(Action(ID_NEXT_DOCUMENT), &QAction::triggered, this, [this] { ActivateNeighbour(1); });
    connect(Action(ID_PREV_DOCUMENT), &QAction::triggered, this, [this] { ActivateNeighbour(-1); });
    connect(Action(ID_VIEW_TOOLBAR), &QAction::toggled, this, [this](bool on) { m_toolBar->setVisible(on); });
    connect(Action(ID_VIEW_STATUS_BAR), &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    connect(Action(ID_VIEW_CHECK_SCRIPTS), &QAction::toggled, m_app, &CScribaApp::SetScriptChecking);
    m_panes = new CPaneCommands(*m_app, m_settings, *this);
    m_nameCommands = new CNameCommands(*this, m_app->GetPrompter());
    for (int id = ID_FILE_MRU_FILE1; id < ID_FILE_MRU_FILE1 + 4; ++id) {
        auto *action = new QAction(this);
        action->setStatusTip(tr("Open this document"));
        connect(action, &QAction::triggered, this, [this, id] { m_app->OnOpenRecentFile(id); });
        m_actions.insert(id, action);
    }
    CreateLineAndViewActions();
}

void CMainFrame::CreateLineAndViewActions()
{
    AddAction(ID_EDIT_GOTO_LINE, tr("&Go to Line...\tCtrl+G"), tr("Move the caret to a line of the script"));
    AddAction(ID_EDIT_MATCH_BRACKET, tr("Go to Matching &Bracket\tCtrl+B"), tr("Move the caret to the partner of the bracket beside it"));
    AddAction(ID_EDIT_TOGGLE_COMMENT, tr("Toggle Co&mment\tCtrl+/"), tr("Comment the selected lines out, or in again"));
    AddAction(ID_EDIT_INDENT_LINES, tr("In&dent Lines\tCtrl+I"), tr("Indent the selected lines one step more"));
    AddAction(ID_EDIT_UNINDENT_LINES, tr("&Outdent Lines\tCtrl+Shift+I"), tr("Indent the selected lines one step less"));
    AddAction(ID_VIEW_FOLD_ALL, tr("Fol&d All\tAlt+0"), tr("Fold every block of the script"));
    AddAction(ID_VIEW_UNFOLD_ALL, tr("&Unfold All\tAlt+Shift+0"), tr("Unfold every block of the script"));
    AddAction(ID_VIEW_ZOOM_IN, tr("Zoom &In\tCtrl++"), tr("Make the text larger in every window"));
    AddAction(ID_VIEW_ZOOM_OUT, tr("Zoom &Out\tCtrl+-"), tr("Make the text smaller in every window"));
    AddAction(ID_VIEW_ZOOM_RESET, tr("Reset &Zoom\tCtrl+0"), tr("Show the text at its normal size"));
    Route(ID_EDIT_MATCH_BRACKET, &CScribaView::OnEditMatchBracket);
    Route(ID_EDIT_TOGGLE_COMMENT, &CScribaView::OnEditToggleComment);
    Route(ID_EDIT_INDENT_LINES, &CScribaView::OnEditIndentLines);
    Route(ID_EDIT_UNINDENT_LINES, &CScribaView::OnEditUnindentLines);
    Route(ID_VIEW_FOLD_ALL, &CScribaView::OnViewFoldAll);
    Route(ID_VIEW_UNFOLD_ALL, &CScribaView::OnViewUnfoldAll);
    connect(Action(ID_EDIT_GOTO_LINE), &QAction::triggered, this, &CMainFrame::GoToLine);
    const std::pair<int, int> zooms[] = {{ID_VIEW_ZOOM_IN, 1}, {ID_VIEW_ZOOM_OUT, -1}, {ID_VIEW_ZOOM_RESET, 0}};
    for (const auto &[id, steps] : zooms) {
        connect(Action(CommandId(id)), &QAction::triggered, this, [this, steps] { ZoomAllViews(steps); });
    }
    // The switches: each a checkable command that changes one field for every view.
    const ViewSwitches &now = m_viewOptions->Switches();
    const std::tuple<CommandId, QString, QString, bool ViewSwitches::*> switches[] = {
        {ID_VIEW_LINE_NUMBERS, tr("Line &Numbers"), tr("Show or hide the line numbers"), &ViewSwitches::lineNumbers},
        {ID_VIEW_CURRENT_LINE, tr("Highlight Current &Line"), tr("Mark the line of the caret"), &ViewSwitches::currentLine},
        {ID_VIEW_WHITESPACE, tr("Show W&hitespace"), tr("Show blanks and tabs"), &ViewSwitches::whitespace},
        {ID_VIEW_LINE_ENDINGS, tr("Show Line &Endings"), tr("Show the line breaks: CR, LF or CR LF"), &ViewSwitches::lineEndings},
        {ID_VIEW_WORD_WRAP, tr("&Word Wrap"), tr("Wrap long lines at the window's edge"), &ViewSwitches::wordWrap},
    };
    for (const auto &[id, text, prompt, field] : switches) {
        QAction *action = AddAction(id, text, prompt);
        action->setCheckable(true);
        action->setChecked(now.*field);
        connect(action, &QAction::toggled, this, [this, field](bool on) {
            ViewSwitches changed = m_viewOptions->Switches();
            changed.*field = on;
            m_viewOptions->Set(changed);
            ApplyViewSwitches();
        });
    }
}

void CMainFrame::ApplyViewSwitches()
{
    for (CScribaDoc *document : m_app->Documents())
        document->GetView()->Display().Apply(m_viewOptions->Switches());
}

void CMainFrame::ZoomAllViews(int steps)
{
    m_viewOptions->Zoom(steps);
    ApplyViewSwitches();
}

void CMainFrame::GoToLine()
{
    CScribaView *view = ActiveView();
    if (!view)
        return;
    CGoToLineDialog dialog(view->CaretLine() + 1, view->LineCount(), this);
    if (m_app->GetPrompter().RunDialog(dialog) == QDialog::Accepted && dialog.Line() > 0)
        view->Display().GoToLine(dialog.Line() - 1);
    RequestUpdate();
}

// ---------------------------------------------------------------- menus, toolbar, status bar

void CMainFrame::BuildFileMenu(QMenu *menu, bool withDocument)
{
    menu->addAction(Action(ID_FILE_NEW));
    menu->addAction(Action(ID_FILE_OPEN));
    if (withDocument) {
        menu->addAction(Action(ID_FILE_CLOSE));
        menu->addAction(Action(ID_FILE_SAVE));
        menu->addAction(Action(ID_FILE_SAVE_AS));
        menu->addAction(Action(ID_FILE_EXPORT_HTML));
        menu->addSeparator();
        menu->addAction(Action(ID_FILE_PRINT));
        menu->addAction(Action(ID_FILE_PRINT_PREVIEW));
    } else {
        menu->addSeparator();
    }
    menu->addAction(Action(ID_FILE_PRINT_SETUP));
    menu->addSeparator();
    AddRecentFiles(menu);
    menu->addSeparator();
    menu->addAction(Action(ID_APP_EXIT));
}

void CMainFrame::AddRecentFiles(QMenu *menu)
{
    const QStringList files = m_app->RecentFiles();
    if (files.isEmpty()) {
        menu->addAction(tr("Recent File"))->setEnabled(false);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        QAction *action = Action(CommandId(ID_FILE_MRU_FILE1 + i));
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(RecentFileMenuText(files[i])));
        menu->addAction(action);
    }
}

void CMainFrame::CreateMenus()
{
    for (QMenu *menu : {m_fileMenuNoDocument, m_fileMenuDocument, m_editMenu, m_viewMenu, m_helpMenu, m_runMenu})
        if (menu)
            menu->deleteLater();
    m_fileMenuNoDocument = new QMenu(tr("&File"), this);
    BuildFileMenu(m_fileMenuNoDocument, false);
    m_fileMenuDocument = new QMenu(tr("&File"), this);
    BuildFileMenu(m_fileMenuDocument, true);

    m_editMenu = new QMenu(tr("&Edit"), this);
    for (CommandId id : {ID_EDIT_UNDO, ID_EDIT_REDO})
        m_editMenu->addAction(Action(id));
    m_editMenu->addSeparator();
    for (CommandId id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL})
        m_editMenu->addAction(Action(id));
    m_editMenu->addSeparator();
    for (CommandId id : {ID_EDIT_FIND, ID_EDIT_REPEAT, ID_EDIT_REPLACE, ID_EDIT_FIND_IN_FILES})
        m_editMenu->addAction(Action(id));
    m_editMenu->addSeparator();
    for (CommandId id : {ID_EDIT_NEXT_RESULT, ID_EDIT_PREV_RESULT})
        m_editMenu->addAction(Action(id));
    m_editMenu->addSeparator();
    for (CommandId id : {ID_EDIT_GOTO_LINE, ID_EDIT_MATCH_BRACKET})
        m_editMenu->addAction(Action(id));
    // The commands on the script's names in a menu of their own, whose access keys are theirs.
    m_editMenu->addSeparator();
    QMenu *names = m_editMenu->addMenu(tr("N&ames"));
    for (CommandId id : {ID_EDIT_COMPLETE_NAME, ID_EDIT_GOTO_DEFINITION, ID_EDIT_FIND_REFERENCES, ID_EDIT_RENAME_SYMBOL})
        names->addAction(Action(id));
    m_editMenu->addSeparator();
    for (CommandId id : {ID_EDIT_TOGGLE_COMMENT, ID_EDIT_INDENT_LINES, ID_EDIT_UNINDENT_LINES})
        m_editMenu->addAction(Action(id));
    m_editMenu->addSeparator();
    m_editMenu->addAction(Action(ID_PREFERENCES));

    m_viewMenu = new QMenu(tr("&View"), this);
    m_viewMenu->addAction(Action(ID_VIEW_TOOLBAR));
    m_viewMenu->addAction(Action(ID_VIEW_STATUS_BAR));
    m_viewMenu->addSeparator();
    m_viewMenu->addAction(Action(ID_VIEW_CHECK_SCRIPTS));
    AddLineAndViewMenuItems();
    m_viewMenu->addSeparator();
    m_viewMenu->addAction(Action(ID_VIEW_RESULTS_PANE));
    m_viewMenu->addAction(Action(ID_VIEW_OUTLINE));
    m_runMenu = m_panes->BuildRunMenu(this);
    m_helpMenu = new QMenu(tr("&Help"), this);
    m_helpMenu->addAction(Action(ID_HELP_REFERENCE));
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(Action(ID_APP_ABOUT));
    m_menusShown = false;
    ShowMenus(m_showsDocumentMenu);
}

void CMainFrame::AddLineAndViewMenuItems()
{
    const QList<QList<CommandId>> groups = {
        {ID_VIEW_LINE_NUMBERS, ID_VIEW_CURRENT_LINE, ID_VIEW_WHITESPACE, ID_VIEW_LINE_ENDINGS, ID_VIEW_WORD_WRAP},
        {ID_VIEW_FOLD_ALL, ID_VIEW_UNFOLD_ALL},
        {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_RESET},
    };
    for (const QList<CommandId> &group : groups) {
        m_viewMenu->addSeparator();
        for (CommandId id : group)
            m_viewMenu->addAction(Action(id));
    }
}

void CMainFrame::ShowMenus(bool withDocument)
{
    if (m_menusShown && withDocument == m_showsDocumentMenu)
        return;
    m_menusShown = true;
    m_showsDocumentMenu = withDocument;
    QMenuBar *bar = menuBar();
    bar->clear();
    if (withDocument) {
        bar->addMenu(m_fileMenuDocument);
        bar->addMenu(m_editMenu);
        bar->addMenu(m_viewMenu);
        bar->addMenu(m_runMenu);
        bar->addMenu(m_helpMenu);
    } else {
        bar->addMenu(m_fileMenuNoDocument);
        bar->addMenu(m_viewMenu);
        bar->addMenu(m_helpMenu);
    }
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    const QList<QList<CommandId>> groups = {
        {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE},
        {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE},
        {ID_EDIT_UNDO, ID_EDIT_REDO},
        {ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT},
        {ID_EDIT_FIND, ID_EDIT_REPEAT},
    };
    for (const QList<CommandId> &group : groups) {
        if (!m_toolBar->actions().isEmpty())
            m_toolBar->addSeparator();
        for (CommandId id : group)
            m_toolBar->addAction(Action(id));
    }
    Action(ID_VIEW_TOOLBAR)->setChecked(true);
    // The toolbar's own context menu hides it as well; the View menu's mark follows either way.
    connect(m_toolBar, &QToolBar::visibilityChanged, Action(ID_VIEW_TOOLBAR), &QAction::setChecked);
}

void CMainFrame::CreateStatusBar()
{
    auto pane = [this](const QString &sizing) {
        auto *label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sizing) + 8);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addPermanentWidget(label);
        return label;
    };
    m_messagePane = new QLabel(tr("Ready"), this);
    m_messagePane->setTextFormat(Qt::PlainText); // check messages quote Lua text such as <eof>
    statusBar()->addWidget(m_messagePane, 1);
    m_caretPane = pane(QStringLiteral("Ln 000, Col 000"));
    m_capsPane = pane(QStringLiteral("CAP"));
    m_numPane = pane(QStringLiteral("NUM"));
    m_scrollPane = pane(QStringLiteral("SCRL"));
    m_overtypePane = pane(QStringLiteral("OVR"));
    Action(ID_VIEW_STATUS_BAR)->setChecked(true);
}

// ---------------------------------------------------------------- document windows

void CMainFrame::AddChildFrame(CScribaDoc *document, CScribaView *view)
{
    auto *frame = new CChildFrame(document, view);
    m_mdiArea->addSubWindow(frame);
    frame->showMaximized();
    connect(document, &CScribaDoc::titleChanged, this, &CMainFrame::UpdateTitle);
    connect(view, &CScribaView::caretOrSelectionChanged, this, &CMainFrame::RequestUpdate);
    connect(view, &CScribaView::modifiedChanged, this, &CMainFrame::RequestUpdate);
    connect(view->Checks(), &CheckMarks::marksChanged, this, &CMainFrame::RequestUpdate);
    view->Display().Apply(m_viewOptions->Switches());
    connect(view, &CScribaView::zoomRequested, this, &CMainFrame::ZoomAllViews);
}

CChildFrame *CMainFrame::FrameOf(CScribaDoc *document) const
{
    for (QMdiSubWindow *window : m_mdiArea->subWindowList()) {
        auto *frame = qobject_cast<CChildFrame *>(window);
        if (frame && frame->GetDocument() == document)
            return frame;
    }
    return nullptr;
}

void CMainFrame::RemoveChildFrame(CScribaDoc *document)
{
    if (CChildFrame *frame = FrameOf(document)) {
        frame->GetView()->OnActivateView(false);
        m_mdiArea->removeSubWindow(frame);
        frame->deleteLater();
    }
    // The window that was active before takes over, as the closed one was.
    const QList<QMdiSubWindow *> history = m_mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    if (!m_mdiArea->currentSubWindow() && !history.isEmpty())
        ActivateFrame(history.last());
    UpdateTitle();
    RequestUpdate();
}

void CMainFrame::ActivateDocument(CScribaDoc *document)
{
    if (CChildFrame *frame = FrameOf(document))
        ActivateFrame(frame);
    RequestUpdate();
}

void CMainFrame::ActivateFrame(QMdiSubWindow *frame)
{
    m_mdiArea->setActiveSubWindow(frame);
    frame->showMaximized();
    if (QWidget *view = frame->widget())
        view->setFocus();
    UpdateTitle();
    RequestUpdate();
}

void CMainFrame::ActivateNeighbour(int step)
{
    // The windows in the order they were made are the tabs in their order.
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    const qsizetype at = windows.indexOf(m_mdiArea->currentSubWindow());
    ActivateFrame(windows.at((at + step + windows.size()) % windows.size()));
}

void CMainFrame::UpdateTitle()
{
    // The active document's title in the caption while its (always maximised) window shows.
    // A document still loading has no title yet.
    const CScribaDoc *document = ActiveDocument();
    const bool titled = document && !document->GetTitle().isEmpty();
    setWindowTitle(titled ? tr("Scriba - [%1]").arg(document->GetTitle()) : tr("Scriba"));
}

CScribaDoc *CMainFrame::ActiveDocument() const
{
    // The current window, even while the main window itself is not the active one.
    auto *frame = qobject_cast<CChildFrame *>(m_mdiArea->currentSubWindow());
    if (!frame || !m_app->Documents().contains(frame->GetDocument()))
        return nullptr;
    return frame->GetDocument();
}

QList<CScribaDoc *> CMainFrame::DocumentsInTabOrder() const
{
    // The windows in the order they were made are the tabs in their order.
    QList<CScribaDoc *> documents;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto *frame = qobject_cast<CChildFrame *>(window); frame && m_app->Documents().contains(frame->GetDocument()))
            documents.append(frame->GetDocument());
    return documents;
}

CReferencePane *CMainFrame::ReferencePane()
{
    if (!m_referencePane)
        m_referencePane = CReferencePane::CreateDock(this, m_settings.functions,
                                                     m_app->Reference() ? m_app->Reference() : SharedBuiltInReference());
    return m_referencePane;
}

void CMainFrame::OpenReference()
{
    ReferencePane()->Open(ActiveView());
}

CScribaView *CMainFrame::ActiveView() const
{
    CScribaDoc *document = ActiveDocument();
    return document ? document->GetView() : nullptr;
}

// ---------------------------------------------------------------- the update pass

void CMainFrame::RequestUpdate()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, &CMainFrame::UpdateCommands);
}

void CMainFrame::UpdateCommands()
{
    m_updatePending = false;
    CScribaView *view = ActiveView();
    const bool haveDocument = view != nullptr;
    for (CommandId id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_SAVE_ALL, ID_FILE_PRINT,
                         ID_FILE_PRINT_PREVIEW, ID_FILE_EXPORT_HTML})
        Action(id)->setEnabled(haveDocument);
    // Preferences stands in the Edit menu, which only a document's menus carry.
    Action(ID_PREFERENCES)->setEnabled(haveDocument);
    UpdateEditCommands(view);
    m_panes->UpdateCommands(view);
    ShowMenus(haveDocument);
    UpdateTitle();
    m_caretPane->setText(view ? view->CaretPositionText() : QString());
    const QString checkMessage = view ? view->Checks()->MessageAtCaret() : QString();
    m_messagePane->setText(checkMessage.isEmpty() ? tr("Ready") : checkMessage);
    m_overtypePane->setText(g_overtype ? QStringLiteral("OVR") : QString());
}

void CMainFrame::UpdateEditCommands(CScribaView *view)
{
    Action(ID_EDIT_UNDO)->setEnabled(view && view->CanUndo());
    Action(ID_EDIT_REDO)->setEnabled(view && view->CanRedo());
    const bool selection = view && view->HasSelection();
    Action(ID_EDIT_CUT)->setEnabled(selection);
    Action(ID_EDIT_COPY)->setEnabled(selection);
    Action(ID_EDIT_CLEAR)->setEnabled(selection);
    Action(ID_EDIT_PASTE)->setEnabled(view && m_clipboardHasText);
    Action(ID_EDIT_SELECT_ALL)->setEnabled(view && view->HasText());
    Action(ID_EDIT_FIND)->setEnabled(view && view->HasText());
    Action(ID_EDIT_REPLACE)->setEnabled(view && view->HasText());
    Action(ID_EDIT_REPEAT)->setEnabled(view && view->CanFindNext());
    for (CommandId id : {ID_EDIT_GOTO_LINE, ID_EDIT_MATCH_BRACKET, ID_EDIT_TOGGLE_COMMENT, ID_EDIT_INDENT_LINES,
                         ID_EDIT_UNINDENT_LINES, ID_VIEW_FOLD_ALL, ID_VIEW_UNFOLD_ALL, ID_EDIT_COMPLETE_NAME,
                         ID_EDIT_GOTO_DEFINITION, ID_EDIT_FIND_REFERENCES, ID_EDIT_RENAME_SYMBOL})
        Action(id)->setEnabled(view != nullptr);
}

void CMainFrame::ReadClipboard()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    m_clipboardHasText = data && data->hasText();
}

QString CMainFrame::CaretPaneText() const
{
    return m_caretPane->text();
}

QString CMainFrame::MessagePaneText() const
{
    return m_messagePane->text();
}

bool CMainFrame::OvertypePaneShown() const
{
    return !m_overtypePane->text().isEmpty();
}

void CMainFrame::WatchLockKeys()
{
    auto reader = std::make_shared<LockKeyReader>();
    if (!reader->IsAvailable())
        return;
    auto *events = new LockKeyEvents(reader, this);
    SetLockKeySource([reader] { return reader->Read(); }, events->IsListening() ? events : nullptr);
}

void CMainFrame::SetLockKeySource(std::function<LockKeys()> source, LockKeyEvents *events)
{
    m_readLockKeys = std::move(source);
    if (m_lockKeyEvents)
        disconnect(m_lockKeyEvents, nullptr, this, nullptr);
    m_lockKeyEvents = events;
    if (events) {
        // Told of every change, whoever makes it: nothing to poll.
        connect(events, &LockKeyEvents::changed, this, &CMainFrame::UpdateLockPanes);
        if (m_lockKeyTimer)
            m_lockKeyTimer->stop();
    } else {
        if (!m_lockKeyTimer) {
            // Polled: the lock keys change without a key press reaching this program (another
            // window has the keyboard, or the state is set from outside).
            m_lockKeyTimer = new QTimer(this);
            m_lockKeyTimer->setInterval(kLockKeyPollMs);
            connect(m_lockKeyTimer, &QTimer::timeout, this, &CMainFrame::UpdateLockPanes);
        }
        m_lockKeyTimer->start();
    }
    UpdateLockPanes();
}

bool CMainFrame::LockKeysPolled() const
{
    return m_lockKeyTimer && m_lockKeyTimer->isActive();
}

void CMainFrame::UpdateLockPanes()
{
    const LockKeys keys = m_readLockKeys();
    m_capsPane->setText(keys.caps ? QStringLiteral("CAP") : QString());
    m_numPane->setText(keys.num ? QStringLiteral("NUM") : QString());
    m_scrollPane->setText(keys.scroll ? QStringLiteral("SCRL") : QString());
}

QString CMainFrame::LockPaneTexts() const
{
    return QStringList{m_capsPane->text(), m_numPane->text(), m_scrollPane->text()}.join(QLatin1Char(' '));
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
        RequestUpdate();
    else if (e->type() == QEvent::Hide && watched->isWidgetType())
        ReturnKeyboardToOwner(static_cast<QWidget *>(watched));
    return QMainWindow::eventFilter(watched, e);
}

// ---------------------------------------------------------------- commands of the frame

void CMainFrame::closeEvent(QCloseEvent *e)
{
    if (!m_panes->Run()->MayClose() || !m_app->SaveAllModified()) {
        e->ignore();
        return;
    }
    m_app->SaveSession();
    m_panes->KeepShownPanes();
    m_app->CloseAllDocuments();
    e->accept();
}

void CMainFrame::ExportHtml()
{
    CScribaDoc *document = ActiveDocument();
    if (!document)
        return;
    Prompter &prompter = m_app->GetPrompter();
    const QString proposed = QFileInfo(document->GetTitle()).completeBaseName() + QStringLiteral(".html");
    const QString path = prompter.SaveFileName(this, proposed, tr("HTML Files (*.html *.htm)"),
                                               QStringLiteral("html"));
    if (path.isEmpty())
        return;
    if (IsSameFile(StampOf(path), StampOf(document->GetPathName())) && document->HasFileOnDisk()) {
        prompter.Ask(this, {tr("Scriba - Error!"),
                            tr("%1 is the script itself; the page is not written over it.").arg(QuotedPath(path)),
                            QMessageBox::Warning, QMessageBox::Ok});
        return;
    }
    QString error;
    if (WritePage(document, path, &error))
        return;
    prompter.Ask(this, {tr("Scriba - Error!"), tr("Could not write %1.\n\n%2.").arg(QuotedPath(path), error),
                        QMessageBox::Warning, QMessageBox::Ok});
}

bool CMainFrame::WritePage(CScribaDoc *document, const QString &path, QString *error)
{
    SafeFileWriter file(path);
    if (!file.Open()) {
        *error = file.ErrorString();
        return false;
    }
    try {
        // The page goes to the file as it is made, a piece of the script at a time.
        HtmlPageWriter page(EncodeFileName(document->GetTitle()).toStdString(), m_settings,
                            [&file](const char *data, std::size_t size) { return file.Write(data, qint64(size)); });
        CScribaView *view = document->GetView();
        const std::string_view script(view->TextPointer(), std::size_t(view->TextLength()));
        constexpr std::size_t kPiece = 1 << 20;
        for (std::size_t at = 0; at < script.size(); at += kPiece)
            page.Add(script.substr(at, kPiece));
        if (page.Finish() && file.Commit())
            return true;
    } catch (const std::bad_alloc &) {
        *error = tr("The script is too large to export");
        return false;
    }
    *error = file.ErrorString();
    return false;
}
