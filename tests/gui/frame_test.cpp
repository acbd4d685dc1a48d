// The main frame: maximised document windows, the caption, the menus and the status panes.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/lockkeyreader.h"
#include "frame/lockkeyevents.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QHash>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void everyOperationKeepsWindowsMaximisedAndTitled();
    void menusNameTheKeysOfTheirTexts();
    void everyMenuHasItsOwnAccessKeys();
    void unshownKeysStillWork_data();
    void unshownKeysStillWork();
    void lockPanesFollowTheKeyboardWithoutAKeyPress();
    void lockPanesFollowIndicatorEventsWithoutPolling();
    void hiddenBarsGiveTheirSpaceToTheDocuments_data();
    void hiddenBarsGiveTheirSpaceToTheDocuments();
    void closingADialogGivesTheKeyboardBack_data();
    void closingADialogGivesTheKeyboardBack();
};

namespace {

// The document window in front is maximised and fills the document area (the others wait
// behind it, to be maximised in turn when they come forward); the caption names its document.
void CheckFrame(AppFixture &fixture, const QString &title)
{
    CMainFrame *frame = fixture.App().MainFrame();
    QMdiArea *area = frame->MdiArea();
    QMdiSubWindow *front = area->currentSubWindow();
    QCOMPARE(front != nullptr, !area->subWindowList().isEmpty());
    if (front) {
        QVERIFY(front->isMaximized());
        QCOMPARE(front->geometry(), area->viewport()->rect());
        QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).last(), front);
    }
    QCOMPARE(frame->windowTitle(), title);
}

QStringList MenuTexts(QMenu *menu)
{
    // What the menu shows: its text, and the shortcut when the text names no key itself.
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        QString text = action->text();
        if (!text.contains(QLatin1Char('\t')) && !action->shortcut().isEmpty())
            text += QLatin1Char('\t') + action->shortcut().toString();
        texts.append(text);
    }
    return texts;
}

// The letter after the one "&" of a text that is not doubled; a null character without one.
QChar AccessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return QChar();
}

// Each access key used twice in the menu bar or in one of its menus, named with the menu.
QStringList RepeatedAccessKeys(QMenuBar *bar)
{
    QStringList repeated;
    auto check = [&repeated](const QString &where, const QList<QAction *> &actions) {
        QHash<QChar, QString> seen;
        for (QAction *action : actions) {
            const QString text = action->text().section(QLatin1Char('\t'), 0, 0);
            const QChar key = AccessKey(text);
            if (action->isSeparator() || !action->isVisible() || key.isNull())
                continue;
            if (seen.contains(key))
                repeated.append(QStringLiteral("%1: %2 and %3").arg(where, seen[key], text));
            seen.insert(key, text);
        }
    };
    check(QStringLiteral("menu bar"), bar->actions());
    for (QAction *action : bar->actions())
        if (action->menu())
            check(action->text(), action->menu()->actions());
    return repeated;
}

QMenu *MenuNamed(CMainFrame *frame, const QString &title)
{
    for (QAction *action : frame->menuBar()->actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

} // namespace

void FrameTest::everyOperationKeepsWindowsMaximisedAndTitled()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    CMainFrame *frame = app.MainFrame();
    QApplication::setActiveWindow(frame);
    const QString script = fixture.FilePath(QStringLiteral("wells.lua"));
    WriteFile(script, "x = 1\n");
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled.lua]"));

    app.OnFileNew();
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled[1].lua]"));
    CScribaDoc *wells = app.OpenDocumentFile(script);
    CheckFrame(fixture, QStringLiteral("Scriba - [wells.lua]"));
    QTest::keyClick(fixture.ActiveView(), Qt::Key_Tab, Qt::ControlModifier);
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled.lua]"));
    app.OpenDocumentFile(script); // already open: brought to the front
    QCOMPARE(fixture.ActiveDocument(), wells);
    CheckFrame(fixture, QStringLiteral("Scriba - [wells.lua]"));

    frame->resize(frame->size() + QSize(120, 80));
    QCoreApplication::processEvents();
    CheckFrame(fixture, QStringLiteral("Scriba - [wells.lua]"));

    fixture.Prompts().fileNames.enqueue(fixture.FilePath(QStringLiteral("pumps.lua")));
    frame->Action(ID_FILE_SAVE_AS)->trigger();
    CheckFrame(fixture, QStringLiteral("Scriba - [pumps.lua]"));

    // Close with Ctrl+F4: the window active before takes over, maximised.
    QTest::keyClick(fixture.ActiveView(), Qt::Key_F4, Qt::ControlModifier);
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled.lua]"));
    QCOMPARE(app.Documents().size(), 2);
    // Closing one of two after "No" to the save question.
    QTest::keyClicks(fixture.ActiveView(), "changed");
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    frame->Action(ID_FILE_CLOSE)->trigger();
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled[1].lua]"));
    // The last document is emptied under a new name instead of closed.
    QTest::keyClicks(fixture.ActiveView(), "abc");
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    frame->Action(ID_FILE_CLOSE)->trigger();
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled[2].lua]"));

    app.CloseAllDocuments();
    CheckFrame(fixture, QStringLiteral("Scriba"));
    app.OnFileNew();
    CheckFrame(fixture, QStringLiteral("Scriba - [untitled[3].lua]"));
}

void FrameTest::menusNameTheKeysOfTheirTexts()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    QCOMPARE(MenuTexts(MenuNamed(frame, QStringLiteral("&Edit"))),
             (QStringList{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                          "Select A&ll\tCtrl+A", "&Find...\tCtrl+F", "F&ind Next\tF3", "R&eplace\tCtrl+R",
                          "Find in File&s...\tCtrl+Shift+F", "Ne&xt Result\tF8", "Pre&vious Result\tShift+F8",
                          "&Go to Line...\tCtrl+G", "Go to Matching &Bracket\tCtrl+B", "N&ames", "Toggle Co&mment\tCtrl+/",
                          "In&dent Lines\tCtrl+I", "&Outdent Lines\tCtrl+Shift+I", "Prefere&nces..."}));
    QMenu *names = MenuNamed(frame, QStringLiteral("&Edit"))->findChild<QMenu *>();
    QVERIFY(names);
    QCOMPARE(MenuTexts(names), (QStringList{"&Complete Name\tCtrl+J", "&Go to Definition\tF12",
                                            "&Find References\tShift+F12", "&Rename Symbol...\tF2"}));
    QCOMPARE(MenuTexts(MenuNamed(frame, QStringLiteral("&File"))).mid(0, 9),
             (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S", "Save &As...",
                          "&Export as HTML...", "&Print...\tCtrl+P", "Print Pre&view", "P&rint Setup..."}));
}

void FrameTest::everyMenuHasItsOwnAccessKeys()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    WriteFile(fixture.FilePath(QStringLiteral("a&b.lua")), "x = 1\n");
    fixture.App().AddToRecentFileList(fixture.FilePath(QStringLiteral("a&b.lua")));
    QCoreApplication::processEvents(); // the menus made again with the recent file
    fixture.Update();
    QVERIFY(frame->ShowsDocumentMenu());
    QStringList repeated = RepeatedAccessKeys(frame->menuBar());
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.join(QLatin1Char('\n'))));
    QVERIFY(MenuTexts(MenuNamed(frame, QStringLiteral("&View"))).contains(QStringLiteral("Reset &Zoom\tCtrl+0")));
    fixture.App().CloseAllDocuments();
    fixture.Update();
    QVERIFY(!frame->ShowsDocumentMenu());
    repeated = RepeatedAccessKeys(frame->menuBar());
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.join(QLatin1Char('\n'))));
}

void FrameTest::unshownKeysStillWork_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("documents");
    QTest::newRow("Shift+Del cuts") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << "" << "abc" << 2;
    QTest::newRow("Ctrl+Insert copies") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << "abc" << "abc" << 2;
    QTest::newRow("Shift+Insert pastes") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "xyz" << "xyz" << 2;
    QTest::newRow("Ctrl+F4 closes") << int(Qt::Key_F4) << int(Qt::ControlModifier) << "" << "xyz" << 1;
}

void FrameTest::unshownKeysStillWork()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, clipboard);
    QFETCH(int, documents);
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    fixture.App().OnFileNew();
    QApplication::setActiveWindow(frame);
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "abc");
    view->OnEditSelectAll();
    QApplication::clipboard()->setText(QStringLiteral("xyz"));
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    fixture.Update();
    QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(fixture.App().Documents().size(), documents);
    if (documents == 2)
        QCOMPARE(view->text(), text);
    QCOMPARE(QApplication::clipboard()->text(), clipboard);
}

void FrameTest::lockPanesFollowTheKeyboardWithoutAKeyPress()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    // Offscreen there is no keyboard to read: the panes stay blank.
    QCOMPARE(frame->LockPaneTexts(), QStringLiteral("  "));
    LockKeys keys{true, false, false};
    frame->SetLockKeySource([&keys] { return keys; });
    QCOMPARE(frame->LockPaneTexts(), QStringLiteral("CAP  "));
    keys = {false, true, true};
    QTRY_COMPARE_WITH_TIMEOUT(frame->LockPaneTexts(), QStringLiteral(" NUM SCRL"), 1000);
}

void FrameTest::lockPanesFollowIndicatorEventsWithoutPolling()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    LockKeys keys{false, true, false};
    LockKeyEvents events(nullptr);
    frame->SetLockKeySource([&keys] { return keys; }, &events);
    QVERIFY(!frame->LockKeysPolled());
    QCOMPARE(frame->LockPaneTexts(), QStringLiteral(" NUM "));
    keys = {true, false, true};
    QCoreApplication::processEvents(); // whatever is due now runs; a poll would have to be a timer
    QVERIFY(!frame->LockKeysPolled());
    QCOMPARE(frame->LockPaneTexts(), QStringLiteral(" NUM ")); // nothing asks until told
    emit events.changed();
    QCOMPARE(frame->LockPaneTexts(), QStringLiteral("CAP  SCRL"));
}

void FrameTest::hiddenBarsGiveTheirSpaceToTheDocuments_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("throughToolbarMenu"); // the toolbar's own context menu, not View
    QTest::newRow("View > Toolbar") << int(ID_VIEW_TOOLBAR) << false;
    QTest::newRow("View > Status Bar") << int(ID_VIEW_STATUS_BAR) << false;
    QTest::newRow("toolbar's context menu") << int(ID_VIEW_TOOLBAR) << true;
}

void FrameTest::hiddenBarsGiveTheirSpaceToTheDocuments()
{
    QFETCH(int, command);
    QFETCH(bool, throughToolbarMenu);
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QAction *toggle = frame->Action(CommandId(command));
    QWidget *bar = command == ID_VIEW_TOOLBAR ? static_cast<QWidget *>(frame->findChild<QToolBar *>())
                                              : frame->statusBar();
    const int documentHeight = frame->MdiArea()->height();
    QVERIFY(toggle->isChecked());
    if (throughToolbarMenu)
        frame->findChild<QToolBar *>()->toggleViewAction()->trigger();
    else
        toggle->trigger();
    QVERIFY(bar->isHidden());
    QVERIFY(!toggle->isChecked());
    QTRY_VERIFY(frame->MdiArea()->height() > documentHeight);
    toggle->trigger();
    QVERIFY(!bar->isHidden());
    QVERIFY(toggle->isChecked());
    QTRY_COMPARE(frame->MdiArea()->height(), documentHeight);
}

void FrameTest::closingADialogGivesTheKeyboardBack_data()
{
    QTest::addColumn<bool>("aboutBox"); // else a dialog over a dialog over the frame
    QTest::addColumn<int>("key");
    QTest::newRow("About box, Escape") << true << int(Qt::Key_Escape);
    QTest::newRow("About box, Enter") << true << int(Qt::Key_Return);
    QTest::newRow("dialog over a dialog, Escape") << false << int(Qt::Key_Escape);
}

// Where no window manager hands the keyboard back, a closed dialog left no window active, and
// the menu keys (Alt+F, then X) did nothing until a click.
void FrameTest::closingADialogGivesTheKeyboardBack()
{
    QFETCH(bool, aboutBox);
    QFETCH(int, key);
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    QDialog outer(frame);
    QWidget *owner = aboutBox ? static_cast<QWidget *>(frame) : &outer;
    bool dialogWasActive = false;
    QTimer::singleShot(0, frame, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        dialogWasActive = dialog && QTest::qWaitForWindowActive(dialog);
        QTest::keyClick(dialog, Qt::Key(key));
    });
    if (aboutBox) {
        frame->Action(ID_APP_ABOUT)->trigger();
    } else {
        outer.setModal(true);
        outer.show();
        QDialog(&outer).exec();
    }
    QVERIFY(dialogWasActive);
    QCOMPARE(QApplication::activeModalWidget(), aboutBox ? nullptr : &outer);
    QTRY_COMPARE(QApplication::activeWindow(), owner);
}

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
