// The script check in the editor and on the command line: marks after the typing pause, their
// messages on the status bar and in tooltips, undo and the modified flag untouched, the switch
// kept with the recent files, and the exit statuses of "scriba --check".
#include "guitestsupport.h"

#include "app/settings.h"
#include "check/checkcommand.h"
#include "check/checkmarks.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTest>
#include <QToolTip>

namespace {

const QString kNearMiss = QStringLiteral("unknown Tarn function tg_addcirle (did you mean tg_addcircle?)");

// Waits until the check has run on the text as it is now.
bool CheckSettles(CScribaView *view)
{
    return QTest::qWaitFor([view] { return !view->Checks()->IsPending(); }, 20000);
}

CScribaView *Open(AppFixture &fixture, const QByteArray &text)
{
    const QString path = fixture.FilePath(QStringLiteral("script.lua"));
    WriteFile(path, text);
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    return document ? document->GetView() : nullptr;
}

void PutCaret(CScribaView *view, qint64 position)
{
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(position));
}

} // namespace

class CheckTest : public QObject {
    Q_OBJECT

private slots:
    void typedMistakeIsMarkedAfterThePauseAndFixingRemovesIt();
    void openedScriptIsMarkedWithoutUndoOrModification();
    void caretInMarkShowsMessageAndHoverShowsTip();
    void switchIsKeptWithTheRecentFiles();
    void largeScriptStaysTypeableWhileChecked();
    void errorOnLongLineIsUnderlinedStraight();
    void marksSetInSlicesReplaceTheOldOnesExactly();
    void commandLineExitStatus_data();
    void commandLineExitStatus();
};

void CheckTest::typedMistakeIsMarkedAfterThePauseAndFixingRemovesIt()
{
    AppFixture fixture;
    CScribaView *view = fixture.ActiveView();
    QVERIFY(CheckSettles(view));
    QTest::keyClicks(view, "tg_addcirle(0, 0)");
    // Nothing is marked while the user types; the pause starts the check.
    QCOMPARE(view->Checks()->MarkCount(), 0);
    QVERIFY(view->Checks()->IsPending());
    QVERIFY(CheckSettles(view));
    QCOMPARE(view->Checks()->MarkCount(), 1);
    QCOMPARE(view->Checks()->MessageAt(0), kNearMiss);
    QCOMPARE(view->Checks()->MessageAt(11), QString()); // the "(" after the name

    PutCaret(view, 9);
    QTest::keyClicks(view, "c");
    QVERIFY(CheckSettles(view));
    QCOMPARE(TextOf(view), QByteArray("tg_addcircle(0, 0)"));
    QCOMPARE(view->Checks()->MarkCount(), 1);
    QCOMPARE(view->Checks()->MessageAt(0), QStringLiteral("tg_addcircle expects 3 or 4 arguments, got 2"));

    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, "x = = 1");
    QVERIFY(CheckSettles(view));
    QCOMPARE(view->Checks()->MarkCount(), 2);
    QCOMPARE(view->Checks()->MessageAt(TextOf(view).indexOf("x =")), QStringLiteral("unexpected symbol near '='"));

    // Undoing the edits takes away their marks as well.
    while (view->CanUndo())
        view->OnEditUndo();
    QVERIFY(CheckSettles(view));
    QCOMPARE(TextOf(view), QByteArray());
    QCOMPARE(view->Checks()->MarkCount(), 0);
}

void CheckTest::openedScriptIsMarkedWithoutUndoOrModification()
{
    AppFixture fixture;
    CScribaView *view = Open(fixture, "function f()\n  tg_addpoint(1)\n");
    QVERIFY(view);
    QVERIFY(CheckSettles(view));
    QCOMPARE(view->Checks()->MarkCount(), 2);
    QCOMPARE(view->Checks()->MessageAt(15), QStringLiteral("tg_addpoint expects 2 arguments, got 1"));
    // The missing "end" is reported at the end of the file, and marked on the last line with text.
    QCOMPARE(view->Checks()->MessageAt(27),
             QStringLiteral("'end' expected (to close 'function' at line 1) near '<eof>'"));
    QVERIFY(!view->IsModified());
    QVERIFY(!view->CanUndo());
    QVERIFY(!fixture.ActiveDocument()->IsModified());
}

void CheckTest::caretInMarkShowsMessageAndHoverShowsTip()
{
    AppFixture fixture;
    CScribaView *view = Open(fixture, "x = 1\ntg_addcirle(0, 0)\n");
    QVERIFY(CheckSettles(view));
    CMainFrame *frame = fixture.App().MainFrame();
    const qint64 name = 6;
    for (qint64 caret : {name, name + 4, name + 11}) { // inside the name and just after it
        PutCaret(view, caret);
        fixture.Update();
        QCOMPARE(frame->MessagePaneText(), kNearMiss);
    }
    PutCaret(view, 2);
    fixture.Update();
    QCOMPARE(frame->MessagePaneText(), QStringLiteral("Ready"));

    const int x = int(view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, static_cast<long>(name + 3)));
    const int y = int(view->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, static_cast<long>(name + 3)));
    emit view->SCN_DWELLSTART(int(name + 3), x + 2, y + 4);
    QVERIFY(QToolTip::isVisible());
    QVERIFY(QToolTip::text().contains(QStringLiteral("did you mean tg_addcircle?")));
    // On one line, not wrapped to a narrow column.
    const QList<QWidget *> tips = QApplication::topLevelWidgets();
    const auto shown = std::find_if(tips.begin(), tips.end(),
                                    [](QWidget *w) { return w->inherits("QTipLabel") && w->isVisible(); });
    QVERIFY(shown != tips.end());
    QVERIFY((*shown)->height() < 2 * (*shown)->fontMetrics().height());
    emit view->SCN_DWELLEND(int(name + 3), x + 2, y + 4);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void CheckTest::switchIsKeptWithTheRecentFiles()
{
    QTemporaryDir profileFolder;
    const QString profile = profileFolder.filePath(QStringLiteral("profile.ini"));
    {
        AppFixture fixture;
        fixture.App().SetProfilePath(profile);
        CScribaView *view = Open(fixture, "tg_addcirle(0, 0)\n");
        QVERIFY(CheckSettles(view));
        QCOMPARE(view->Checks()->MarkCount(), 1);
        QAction *action = fixture.App().MainFrame()->Action(ID_VIEW_CHECK_SCRIPTS);
        QVERIFY(action->isCheckable() && action->isChecked());
        action->trigger();
        QCOMPARE(view->Checks()->MarkCount(), 0);
        QTest::keyClicks(view, "tg_addpiont(1, 2)");
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(!view->Checks()->IsPending());
        QCOMPARE(view->Checks()->MarkCount(), 0);
        fixture.Exit();
        QVERIFY(!ReadFile(fixture.IniPath()).contains("CheckScripts"));
    }
    QCOMPARE(QSettings(profile, QSettings::IniFormat).value(QStringLiteral("Settings/CheckScripts")).toBool(), false);

    ResetProgramState();
    QTemporaryDir folder;
    CScribaApp app(folder.filePath(QStringLiteral("Scriba.ini")));
    app.SetProfilePath(profile);
    app.SetPrompter(std::make_unique<ScriptedPrompter>());
    QVERIFY(app.InitInstance({}));
    QVERIFY(!app.ScriptChecking());
    QVERIFY(!app.MainFrame()->Action(ID_VIEW_CHECK_SCRIPTS)->isChecked());
    CScribaView *view = app.MainFrame()->ActiveView();
    QVERIFY(!view->Checks()->IsEnabled());
    // Turned on again, the open script is checked at once.
    QTest::keyClicks(view, "tg_addpiont(1, 2)");
    app.MainFrame()->Action(ID_VIEW_CHECK_SCRIPTS)->trigger();
    QVERIFY(CheckSettles(view));
    QCOMPARE(view->Checks()->MarkCount(), 1);
    app.CloseAllDocuments();
    app.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CheckTest::largeScriptStaysTypeableWhileChecked()
{
    AppFixture fixture;
    QByteArray script("local depth = 12\n");
    const QByteArray block("-- the head at each node, then the wells\n"
                           "if depth > 10 then\n"
                           "  tg_addpoint(depth * 10, depth) -- \"a, b\"\n"
                           "  showmessage(string.format(\"%d, %d\", depth, 2))\n"
                           "end\n");
    while (script.size() < (4 << 20))
        script += block;
    script += "tg_addcirle(0, 0)\n";
    CScribaView *view = Open(fixture, script);
    QVERIFY(view);
    // The check of the whole script starts as it opens; typing goes on meanwhile.
    QVERIFY(view->Checks()->IsPending());
    QTest::keyClicks(view, "tg_addpiont(1, 2)");
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(TextOf(view).startsWith("tg_addpiont(1, 2)\n"));
    QVERIFY(CheckSettles(view));
    // The marks are those of the text as typed: the first result, for the text before, was
    // dropped, so nothing stands where the text moved.
    const QByteArray text = TextOf(view);
    QCOMPARE(view->Checks()->MessageAt(0),
             QStringLiteral("unknown Tarn function tg_addpiont (did you mean tg_addpoint?)"));
    QCOMPARE(view->Checks()->MessageAt(text.lastIndexOf("tg_addcirle")), kNearMiss);
    QCOMPARE(view->Checks()->MessageAt(text.lastIndexOf("tg_addcirle") - 1), QString());
    QCOMPARE(view->Checks()->MarkCount(), 2);
}

// A squiggle costs a stroke per two pixels of its width on every paint; a syntax error on a line of
// megabytes is marked with a straight underline, from end to end, with its message all along.
void CheckTest::errorOnLongLineIsUnderlinedStraight()
{
    AppFixture fixture;
    QByteArray script("x = = 1");
    for (int index = 0; script.size() < 100000; ++index)
        script += " y" + QByteArray::number(index) + " = 2";
    CScribaView *view = Open(fixture, "ok = 1\n" + script + "\n");
    QVERIFY(view);
    QVERIFY(CheckSettles(view));
    QCOMPARE(view->Checks()->MarkCount(), 1);
    const QString message = QStringLiteral("unexpected symbol near '='");
    auto styleAt = [view](qint64 position) {
        const long on = view->SendScintilla(QsciScintillaBase::SCI_INDICATORALLONFOR, static_cast<unsigned long>(position));
        for (int indicator = 0; indicator < 32; ++indicator)
            if (on & (1L << indicator))
                return int(view->SendScintilla(QsciScintillaBase::SCI_INDICGETSTYLE, static_cast<unsigned long>(indicator)));
        return -1;
    };
    for (const qint64 position : {qint64(7), qint64(7 + script.size() / 2), qint64(7 + script.size() - 1)}) {
        QCOMPARE(view->Checks()->MessageAt(position), message);
        QCOMPARE(styleAt(position), int(QsciScintillaBase::INDIC_PLAIN));
    }
    // An error on an ordinary line keeps its squiggle.
    view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, "x = = 1\n");
    QVERIFY(CheckSettles(view));
    QCOMPARE(styleAt(0), int(QsciScintillaBase::INDIC_SQUIGGLE));
}

// Marks are set a slice at a time, each slice clearing the old marks ahead of its own: once the
// check settles, every byte carries exactly the message the whole check gives it.
void CheckTest::marksSetInSlicesReplaceTheOldOnesExactly()
{
    AppFixture fixture;
    const int lines = int(3 * CheckMarks::kMarksPerSlice);
    CScribaView *view = Open(fixture, "x = = 1\n" + QByteArray("tg_addpoint(1)\n").repeated(lines));
    QVERIFY(view);
    QVERIFY(CheckSettles(view));
    QCOMPARE(view->Checks()->MarkCount(), lines + 1);
    // Two calls of three put right, the last ones among them: their old marks must go.
    for (int line = lines - 1; line >= 0; --line)
        if (line % 3 != 0)
            view->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(8 + line * 15 + 13), ", 2");
    QVERIFY(CheckSettles(view));
    const QByteArray text = TextOf(view);
    const std::vector<ScriptProblem> problems =
        CheckScript(std::string_view(text.constData(), std::size_t(text.size())), Settings::Global().functions);
    QCOMPARE(view->Checks()->MarkCount(), int(problems.size()));
    QCOMPARE(int(problems.size()), lines / 3 + 1);
    // A warning wins over the error where both lie, as for the status bar.
    std::vector<QString> expected(std::size_t(text.size()));
    for (const ScriptProblem &problem : problems)
        for (std::size_t at = problem.start; at < problem.end; ++at)
            if (expected[at].isEmpty() || problem.severity == ProblemSeverity::Warning)
                expected[at] = QString::fromStdString(problem.message);
    for (qint64 at = 0; at < text.size(); ++at) {
        const bool marked = view->SendScintilla(QsciScintillaBase::SCI_INDICATORALLONFOR, static_cast<unsigned long>(at)) != 0;
        QVERIFY2(marked == !expected[std::size_t(at)].isEmpty(), qPrintable(QString::number(at)));
        QVERIFY2(view->Checks()->MessageAt(at) == expected[std::size_t(at)], qPrintable(QString::number(at)));
    }
}

void CheckTest::commandLineExitStatus_data()
{
    QTest::addColumn<QStringList>("scripts"); // "name=text"; a name without text is not written
    QTest::addColumn<QByteArray>("iniText");  // none written when empty
    QTest::addColumn<int>("status");
    const QByteArray noIni;
    QTest::newRow("clean") << QStringList{"a.lua=tg_addpoint(1, 2)\n"} << noIni << 0;
    QTest::newRow("warning") << QStringList{"a.lua=x = 1\n", "b.lua=tg_addpoint(1)\n"} << noIni << 1;
    QTest::newRow("syntax error") << QStringList{"a.lua=x = = 1\n"} << noIni << 1;
    QTest::newRow("unreadable file") << QStringList{"a.lua=x = = 1\n", "missing.lua"} << noIni << 2;
    QTest::newRow("folder") << QStringList{"."} << noIni << 2;
    QTest::newRow("device, refused at once") << QStringList{"/dev/zero"} << noIni << 2;
    QTest::newRow("no file") << QStringList{} << noIni << 2;
    // The table of Scriba.ini, when there is one, decides what is known.
    QTest::newRow("built-in table") << QStringList{"a.lua=tg_special(1)\n"} << noIni << 1;
    QTest::newRow("table of Scriba.ini")
        << QStringList{"a.lua=tg_special(1)\n"}
        << QByteArray("[tarn_lua_functions]\r\ntg_special a\r\n[/tarn_lua_functions]\r\n") << 0;
}

void CheckTest::commandLineExitStatus()
{
    QFETCH(QStringList, scripts);
    QFETCH(QByteArray, iniText);
    QFETCH(int, status);
    QTemporaryDir folder;
    QStringList arguments{QStringLiteral("--check")};
    for (const QString &script : scripts) {
        const QString name = script.section(QLatin1Char('='), 0, 0);
        if (script.contains(QLatin1Char('=')))
            WriteFile(folder.filePath(name), script.section(QLatin1Char('='), 1).toUtf8());
        arguments.append(QDir(folder.path()).filePath(name));
    }
    const QString ini = folder.filePath(QStringLiteral("Scriba.ini"));
    if (!iniText.isEmpty())
        WriteFile(ini, iniText);
    QCOMPARE(RunCheckCommand(arguments, ini), status);
    // The configuration file is read, never written.
    QCOMPARE(ReadFile(ini), iniText);
}

QTEST_MAIN(CheckTest)
#include "check_test.moc"
