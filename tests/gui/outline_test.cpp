// The outline pane: the active script's functions by nesting, the filter, the jump to a
// definition, and following the active script and its edits.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/outlinepane.h"
#include "panes/panecommands.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

COutlinePane *Outline(AppFixture &fixture)
{
    return fixture.App().MainFrame()->Panes()->Outline();
}

QStringList Shown(AppFixture &fixture)
{
    QStringList names;
    QListWidget *list = Outline(fixture)->List();
    for (int row = 0; row < list->count(); ++row)
        names.append(list->item(row)->text());
    return names;
}

bool Settles(AppFixture &fixture)
{
    QCoreApplication::processEvents(); // the queued switch of view
    return QTest::qWaitFor([&fixture] { return !Outline(fixture)->IsPending(); }, 20000);
}

} // namespace

class OutlineTest : public QObject {
    Q_OBJECT

private slots:
    void listsFiltersAndJumps();
    void followsTheActiveScriptAndItsEdits();
    void keyPutsTheKeyboardInTheFilterAndEscReturns();
    void chosenFunctionIsCentred();
};

void OutlineTest::listsFiltersAndJumps()
{
    AppFixture fixture;
    fixture.App().MainFrame()->show();
    CScribaView *view = OpenScript(fixture, "wells.lua",
                                   "local function helper()\n"
                                   "  local function inner() end\n"
                                   "end\n"
                                   "function wells.add:well(x)\n"
                                   "end\n");
    fixture.App().MainFrame()->Action(ID_VIEW_OUTLINE)->trigger();
    QVERIFY(Outline(fixture)->isVisible());
    QVERIFY(Settles(fixture));
    QCOMPARE(Shown(fixture), (QStringList{"helper", "  inner", "wells.add:well"}));

    QTest::keyClicks(Outline(fixture)->FilterField(), "WELL");
    QCOMPARE(Shown(fixture), (QStringList{"wells.add:well"}));
    QTest::keyClick(Outline(fixture)->FilterField(), Qt::Key_Return);
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 66L); // at "wells.add:well"

    Outline(fixture)->FilterField()->clear();
    QListWidget *list = Outline(fixture)->List();
    const QRect inner = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, inner.center());
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 41L); // at "inner"
}

void OutlineTest::followsTheActiveScriptAndItsEdits()
{
    AppFixture fixture;
    fixture.App().MainFrame()->show();
    fixture.App().MainFrame()->Action(ID_VIEW_OUTLINE)->trigger();
    CScribaView *first = OpenScript(fixture, "a.lua", "function a() end\n");
    QVERIFY(Settles(fixture));
    QCOMPARE(Shown(fixture), QStringList{"a"});
    OpenScript(fixture, "b.lua", "function b() end\nfunction c() end\n");
    QVERIFY(Settles(fixture));
    QCOMPARE(Shown(fixture), (QStringList{"b", "c"}));

    fixture.App().MainFrame()->ActivateDocument(first->GetDocument());
    QVERIFY(Settles(fixture));
    QCOMPARE(Shown(fixture), QStringList{"a"});
    first->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClicks(first, "local function z() end");
    QVERIFY(Outline(fixture)->IsPending()); // waits for the pause
    QVERIFY(Settles(fixture));
    QCOMPARE(Shown(fixture), (QStringList{"a", "z"}));
}

void OutlineTest::keyPutsTheKeyboardInTheFilterAndEscReturns()
{
    AppFixture fixture;
    CMainFrame *frame = fixture.App().MainFrame();
    frame->show();
    QApplication::setActiveWindow(frame);
    QVERIFY(QTest::qWaitForWindowActive(frame));
    CScribaView *view = OpenScript(fixture, "wells.lua", "function alpha() end\nfunction beta() end\n");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(Outline(fixture)->isVisible());
    QTRY_VERIFY(Outline(fixture)->FilterField()->hasFocus());
    QVERIFY(Settles(fixture));
    QTest::keyClicks(QApplication::focusWidget(), "bet");
    QCOMPARE(Shown(fixture), QStringList{"beta"});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(view->hasFocus());
    QVERIFY(Outline(fixture)->isVisible());
    // Pressed while the pane shows: the keyboard goes back into the filter, its text selected.
    QTest::keyClick(view, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(Outline(fixture)->FilterField()->hasFocus());
    QCOMPARE(Outline(fixture)->FilterField()->selectedText(), QStringLiteral("bet"));
}

void OutlineTest::chosenFunctionIsCentred()
{
    AppFixture fixture;
    fixture.App().MainFrame()->show();
    QByteArray text;
    for (int i = 0; i < 400; ++i)
        text += "x = " + QByteArray::number(i) + "\n";
    text += "function deep()\n  return 1\nend\n";
    text += text;
    CScribaView *view = OpenScript(fixture, "long.lua", text);
    fixture.App().MainFrame()->Action(ID_VIEW_OUTLINE)->trigger();
    QVERIFY(Settles(fixture));
    QCOMPARE(Shown(fixture), (QStringList{"deep", "deep"}));
    QVERIFY(QTest::qWaitForWindowExposed(fixture.App().MainFrame()));
    QCoreApplication::processEvents(); // the layout with the pane in it
    QListWidget *list = Outline(fixture)->List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(CaretLine(view), 401);
    const long first = view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long shown = view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    QVERIFY2(400 - first >= shown / 2 - 1 && 400 - first <= shown / 2 + 1,
             qPrintable(QStringLiteral("first %1 of %2 shown").arg(first).arg(shown)));
}

QTEST_MAIN(OutlineTest)
#include "outline_test.moc"
