// The script's names in a real window: Go to Definition under Lua's scoping, Complete Name's
// list, Rename Symbol's refusals and its single undo step, Find References in the Search tab,
// the marks on the uses of the name at a resting caret, and the parameter tip of the script's
// own and Lua's functions on a call's continuation lines.
#include "guitestsupport.h"

#include "app/settings.h"
#include "editor/completionlist.h"
#include "editor/documenthighlight.h"
#include "editor/intellitip.h"
#include "editor/nameaids.h"
#include "editor/referencehover.h"
#include "editor/namecompletion.h"
#include "editor/renamedialog.h"
#include "editor/scribaview.h"
#include "editor/viewmodel.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "panes/referencepane.h"
#include "panes/resultspane.h"

#include <QLineEdit>
#include <QTest>

namespace {

constexpr char kFunctions[] = "tn_addknot x y\r\ntn_anchor\r\n";

void Configure()
{
    Settings &settings = Settings::Global();
    settings.functions.RemoveAll();
    settings.functions.ParseText(kFunctions);
    settings.options.autocompletion = 1;
    settings.options.intellitip = 1;
    settings.options.namesaftermember = 1;
}

// Opens text with "|" at the caret, "^" taken out and its place handed back; waits for the model.
CScribaView *Open(AppFixture &fixture, QByteArray text, qint64 *mark = nullptr)
{
    const qint64 at = text.indexOf('^');
    if (at >= 0) {
        text.remove(int(at), 1);
        const qint64 caret = text.indexOf('|');
        if (mark)
            *mark = caret < at ? at - 1 : at;
    }
    Configure(); // after the fixture's start, which reads the settings afresh
    CScribaView *view = LoadWithCaret(fixture, text);
    if (view && !QTest::qWaitFor([view] { return view->NameAids().Model().IsCurrent(); }))
        return nullptr;
    return view;
}

void Press(CScribaView *view, const QString &keys)
{
    for (const QChar c : keys) {
        if (c == u'\n')
            QTest::keyClick(view, Qt::Key_Return);
        else
            QTest::keyClick(view, c.toLatin1());
    }
}

qint64 SelectionStart(CScribaView *view)
{
    return view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
}

QString TipState(CScribaView *view)
{
    const CIntelliTip *tip = view->Tip();
    if (!tip->IsShown())
        return QString();
    QStringList parameters = tip->Parameters();
    const int bold = tip->CurrentParameter() - 1;
    if (bold >= 0 && bold < parameters.size())
        parameters[bold] = u'*' + parameters[bold] + u'*';
    return tip->Name() + u'(' + parameters.join(QStringLiteral(", ")) + u')';
}

} // namespace

class NamesTest : public QObject {
    Q_OBJECT

private slots:
    void definition_data();
    void definition();
    void definitionOfTarnFunctionShowsItsPage();
    void completion_data();
    void completion();
    void completionNeverInCommentsOrStrings();
    void completionReplacesTheWordAsOneStep();
    void renameIsOneUndoStep_data();
    void renameIsOneUndoStep();
    void renameRefusesBadNames_data();
    void renameRefusesBadNames();
    void referencesFillTheSearchTab();
    void usesAreMarkedWhileTheCaretRests();
    void tipOnContinuationLines_data();
    void tipOnContinuationLines();
    void hoverAndPanelDescribe_data();
    void hoverAndPanelDescribe();
};

void NamesTest::definition_data()
{
    QTest::addColumn<QByteArray>("text"); // "|" the caret, "^" where the declaration starts
    QTest::newRow("shadowed name goes to the inner one") << QByteArray("local x = 1\nlocal function f()\n  local ^x = 2\n  return x|\nend\n");
    QTest::newRow("local x = x reads the outer x") << QByteArray("^x = 5\nlocal x = |x\nprint(x)\n");
    QTest::newRow("local function sees itself") << QByteArray("local function ^fact(n)\n  return n * fact|(n - 1)\nend\n");
    QTest::newRow("local f = function does not") << QByteArray("^f = print\nlocal f = function(n)\n  return f|(n)\nend\n");
    QTest::newRow("for variable") << QByteArray("for ^i = 1, 3 do\n  print(i|)\nend\n");
    QTest::newRow("repeat body seen by until") << QByteArray("repeat\n  local ^y = 1\nuntil y| > 0\n");
    QTest::newRow("method's self") << QByteArray("local M = {}\nfunction M^:step()\n  return self|\nend\n");
    QTest::newRow("parameter of a method") << QByteArray("local M = {}\nfunction M:move(^dx)\n  self.x = dx|\nend\n");
    QTest::newRow("vararg") << QByteArray("local function f(^...)\n  return select('#', .|..)\nend\n");
    QTest::newRow("shadowed only in a nested function") << QByteArray("local ^v = 1\nlocal function f()\n  local v = 2\nend\nprint(v|)\n");
    QTest::newRow("global of the same name as a local elsewhere") << QByteArray("^g = 1\nlocal function h()\n  local g = 2\nend\nprint(g|)\n");
    QTest::newRow("global to its first assignment") << QByteArray("print(total)\n^total = 1\ntotal = 2\nprint(total|)\n");
}

void NamesTest::definition()
{
    QFETCH(QByteArray, text);
    AppFixture fixture;
    qint64 declaration = -1;
    CScribaView *view = Open(fixture, text, &declaration);
    QVERIFY(view);
    view->NameAids().GoToDefinition({});
    QTRY_COMPARE(SelectionStart(view), declaration);
}

void NamesTest::definitionOfTarnFunctionShowsItsPage()
{
    AppFixture fixture;
    CScribaView *view = Open(fixture, "tn_add|knot(1, 2)\n");
    QVERIFY(view);
    std::string shown;
    view->NameAids().GoToDefinition([&](const std::string &function) { shown = function; });
    QTRY_COMPARE(shown, std::string("tn_addknot"));
    // From the menu's key, the reference pane shows its page.
    QTest::keyClick(view, Qt::Key_F12);
    QTRY_COMPARE(fixture.App().MainFrame()->ReferencePane()->CurrentName(), QStringLiteral("tn_addknot"));
}

void NamesTest::completion_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("keys"); // typed before Ctrl+J ("" for none); "." or ":" opens by itself
    QTest::addColumn<bool>("ctrlJ");
    QTest::addColumn<QStringList>("first"); // the list's first names, in order
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("nearest scope first")
        << QByteArray("local alpha = 1\nlocal function f(alpine)\n  local alps = 2\n  |\nend\n") << "al" << true
        << QStringList{"alps", "alpine", "alpha"} << QStringList{};
    QTest::newRow("filtered as typed")
        << QByteArray("local alpha = 1\nlocal beta = 2\n|\n") << "be" << true << QStringList{"beta"} << QStringList{"alpha"};
    QTest::newRow("not yet declared locals are not offered")
        << QByteArray("|\nlocal later = 1\n") << "lat" << true << QStringList{} << QStringList{"later"};
    QTest::newRow("library table's fields after a dot")
        << QByteArray("|\n") << "string.for" << false << QStringList{"format"} << QStringList{"print"};
    QTest::newRow("script's own table's fields")
        << QByteArray("local M = {}\nfunction M.run() end\nM.speed = 1\n|\n") << "M." << false
        << QStringList{} << QStringList{"print"};
    QTest::newRow("typed name among Tarn's and the library's")
        << QByteArray("local prefix = 1\n|\n") << "pr" << true << QStringList{"prefix"} << QStringList{"tn_addknot"};
    QTest::newRow("keywords too") << QByteArray("|\n") << "whi" << true << QStringList{"while"} << QStringList{};
}

void NamesTest::completion()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, keys);
    QFETCH(bool, ctrlJ);
    QFETCH(QStringList, first);
    QFETCH(QStringList, absent);
    AppFixture fixture;
    CScribaView *view = Open(fixture, text);
    QVERIFY(view);
    Press(view, keys);
    if (ctrlJ)
        QTest::keyClick(view, Qt::Key_J, Qt::ControlModifier);
    CNameCompletion &completion = view->NameAids().Completion();
    QTRY_VERIFY(completion.List() || first.isEmpty());
    const QStringList shown = completion.ShownNames();
    QCOMPARE(shown.mid(0, first.size()), first);
    for (const QString &name : absent)
        QVERIFY2(!shown.contains(name), qPrintable(name));
    if (QByteArray(QTest::currentDataTag()) == "script's own table's fields") {
        QVERIFY(shown.contains("run"));
        QVERIFY(shown.contains("speed"));
    }
}

void NamesTest::completionNeverInCommentsOrStrings()
{
    AppFixture fixture;
    for (const QByteArray &text : {QByteArray("local alpha = 1\n-- al|\n"), QByteArray("local alpha = 1\nprint(\"al|\")\n")}) {
        CScribaView *view = Open(fixture, text);
        QVERIFY(view);
        QTest::keyClick(view, Qt::Key_J, Qt::ControlModifier);
        QVERIFY(!view->NameAids().Completion().List());
        Press(view, ".");
        QVERIFY(!view->NameAids().Completion().List());
    }
}

void NamesTest::completionReplacesTheWordAsOneStep()
{
    AppFixture fixture;
    CScribaView *view = Open(fixture, "local myhelper = 1\n|\n");
    QVERIFY(view);
    Press(view, "myh");
    QTest::keyClick(view, Qt::Key_J, Qt::ControlModifier);
    QVERIFY(view->NameAids().Completion().List());
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(TextOf(view), QByteArray("local myhelper = 1\nmyhelper\n"));
    QVERIFY(!view->NameAids().Completion().List());
    view->OnEditUndo();
    QCOMPARE(TextOf(view), QByteArray("local myhelper = 1\nmyh\n"));
    // The Ctrl+Space list stays Tarn's alone.
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(view->CompletionList());
    QCOMPARE(view->CompletionList()->count(), 2);
}

void NamesTest::renameIsOneUndoStep_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("uses close together")
        << QByteArray("local count = 0\nfor i = 1, 3 do\n  count = count + i\nend\nprint(cou|nt)\nlocal function f(count) return count end\n")
        << QByteArray("local total = 0\nfor i = 1, 3 do\n  total = total + i\nend\nprint(total)\nlocal function f(count) return count end\n");
    // Kilobytes apart, the uses are replaced one stretch at a time: still one step to undo.
    const QByteArray far = "-- " + QByteArray(3000, 'x') + "\n";
    QTest::newRow("uses far apart") << "local count = 0\n" + far + "print(cou|nt)\n" + far + "count = count + 1\n"
                                    << "local total = 0\n" + far + "print(total)\n" + far + "total = total + 1\n";
}

void NamesTest::renameIsOneUndoStep()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    AppFixture fixture;
    CScribaView *view = Open(fixture, before);
    QVERIFY(view);
    QString heading;
    fixture.Prompts().dialogs.enqueue([&](QDialog &dialog) {
        auto &rename = static_cast<CRenameDialog &>(dialog);
        heading = dialog.windowTitle();
        if (!AccessKeyProblems(&dialog).isEmpty())
            return int(QDialog::Rejected);
        rename.NameField()->setText(QStringLiteral("total"));
        return rename.Reason().isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    QTest::keyClick(view, Qt::Key_F2);
    QTRY_COMPARE(TextOf(view), after);
    // The caret stays in the name it was in.
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), long(after.indexOf("print(total") + 6));
    QCOMPARE(heading, QStringLiteral("Rename Symbol"));
    view->OnEditUndo();
    QCOMPARE(TextOf(view), QByteArray(before).replace("|", ""));
    QCOMPARE(StylesOf(view), FreshStyles(TextOf(view)));
}

void NamesTest::renameRefusesBadNames_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("reasonHas");
    QTest::newRow("not a name") << "2nd" << "not a Lua name";
    QTest::newRow("a keyword") << "end" << "keyword";
    QTest::newRow("would be captured") << "b" << "\"b\"";
    QTest::newRow("would capture a global's use") << "print" << "\"print\"";
}

void NamesTest::renameRefusesBadNames()
{
    QFETCH(QString, newName);
    QFETCH(QString, reasonHas);
    AppFixture fixture;
    const QByteArray text("local a = 1\nlocal b = 2\nprint(a|, b)\n");
    CScribaView *view = Open(fixture, text);
    QVERIFY(view);
    QString reason;
    fixture.Prompts().dialogs.enqueue([&](QDialog &dialog) {
        auto &rename = static_cast<CRenameDialog &>(dialog);
        rename.NameField()->setText(newName);
        reason = rename.Reason();
        return int(QDialog::Accepted); // as if the button could be pressed: nothing may change
    });
    QTest::keyClick(view, Qt::Key_F2);
    QTRY_VERIFY(!reason.isEmpty());
    QVERIFY2(reason.contains(reasonHas), qPrintable(reason));
    QCOMPARE(TextOf(view), QByteArray(text).replace("|", ""));
}

void NamesTest::referencesFillTheSearchTab()
{
    AppFixture fixture;
    CScribaView *view = Open(fixture, "local n = 1\nlocal function f()\n  local n = 2\n  return n\nend\nprint(n|)\n");
    QVERIFY(view);
    QTest::keyClick(view, Qt::Key_F12, Qt::ShiftModifier);
    CResultsPane *pane = fixture.App().MainFrame()->Panes()->Results();
    ResultModel *model = pane->Model(CResultsPane::SearchTab);
    QTRY_COMPARE(model->rowCount(), 3); // two uses and the summary
    QCOMPARE(pane->CurrentTab(), CResultsPane::SearchTab);
    QCOMPARE(model->At(0).line, 1);
    QCOMPARE(model->At(0).column, 7);
    QCOMPARE(model->At(1).line, 6);
    QVERIFY(model->At(1).HasPlace());
    QCOMPARE(model->At(2).text, QStringLiteral("2 references to \"n\""));
}

void NamesTest::usesAreMarkedWhileTheCaretRests()
{
    AppFixture fixture;
    CScribaView *view = Open(fixture, "local count = 1\ncount = count + 1\nlocal other = count\nprint(cou|nt)\n");
    QVERIFY(view);
    CDocumentHighlight &highlight = view->NameAids().Highlight();
    QTRY_COMPARE(highlight.Marked().size(), std::size_t(5));
    const auto first = highlight.Marked().front();
    QCOMPARE(first, std::make_pair(qint64(6), qint64(11)));
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, static_cast<unsigned long>(highlight.Indicator()), 7L), 1L);
    // Moving onto a name used once clears the marks.
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 44);
    QTRY_VERIFY(highlight.Marked().empty());
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, static_cast<unsigned long>(highlight.Indicator()), 7L), 0L);
}

void NamesTest::tipOnContinuationLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("tip");
    const QByteArray helper("---@param a number\n---@param b string\nlocal function helper(a, b, c) end\n|");
    QTest::newRow("script's function") << helper << "helper(" << "helper(*a*, b, c)";
    QTest::newRow("script's function on the next line") << helper << "helper(1,\n2,\n" << "helper(a, b, *c*)";
    QTest::newRow("more arguments than parameters: none bold") << helper << "helper(1,\n2, 3,\n" << "helper(a, b, c)";
    QTest::newRow("more arguments typed: the last stays bold") << helper << "helper(1,\n2, 3," << "helper(a, b, *c*)";
    QTest::newRow("library function") << QByteArray("|") << "string.format(\"%d\",\n" << "string.format(formatstring, *...*)";
    QTest::newRow("Tarn function on the next line") << QByteArray("|") << "tn_addknot(1,\n" << "tn_addknot(x, *y*)";
    QTest::newRow("after the call's end") << helper << "helper(1,\n2)\n" << "";
}

void NamesTest::tipOnContinuationLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, keys);
    QFETCH(QString, tip);
    AppFixture fixture;
    CScribaView *view = Open(fixture, text);
    QVERIFY(view);
    Press(view, keys);
    QCOMPARE(TipState(view), tip);
}

void NamesTest::hoverAndPanelDescribe_data()
{
    QTest::addColumn<QByteArray>("text"); // "|" on the name hovered
    QTest::addColumn<QString>("has");
    QTest::newRow("library function") << QByteArray("print(string.for|mat(\"%d\", 1))\n") << "formatstring";
    QTest::newRow("library table") << QByteArray("local n = ma|th.pi\n") << "math";
    QTest::newRow("own function's annotations")
        << QByteArray("---@param width number\nlocal function grow(width) return width end\nprint(gr|ow(2))\n") << "width: number";
    QTest::newRow("Tarn function as before") << QByteArray("tn_add|knot(1, 2)\n") << "tn_addknot";
}

void NamesTest::hoverAndPanelDescribe()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, has);
    AppFixture fixture;
    CScribaView *view = Open(fixture, text);
    QVERIFY(view);
    const auto *hover = view->findChild<CReferenceHover *>();
    QVERIFY(hover);
    const QString shown = hover->TextAt(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    QVERIFY2(shown.contains(has), qPrintable(shown));
}

QTEST_MAIN(NamesTest)
#include "names_test.moc"
