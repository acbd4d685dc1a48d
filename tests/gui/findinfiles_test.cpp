// Find in Files from the window: the dialog's defaults, results streamed into the Search tab
// from the files and from the editor's unsaved text, places opened from the list, and Stop.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "panes/resultlist.h"
#include "panes/resultspane.h"
#include "search/findinfiles.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <unistd.h>

namespace {

CResultsPane *Pane(AppFixture &fixture)
{
    return fixture.App().MainFrame()->Panes()->Results();
}

CFindInFiles *Finder(AppFixture &fixture)
{
    return fixture.App().MainFrame()->Panes()->FindInFiles();
}

QStringList SearchLines(AppFixture &fixture)
{
    QStringList lines;
    const ResultModel *model = Pane(fixture)->Model(CResultsPane::SearchTab);
    for (int row = 0; row < model->rowCount(); ++row)
        lines.append(model->At(row).text);
    return lines;
}

bool SearchEnds(AppFixture &fixture)
{
    return QTest::qWaitFor([&fixture] { return !Finder(fixture)->IsRunning(); }, 30000)
           && QTest::qWaitFor([&fixture] { return !Pane(fixture)->Status(CResultsPane::SearchTab).startsWith("Searching"); }, 5000);
}

} // namespace

class FindInFilesTest : public QObject {
    Q_OBJECT

private slots:
    void openModifiedScriptIsSearchedInItsText();
    void stopEndsALongSearch();
    void ownStateAndHiddenFoldersAreLeftOut();
};

void FindInFilesTest::openModifiedScriptIsSearchedInItsText()
{
    AppFixture fixture;
    WriteFile(fixture.FilePath("b.lua"), "x = 1\n\ttg_addwell(3, 'b')\n");
    WriteFile(fixture.FilePath("c.txt"), "tg_addwell\n"); // not a script
    WriteFile(fixture.FilePath("d.lua"), "tg_addwells()\nTG_ADDWELL()\n"); // neither the whole word nor the case
    WriteFile(fixture.FilePath("e.lua"), QByteArray("tg_addwell\0", 11));
    CScribaView *view = OpenScript(fixture, "a.lua", "tg_addwell(1)\n");
    // Unsaved: the file on disk has one match, the editor two.
    view->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClicks(view, "x = 2");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, "tg_addwell");
    view->SendScintilla(QsciScintillaBase::SCI_SETSEL, 20UL, 30L); // the second "tg_addwell"

    QString startText, startFolder, startFiles;
    fixture.Prompts().dialogs.enqueue([&](QDialog &dialog) {
        auto fields = dialog.findChildren<QLineEdit *>();
        startText = fields.value(0)->text();
        startFolder = fields.value(1)->text();
        startFiles = fields.value(2)->text();
        for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
            box->setChecked(true); // whole word and case
        return int(QDialog::Accepted);
    });
    fixture.App().MainFrame()->Action(ID_EDIT_FIND_IN_FILES)->trigger();
    QCOMPARE(startText, QStringLiteral("tg_addwell"));
    QCOMPARE(startFolder, QFileInfo(fixture.FilePath("a.lua")).absolutePath());
    QCOMPARE(startFiles, QStringLiteral("*.lua"));
    QVERIFY(Pane(fixture)->isVisible());
    QCOMPARE(Pane(fixture)->CurrentTab(), CResultsPane::SearchTab);
    QVERIFY(SearchEnds(fixture));

    QCOMPARE(SearchLines(fixture), (QStringList{"a.lua:1: tg_addwell(1)", "a.lua:3: tg_addwell",
                                                "b.lua:2:     tg_addwell(3, 'b')",
                                                "3 matches in 2 files; skipped 1 binary"}));
    const ResultModel *model = Pane(fixture)->Model(CResultsPane::SearchTab);
    QCOMPARE(model->At(2).boldStart, 13);
    QCOMPARE(model->At(2).boldLength, 10);
    QCOMPARE(model->At(2).column, 2);
    QCOMPARE(Pane(fixture)->Status(CResultsPane::SearchTab), SearchLines(fixture).last());

    // Going to a result opens the file; F8 then walks on from there.
    CResultList *list = Pane(fixture)->List(CResultsPane::SearchTab);
    list->SelectRow(1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(fixture.ActiveView(), view);
    QCOMPARE(CaretLine(view), 3);
    fixture.App().MainFrame()->Action(ID_EDIT_NEXT_RESULT)->trigger();
    CScribaView *other = fixture.ActiveView();
    QVERIFY(other != view);
    QVERIFY(other->GetDocument()->GetPathName().endsWith("b.lua"));
    QCOMPARE(CaretLine(other), 2);
    QCOMPARE(other->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 7L); // after the tab
}

void FindInFilesTest::stopEndsALongSearch()
{
    AppFixture fixture;
    // A gigabyte to read that costs no disk: text at its start, a hole after.
    const QString big = fixture.FilePath("big.lua");
    WriteFile(big, QByteArray("well\n").repeated(2000));
    QVERIFY(truncate(QFile::encodeName(big).constData(), qint64(1) << 30) == 0);
    FindInFilesQuery query;
    query.text = QStringLiteral("well");
    query.folder = fixture.FilePath(QString());
    Finder(fixture)->Start(query);
    QVERIFY(Finder(fixture)->IsRunning());
    // Escape in the list stops it, as the Stop button does.
    CResultList *list = Pane(fixture)->List(CResultsPane::SearchTab);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(SearchEnds(fixture));
    QVERIFY2(SearchLines(fixture).last().endsWith(QStringLiteral("; stopped after 0 files")),
             qPrintable(SearchLines(fixture).join('\n')));
}

void FindInFilesTest::ownStateAndHiddenFoldersAreLeftOut()
{
    AppFixture fixture;
    WriteFile(fixture.FilePath("a.lua"), "needle = 1\n");
    QVERIFY(QDir().mkpath(fixture.FilePath(".git")));
    WriteFile(fixture.FilePath(".git/b.lua"), "needle = 2\n");
    QVERIFY(QDir().mkpath(fixture.RecoveryFolder()));
    WriteFile(fixture.RecoveryFolder() + "/c.lua", "needle = 3\n");
    FindInFilesQuery query;
    query.text = "needle";
    query.folder = fixture.FilePath("");
    Finder(fixture)->Start(query);
    QVERIFY(SearchEnds(fixture));
    QStringList lines = SearchLines(fixture);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("a.lua:1: needle = 1"));
    QCOMPARE(lines[1], QStringLiteral("1 match in 1 file; skipped 1 hidden folder"));
    query.hiddenFolders = true;
    Finder(fixture)->Start(query);
    QVERIFY(SearchEnds(fixture));
    lines = SearchLines(fixture);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral(".git/b.lua:1: needle = 2"));
}

QTEST_MAIN(FindInFilesTest)
#include "findinfiles_test.moc"
