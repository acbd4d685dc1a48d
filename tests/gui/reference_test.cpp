// Tarn's reference where the user types: the tip's lines below the signature, the panel beside
// the completion list, the hover text, F1's reference pane with its filter, and a reference of
// the user's own beside Scriba.ini.
#include "guitestsupport.h"

#include "app/settings.h"
#include "check/checkmarks.h"
#include "doc/scribadoc.h"
#include "editor/completionlist.h"
#include "editor/deprecatednamedelegate.h"
#include "editor/intellitip.h"
#include "editor/referencehover.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "panes/problemhover.h"
#include "panes/problemlist.h"
#include "panes/referencepane.h"
#include "panes/resultlist.h"
#include "panes/resultspane.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTreeWidget>

namespace {

void Type(CScribaView *view, const QString &keys)
{
    for (QChar c : keys)
        QTest::keyClick(view, c.toLatin1());
}

QLabel *Panel(CScribaView *view)
{
    return view->findChild<QLabel *>(QStringLiteral("completionPanel"));
}

// The rectangle of the line that holds position.
QRect LineRect(CScribaView *view, qint64 position)
{
    const QPoint point = view->PointOfPosition(position);
    const int height = int(view->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
    return QRect(view->viewport()->x(), point.y(), view->viewport()->width(), height);
}

// Where a line of the document ends inside a word: the letters on either side of each break.
QStringList MidWordBreaks(QTextDocument *document)
{
    QStringList breaks;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        QTextLayout *layout = block.layout();
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const int end = layout->lineAt(i).textStart() + layout->lineAt(i).textLength();
            if (end > 0 && end < text.size() && text[end - 1].isLetterOrNumber() && text[end].isLetterOrNumber())
                breaks << text.mid(std::max(0, end - 6), 12);
        }
    }
    return breaks;
}

} // namespace

class ReferenceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetProgramState(); }

    void tipShowsTheParameterAndTheFunction_data();
    void tipShowsTheParameterAndTheFunction();
    void wideTipWrapsInsideANarrowView();
    void listPanelFollowsTheSelection();
    void listTipAndPanelLeaveEachOtherAndTheWordInSight();
    void hoverText_data();
    void hoverText();
    void f1OpensThePaneThatFollowsTheCaret();
    void f1BetweenBracketsOpensTheTipsFunction();
    void filterAndLinksOfThePane();
    void referenceBesideTheIniReplacesTheBuiltInOne();
    void problemsTellOfTheFunctionTheyName();
    void tipSaysDeprecatedAndEscClosesIt();
    void tipStaysWholeAndOffItsLineWhenF1NarrowsTheView();
    void filterMatchingNothingShowsNoPage();
    void narrowPageNeverCutsAWord();
};

void ReferenceTest::tipShowsTheParameterAndTheFunction_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("fixed strings") << "tm_setanalysis("
                                   << QStringList{"tm_setanalysis(\"kind\")",
                                                  "kind: one of \"steady\", \"transient\" \u2013 Steady state, or "
                                                  "stepping through time",
                                                  "Sets whether the analysis is steady or transient."};
    QTest::newRow("second parameter, with its unit") << "tg_addpoint(1, "
                                                      << QStringList{"tg_addpoint(x, y)",
                                                                     "y: number \u2013 Y coordinate, in the model's "
                                                                     "length unit",
                                                                     "Adds a point."};
    QTest::newRow("optional parameter") << "askvalue(\"n\", "
                                        << QStringList{"askvalue(\"prompt\", (default))",
                                                       "default (optional): number \u2013 Number the box starts with",
                                                       "Asks the user for a number."};
    QTest::newRow("no parameters") << "tm_solve("
                                   << QStringList{"tm_solve()", "Solves flow and heat as the analysis is set."};
}

void ReferenceTest::tipShowsTheParameterAndTheFunction()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, lines);
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    Type(view, typed);
    QVERIFY(view->Tip()->IsShown());
    QCOMPARE(view->Tip()->Lines(), lines);
}

void ReferenceTest::wideTipWrapsInsideANarrowView()
{
    AppFixture fixture;
    fixture.App().MainFrame()->resize(500, 500);
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    Type(view, "tm_addmaterial(\"sand\", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, ");
    const CIntelliTip *tip = view->Tip();
    QVERIFY(tip->IsShown());
    QVERIFY2(view->viewport()->geometry().contains(tip->geometry()), "the whole tip lies over the text");
    QVERIFY(tip->Lines()[0].endsWith(QStringLiteral("heatsource)")));
    QVERIFY(tip->Lines()[1].startsWith(QStringLiteral("disptrans: number")));
    // Three lines of text would be no taller than this if nothing wrapped.
    QVERIFY(tip->height() > 3 * QFontMetrics(QFont(QStringLiteral("Arial"), 11)).height());
    // A pane opened beside the view narrows it while the tip shows.
    fixture.App().MainFrame()->resize(360, 500);
    QTRY_VERIFY2(view->viewport()->geometry().contains(tip->geometry()), "the tip follows the narrower view");
}

void ReferenceTest::listPanelFollowsTheSelection()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    Type(view, "tm_setan");
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    CCompletionList *list = view->CompletionList();
    QVERIFY(list);
    QCOMPARE(list->SelectedName(), QStringLiteral("tm_setanalysis"));
    QLabel *panel = Panel(view);
    QVERIFY(panel && panel->isVisible());
    QVERIFY(panel->text().contains(QStringLiteral("tm_setanalysis(&quot;kind&quot;)")));
    QVERIFY(panel->text().contains(QStringLiteral("Sets whether the analysis is steady or transient.")));
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(list->SelectedName(), QStringLiteral("tm_setcoupling"));
    QVERIFY(panel->text().contains(QStringLiteral("Switches the coupling of flow and heat on or off.")));

    // Deprecated names are struck through, the others not.
    auto *delegate = dynamic_cast<CDeprecatedNameDelegate *>(list->itemDelegate());
    QVERIFY(delegate);
    auto rowOf = [list](const char *name) { return list->indexFromItem(list->findItems(name, Qt::MatchExactly).value(0)); };
    QVERIFY(delegate->IsStruckThrough(rowOf("tm_addpointsource")));
    QVERIFY(!delegate->IsStruckThrough(rowOf("tm_addwell")));

    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!view->CompletionList());
    QTRY_VERIFY(!Panel(view));
}

void ReferenceTest::listTipAndPanelLeaveEachOtherAndTheWordInSight()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "\n\n\n|");
    QVERIFY(view);
    Type(view, "tm_addwell(\"w\", tm_ad");
    const CIntelliTip *tip = view->Tip();
    QVERIFY(tip->IsShown());
    const QRect tipBefore = tip->geometry();
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    const CCompletionList *list = view->CompletionList();
    QVERIFY(list && list->isVisible() && tip->IsShown());
    QLabel *panel = Panel(view);
    QVERIFY(panel && panel->isVisible());
    QVERIFY2(!tip->geometry().intersects(list->geometry()), "the list does not hide the tip");
    QVERIFY2(!tip->geometry().intersects(panel->geometry()), "the panel does not hide the tip");
    QVERIFY2(!panel->geometry().intersects(list->geometry()), "the panel stands beside the list");
    const QRect word = LineRect(view, view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    for (const QWidget *widget : {static_cast<const QWidget *>(tip), static_cast<const QWidget *>(list),
                                  static_cast<const QWidget *>(panel)})
        QVERIFY2(!widget->geometry().intersects(word), "the line being typed stays in sight");
    // The list gone, the tip goes back under the caret.
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(tip->IsShown());
    QCOMPARE(tip->geometry().top(), tipBefore.top());
}

void ReferenceTest::hoverText_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("shown"); // empty: no hover
    QTest::newRow("documented call") << "tm_setanalysis"
                                     << QStringList{"tm_setanalysis(&quot;kind&quot;)", "Sets whether",
                                                    "Parameters", "steady", "stepping through time"};
    QTest::newRow("return values") << "tg_getnode"
                                   << QStringList{"Returns", "the node's x, in the model's length unit", "its y"};
    QTest::newRow("deprecated") << "tm_addpointsource" << QStringList{"Deprecated", "use tm_addwell"};
    QTest::newRow("a field, not the global function") << "tm_solvefield" << QStringList{};
    QTest::newRow("not Tarn's") << "myown" << QStringList{};
}

void ReferenceTest::hoverText()
{
    QFETCH(QString, word);
    QFETCH(QStringList, shown);
    AppFixture fixture;
    CScribaView *view =
        LoadWithCaret(fixture, "|x = tm_setanalysis(\"steady\")\na, b = tg_getnode(1)\ntm_addpointsource(\"w\", 1, 2)\n"
                      "t.tm_solve()\nmyown()\n");
    QVERIFY(view);
    const QByteArray text = TextOf(view);
    const QByteArray at = word == QStringLiteral("tm_solvefield") ? QByteArray("tm_solve") : word.toUtf8();
    const qint64 position = text.indexOf(at) + 2;
    auto *hover = view->findChild<CReferenceHover *>();
    QVERIFY(hover);
    const QString tip = hover->TextAt(position);
    QCOMPARE(tip.isEmpty(), shown.isEmpty());
    for (const QString &part : shown)
        QVERIFY2(tip.contains(part), qPrintable(part));
}

void ReferenceTest::f1OpensThePaneThatFollowsTheCaret()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "tm_so|lve()\ntg_addpoint(1, 2)\n");
    QVERIFY(view);
    CMainFrame *frame = fixture.App().MainFrame();
    QAction *reference = frame->Action(ID_HELP_REFERENCE);
    QCOMPARE(reference->text(), QStringLiteral("Tarn &Reference\tF1"));
    QCOMPARE(reference->shortcut(), QKeySequence(Qt::Key_F1));
    reference->trigger();
    CReferencePane *pane = frame->ReferencePane();
    QVERIFY(pane->isVisible());
    QCOMPARE(pane->CurrentName(), QStringLiteral("tm_solve"));
    QVERIFY(pane->Page()->toPlainText().contains(QStringLiteral("Solves flow and heat")));

    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(TextOf(view).indexOf("addpoint")));
    QTRY_COMPARE(pane->CurrentName(), QStringLiteral("tg_addpoint"));
    QVERIFY(pane->Page()->toPlainText().contains(QStringLiteral("Y coordinate, in the model's length unit")));
    // A word that is not a function leaves the page as it is.
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(TextOf(view).indexOf("1, 2")));
    QCOMPARE(pane->CurrentName(), QStringLiteral("tg_addpoint"));
}

// Between a call's brackets the caret is on no name; the pane opens at the tip's function.
void ReferenceTest::f1BetweenBracketsOpensTheTipsFunction()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "x = 1\n|");
    QVERIFY(view);
    QTest::keyClicks(view, QStringLiteral("tm_solveflow("));
    QVERIFY(view->Tip()->IsShown());
    fixture.App().MainFrame()->Action(ID_HELP_REFERENCE)->trigger();
    CReferencePane *pane = fixture.App().MainFrame()->ReferencePane();
    QCOMPARE(pane->CurrentName(), QStringLiteral("tm_solveflow"));
}

void ReferenceTest::filterAndLinksOfThePane()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    CReferencePane *pane = fixture.App().MainFrame()->ReferencePane();
    pane->Open(view);
    QTreeWidget *tree = pane->Tree();
    QStringList groups;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        groups << tree->topLevelItem(i)->text(0);
    QCOMPARE(groups, (QStringList{"General (12)", "tg_ (61)", "tm_ (60)", "tr_ (39)", "tv_ (37)"}));

    QTest::keyClicks(pane->FilterField(), QStringLiteral("SOLVE"));
    QStringList shown;
    for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it)
        if ((*it)->parent())
            shown << (*it)->text(0);
    QCOMPARE(shown, (QStringList{"tm_setsolver", "tm_solve", "tm_solveflow", "tm_solveheat", "tm_solvestatus"}));
    QVERIFY(tree->topLevelItem(1)->isHidden());
    QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("tm_ (5)"));
    // The page shows the first match when its function was filtered out.
    QCOMPARE(pane->CurrentName(), QStringLiteral("tm_setsolver"));
    pane->Tree()->setCurrentItem(pane->Tree()->findItems(QStringLiteral("tm_solve"), Qt::MatchExactly | Qt::MatchRecursive).value(0));

    // A see-also link jumps within the pane, past the filter.
    QVERIFY(pane->Page()->toHtml().contains(QStringLiteral("tarn:tm_solveflow")));
    emit pane->Page()->anchorClicked(QUrl(QStringLiteral("tarn:tm_solveheat")));
    QCOMPARE(pane->CurrentName(), QStringLiteral("tm_solveheat"));
    emit pane->Page()->anchorClicked(QUrl(QStringLiteral("tarn:tg_addpoint")));
    QCOMPARE(pane->CurrentName(), QStringLiteral("tg_addpoint"));
    QVERIFY(pane->FilterField()->text().isEmpty());
}

void ReferenceTest::referenceBesideTheIniReplacesTheBuiltInOne()
{
    QTemporaryDir folder;
    WriteFile(folder.filePath(QStringLiteral("Tarn.d.lua")),
              "---@meta\n--- Solves it all, my way.\n---@return\nfunction tm_solve() end\nfunction tm_mine() end\n");
    AppFixture fixture(AppFixture::AtPath{folder.filePath(QStringLiteral("Scriba.ini"))});
    bool reported = false;
    for (const Prompt &prompt : fixture.Prompts().asked)
        reported |= prompt.caption == QStringLiteral("Scriba - Tarn Reference") &&
                    prompt.text.contains(QStringLiteral("Tarn.d.lua")) &&
                    prompt.text.contains(QStringLiteral("Line 3: \"---@return\" needs a type")) &&
                    prompt.text.contains(QStringLiteral("Line 5: tm_mine is not in the function table"));
    QVERIFY(reported);
    CScribaView *view = LoadWithCaret(fixture, "|tm_solve()\ntg_addpoint(1, 2)\n");
    QVERIFY(view);
    auto *hover = view->findChild<CReferenceHover *>();
    QVERIFY(hover->TextAt(2).contains(QStringLiteral("Solves it all, my way.")));
    // A function the file does not document shows its table entry alone.
    const QString alone = hover->TextAt(TextOf(view).indexOf("addpoint"));
    QVERIFY(alone.contains(QStringLiteral("tg_addpoint(x, y)")));
    QVERIFY(!alone.contains(QStringLiteral("Adds a point")));
}

void ReferenceTest::problemsTellOfTheFunctionTheyName()
{
    AppFixture fixture;
    OpenScript(fixture, "a.lua", "tm_addpointsource(\"w\", 1, 2)\ntg_addcirle(0, 0)\nx = = 1\n");
    QVERIFY(QTest::qWaitFor([&fixture] {
        for (CScribaDoc *document : fixture.App().Documents())
            if (document->GetView()->Checks()->IsPending())
                return false;
        return true;
    }, 20000));
    CPaneCommands *panes = fixture.App().MainFrame()->Panes();
    panes->Problems()->Rebuild();
    const ResultModel *model = panes->Results()->Model(CResultsPane::ProblemsTab);
    QCOMPARE(model->rowCount(), 3);
    auto *hover = fixture.App().MainFrame()->findChild<CProblemHover *>();
    QVERIFY(hover);
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << hover->TextFor(model->At(row).message);
    // The deprecated call, the misspelt name's likely meaning, and a syntax error naming none.
    QVERIFY2(texts[0].contains(QStringLiteral("Adds a source of water and heat at a point.")), qPrintable(texts[0]));
    QVERIFY2(texts[1].contains(QStringLiteral("Adds a circle as two arcs.")), qPrintable(texts[1]));
    QVERIFY(texts[2].isEmpty());

    // The pointer resting on the first line shows it.
    CResultList *list = panes->Results()->List(CResultsPane::ProblemsTab);
    panes->Results()->ShowTab(CResultsPane::ProblemsTab);
    const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &help);
    QTRY_VERIFY(QToolTip::text().contains(QStringLiteral("use tm_addwell")));
}

void ReferenceTest::tipSaysDeprecatedAndEscClosesIt()
{
    AppFixture fixture;
    CMainFrame *frame = fixture.App().MainFrame();
    frame->show();
    QApplication::setActiveWindow(frame);
    QVERIFY(QTest::qWaitForWindowActive(frame));
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    view->setFocus();
    Type(view, "tg_addpoint(");
    QVERIFY(view->Tip()->IsShown());
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!view->Tip()->IsShown());
    Type(view, " tm_addpointsource(");
    QVERIFY(view->Tip()->IsShown());
    const QStringList lines = view->Tip()->Lines();
    QVERIFY2(lines.size() > 1 && lines[1].startsWith(QStringLiteral("Deprecated")) && lines[1].contains(QStringLiteral("tm_addwell")),
             qPrintable(lines.join(QLatin1Char('\n'))));
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!view->Tip()->IsShown());
    QCOMPARE(TextOf(view), QByteArray("tg_addpoint( tm_addpointsource("));
}

void ReferenceTest::tipStaysWholeAndOffItsLineWhenF1NarrowsTheView()
{
    AppFixture fixture;
    CMainFrame *frame = fixture.App().MainFrame();
    frame->resize(760, 250);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    CScribaView *view = LoadWithCaret(fixture, "x = 1\ny = 2\nz = 3\nw = 4\n|");
    QVERIFY(view);
    Type(view, "tm_addmaterial(\"sand\", 1, 2, 3, ");
    const CIntelliTip *tip = view->Tip();
    QVERIFY(tip->IsShown());
    const int widthBefore = view->viewport()->width();
    frame->Action(ID_HELP_REFERENCE)->trigger();
    QTRY_VERIFY(view->viewport()->width() < widthBefore);
    const qint64 caret = view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    QTRY_VERIFY2(view->viewport()->geometry().contains(tip->geometry()), "the whole tip lies over the text");
    QVERIFY2(!tip->geometry().intersects(LineRect(view, caret)), "the caret's line stays in sight");
    QCOMPARE(tip->Lines().size(), 3); // what gave way is still the tip's to show in a larger view
}

void ReferenceTest::filterMatchingNothingShowsNoPage()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "tm_so|lve()\n");
    QVERIFY(view);
    fixture.App().MainFrame()->Action(ID_HELP_REFERENCE)->trigger();
    CReferencePane *pane = fixture.App().MainFrame()->ReferencePane();
    QCOMPARE(pane->CurrentName(), QStringLiteral("tm_solve"));
    QTest::keyClicks(pane->FilterField(), QStringLiteral("zzq"));
    QVERIFY(pane->CurrentName().isEmpty());
    QVERIFY(!pane->Page()->toPlainText().contains(QStringLiteral("Solves flow")));
    QCOMPARE(pane->Page()->toPlainText(), QStringLiteral("No function's name contains \"zzq\"."));
    pane->FilterField()->clear();
    QVERIFY(!pane->CurrentName().isEmpty()); // the first function again
}

void ReferenceTest::narrowPageNeverCutsAWord()
{
    AppFixture fixture;
    CScribaView *view = LoadWithCaret(fixture, "tm_setanaly|sis(\"steady\")\n");
    QVERIFY(view);
    fixture.App().MainFrame()->Action(ID_HELP_REFERENCE)->trigger();
    CReferencePane *pane = fixture.App().MainFrame()->ReferencePane();
    QCOMPARE(pane->CurrentName(), QStringLiteral("tm_setanalysis"));
    QVERIFY(pane->Page()->toPlainText().contains(QStringLiteral("\"steady\" | \"transient\"")));
    for (int width : {90, 120, 160, 220}) {
        pane->Page()->document()->setTextWidth(width);
        const QStringList breaks = MidWordBreaks(pane->Page()->document());
        QVERIFY2(breaks.isEmpty(), qPrintable(QStringLiteral("%1 px: ").arg(width) + breaks.join(QStringLiteral(", "))));
    }
}

QTEST_MAIN(ReferenceTest)
#include "reference_test.moc"
