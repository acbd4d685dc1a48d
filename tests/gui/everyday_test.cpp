// The everyday commands in the live view: Go to Line, the line commands with undo, folding,
// column typing, zoom and the session kept for the next start.
#include "guitestsupport.h"

#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/foldlevels.h"
#include "editor/gotolinedialog.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"
#include "editor/viewdisplay.h"
#include "frame/mainframe.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

using Sci = QsciScintillaBase;

long Send(CScribaView *view, unsigned int message, unsigned long wParam = 0, long lParam = 0)
{
    return view->SendScintilla(message, wParam, lParam);
}

QByteArray NumberedLines(int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "x = " + QByteArray::number(i) + "\n";
    return text;
}

void Trigger(AppFixture &fixture, CommandId command)
{
    fixture.Update();
    QAction *action = fixture.App().MainFrame()->Action(command);
    QVERIFY(action->isEnabled());
    action->trigger();
}

void Select(CScribaView *view, long anchor, long caret)
{
    Send(view, Sci::SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
}

// Runs the idle-time colouring and folding to its end.
void FinishIdleWork(CScribaView *view)
{
    while (view->ContinueBackgroundColouring())
        ;
}

// The fold level words the view holds against those of one scan of its whole text.
void CompareFoldLevels(CScribaView *view)
{
    const QByteArray text = TextOf(view);
    FoldState state;
    std::vector<std::uint32_t> expected;
    ScanFoldLevels(std::string_view(text.constData(), std::size_t(text.size())), state, expected);
    for (std::size_t line = 0; line < expected.size(); ++line) {
        const auto actual = std::uint32_t(Send(view, Sci::SCI_GETFOLDLEVEL, line));
        if (actual != expected[line])
            QFAIL(qPrintable(QStringLiteral("line %1: level word %2, expected %3").arg(line).arg(actual, 0, 16).arg(expected[line], 0, 16)));
    }
}

} // namespace

class EverydayTest : public QObject {
    Q_OBJECT

private slots:
    void goToLineTakesOnlyLinesOfTheScript_data();
    void goToLineTakesOnlyLinesOfTheScript();
    void goToLinePutsTheLineInTheMiddle();
    void toggleCommentIsOneUndoStepAndKeepsTheLines();
    void indentLinesAddsAndRemovesOneStep();
    void lineNumberMarginGrowsWithTheScript();
    void downKeepsTheColumnAfterAZoom_data();
    void downKeepsTheColumnAfterAZoom();
    void foldAllKeepsTheCaretInSight();
    void typingInAFoldedHeaderUnfoldsIt();
    void foldLevelsFollowEditsOfABigScript();
    void foldedBlockKeptThroughARefoldOfEveryLine();
    void bracketBesideTheCaretAndItsPartner();
    void columnTypingActsOnEveryLine();
    void zoomAppliesToAllViewsAndIsKept();
    void sessionIsRestoredAfterANormalExit();
    void sessionSkipsScriptsThatAreGone();
    void startWithNamesOpensOnlyThose();
    void sessionKeepsTheColumnAndTheScriptTheUserWasOn();
    void damagedOrHugeSessionsStartQuickly();
    void sessionCanBeLeftClosed();
    void columnTypingIsOneUndoStepPerRun();
    void currentLineIsMarkedAtFirst();
};

void EverydayTest::goToLineTakesOnlyLinesOfTheScript_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("first") << "1" << true;
    QTest::newRow("last") << "50" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("past the end") << "51" << false;
    QTest::newRow("negative") << "-3" << false;
    QTest::newRow("not a number") << "4a" << false;
    QTest::newRow("empty") << "" << false;
}

void EverydayTest::goToLineTakesOnlyLinesOfTheScript()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    CGoToLineDialog dialog(7, 50);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Go to Line"));
    QCOMPARE(dialog.findChild<QLabel *>()->text(), QStringLiteral("&Line number (1 - 50):"));
    QCOMPARE(dialog.Field()->text(), QStringLiteral("7"));
    QCOMPARE(dialog.Field()->selectedText(), QStringLiteral("7"));
    dialog.Field()->setText(typed);
    QCOMPARE(dialog.OkButton()->isEnabled(), accepted);
    QCOMPARE(dialog.Line() > 0, accepted);
}

void EverydayTest::goToLinePutsTheLineInTheMiddle()
{
    AppFixture fixture("");
    CScribaView *view = OpenScript(fixture, QStringLiteral("lines.lua"), NumberedLines(500));
    QVERIFY(view);
    view->resize(600, 400);
    fixture.Prompts().dialogs.enqueue([](QDialog &dialog) {
        auto &goTo = static_cast<CGoToLineDialog &>(dialog);
        QTest::keyClicks(goTo.Field(), "412"); // replaces the selected caret line
        QTest::mouseClick(goTo.OkButton(), Qt::LeftButton);
        return dialog.result();
    });
    Trigger(fixture, ID_EDIT_GOTO_LINE);
    QCOMPARE(view->CaretLine(), 411);
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), Send(view, Sci::SCI_POSITIONFROMLINE, 411));
    const long first = Send(view, Sci::SCI_GETFIRSTVISIBLELINE);
    const long shown = Send(view, Sci::SCI_LINESONSCREEN);
    QVERIFY(qAbs(411 - (first + shown / 2)) <= 1);
    // Cancel leaves the caret where it is.
    Trigger(fixture, ID_EDIT_GOTO_LINE);
    QCOMPARE(view->CaretLine(), 411);
}

void EverydayTest::toggleCommentIsOneUndoStepAndKeepsTheLines()
{
    AppFixture fixture("");
    const QByteArray text = "a = 1\n  if a then\n\n    b()\n  end\nz = 2\n";
    CScribaView *view = OpenScript(fixture, QStringLiteral("toggle.lua"), text);
    QVERIFY(view);
    // From inside line 2 to the start of line 6: lines 2 to 5 are touched.
    const long start = Send(view, Sci::SCI_POSITIONFROMLINE, 1) + 3;
    const long end = Send(view, Sci::SCI_POSITIONFROMLINE, 5);
    Select(view, start, end);
    Trigger(fixture, ID_EDIT_TOGGLE_COMMENT);
    QCOMPARE(TextOf(view), QByteArray("a = 1\n  -- if a then\n\n  --   b()\n  -- end\nz = 2\n"));
    QCOMPARE(Send(view, Sci::SCI_GETSELECTIONEND), Send(view, Sci::SCI_POSITIONFROMLINE, 5));
    QCOMPARE(view->LineCount(), 7);
    QVERIFY(Send(view, Sci::SCI_GETSELECTIONSTART) > Send(view, Sci::SCI_POSITIONFROMLINE, 1));
    // Toggled back over the same selection, then both undone in two steps.
    Trigger(fixture, ID_EDIT_TOGGLE_COMMENT);
    QCOMPARE(TextOf(view), text);
    view->OnEditUndo();
    QCOMPARE(TextOf(view), QByteArray("a = 1\n  -- if a then\n\n  --   b()\n  -- end\nz = 2\n"));
    view->OnEditUndo();
    QCOMPARE(TextOf(view), text);
    // Without a selection: the caret's line, the caret moving on with its text.
    Select(view, 2, 2);
    Trigger(fixture, ID_EDIT_TOGGLE_COMMENT);
    QVERIFY(TextOf(view).startsWith("-- a = 1\n  if"));
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), 5);
    // The colouring follows.
    QCOMPARE(StylesOf(view), FreshStyles(TextOf(view)));
}

void EverydayTest::indentLinesAddsAndRemovesOneStep()
{
    AppFixture fixture("");
    const QByteArray text = "a\n  b\n\nc\n";
    CScribaView *view = OpenScript(fixture, QStringLiteral("indent.lua"), text);
    QVERIFY(view);
    view->OnEditSelectAll();
    Trigger(fixture, ID_EDIT_INDENT_LINES);
    QCOMPARE(TextOf(view), QByteArray("  a\n    b\n\n  c\n"));
    Trigger(fixture, ID_EDIT_UNINDENT_LINES);
    Trigger(fixture, ID_EDIT_UNINDENT_LINES);
    QCOMPARE(TextOf(view), QByteArray("a\nb\n\nc\n"));
    view->OnEditUndo();
    view->OnEditUndo();
    view->OnEditUndo();
    QCOMPARE(TextOf(view), text);
}

void EverydayTest::lineNumberMarginGrowsWithTheScript()
{
    AppFixture fixture("");
    CScribaView *view = OpenScript(fixture, QStringLiteral("short.lua"), NumberedLines(5));
    QVERIFY(view);
    const long narrow = Send(view, Sci::SCI_GETMARGINWIDTHN, 0);
    QVERIFY(narrow > 0);
    const QByteArray more = NumberedLines(100000);
    view->SendScintilla(Sci::SCI_APPENDTEXT, static_cast<unsigned long>(more.size()), more.constData());
    view->OnTextChanged();
    QVERIFY(Send(view, Sci::SCI_GETMARGINWIDTHN, 0) > narrow);
    // Switched off for every view, and back on.
    fixture.App().MainFrame()->Action(ID_VIEW_LINE_NUMBERS)->trigger();
    QCOMPARE(Send(view, Sci::SCI_GETMARGINWIDTHN, 0), 0);
    fixture.App().MainFrame()->Action(ID_VIEW_LINE_NUMBERS)->trigger();
    QVERIFY(Send(view, Sci::SCI_GETMARGINWIDTHN, 0) > narrow);
}

void EverydayTest::downKeepsTheColumnAfterAZoom_data()
{
    QTest::addColumn<int>("firstLineLength");
    QTest::newRow("short caret line") << 20;
    // Its column is found at the next key, as laying it out at once would cost.
    QTest::newRow("caret line over 64 KB") << (70 << 10);
}

void EverydayTest::downKeepsTheColumnAfterAZoom()
{
    QFETCH(int, firstLineLength);
    AppFixture fixture("");
    QByteArray text = "x = 1 -- " + QByteArray(firstLineLength - 9, 'c') + "\n";
    for (int i = 0; i < 4; ++i)
        text += "abcdefghijklmnop\n";
    CScribaView *view = OpenScript(fixture, QStringLiteral("column.lua"), text);
    QVERIFY(view);
    view->setFocus();
    constexpr long kColumn = 8;
    Send(view, Sci::SCI_GOTOPOS, kColumn);
    Send(view, Sci::SCI_CHOOSECARETX); // as a click there would
    // Wider characters and a wider line-number margin.
    for (int step = 0; step < 4; ++step)
        Trigger(fixture, ID_VIEW_ZOOM_IN);
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), Send(view, Sci::SCI_POSITIONFROMLINE, 1) + kColumn);
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), Send(view, Sci::SCI_POSITIONFROMLINE, 2) + kColumn);
}

void EverydayTest::foldAllKeepsTheCaretInSight()
{
    AppFixture fixture("");
    const QByteArray text = "function a()\n  return 1\nend\nfunction b()\n  if x then\n    y()\n  end\nend\n";
    CScribaView *view = OpenScript(fixture, QStringLiteral("fold.lua"), text);
    QVERIFY(view);
    Send(view, Sci::SCI_GOTOLINE, 5); // inside b, inside its if
    Trigger(fixture, ID_VIEW_FOLD_ALL);
    QVERIFY(!Send(view, Sci::SCI_GETLINEVISIBLE, 1)); // a's body is folded
    QVERIFY(!Send(view, Sci::SCI_GETFOLDEXPANDED, 0));
    for (int line : {3, 4, 5})
        QVERIFY2(Send(view, Sci::SCI_GETLINEVISIBLE, line), qPrintable(QString::number(line)));
    QCOMPARE(view->CaretLine(), 5);
    Trigger(fixture, ID_VIEW_UNFOLD_ALL);
    for (int line = 0; line < view->LineCount(); ++line)
        QVERIFY(Send(view, Sci::SCI_GETLINEVISIBLE, line));
    // A click on the fold marker of the caret's block moves the caret to the header shown.
    Send(view, Sci::SCI_GOTOLINE, 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(int(Send(view, Sci::SCI_GETMARGINWIDTHN, 0)) + 4,
                             int(Send(view, Sci::SCI_POINTYFROMPOSITION, 0, 0)) + 4));
    QVERIFY(!Send(view, Sci::SCI_GETFOLDEXPANDED, 0));
    QVERIFY(Send(view, Sci::SCI_GETLINEVISIBLE, view->CaretLine()));
}

void EverydayTest::typingInAFoldedHeaderUnfoldsIt()
{
    AppFixture fixture("");
    CScribaView *view = OpenScript(fixture, QStringLiteral("header.lua"), "function a()\n  return 1\nend\n");
    QVERIFY(view);
    Send(view, Sci::SCI_FOLDLINE, 0, Sci::SC_FOLDACTION_CONTRACT);
    QVERIFY(!Send(view, Sci::SCI_GETLINEVISIBLE, 1));
    Send(view, Sci::SCI_GOTOPOS, Send(view, Sci::SCI_GETLINEENDPOSITION, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(Send(view, Sci::SCI_GETFOLDEXPANDED, 0));
    QVERIFY(Send(view, Sci::SCI_GETLINEVISIBLE, view->CaretLine()));
    QVERIFY(Send(view, Sci::SCI_GETLINEVISIBLE, 2));
}

void EverydayTest::foldLevelsFollowEditsOfABigScript()
{
    AppFixture fixture("");
    QByteArray text;
    while (text.size() < (3 << 20))
        text += "function f(a)\n  local t = { a,\n    [[x\n]] }\n  if a then return t end\nend\n-- do\n";
    CScribaView *view = OpenScript(fixture, QStringLiteral("big.lua"), text);
    QVERIFY(view);
    FinishIdleWork(view);
    QVERIFY(!view->IsFolding());
    CompareFoldLevels(view);
    // A block opened at the top changes every level below it: folded again while idle.
    Send(view, Sci::SCI_GOTOPOS, 0);
    QTest::keyClicks(view, "if x then");
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(view->IsFolding());
    FinishIdleWork(view);
    CompareFoldLevels(view);
    QVERIFY(view->viewport()->updatesEnabled()); // held back only while the levels are set
    // An edit that leaves the next line's start as it was changes nothing below.
    Send(view, Sci::SCI_GOTOPOS, Send(view, Sci::SCI_POSITIONFROMLINE, 3));
    QTest::keyClicks(view, "y = 1 ");
    QVERIFY(!view->IsFolding());
    CompareFoldLevels(view);
    // A deleted line, and a long string opened near the end.
    Send(view, Sci::SCI_GOTOPOS, Send(view, Sci::SCI_POSITIONFROMLINE, 100));
    view->SendScintilla(Sci::SCI_LINEDELETE);
    view->OnTextChanged();
    Send(view, Sci::SCI_DOCUMENTEND);
    QTest::keyClicks(view, "s = [[");
    FinishIdleWork(view);
    CompareFoldLevels(view);
}

void EverydayTest::foldedBlockKeptThroughARefoldOfEveryLine()
{
    AppFixture fixture("");
    QByteArray text;
    while (text.size() < (2 << 20))
        text += "function f(a)\n  if a then\n    return { a }\n  end\nend\n";
    CScribaView *view = OpenScript(fixture, QStringLiteral("folded.lua"), text);
    QVERIFY(view);
    FinishIdleWork(view);
    const long header = Send(view, Sci::SCI_GETLINECOUNT) - 6; // the last function
    Send(view, Sci::SCI_FOLDLINE, static_cast<unsigned long>(header), Sci::SC_FOLDACTION_CONTRACT);
    Send(view, Sci::SCI_GOTOPOS, 0);
    QTest::keyClicks(view, "do ");
    QVERIFY(view->IsFolding());
    FinishIdleWork(view);
    CompareFoldLevels(view);
    QVERIFY(!Send(view, Sci::SCI_GETFOLDEXPANDED, static_cast<unsigned long>(header)));
    QVERIFY(!Send(view, Sci::SCI_GETLINEVISIBLE, static_cast<unsigned long>(header + 1)));
    QVERIFY(view->viewport()->updatesEnabled());
}

void EverydayTest::bracketBesideTheCaretAndItsPartner()
{
    AppFixture fixture("");
    Settings::Global().options.syntaxhighlighting = 1;
    CScribaView *view = OpenScript(fixture, QStringLiteral("brackets.lua"), "f(a, \")\", (b)) -- (\n");
    QVERIFY(view);
    Send(view, Sci::SCI_GOTOPOS, 1); // before "(": the bracket after the caret is taken
    Trigger(fixture, ID_EDIT_MATCH_BRACKET);
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), 13);
    Trigger(fixture, ID_EDIT_MATCH_BRACKET); // after ")" now: back to its partner
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), 1);
    // The bracket in the comment has no partner to go to.
    Send(view, Sci::SCI_GOTOPOS, 19);
    Trigger(fixture, ID_EDIT_MATCH_BRACKET);
    QCOMPARE(Send(view, Sci::SCI_GETCURRENTPOS), 19);
}

void EverydayTest::columnTypingActsOnEveryLine()
{
    AppFixture fixture("");
    CScribaView *view = OpenScript(fixture, QStringLiteral("columns.lua"), "abc\nabc\nabc\n");
    QVERIFY(view);
    QTest::keyClick(view, Qt::Key_Right); // the column the caret keeps going down
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QVERIFY(view->HasMultipleCarets());
    QTest::keyClicks(view, "XY");
    QCOMPARE(TextOf(view), QByteArray("aXYbc\naXYbc\naXYbc\n"));
    QTest::keyClick(view, Qt::Key_Backspace);
    QCOMPARE(TextOf(view), QByteArray("aXbc\naXbc\naXbc\n"));
    QVERIFY(!view->CompletionList());
    view->OnEditUndo();
    QCOMPARE(TextOf(view), QByteArray("aXYbc\naXYbc\naXYbc\n"));
}

void EverydayTest::zoomAppliesToAllViewsAndIsKept()
{
    AppFixture fixture("");
    CScribaView *first = OpenScript(fixture, QStringLiteral("one.lua"), NumberedLines(20));
    CScribaView *second = OpenScript(fixture, QStringLiteral("two.lua"), NumberedLines(20));
    QVERIFY(first && second);
    const long margin = Send(first, Sci::SCI_GETMARGINWIDTHN, 0);
    Trigger(fixture, ID_VIEW_ZOOM_IN);
    Trigger(fixture, ID_VIEW_ZOOM_IN);
    Trigger(fixture, ID_VIEW_ZOOM_OUT);
    QCOMPARE(Send(first, Sci::SCI_GETZOOM), 1);
    QCOMPARE(Send(second, Sci::SCI_GETZOOM), 1);
    QVERIFY(Send(first, Sci::SCI_GETMARGINWIDTHN, 0) > margin);
    // Ctrl and the wheel zoom every view too.
    QWheelEvent wheel(QPointF(10, 10), second->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(second->viewport(), &wheel);
    QCOMPARE(Send(first, Sci::SCI_GETZOOM), 2);
    fixture.App().MainFrame()->Action(ID_VIEW_WHITESPACE)->trigger();
    fixture.Restart({fixture.FilePath(QStringLiteral("one.lua"))});
    CScribaView *again = fixture.ActiveView();
    QCOMPARE(Send(again, Sci::SCI_GETZOOM), 2);
    QCOMPARE(Send(again, Sci::SCI_GETVIEWWS), long(Sci::SCWS_VISIBLEALWAYS));
    Trigger(fixture, ID_VIEW_ZOOM_RESET);
    QCOMPARE(Send(again, Sci::SCI_GETZOOM), 0);
}

void EverydayTest::sessionIsRestoredAfterANormalExit()
{
    AppFixture fixture("");
    QVERIFY(OpenScript(fixture, QStringLiteral("first.lua"), NumberedLines(300)));
    CScribaView *second = OpenScript(fixture, QStringLiteral("second.lua"), NumberedLines(300));
    QVERIFY(OpenScript(fixture, QStringLiteral("third.lua"), NumberedLines(10)));
    second->resize(600, 300);
    second->Display().GoToLine(200);
    const long firstVisible = Send(second, Sci::SCI_GETFIRSTVISIBLELINE);
    fixture.App().MainFrame()->ActivateDocument(second->GetDocument());
    fixture.Restart();
    QStringList titles;
    for (CScribaDoc *document : fixture.App().MainFrame()->DocumentsInTabOrder())
        titles << document->GetTitle();
    // The untitled script the first start made is not part of the session.
    QCOMPARE(titles, (QStringList{"first.lua", "second.lua", "third.lua"}));
    CScribaView *active = fixture.ActiveView();
    QCOMPARE(active->GetDocument()->GetTitle(), QStringLiteral("second.lua"));
    QCOMPARE(active->CaretLine(), 200);
    QCOMPARE(Send(active, Sci::SCI_GETFIRSTVISIBLELINE), firstVisible);
    QVERIFY(fixture.Prompts().asked.isEmpty());
}

void EverydayTest::sessionSkipsScriptsThatAreGone()
{
    AppFixture fixture("");
    QVERIFY(OpenScript(fixture, QStringLiteral("kept.lua"), "x = 1\n"));
    QVERIFY(OpenScript(fixture, QStringLiteral("gone.lua"), "y = 2\n"));
    QVERIFY(OpenScript(fixture, QStringLiteral("lost.lua"), "z = 3\n"));
    fixture.App().MainFrame()->close();
    fixture.Exit();
    QFile::remove(fixture.FilePath(QStringLiteral("gone.lua")));
    QFile::remove(fixture.FilePath(QStringLiteral("lost.lua")));
    fixture.Restart();
    QCOMPARE(fixture.App().Documents().size(), 1);
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("kept.lua"));
    QCOMPARE(fixture.Prompts().asked.size(), 1); // one message for both
    const QString text = fixture.Prompts().asked.front().text;
    QVERIFY(text.contains(QStringLiteral("gone.lua")) && text.contains(QStringLiteral("lost.lua")));
}

void EverydayTest::startWithNamesOpensOnlyThose()
{
    AppFixture fixture("");
    QVERIFY(OpenScript(fixture, QStringLiteral("session.lua"), "x = 1\n"));
    WriteFile(fixture.FilePath(QStringLiteral("named.lua")), "y = 2\n");
    fixture.Restart({fixture.FilePath(QStringLiteral("named.lua"))});
    QCOMPARE(fixture.App().Documents().size(), 1);
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("named.lua"));
}

void EverydayTest::sessionKeepsTheColumnAndTheScriptTheUserWasOn()
{
    AppFixture fixture("");
    CScribaView *first = OpenScript(fixture, QStringLiteral("first.lua"), NumberedLines(300));
    CScribaView *second = OpenScript(fixture, QStringLiteral("second.lua"), NumberedLines(3000));
    QVERIFY(first && second);
    QTest::keyClicks(first, "changed = true");
    fixture.App().MainFrame()->ActivateDocument(second->GetDocument());
    second->Display().GoToLine(1990);
    Send(second, Sci::SCI_LINEEND);
    const long column = Send(second, Sci::SCI_GETCURRENTPOS) - Send(second, Sci::SCI_POSITIONFROMLINE, 1990);
    QCOMPARE(column, 8L); // "x = 1991"
    // Exit, and No to the question about the changed script, shown while it is asked.
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    fixture.Restart();
    QCOMPARE(fixture.Prompts().asked.size(), 0); // the new start's own
    CScribaView *active = fixture.ActiveView();
    QCOMPARE(active->GetDocument()->GetTitle(), QStringLiteral("second.lua"));
    QCOMPARE(active->CaretLine(), 1990);
    QCOMPARE(Send(active, Sci::SCI_GETCURRENTPOS) - Send(active, Sci::SCI_POSITIONFROMLINE, 1990), column);
}

void EverydayTest::damagedOrHugeSessionsStartQuickly()
{
    AppFixture fixture("");
    fixture.App().MainFrame()->close();
    fixture.Exit();
    {
        // A count far beyond what is stored, and more missing scripts than a message can name.
        QSettings profile(fixture.FilePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        profile.beginGroup(QStringLiteral("Session"));
        profile.beginWriteArray(QStringLiteral("Scripts"), 15);
        for (int i = 0; i < 15; ++i) {
            profile.setArrayIndex(i);
            profile.setValue(QStringLiteral("Path"), fixture.FilePath(QStringLiteral("gone%1.lua").arg(i)));
        }
        profile.endArray();
        profile.setValue(QStringLiteral("Scripts/size"), 2147483647);
    }
    WriteFile(fixture.FilePath(QStringLiteral("gone3.lua")), "here = 1\n");
    fixture.Restart();
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("gone3.lua"));
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    const QString text = fixture.Prompts().asked.front().text;
    QCOMPARE(text.count(QStringLiteral(".lua")), 10);
    QVERIFY2(text.contains(QStringLiteral("gone10.lua")) && !text.contains(QStringLiteral("gone11.lua")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("and 4 more")), qPrintable(text));

    // The same script named twice, and hundreds of scripts: each opened once, at most 200.
    fixture.App().MainFrame()->close();
    fixture.Exit();
    for (int i = 0; i < 250; ++i)
        WriteFile(fixture.FilePath(QStringLiteral("s%1.lua").arg(i)), "x = 1\n");
    {
        QSettings profile(fixture.FilePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        profile.remove(QStringLiteral("Session"));
        profile.beginGroup(QStringLiteral("Session"));
        profile.beginWriteArray(QStringLiteral("Scripts"), 252);
        for (int i = 0; i < 252; ++i) {
            profile.setArrayIndex(i);
            profile.setValue(QStringLiteral("Path"), fixture.FilePath(QStringLiteral("s%1.lua").arg(i < 2 ? 0 : i - 2)));
        }
        profile.endArray();
    }
    fixture.Restart();
    QCOMPARE(fixture.App().Documents().size(), 198);
}

void EverydayTest::sessionCanBeLeftClosed()
{
    AppFixture fixture("");
    QVERIFY(OpenScript(fixture, QStringLiteral("kept.lua"), "x = 1\n"));
    QVERIFY(fixture.App().ReopenSession()); // on at first
    fixture.App().SetReopenSession(false);
    fixture.Restart();
    QCOMPARE(fixture.App().Documents().size(), 1);
    QVERIFY(!fixture.ActiveDocument()->HasFileOnDisk());
    // Named scripts open whatever the switch says.
    fixture.Restart({fixture.FilePath(QStringLiteral("kept.lua"))});
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("kept.lua"));
}

void EverydayTest::columnTypingIsOneUndoStepPerRun()
{
    AppFixture fixture("");
    CScribaView *view = OpenScript(fixture, QStringLiteral("columns.lua"), "abc\nabc\nabc\n");
    QVERIFY(view);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClicks(view, "ok_");
    QCOMPARE(TextOf(view), QByteArray("ok_abc\nok_abc\nok_abc\n"));
    QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClicks(view, "Z");
    QCOMPARE(TextOf(view), QByteArray("okZabc\nokZabc\nokZabc\n"));
    view->OnEditUndo(); // the second run
    QCOMPARE(TextOf(view), QByteArray("okabc\nokabc\nokabc\n"));
    view->OnEditUndo(); // the Backspace
    QCOMPARE(TextOf(view), QByteArray("ok_abc\nok_abc\nok_abc\n"));
    view->OnEditUndo(); // the first run, whole
    QCOMPARE(TextOf(view), QByteArray("abc\nabc\nabc\n"));
    view->OnEditRedo();
    QCOMPARE(TextOf(view), QByteArray("ok_abc\nok_abc\nok_abc\n"));
}

void EverydayTest::currentLineIsMarkedAtFirst()
{
    AppFixture fixture("");
    CScribaView *view = OpenScript(fixture, QStringLiteral("a.lua"), "x = 1\n");
    QCOMPARE(Send(view, Sci::SCI_GETCARETLINEVISIBLE), 1L);
    QVERIFY(fixture.App().MainFrame()->Action(ID_VIEW_CURRENT_LINE)->isChecked());
}

QTEST_MAIN(EverydayTest)
#include "everyday_test.moc"
