// The editor view and the main frame, driven key by key through the real widgets.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/lineword.h"
#include "editor/caretrest.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QUrl>

class ViewTest : public QObject {
    Q_OBJECT

private slots:
    void caretPaneCountsFromOne();
    void caretPaneCountsATabAsOneColumn();
    void caretPaneCountsALineBreakAsOneCharacter_data();
    void caretPaneCountsALineBreakAsOneCharacter();
    void caretPaneFollowsEveryMoveAndEdit();
    void undoFollowsTheSavePoint();
    void pasteInsertsPlainTextOnly();
    void droppedFileOpensOnlyExactLuaNames_data();
    void droppedFileOpensOnlyExactLuaNames();
    void droppedTextWinsOverItsLinks_data();
    void droppedTextWinsOverItsLinks();
    void overtypeIsSharedByAllViews();
    void selectionCommandsNeedASelection();
    void menuFollowsWhetherADocumentIsOpen();
    void acceleratorsRouteThroughTheView();
    void wordBeforeCaretReadsTheCaretLine();
    void documentWindowsAreMaximisedWithoutSystemMenu();
    void printPreviewPaintsWithoutChangingTheText();
    void printingToAFileSaysWhenItFails_data();
    void printingToAFileSaysWhenItFails();
    void caretStopsBlinkingWhenNothingHappens();

private:
    static void Drop(CScribaView *view, const QList<QUrl> &urls, const QString &text = QString());
};

void ViewTest::caretPaneCountsFromOne()
{
    AppFixture fixture("");
    QCOMPARE(fixture.App().MainFrame()->CaretPaneText(), QStringLiteral("Ln 1, Col 1"));
    QTest::keyClicks(fixture.ActiveView(), "abc");
    fixture.Update();
    QCOMPARE(fixture.App().MainFrame()->CaretPaneText(), QStringLiteral("Ln 1, Col 4"));
    // A multibyte character is one column.
    QTest::sendKeyEvent(QTest::Click, fixture.ActiveView(), Qt::Key_unknown, QStringLiteral("\u00e9"),
                        Qt::NoModifier);
    fixture.Update();
    QCOMPARE(fixture.App().MainFrame()->CaretPaneText(), QStringLiteral("Ln 1, Col 5"));
}

void ViewTest::caretPaneCountsATabAsOneColumn()
{
    AppFixture fixture("");
    CScribaView *view = fixture.ActiveView();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Tab);
    fixture.Update();
    QCOMPARE(fixture.App().MainFrame()->CaretPaneText(), QStringLiteral("Ln 5, Col 2"));
}

void ViewTest::caretPaneCountsALineBreakAsOneCharacter_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<QString>("pane");
    QTest::newRow("LF") << QByteArray("ab\ncd") << 5 << "Ln 1, Col 6";
    QTest::newRow("CR LF") << QByteArray("ab\r\ncd") << 6 << "Ln 1, Col 6";
    QTest::newRow("CR") << QByteArray("ab\rcd") << 5 << "Ln 1, Col 6";
    QTest::newRow("two CR LF and a lone CR") << QByteArray("a\r\n\r\n\rb") << 7 << "Ln 1, Col 6";
    QTest::newRow("ends on a CR LF") << QByteArray("ab\r\n") << 4 << "Ln 1, Col 4";
    QTest::newRow("multibyte character and CR LF") << QByteArray("\xc3\xa9\r\nx") << 5 << "Ln 1, Col 4";
}

void ViewTest::caretPaneCountsALineBreakAsOneCharacter()
{
    QFETCH(QByteArray, text);
    QFETCH(int, selectionEnd);
    QFETCH(QString, pane);
    AppFixture fixture("");
    CScribaView *view = fixture.ActiveView();
    view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, text.constData());
    view->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0, selectionEnd);
    fixture.Update();
    QCOMPARE(fixture.App().MainFrame()->CaretPaneText(), pane);
}

// The pane counts on from its last count where it can (a move of the selection's end, typing or
// a Backspace at the caret); after each random key the column must equal a count from scratch.
void ViewTest::caretPaneFollowsEveryMoveAndEdit()
{
    AppFixture fixture("");
    CScribaView *view = fixture.ActiveView();
    view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, "local \xc3\xa9t\xc3\xa9 = 1\r\n\tx = 2\r\ny\rz\n");
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *text;
    };
    const Key keys[] = {{Qt::Key_Left, Qt::NoModifier, ""},        {Qt::Key_Right, Qt::NoModifier, ""},
                        {Qt::Key_Left, Qt::ShiftModifier, ""},     {Qt::Key_Right, Qt::ShiftModifier, ""},
                        {Qt::Key_Down, Qt::ShiftModifier, ""},     {Qt::Key_Up, Qt::NoModifier, ""},
                        {Qt::Key_End, Qt::NoModifier, ""},         {Qt::Key_Home, Qt::ShiftModifier, ""},
                        {Qt::Key_Backspace, Qt::NoModifier, ""},   {Qt::Key_Delete, Qt::NoModifier, ""},
                        {Qt::Key_unknown, Qt::NoModifier, "\u00e9"}, {Qt::Key_A, Qt::NoModifier, "a"},
                        {Qt::Key_Return, Qt::NoModifier, "\r"},    {Qt::Key_End, Qt::ControlModifier, ""}};
    std::uint32_t seed = 12345;
    for (int step = 0; step < 600; ++step) {
        seed = seed * 1664525u + 1013904223u;
        const Key &key = keys[(seed >> 16) % std::size(keys)];
        QTest::sendKeyEvent(QTest::Click, view, key.key, QString::fromUtf8(key.text), key.modifiers);
        const QByteArray text = TextOf(view);
        const qint64 end = view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
        const qint64 line = view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART));
        const qint64 start =
            view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const QString counted = QString::fromUtf8(text.mid(start, end - start)).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        const QString expected = QStringLiteral("Ln %1, Col %2").arg(line + 1).arg(counted.size() + 1);
        QVERIFY2(view->CaretPositionText() == expected, qPrintable(QStringLiteral("step %1: %2 against %3")
                                                                       .arg(step)
                                                                       .arg(view->CaretPositionText(), expected)));
    }
}

void ViewTest::undoFollowsTheSavePoint()
{
    AppFixture fixture("");
    CScribaDoc *document = fixture.ActiveDocument();
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "a");
    QVERIFY(document->IsModified());
    view->OnEditUndo();
    QVERIFY(!document->IsModified()); // back to the loaded (empty) text

    view->OnEditRedo();
    fixture.Prompts().fileNames.enqueue(fixture.FilePath(QStringLiteral("s.lua")));
    QVERIFY(document->DoFileSave());
    QVERIFY(!document->IsModified());
    view->OnEditUndo(); // past the save: the text now differs from the file
    QVERIFY(document->IsModified());
    QVERIFY(!view->CanUndo());
    view->OnEditRedo();
    QVERIFY(!document->IsModified());
}

void ViewTest::pasteInsertsPlainTextOnly()
{
    AppFixture fixture("");
    auto *data = new QMimeData;
    data->setHtml(QStringLiteral("<b>bold</b> <i>words</i>"));
    data->setText(QStringLiteral("bold words"));
    QApplication::clipboard()->setMimeData(data);
    fixture.Update();
    QVERIFY(fixture.App().MainFrame()->Action(ID_EDIT_PASTE)->isEnabled());
    fixture.App().MainFrame()->Action(ID_EDIT_PASTE)->trigger();
    QCOMPARE(fixture.ActiveView()->text(), QStringLiteral("bold words"));

    auto *image = new QMimeData;
    image->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
    QApplication::clipboard()->setMimeData(image);
    fixture.Update();
    QVERIFY(!fixture.App().MainFrame()->Action(ID_EDIT_PASTE)->isEnabled());
}

void ViewTest::Drop(CScribaView *view, const QList<QUrl> &urls, const QString &text)
{
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &move);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drop);
}

void ViewTest::droppedFileOpensOnlyExactLuaNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("opened");
    QTest::newRow("lower-case .lua") << QStringList{"a.lua"} << "a.lua";
    QTest::newRow("capital .LUA") << QStringList{"a.LUA"} << "";
    QTest::newRow("text file") << QStringList{"a.txt"} << "";
    QTest::newRow("two scripts: the first") << QStringList{"b.lua", "c.lua"} << "b.lua";
    QTest::newRow("first not a script") << QStringList{"a.txt", "c.lua"} << "";
}

void ViewTest::droppedFileOpensOnlyExactLuaNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, opened);
    AppFixture fixture("");
    QList<QUrl> urls;
    for (const QString &name : names) {
        WriteFile(fixture.FilePath(name), "x = 1\n");
        urls.append(QUrl::fromLocalFile(fixture.FilePath(name)));
    }
    CScribaView *view = fixture.ActiveView();
    Drop(view, urls);
    QCOMPARE(view->text(), QString()); // nothing is inserted into the text
    if (opened.isEmpty()) {
        QCOMPARE(fixture.App().Documents().size(), 1);
    } else {
        QCOMPARE(fixture.App().Documents().size(), 2);
        QCOMPARE(fixture.ActiveDocument()->GetTitle(), opened);
    }
}

void ViewTest::droppedTextWinsOverItsLinks_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<int>("documents");
    QTest::newRow("plain text") << "" << "plain" << "plain" << 1;
    QTest::newRow("link from a browser") << "https://example.org/a.lua" << "see a.lua" << "see a.lua" << 1;
    QTest::newRow("local file with other text") << "a.lua" << "x = 1" << "x = 1" << 1;
    QTest::newRow("file manager: the file's URL as text") << "a.lua" << "URL" << "" << 2;
    QTest::newRow("file manager: the file's path as text") << "a.lua" << "PATH" << "" << 2;
}

void ViewTest::droppedTextWinsOverItsLinks()
{
    QFETCH(QString, url);
    QFETCH(QString, text);
    QFETCH(QString, inserted);
    QFETCH(int, documents);
    AppFixture fixture("");
    WriteFile(fixture.FilePath(QStringLiteral("a.lua")), "x = 1\n");
    const QUrl link = url.contains(QLatin1Char(':')) ? QUrl(url) : url.isEmpty() ? QUrl() : QUrl::fromLocalFile(fixture.FilePath(url));
    if (text == QLatin1String("URL"))
        text = link.toString();
    else if (text == QLatin1String("PATH"))
        text = link.toLocalFile() + QLatin1Char('\n');
    CScribaView *view = fixture.ActiveView();
    Drop(view, link.isEmpty() ? QList<QUrl>() : QList<QUrl>{link}, text);
    QCOMPARE(view->text(), inserted);
    QCOMPARE(fixture.App().Documents().size(), documents);
}

void ViewTest::overtypeIsSharedByAllViews()
{
    AppFixture fixture("");
    CScribaDoc *first = fixture.ActiveDocument();
    CScribaDoc *second = fixture.App().OnFileNew();
    QTest::keyClick(second->GetView(), Qt::Key_Insert);
    fixture.Update();
    QVERIFY(fixture.App().MainFrame()->OvertypePaneShown());
    QVERIFY(second->GetView()->overwriteMode());

    fixture.App().MainFrame()->ActivateDocument(first);
    fixture.Update();
    QVERIFY(first->GetView()->overwriteMode());
    QVERIFY(fixture.App().MainFrame()->OvertypePaneShown());
    QTest::keyClicks(first->GetView(), "ab");
    first->GetView()->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0);
    QTest::keyClicks(first->GetView(), "X");
    QCOMPARE(first->GetView()->text(), QStringLiteral("Xb"));

    QTest::keyClick(first->GetView(), Qt::Key_Insert);
    fixture.App().MainFrame()->ActivateDocument(second);
    fixture.Update();
    QVERIFY(!second->GetView()->overwriteMode());
    QVERIFY(!fixture.App().MainFrame()->OvertypePaneShown());
}

void ViewTest::selectionCommandsNeedASelection()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "some text");
    fixture.Update();
    for (CommandId id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_CLEAR})
        QVERIFY(!frame->Action(id)->isEnabled());
    QVERIFY(frame->Action(ID_EDIT_SELECT_ALL)->isEnabled());
    QVERIFY(frame->Action(ID_EDIT_UNDO)->isEnabled());
    QVERIFY(!frame->Action(ID_EDIT_REDO)->isEnabled());

    view->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0, 4);
    fixture.Update();
    for (CommandId id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_CLEAR})
        QVERIFY(frame->Action(id)->isEnabled());
    frame->Action(ID_EDIT_CUT)->trigger();
    QCOMPARE(view->text(), QStringLiteral(" text"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("some"));
}

void ViewTest::menuFollowsWhetherADocumentIsOpen()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    auto titles = [frame] {
        QStringList list;
        for (QAction *action : frame->menuBar()->actions())
            list.append(action->text());
        return list;
    };
    QCOMPARE(titles(), (QStringList{"&File", "&Edit", "&View", "&Run", "&Help"}));
    fixture.App().CloseAllDocuments();
    fixture.Update();
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Help"}));
    QVERIFY(!frame->ShowsDocumentMenu());
    fixture.App().OnFileNew();
    fixture.Update();
    QCOMPARE(titles(), (QStringList{"&File", "&Edit", "&View", "&Run", "&Help"}));
}

void ViewTest::acceleratorsRouteThroughTheView()
{
    AppFixture fixture("");
    CMainFrame *frame = fixture.App().MainFrame();
    frame->show();
    CScribaView *view = fixture.ActiveView();
    QApplication::setActiveWindow(frame);
    view->setFocus();
    QTest::keyClicks(view, "abc");
    fixture.Update();
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::keyClick(view, Qt::Key_Q, Qt::AltModifier); // a menu key, never a letter in the text
    QCOMPARE(view->text(), QStringLiteral("abc"));
    QTest::keyClick(view, Qt::Key_Backspace, Qt::AltModifier); // undo
    QCOMPARE(view->text(), QString());
    fixture.Update();
    QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier); // redo
    QCOMPARE(view->text(), QStringLiteral("abc"));
}

void ViewTest::wordBeforeCaretReadsTheCaretLine()
{
    AppFixture fixture("");
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "x = 1");
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, "  tn_add");
    WordBeforeCaret found;
    QVERIFY(view->GetWordBeforeCaret(' ', found));
    QCOMPARE(QString::fromStdString(found.word), QStringLiteral("tn_add"));
    QVERIFY(found.atWordEnd);
    QVERIFY(found.onlyBlanksBefore);
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(!view->GetWordBeforeCaret(' ', found));
}

void ViewTest::documentWindowsAreMaximisedWithoutSystemMenu()
{
    AppFixture fixture("");
    CScribaDoc *first = fixture.ActiveDocument();
    fixture.App().OnFileNew();
    QMdiArea *area = fixture.App().MainFrame()->MdiArea();
    QVERIFY(area->currentSubWindow()->isMaximized());
    fixture.App().MainFrame()->ActivateDocument(first);
    QVERIFY(area->currentSubWindow()->isMaximized());
    for (QMdiSubWindow *window : area->subWindowList()) {
        QVERIFY(!window->systemMenu());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    }
}

void ViewTest::printPreviewPaintsWithoutChangingTheText()
{
    AppFixture fixture("");
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "print me");
    view->PrintPreview();
    QCOMPARE(view->text(), QStringLiteral("print me"));
}

void ViewTest::printingToAFileSaysWhenItFails_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("output"); // relative to the fixture's folder
    QTest::addColumn<bool>("printed");
    QTest::newRow("a script") << "print(1)\n" << "out.pdf" << true;
    QTest::newRow("an empty script") << "" << "out.pdf" << true;
    QTest::newRow("into a missing folder") << "print(1)\n" << "none/out.pdf" << false;
    QTest::newRow("over a folder") << "print(1)\n" << "." << false;
}

void ViewTest::printingToAFileSaysWhenItFails()
{
    QFETCH(QString, text);
    QFETCH(QString, output);
    QFETCH(bool, printed);
    AppFixture fixture("");
    fixture.ActiveView()->setText(text);
    const QString path = QDir::cleanPath(fixture.FilePath(output));
    fixture.Prompts().printFiles.enqueue(path);
    fixture.Update();
    fixture.App().MainFrame()->Action(ID_FILE_PRINT)->trigger();
    QCOMPARE(QFileInfo(path).isFile(), printed);
    if (printed) {
        QVERIFY(fixture.Prompts().asked.isEmpty());
        return;
    }
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QCOMPARE(fixture.Prompts().asked.first().caption, QStringLiteral("Scriba - Error!"));
    QCOMPARE(fixture.Prompts().asked.first().text,
             QStringLiteral("Could not print to \"%1\": the file could not be created.").arg(path));
}

// An idle view takes no processor time: the caret stays shown without blinking some seconds
// after the last key, and blinks again at the next one.
void ViewTest::caretStopsBlinkingWhenNothingHappens()
{
    AppFixture fixture("");
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "x = 1");
    const long period = view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD);
    QVERIFY(period > 0);
    CCaretRest *rest = view->CaretRest();
    QVERIFY(!rest->IsResting());
    QTRY_VERIFY(rest->RemainingMs() > CCaretRest::kRestAfterMs / 2);
    rest->Rest(); // as the timer does when nothing happened for the while
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD), 0L);
    QTest::keyClick(view, Qt::Key_Left);
    QTRY_COMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD), period); // the key woke it
    QVERIFY(!rest->IsResting());
    QVERIFY(rest->RemainingMs() > CCaretRest::kRestAfterMs / 2); // and the while starts again
    rest->Rest();
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD), 0L);
    QTest::keyClick(view, Qt::Key_Right);
    QTRY_COMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD), period);
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
