// Running a script: its output in the results pane, places in it as links that F8 walks, the
// lines of its errors marked in the script, Stop, a second run, and a flood of output.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "panes/resultlist.h"
#include "panes/resultspane.h"
#include "run/runcommanddialog.h"
#include "run/runcontroller.h"
#include "run/runmarks.h"
#include "run/scriptrunner.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <csignal>

namespace {

CPaneCommands *Panes(AppFixture &fixture)
{
    return fixture.App().MainFrame()->Panes();
}

ResultModel *Output(AppFixture &fixture)
{
    return Panes(fixture)->Results()->Model(CResultsPane::OutputTab);
}

QStringList OutputLines(AppFixture &fixture)
{
    QStringList lines;
    for (int row = 0; row < Output(fixture)->rowCount(); ++row)
        lines.append(Output(fixture)->At(row).text);
    return lines;
}

void SetCommand(AppFixture &fixture, const QString &command)
{
    fixture.App().OpenProfile()->setValue(QStringLiteral("Run/Command"), command);
}

bool RunEnds(AppFixture &fixture, int timeoutMs = 30000)
{
    return QTest::qWaitFor([&fixture] { return !Panes(fixture)->Run()->IsRunning(); }, timeoutMs);
}

// A key pressed in the active script, as the user presses it: the window's commands hear it.
void Press(AppFixture &fixture, QKeyCombination keys)
{
    fixture.Update();
    CScribaView *view = fixture.ActiveView();
    view->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view->window()));
    view->setFocus();
    QTest::keyClick(view, keys.key(), keys.keyboardModifiers());
}

// Whether the process has ended: gone, or a zombie nobody has collected yet.
bool ProcessEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
}

// A script that says it is ready, then waits for a program it starts, which writes its own
// process id to child.pid first.
const QByteArray kStartsAChild = "print('ready')\n"
                                 "os.execute('echo $$ > child.pid; exec sleep 25')\n";

// Runs kStartsAChild and answers the process id of the program it started.
qint64 RunWithAChild(AppFixture &fixture)
{
    QFile::remove(fixture.FilePath(QStringLiteral("child.pid")));
    Press(fixture, Qt::Key_F5);
    qint64 pid = 0;
    const bool started = QTest::qWaitFor([&] {
        pid = ReadFile(fixture.FilePath(QStringLiteral("child.pid"))).trimmed().toLongLong();
        return pid > 0;
    }, 10000);
    return started ? pid : 0;
}

const QByteArray kFailing = "print('hello from the model')\n"
                            "local function f()\n"
                            "  local x = nil\n"
                            "  x()\n"
                            "end\n"
                            "f()\n";

} // namespace

class RunTest : public QObject {
    Q_OBJECT

private slots:
    void failingRunShowsOutputAndF8GoesToTheLine();
    void firstRunAsksForTheCommand();
    void modifiedScriptIsSavedFirstAndCancelledSaveRunsNothing();
    void stopEndsAnEndlessScript();
    void stopKillsAProgramThatIgnoresIt();
    void secondRunAsksWhetherToStopTheFirst();
    void badCommandIsReportedInTheOutput();
    void millionLinesKeepTheLastHundredThousand();
    void outputShowsAsPrintedAndInOrder();
    void stopEndsTheProgramsTheScriptStarted();
    void exitAsksWhileAScriptRunsAndEndsIt();
    void endlessLineIsKeptWithinTheBudget();
    void longLineIsShownCutAndCopiedWhole();
    void choosingAnotherTabKeepsTheActiveScript();
};

void RunTest::failingRunShowsOutputAndF8GoesToTheLine()
{
    AppFixture fixture;
    // The file's name alone: the run's folder is the script's, and the place Lua prints is
    // taken from there.
    SetCommand(fixture, QStringLiteral("lua5.1 %n"));
    CScribaView *view = OpenScript(fixture, QStringLiteral("model.lua"), kFailing);
    Press(fixture, Qt::Key_F5);
    QVERIFY(Panes(fixture)->Run()->IsRunning());
    QVERIFY(Panes(fixture)->Results()->isVisible());
    QCOMPARE(Panes(fixture)->Results()->CurrentTab(), CResultsPane::OutputTab);
    QVERIFY(RunEnds(fixture));

    const QStringList lines = OutputLines(fixture);
    QVERIFY2(lines.contains(QStringLiteral("hello from the model")), qPrintable(lines.join('\n')));
    // The program's name as Lua prints it: argv[0], the full path the program was found at.
    const QString message = QStringLiteral("lua5.1: model.lua:4: attempt to call local 'x' (a nil value)");
    const int error = int(lines.indexOf(QRegularExpression(QStringLiteral("^(/usr/bin/)?") + QRegularExpression::escape(message))));
    QVERIFY2(error > 0, qPrintable(lines.join('\n')));
    QVERIFY(lines.last().startsWith(QStringLiteral("Finished with exit code 1 in ")));
    QVERIFY(lines.last().endsWith(QStringLiteral(" s")));
    QCOMPARE(Output(fixture)->At(error).kind, ResultKind::Error);
    QCOMPARE(Output(fixture)->At(error).path, fixture.FilePath(QStringLiteral("model.lua")));
    QCOMPARE(Output(fixture)->At(lines.indexOf(QStringLiteral("hello from the model"))).kind, ResultKind::Plain);

    // F8 from the text walks the error and then the traceback's lines in the script.
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    Press(fixture, Qt::Key_F8);
    QCOMPARE(fixture.ActiveView(), view);
    QCOMPARE(CaretLine(view), 4);
    QVERIFY(view->hasFocus() || !QApplication::focusWidget());
    Press(fixture, Qt::Key_F8);
    QCOMPARE(CaretLine(view), 4); // "model.lua:4: in function 'f'"
    Press(fixture, Qt::Key_F8);
    QCOMPARE(CaretLine(view), 6); // "model.lua:6: in main chunk"
    Press(fixture, QKeyCombination(Qt::ShiftModifier, Qt::Key_F8));
    QCOMPARE(CaretLine(view), 4);

    // The error's line is marked with its message until the text changes.
    CRunMarks *marks = CRunMarks::Of(view);
    QCOMPARE(marks->Count(), 1);
    QCOMPARE(marks->MessageOfLine(4), QStringLiteral("attempt to call local 'x' (a nil value)"));
    QTest::keyClicks(view, "-");
    QTRY_COMPARE(marks->Count(), 0);

    // Enter on a line of the list goes there too.
    CResultList *list = Panes(fixture)->Results()->List(CResultsPane::OutputTab);
    list->SelectRow(int(lines.indexOf(QStringLiteral("\tmodel.lua:6: in main chunk").replace('\t', "    "))));
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(CaretLine(view), 6);
}

void RunTest::firstRunAsksForTheCommand()
{
    AppFixture fixture;
    OpenScript(fixture, QStringLiteral("hello.lua"), "print('hi')\n");
    // Cancelled: nothing runs, nothing is kept.
    Press(fixture, Qt::Key_F5);
    QVERIFY(!Panes(fixture)->Run()->IsRunning());
    QCOMPARE(Panes(fixture)->Run()->Command(), QString());

    QString title;
    QString offered;
    QString selected;
    bool focused = false;
    fixture.Prompts().dialogs.enqueue([&](QDialog &dialog) {
        title = dialog.windowTitle();
        auto *field = static_cast<CRunCommandDialog &>(dialog).CommandField();
        focused = dialog.focusWidget() == field;
        offered = field->text();
        selected = field->selectedText();
        field->setText(QStringLiteral("lua5.1 %f"));
        return int(QDialog::Accepted);
    });
    Press(fixture, Qt::Key_F5);
    QCOMPARE(title, QStringLiteral("Set Run Command"));
    QVERIFY(focused);
    // The interpreter this machine has is offered, selected so that typing replaces it.
    QCOMPARE(offered, QStringLiteral("lua5.1 %f"));
    QCOMPARE(selected, offered);
    QVERIFY(RunEnds(fixture));
    QCOMPARE(OutputLines(fixture).value(1), QStringLiteral("hi"));
    QCOMPARE(Panes(fixture)->Run()->Command(), QStringLiteral("lua5.1 %f"));
    // Kept with the recent files, not in the configuration file.
    QSettings profile(fixture.FilePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    QCOMPARE(profile.value(QStringLiteral("Run/Command")).toString(), QStringLiteral("lua5.1 %f"));
}

void RunTest::modifiedScriptIsSavedFirstAndCancelledSaveRunsNothing()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    CScribaView *view = OpenScript(fixture, QStringLiteral("saved.lua"), "print('old')\n");
    view->ReplaceAllText("print('new')\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture));
    QCOMPARE(ReadFile(fixture.FilePath(QStringLiteral("saved.lua"))), QByteArray("print('new')\n"));
    QVERIFY(OutputLines(fixture).contains(QStringLiteral("new")));

    // An untitled script asks for a name; without one nothing runs and the output stays.
    fixture.App().OnFileNew();
    QTest::keyClicks(fixture.ActiveView(), "print('x')");
    const QStringList before = OutputLines(fixture);
    Press(fixture, Qt::Key_F5);
    QCOMPARE(fixture.Prompts().proposedNames.size(), 1);
    QVERIFY(!Panes(fixture)->Run()->IsRunning());
    QCOMPARE(OutputLines(fixture), before);
}

void RunTest::stopEndsAnEndlessScript()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    OpenScript(fixture, QStringLiteral("endless.lua"), "while true do end\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(Panes(fixture)->Run()->IsRunning());
    QTest::qWait(200);
    QVERIFY(Panes(fixture)->Run()->IsRunning());
    fixture.Update();
    QVERIFY(fixture.App().MainFrame()->Action(ID_RUN_STOP)->isEnabled());
    Press(fixture, QKeyCombination(Qt::ShiftModifier, Qt::Key_F5));
    QVERIFY(RunEnds(fixture, 2000)); // the end asked for, well before the kill
    QVERIFY(OutputLines(fixture).last().startsWith(QStringLiteral("Stopped after ")));
    fixture.Update();
    QVERIFY(!fixture.App().MainFrame()->Action(ID_RUN_STOP)->isEnabled());
}

void RunTest::stopKillsAProgramThatIgnoresIt()
{
    AppFixture fixture;
    // A program that ignores the request to end: killed once its time to end has passed.
    SetCommand(fixture, QStringLiteral("sh -c \"trap '' TERM; echo ready; while :; do sleep 0.05; done\""));
    OpenScript(fixture, QStringLiteral("stubborn.lua"), "\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(QTest::qWaitFor([&] { return OutputLines(fixture).contains(QStringLiteral("ready")); }, 10000));
    QElapsedTimer clock;
    clock.start();
    Panes(fixture)->Run()->Stop();
    QTest::qWait(CScriptRunner::kStopGraceMs / 2);
    QVERIFY(Panes(fixture)->Run()->IsRunning());
    QVERIFY(RunEnds(fixture, 10000));
    QVERIFY(clock.elapsed() >= CScriptRunner::kStopGraceMs - 20);
    QVERIFY(OutputLines(fixture).last().startsWith(QStringLiteral("Stopped after ")));
}

void RunTest::secondRunAsksWhetherToStopTheFirst()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    CScribaView *view = OpenScript(fixture, QStringLiteral("endless.lua"), "while true do end\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(Panes(fixture)->Run()->IsRunning());
    const qint64 first = Panes(fixture)->Run()->Runner()->ProcessId();

    const qsizetype asked = fixture.Prompts().asked.size();
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    Press(fixture, Qt::Key_F5);
    QCOMPARE(fixture.Prompts().asked.size(), asked + 1);
    QCOMPARE(fixture.Prompts().asked.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QTest::qWait(100);
    QCOMPARE(Panes(fixture)->Run()->Runner()->ProcessId(), first);

    // Yes: the first run ends, and the script runs again in its place, now ending by itself.
    view->ReplaceAllText("print('second')\n");
    fixture.Prompts().answers.enqueue(QMessageBox::Yes);
    Press(fixture, Qt::Key_F5);
    QVERIFY(QTest::qWaitFor([&] { return OutputLines(fixture).contains(QStringLiteral("second")); }, 10000));
    QVERIFY(RunEnds(fixture));
    QVERIFY(OutputLines(fixture).last().startsWith(QStringLiteral("Finished with exit code 0")));
}

void RunTest::badCommandIsReportedInTheOutput()
{
    AppFixture fixture;
    OpenScript(fixture, QStringLiteral("x.lua"), "print(1)\n");
    SetCommand(fixture, QStringLiteral("no-such-program-of-scriba %f"));
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture));
    QVERIFY2(OutputLines(fixture).last().startsWith(QStringLiteral("Could not start no-such-program-of-scriba")),
             qPrintable(OutputLines(fixture).join('\n')));
    QVERIFY(Panes(fixture)->Results()->Status(CResultsPane::OutputTab).startsWith(QStringLiteral("Could not start")));

    // The next run's own error replaces the last run's in the status line.
    SetCommand(fixture, QStringLiteral("lua5.1 '%f"));
    Press(fixture, Qt::Key_F5);
    QVERIFY(!Panes(fixture)->Run()->IsRunning());
    QVERIFY(OutputLines(fixture).join('\n').contains(QStringLiteral("quote ' is not closed")));
    const QString status = Panes(fixture)->Results()->Status(CResultsPane::OutputTab);
    QVERIFY2(status.contains(QStringLiteral("quote ' is not closed")), qPrintable(status));
}

void RunTest::millionLinesKeepTheLastHundredThousand()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    OpenScript(fixture, QStringLiteral("flood.lua"), "for i = 1, 1000000 do print(i) end\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture, 120000));
    const QStringList lines = OutputLines(fixture);
    QCOMPARE(lines.size(), 100000);
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("1000000"));
    QCOMPARE(lines.at(lines.size() - 3), QStringLiteral("999999"));
    QVERIFY(lines.last().startsWith(QStringLiteral("Finished with exit code 0")));
    // The heading, the million lines and the summary, less the lines kept.
    const QString status = Panes(fixture)->Results()->Status(CResultsPane::OutputTab);
    QVERIFY2(status.contains(QLocale().toString(qint64(900002))), qPrintable(status));
    // The list followed the end: its last line shows.
    CResultList *list = Panes(fixture)->Results()->List(CResultsPane::OutputTab);
    QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
    QTRY_COMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
    QVERIFY(list->FollowsEnd());
    // Scrolled up by the user, it stays.
    list->verticalScrollBar()->setValue(0);
    QVERIFY(!list->FollowsEnd());
}

void RunTest::outputShowsAsPrintedAndInOrder()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    // A line shows while the script still runs, not when it ends.
    OpenScript(fixture, QStringLiteral("busy.lua"), "print('working in ' .. os.getenv('TERM'))\nwhile true do end\n");
    Press(fixture, Qt::Key_F5);
    // A terminal that asks for plain lines, with no colours.
    QVERIFY(QTest::qWaitFor([&] { return OutputLines(fixture).contains(QStringLiteral("working in dumb")); }, 10000));
    QVERIFY(Panes(fixture)->Run()->IsRunning());
    QVERIFY(Panes(fixture)->Run()->Runner()->OutputIsTerminal());
    Panes(fixture)->Run()->Stop();
    QVERIFY(RunEnds(fixture));

    // What the script printed shows before the error messages it wrote after it.
    OpenScript(fixture, QStringLiteral("order.lua"), "print('one')\nio.stderr:write('two\\n')\nerror('three')\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture));
    const QStringList lines = OutputLines(fixture);
    const qsizetype one = lines.indexOf(QStringLiteral("one"));
    const qsizetype two = lines.indexOf(QStringLiteral("two"));
    const qsizetype three = lines.indexOf(QRegularExpression(QStringLiteral(".*order.lua:3: three$")));
    QVERIFY2(one > 0 && one < two && two < three, qPrintable(lines.join('\n')));
    QCOMPARE(Output(fixture)->At(int(one)).kind, ResultKind::Plain);
    QCOMPARE(Output(fixture)->At(int(two)).kind, ResultKind::Error);
}

void RunTest::stopEndsTheProgramsTheScriptStarted()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    OpenScript(fixture, QStringLiteral("child.lua"), kStartsAChild);
    const qint64 stopped = RunWithAChild(fixture);
    QVERIFY(stopped > 0);
    Press(fixture, QKeyCombination(Qt::ShiftModifier, Qt::Key_F5));
    QVERIFY(RunEnds(fixture, 10000));
    QVERIFY(OutputLines(fixture).last().startsWith(QStringLiteral("Stopped after ")));
    QTRY_VERIFY_WITH_TIMEOUT(ProcessEnded(stopped), 10000);

    // Closing the script that runs ends the run and what it started.
    const qint64 closed = RunWithAChild(fixture);
    QVERIFY(closed > 0);
    fixture.ActiveDocument()->OnFileClose();
    QVERIFY(RunEnds(fixture, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(ProcessEnded(closed), 10000);
}

void RunTest::exitAsksWhileAScriptRunsAndEndsIt()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    OpenScript(fixture, QStringLiteral("child.lua"), kStartsAChild);
    const qint64 child = RunWithAChild(fixture);
    QVERIFY(child > 0);
    CMainFrame *frame = fixture.App().MainFrame();
    const qsizetype asked = fixture.Prompts().asked.size();
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    QVERIFY(!frame->close());
    QCOMPARE(fixture.Prompts().asked.size(), asked + 1);
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("still running")));
    QVERIFY(Panes(fixture)->Run()->IsRunning());

    fixture.Prompts().answers.enqueue(QMessageBox::Yes);
    QVERIFY(frame->close());
    fixture.Restart();
    QTRY_VERIFY_WITH_TIMEOUT(ProcessEnded(child), 10000);
}

void RunTest::endlessLineIsKeptWithinTheBudget()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    Output(fixture)->SetCharBudget(1000000);
    // 8 MB without a line break, then one short line.
    OpenScript(fixture, QStringLiteral("endless.lua"),
               "local s = string.rep('x', 1024 * 1024)\nfor i = 1, 8 do io.write(s) end\nprint('end')\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture, 60000));
    QVERIFY2(Output(fixture)->CharCount() <= 1000000, qPrintable(QString::number(Output(fixture)->CharCount())));
    QVERIFY(Output(fixture)->Dropped() > 0);
    const QStringList lines = OutputLines(fixture);
    QVERIFY(lines.last().startsWith(QStringLiteral("Finished with exit code 0")));
    QVERIFY(lines.at(lines.size() - 2).endsWith(QStringLiteral("xend")));
    const QString status = Panes(fixture)->Results()->Status(CResultsPane::OutputTab);
    QVERIFY2(status.contains(QStringLiteral("dropped")), qPrintable(status));
}

void RunTest::longLineIsShownCutAndCopiedWhole()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    OpenScript(fixture, QStringLiteral("wide.lua"), "print(string.rep('ab', 30000))\nprint('short')\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture));
    ResultModel *output = Output(fixture);
    const int wide = int(OutputLines(fixture).indexOf(QString(QStringLiteral("ab")).repeated(30000)));
    QVERIFY(wide > 0);
    const QString shown = output->data(output->index(wide), Qt::DisplayRole).toString();
    QCOMPARE(shown.size(), ResultModel::kShownChars + 1);
    QVERIFY(shown.startsWith(QStringLiteral("abab")));
    QVERIFY(output->data(output->index(wide), Qt::ToolTipRole).toString().size() < 10000);
    const int shortLine = int(OutputLines(fixture).indexOf(QStringLiteral("short")));
    QCOMPARE(output->data(output->index(shortLine), Qt::DisplayRole).toString(), QStringLiteral("short"));

    // Copy takes the whole line.
    CResultList *list = Panes(fixture)->Results()->List(CResultsPane::OutputTab);
    list->SelectRow(wide);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text().size(), 60000);
}

void RunTest::choosingAnotherTabKeepsTheActiveScript()
{
    AppFixture fixture;
    SetCommand(fixture, QStringLiteral("lua5.1 %f"));
    OpenScript(fixture, QStringLiteral("model.lua"), "print('model')\n");
    CScribaView *runme = OpenScript(fixture, QStringLiteral("runme.lua"), "print('runme')\n");
    Press(fixture, Qt::Key_F5);
    QVERIFY(RunEnds(fixture));
    CResultsPane *pane = Panes(fixture)->Results();
    for (const CResultsPane::Tab tab : {CResultsPane::SearchTab, CResultsPane::ProblemsTab}) {
        pane->ShowTab(CResultsPane::OutputTab);
        CResultList *list = pane->List(CResultsPane::OutputTab);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(Output(fixture)->index(0)).center());
        QTRY_VERIFY(list->hasFocus());
        pane->ShowTab(tab);
        QCOMPARE(fixture.ActiveView(), runme);
        QCOMPARE(fixture.App().MainFrame()->windowTitle(), QStringLiteral("Scriba - [runme.lua]"));
    }
    // Nor when the pane is hidden with the keyboard in it.
    pane->ShowTab(CResultsPane::OutputTab);
    CResultList *list = pane->List(CResultsPane::OutputTab);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(Output(fixture)->index(0)).center());
    QTRY_VERIFY(list->hasFocus());
    fixture.App().MainFrame()->Action(ID_VIEW_RESULTS_PANE)->trigger();
    QVERIFY(!pane->isVisible());
    QCOMPARE(fixture.ActiveView(), runme);
}

QTEST_MAIN(RunTest)
#include "run_test.moc"
