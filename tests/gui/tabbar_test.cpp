// The document tab strip and the watcher on the document area, driven through the real frame.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/documenttabbar.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>

class TabBarTest : public QObject {
    Q_OBJECT

private slots:
    void newDocumentGetsTheLastTabSelected();
    void closingTheActiveDocumentSelectsTheNextActive();
    void lampAndTextFollowTheDocument();
    void rightClickOnAnInactiveTabActsOnItsDocument();
    void pointerGesturesThatChooseNoTab();
    void emptyStripAndStaleWindows();
    void longTitlesWrapIntoRowsAndTheFrontRowFollows();
    void ctrlTabFollowsTheTabs();
    void documentAreaTakesTheDisplayAreaOrEverything();
    void quietStripRestsAndChangesWakeIt();
};

namespace {

CDocumentTabBar *Strip(AppFixture &fixture)
{
    return fixture.App().MainFrame()->ClientWatcher().TabBar();
}

QStringList Texts(CDocumentTabBar *bar)
{
    QStringList texts;
    for (int i = 0; i < bar->Count(); ++i)
        texts.append(bar->TabText(i));
    return texts;
}

QString SelectedText(CDocumentTabBar *bar)
{
    return bar->CurrentIndex() < 0 ? QString() : bar->TabText(bar->CurrentIndex());
}

// Runs the posted polls and whatever they post in turn.
void Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

void TabBarTest::newDocumentGetsTheLastTabSelected()
{
    AppFixture fixture("");
    CDocumentTabBar *bar = Strip(fixture);
    QVERIFY(bar);
    Settle();
    QCOMPARE(Texts(bar), QStringList{"untitled.lua"});
    // Through the poll that the new window posts.
    fixture.App().OnFileNew();
    Settle();
    QCOMPARE(Texts(bar), (QStringList{"untitled.lua", "untitled[1].lua"}));
    QCOMPARE(bar->CurrentIndex(), 1);
    // Through a direct poll, before any event is handled.
    fixture.App().OnFileNew();
    QVERIFY(bar->Poll(true));
    QCOMPARE(SelectedText(bar), QStringLiteral("untitled[2].lua"));
    QCOMPARE(bar->Count(), 3);
    QVERIFY(!bar->Poll(true)); // nothing changed since
}

void TabBarTest::closingTheActiveDocumentSelectsTheNextActive()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    CDocumentTabBar *bar = Strip(fixture);
    CScribaDoc *first = fixture.ActiveDocument();
    CScribaDoc *second = app.OnFileNew();
    app.OnFileNew();
    app.MainFrame()->ActivateDocument(first);
    app.MainFrame()->ActivateDocument(second);
    Settle();
    QCOMPARE(SelectedText(bar), QStringLiteral("untitled[1].lua"));
    second->OnFileClose();
    QCOMPARE(Texts(bar), (QStringList{"untitled.lua", "untitled[2].lua"})); // at once
    Settle();
    QCOMPARE(fixture.ActiveDocument(), first); // the one active before
    QCOMPARE(SelectedText(bar), QStringLiteral("untitled.lua"));
}

void TabBarTest::lampAndTextFollowTheDocument()
{
    AppFixture fixture("");
    CDocumentTabBar *bar = Strip(fixture);
    CScribaDoc *document = fixture.ActiveDocument();
    Settle();
    QCOMPARE(bar->TabLamp(0), 0);
    const QRect before = bar->TabRect(0);
    // A lamp alone is painted again without a new layout.
    QTest::keyClicks(fixture.ActiveView(), "x = 1");
    QVERIFY(!bar->Poll(true));
    QCOMPARE(bar->TabLamp(0), 1);
    // Save As changes the text, and the strip is laid out again.
    const QString path = fixture.FilePath(QStringLiteral("a-much-longer-name-than-before.lua"));
    fixture.Prompts().fileNames.enqueue(path);
    document->DoSave(QString());
    QVERIFY(bar->Poll(true));
    QCOMPARE(Texts(bar), QStringList{"a-much-longer-name-than-before.lua"});
    QVERIFY(bar->TabRect(0).width() > before.width());
    QCOMPARE(bar->TabLamp(0), 0);
    QCOMPARE(bar->TabToolTip(0), path);
    // The timer alone follows typing; a plain save turns the lamp back without a layout.
    QTest::keyClicks(fixture.ActiveView(), "y");
    QTRY_COMPARE_WITH_TIMEOUT(bar->TabLamp(0), 1, 2000);
    document->DoFileSave();
    QVERIFY(!bar->Poll(true));
    QCOMPARE(bar->TabLamp(0), 0);
}

void TabBarTest::rightClickOnAnInactiveTabActsOnItsDocument()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    CDocumentTabBar *bar = Strip(fixture);
    CScribaDoc *first = fixture.ActiveDocument();
    CScribaDoc *second = app.OnFileNew();
    Settle();
    QCOMPARE(bar->TabToolTip(0), QStringLiteral("untitled.lua"));
    QStringList offered;
    CScribaDoc *activeWhenShown = nullptr;
    QTimer::singleShot(0, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        activeWhenShown = fixture.ActiveDocument();
        for (QAction *action : menu->actions())
            offered.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->actions().first()->trigger();
        menu->close();
    });
    const QPoint at = bar->TabRect(0).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QCoreApplication::sendEvent(bar, &click);
    QCOMPARE(activeWhenShown, first);
    QCOMPARE(offered, (QStringList{"&Close", "&Save", "Save &As...", "-", "Save All"}));
    QCOMPARE(app.Documents(), QList<CScribaDoc *>{second});
    Settle();
    QCOMPARE(Texts(bar), QStringList{"untitled[1].lua"});
}

void TabBarTest::pointerGesturesThatChooseNoTab()
{
    AppFixture fixture("");
    CDocumentTabBar *bar = Strip(fixture);
    CScribaDoc *first = fixture.ActiveDocument();
    CScribaDoc *second = fixture.App().OnFileNew();
    Settle();
    const QPoint onFirst = bar->TabRect(0).center();
    // A double click does nothing, not even choose the tab.
    QMouseEvent twice(QEvent::MouseButtonDblClick, onFirst, bar->mapToGlobal(onFirst), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &twice);
    QCOMPARE(fixture.ActiveDocument(), second);
    // Text dragged over a tab brings its document forward, and is never dropped on the strip.
    QMimeData data;
    data.setText(QStringLiteral("dragged"));
    QDragEnterEvent enter(onFirst, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &enter);
    QDragMoveEvent move(onFirst, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    QCOMPARE(fixture.ActiveDocument(), first);
    QVERIFY(!move.isAccepted());
    QDropEvent drop(onFirst, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(first->GetView()->text(), QString());
    // A click chooses the tab and leaves the keyboard with the editor.
    fixture.App().MainFrame()->show();
    QApplication::setActiveWindow(fixture.App().MainFrame());
    const QPoint onSecond = bar->TabRect(1).center();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, onSecond);
    QCOMPARE(fixture.ActiveDocument(), second);
    QCOMPARE(QApplication::focusWidget(), second->GetView());
}

void TabBarTest::emptyStripAndStaleWindows()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    CDocumentTabBar *bar = Strip(fixture);
    QMdiArea *area = app.MainFrame()->MdiArea();
    app.CloseAllDocuments();
    Settle();
    QCOMPARE(bar->Count(), 0);
    QCOMPARE(bar->CurrentIndex(), -1);
    QCOMPARE(bar->RowCount(), 0);

    // A window that is destroyed behind the strip's back is never activated through its tab.
    CScribaDoc *document = app.OnFileNew();
    auto *stranger = area->addSubWindow(new QWidget);
    stranger->setWindowTitle(QStringLiteral("stranger"));
    stranger->show();
    app.MainFrame()->ActivateDocument(document);
    bar->Poll(true);
    QCOMPARE(Texts(bar), (QStringList{"untitled[1].lua", "stranger"}));
    // Deleted while still in the area: by the time the area hears of it, the window is gone.
    delete stranger;
    QCOMPARE(bar->Count(), 2);
    bar->ClickTab(1);
    QCOMPARE(fixture.ActiveDocument(), document);
    QVERIFY(bar->Poll(true));
    QCOMPARE(Texts(bar), QStringList{"untitled[1].lua"});
}

void TabBarTest::longTitlesWrapIntoRowsAndTheFrontRowFollows()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    CMainFrame *frame = app.MainFrame();
    CDocumentTabBar *bar = Strip(fixture);
    frame->resize(700, 600);
    for (int i = 0; i < 10; ++i) {
        const QString path = fixture.FilePath(QStringLiteral("groundwater-model-of-the-basin-%1.lua").arg(i));
        WriteFile(path, "x = 1\n");
        app.OpenDocumentFile(path);
    }
    Settle();
    QCOMPARE(bar->Count(), 11);
    const int rows = bar->RowCount();
    QVERIFY2(rows >= 3, qPrintable(QString::number(rows)));
    // Every tab in the strip, rows filled in tab order, none overlapping.
    const QRect client = bar->rect().adjusted(5, 5, -5, -5);
    for (int i = 0; i < bar->Count(); ++i) {
        QVERIFY(client.contains(bar->TabRect(i)));
        for (int j = i + 1; j < bar->Count(); ++j)
            QVERIFY(!bar->TabRect(i).intersects(bar->TabRect(j)));
    }
    // The document area starts right below the rows.
    const int rowsBottom = bar->TabRect(bar->CurrentIndex()).bottom();
    QCOMPARE(frame->MdiArea()->geometry().top(), rowsBottom + 1);
    // The selected tab's row is in front, next to the documents; choosing a tab of a back row
    // brings that row forward.
    int backTab = -1;
    for (int i = 0; i < bar->Count() && backTab < 0; ++i)
        if (bar->TabRect(i).bottom() < rowsBottom)
            backTab = i;
    QVERIFY(backTab >= 0);
    bar->ClickTab(backTab);
    QCOMPARE(bar->TabRect(backTab).bottom(), rowsBottom);
    QCOMPARE(frame->MdiArea()->geometry().top(), rowsBottom + 1);
    // A wider window takes fewer rows, and the document area grows to match.
    const int areaHeight = frame->MdiArea()->height();
    frame->resize(1400, 600);
    Settle();
    QVERIFY(bar->RowCount() < rows);
    QVERIFY(frame->MdiArea()->height() > areaHeight);
}

void TabBarTest::ctrlTabFollowsTheTabs()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    CMainFrame *frame = app.MainFrame();
    CScribaDoc *first = fixture.ActiveDocument();
    CScribaDoc *second = app.OnFileNew();
    CScribaDoc *third = app.OnFileNew();
    frame->ActivateDocument(second);
    frame->ActivateDocument(first);
    frame->ActivateDocument(second);
    Settle();
    QApplication::setActiveWindow(frame);
    QTest::keyClick(fixture.ActiveView(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(fixture.ActiveDocument(), third);
    QTest::keyClick(fixture.ActiveView(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(fixture.ActiveDocument(), first);
    QTest::keyClick(fixture.ActiveView(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(fixture.ActiveDocument(), third);
    Settle();
    QCOMPARE(SelectedText(Strip(fixture)), QStringLiteral("untitled[2].lua"));
}

void TabBarTest::documentAreaTakesTheDisplayAreaOrEverything()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    CDocumentTabBar *bar = Strip(fixture);
    QMdiArea *area = frame->MdiArea();
    Settle();
    QWidget *space = frame->centralWidget();
    QCOMPARE(bar->geometry(), space->rect());
    QCOMPARE(area->geometry(), bar->DisplayRect(space->rect()));
    QVERIFY(area->geometry().top() > bar->geometry().top() + 5);
    // Hiding the document area hides the strip.
    area->hide();
    QVERIFY(bar->isHidden());
    QCOMPARE(area->geometry(), space->rect());
    area->show();
    QVERIFY(!bar->isHidden());
    QCOMPARE(area->geometry(), bar->DisplayRect(space->rect()));
    // Too small for the rows and the border: an empty area.
    QCOMPARE(bar->DisplayRect(QRect(0, 0, 8, 8)), QRect());
    // Without the strip the program works on, the document area filling the space.
    QVERIFY(frame->ClientWatcher().Uninstall());
    QCOMPARE(frame->centralWidget(), area);
    QVERIFY(area->isVisible());
    fixture.App().OnFileNew();
    QCOMPARE(fixture.App().Documents().size(), 2);
    QVERIFY(area->currentSubWindow()->isMaximized());
}


// With nothing changing the poll rests, and every change of the documents still reaches the
// strip within a poll's interval.
void TabBarTest::quietStripRestsAndChangesWakeIt()
{
    AppFixture fixture("");
    CDocumentTabBar *bar = Strip(fixture);
    CScribaDoc *document = fixture.ActiveDocument();
    const int interval = CDocumentTabBar::kPollIntervalMs;
    const int rest = (CDocumentTabBar::kQuietPollsBeforeRest + 2) * interval;
    QTRY_VERIFY_WITH_TIMEOUT(!bar->IsPolling(), rest);
    QTest::keyClicks(fixture.ActiveView(), "x");
    QTRY_COMPARE_WITH_TIMEOUT(bar->TabLamp(0), 1, interval);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->IsPolling(), rest);
    document->SetTitle(QStringLiteral("renamed.lua"));
    QTRY_COMPARE_WITH_TIMEOUT(Texts(bar), QStringList{"renamed.lua"}, interval);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->IsPolling(), rest);
    document->SetModifiedFlag(false);
    QTRY_COMPARE_WITH_TIMEOUT(bar->TabLamp(0), 0, interval);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->IsPolling(), rest);
    fixture.App().OnFileNew();
    QTRY_COMPARE_WITH_TIMEOUT(bar->Count(), 2, interval);
    QCOMPARE(bar->CurrentIndex(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->IsPolling(), rest);
    fixture.App().MainFrame()->MdiArea()->activatePreviousSubWindow();
    QTRY_COMPARE_WITH_TIMEOUT(bar->CurrentIndex(), 0, interval);
}

QTEST_MAIN(TabBarTest)
#include "tabbar_test.moc"
