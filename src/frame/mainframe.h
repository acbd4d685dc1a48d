// The main window: menus, toolbar, status bar and the area that holds the document windows.
// It coordinates; the documents and views do the work.
#pragma once

#include "accelerators.h"
#include "mdiclientwatcher.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class CChildFrame;
class CNameCommands;
class CPaneCommands;
class CReferencePane;
class CScribaApp;
struct Settings;
class CScribaDoc;
class CScribaView;
class CViewOptions;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
struct LockKeys;
class LockKeyEvents;
class QMenu;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // app: the application whose commands the menus call; settings: the store the panes read.
    CMainFrame(CScribaApp *app, const Settings &settings);
    ~CMainFrame() override;

    void AddChildFrame(CScribaDoc *document, CScribaView *view);
    void RemoveChildFrame(CScribaDoc *document);
    void ActivateDocument(CScribaDoc *document);
    void ActivateFrame(QMdiSubWindow *frame);
    CScribaDoc *ActiveDocument() const;
    CScribaView *ActiveView() const;
    // The open documents in the order of their tabs.
    QList<CScribaDoc *> DocumentsInTabOrder() const;
    QMdiArea *MdiArea() const { return m_mdiArea; }
    CMDIClientWatcher &ClientWatcher() { return m_clientWatcher; }

    QAction *Action(CommandId command) const { return m_actions.value(command); }
    // The results pane, Run, Find in Files and the outline.
    CPaneCommands *Panes() const { return m_panes; }
    // True while the document menu (with Edit) is shown, false for the no-document menu.
    bool ShowsDocumentMenu() const { return m_showsDocumentMenu; }
    QString CaretPaneText() const;
    // The Tarn reference pane, made on first use.
    CReferencePane *ReferencePane();
    QString MessagePaneText() const;
    bool OvertypePaneShown() const;
    // "CAP NUM SCRL" as the three panes show it, blanks for the unlit ones.
    QString LockPaneTexts() const;
    // Where the lock-key panes read the keyboard: again whenever events says an indicator
    // changed, or, without events, a few times a second.
    void SetLockKeySource(std::function<LockKeys()> source, LockKeyEvents *events = nullptr);
    bool LockKeysPolled() const;

    // The idle-time pass that enables commands and refreshes the panes; coalesced.
    void RequestUpdate();
    void UpdateCommands();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void CreateActions();
    void ReadClipboard();
    void CreateLineAndViewActions();
    void AddLineAndViewMenuItems();
    void ApplyViewSwitches();
    // Zoom one step in or out in every view, or back to normal (steps 0).
    void ZoomAllViews(int steps);
    void GoToLine();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    QAction *AddAction(CommandId command, const QString &text, const QString &prompt,
                       const QString &icon = QString());
    void Route(CommandId command, void (CScribaView::*handler)());
    void BuildFileMenu(QMenu *menu, bool withDocument);
    void AddRecentFiles(QMenu *menu);
    void ShowMenus(bool withDocument);
    void UpdateEditCommands(CScribaView *view);
    void AddUnshownKey(QAction *command, const QKeySequence &keys);
    void WatchLockKeys();
    void UpdateLockPanes();
    void UpdateTitle();
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or the previous document, in tab order.
    void ActivateNeighbour(int step);
    void ExportHtml();
    bool WritePage(CScribaDoc *document, const QString &path, QString *error);
    CChildFrame *FrameOf(CScribaDoc *document) const;
    void OpenReference();

    CScribaApp *m_app;
    const Settings &m_settings;
    CMDIClientWatcher m_clientWatcher;
    QMdiArea *m_mdiArea = nullptr;
    QPointer<CScribaView> m_activeView; // the view that was last activated
    QToolBar *m_toolBar = nullptr;
    QHash<int, QAction *> m_actions;
    QMenu *m_fileMenuNoDocument = nullptr;
    QMenu *m_fileMenuDocument = nullptr;
    QMenu *m_editMenu = nullptr;
    QMenu *m_viewMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QMenu *m_runMenu = nullptr;
    CPaneCommands *m_panes = nullptr;
    CNameCommands *m_nameCommands = nullptr;
    bool m_showsDocumentMenu = false;
    bool m_menusShown = false;
    bool m_updatePending = false;
    bool m_clipboardHasText = false;
    QLabel *m_messagePane = nullptr;
    QLabel *m_caretPane = nullptr;
    QLabel *m_capsPane = nullptr;
    QLabel *m_numPane = nullptr;
    QLabel *m_scrollPane = nullptr;
    QLabel *m_overtypePane = nullptr;
    std::unique_ptr<CViewOptions> m_viewOptions;
    std::function<LockKeys()> m_readLockKeys;
    QTimer *m_lockKeyTimer = nullptr;
    CReferencePane *m_referencePane = nullptr;
    QPointer<LockKeyEvents> m_lockKeyEvents;
};
