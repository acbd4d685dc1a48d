// The results pane itself: shown and hidden from the View menu and kept so, and the Problems
// tab following the check of every open script.
#include "guitestsupport.h"

#include "check/checkmarks.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "panes/outlinepane.h"
#include "panes/problemlist.h"
#include "panes/resultlist.h"
#include "panes/resultspane.h"

#include <QApplication>
#include <QSettings>
#include <QTest>

namespace {

CResultsPane *Pane(AppFixture &fixture)
{
    return fixture.App().MainFrame()->Panes()->Results();
}

QStringList ProblemLines(AppFixture &fixture)
{
    QStringList lines;
    const ResultModel *model = Pane(fixture)->Model(CResultsPane::ProblemsTab);
    for (int row = 0; row < model->rowCount(); ++row)
        lines.append(model->At(row).text);
    return lines;
}

bool ChecksSettle(AppFixture &fixture)
{
    const bool checked = QTest::qWaitFor([&fixture] {
        for (CScribaDoc *document : fixture.App().Documents())
            if (document->GetView()->Checks()->IsPending())
                return false;
        return true;
    }, 20000);
    fixture.App().MainFrame()->Panes()->Problems()->Rebuild();
    return checked;
}

} // namespace

class ResultsPaneTest : public QObject {
    Q_OBJECT

private slots:
    void paneIsShownFromTheViewMenuAndKeptSo();
    void problemsFollowTheChecksOfEveryScript();
    void problemLinesStayReadableUntilTheListFollows();
    void panesShownAtExitShowAtTheNextStart();
    void problemsKeyBringsProblemsForward();
};

void ResultsPaneTest::paneIsShownFromTheViewMenuAndKeptSo()
{
    AppFixture fixture;
    fixture.App().MainFrame()->show();
    QVERIFY(!Pane(fixture)->isVisible()); // hidden at first
    QAction *command = fixture.App().MainFrame()->Action(ID_VIEW_RESULTS_PANE);
    auto kept = [&fixture] {
        return QSettings(fixture.FilePath("profile.ini"), QSettings::IniFormat).value("View/ResultsPane").toBool();
    };
    command->trigger();
    QVERIFY(Pane(fixture)->isVisible());
    QVERIFY(command->isChecked());
    QVERIFY(kept());
    Pane(fixture)->close(); // its close box
    QVERIFY(!command->isChecked());
    QVERIFY(!kept());
    command->trigger();
    QVERIFY(Pane(fixture)->isVisible());
}

void ResultsPaneTest::problemsFollowTheChecksOfEveryScript()
{
    AppFixture fixture;
    CScribaView *second = OpenScript(fixture, "b.lua", "x = 1\n  tg_addcirle(0, 0)\n  tg_addcircle(1)\n");
    CScribaView *first = OpenScript(fixture, "a.lua", "x = = 1\n");
    QVERIFY(ChecksSettle(fixture));
    const QStringList lines = ProblemLines(fixture);
    QCOMPARE(lines.size(), 3); // the untitled script of the start has none
    QVERIFY2(lines[0].startsWith("a.lua:1: error: "), qPrintable(lines.join('\n')));
    QVERIFY2(lines[1].startsWith("b.lua:2:3: warning: unknown Tarn function tg_addcirle"), qPrintable(lines.join('\n')));
    QVERIFY2(lines[2].startsWith("b.lua:3:3: warning: tg_addcircle expects"), qPrintable(lines.join('\n')));
    QCOMPARE(Pane(fixture)->TabText(CResultsPane::ProblemsTab), QStringLiteral("Problems (3)"));
    QCOMPARE(Pane(fixture)->Model(CResultsPane::ProblemsTab)->At(1).message,
             QStringLiteral("unknown Tarn function tg_addcirle (did you mean tg_addcircle?)"));
    QCOMPARE(Pane(fixture)->Model(CResultsPane::ProblemsTab)->At(0).kind, ResultKind::Error);

    // Fixing the error takes it off the list once the check has run again.
    first->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 4UL);
    QTest::keyClick(first, Qt::Key_Delete);
    QTest::keyClick(first, Qt::Key_Delete);
    QCOMPARE(TextOf(first), QByteArray("x = 1\n"));
    QVERIFY(ChecksSettle(fixture));
    QCOMPARE(ProblemLines(fixture).size(), 2);
    QCOMPARE(Pane(fixture)->TabText(CResultsPane::ProblemsTab), QStringLiteral("Problems (2)"));

    // F8 on the Problems tab goes to the warning, line and column.
    Pane(fixture)->ShowTab(CResultsPane::ProblemsTab);
    fixture.App().MainFrame()->Action(ID_EDIT_NEXT_RESULT)->trigger();
    QCOMPARE(fixture.ActiveView(), second);
    QCOMPARE(CaretLine(second), 2);
    QCOMPARE(second->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 8L);

    // A closed script's problems go with it.
    fixture.App().CloseDocument(second->GetDocument());
    QTRY_COMPARE(Pane(fixture)->TabText(CResultsPane::ProblemsTab), QStringLiteral("Problems"));
}

// The tab reads its lines from the checks' own tables: a check that is cleared, or a script
// that closes, leaves the lines the tab shows intact until the list follows.
void ResultsPaneTest::problemLinesStayReadableUntilTheListFollows()
{
    AppFixture fixture;
    CScribaView *view = OpenScript(fixture, "a.lua", "x = = 1\ntg_addcirle(0, 0)\n");
    QVERIFY(ChecksSettle(fixture));
    const QStringList shown = ProblemLines(fixture);
    QCOMPARE(shown.size(), 2);

    view->Checks()->SetEnabled(false); // its problems are forgotten at once
    QVERIFY(!view->Checks()->Problems());
    QCOMPARE(ProblemLines(fixture), shown);
    fixture.App().CloseDocument(view->GetDocument());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the script is gone
    QCOMPARE(ProblemLines(fixture), shown);
    const ResultModel *model = Pane(fixture)->Model(CResultsPane::ProblemsTab);
    QVERIFY(!model->At(1).document); // the place is now a path only
    QCOMPARE(model->At(1).line, 2);

    QTRY_COMPARE(Pane(fixture)->TabText(CResultsPane::ProblemsTab), QStringLiteral("Problems"));
    QCOMPARE(model->rowCount(), 0);
}

void ResultsPaneTest::panesShownAtExitShowAtTheNextStart()
{
    AppFixture fixture;
    CMainFrame *frame = fixture.App().MainFrame();
    frame->show();
    frame->Action(ID_VIEW_RESULTS_PANE)->trigger();
    frame->Action(ID_VIEW_OUTLINE)->trigger();
    fixture.Restart();
    frame = fixture.App().MainFrame();
    QVERIFY(frame->Action(ID_VIEW_RESULTS_PANE)->isChecked());
    QVERIFY(frame->Action(ID_VIEW_OUTLINE)->isChecked());
    QVERIFY(!Pane(fixture)->isHidden());
    QVERIFY(!frame->Panes()->Outline()->isHidden());
    // Hidden at exit: hidden at the next start.
    frame->Action(ID_VIEW_OUTLINE)->trigger();
    fixture.Restart();
    QVERIFY(fixture.App().MainFrame()->Action(ID_VIEW_RESULTS_PANE)->isChecked());
    QVERIFY(!fixture.App().MainFrame()->Action(ID_VIEW_OUTLINE)->isChecked());
}

void ResultsPaneTest::problemsKeyBringsProblemsForward()
{
    AppFixture fixture;
    CMainFrame *frame = fixture.App().MainFrame();
    frame->show();
    QApplication::setActiveWindow(frame);
    QVERIFY(QTest::qWaitForWindowActive(frame));
    Pane(fixture)->ShowTab(CResultsPane::SearchTab);
    fixture.ActiveView()->setFocus();
    // Pressed twice: the pane stays, with Problems in front and the keyboard in its list.
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(fixture.ActiveView(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Pane(fixture)->isVisible());
        QCOMPARE(Pane(fixture)->CurrentTab(), CResultsPane::ProblemsTab);
        QTRY_VERIFY(Pane(fixture)->List(CResultsPane::ProblemsTab)->hasFocus());
    }
    // The View menu's entry still hides it.
    frame->Action(ID_VIEW_RESULTS_PANE)->trigger();
    QVERIFY(!Pane(fixture)->isVisible());
}

QTEST_MAIN(ResultsPaneTest)
#include "resultspane_test.moc"
