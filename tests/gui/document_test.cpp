// Documents: untitled names, Close on the last document, saving and loading byte for byte.
#include "guitestsupport.h"

#include "app/fileio.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QDir>
#include <QTest>

#include <unistd.h>

class DocumentTest : public QObject {
    Q_OBJECT

private slots:
    void newDocumentsCountUntitledNames();
    void openedNonLuaFileTakesNextUntitledName();
    void closeOnLastDocument_data();
    void closeOnLastDocument();
    void closeWithTwoDocumentsClosesTheActiveOne();
    void emptiedDocumentAsksForANameOnSave();
    void neverSavedDocumentAlwaysAsksForAName();
    void filesRoundTripByteForByte_data();
    void filesRoundTripByteForByte();
    void bigFileRoundTrips();
    void failedSaveKeepsDocumentModifiedAndFileIntact();
    void failedSaveAsKeepsNameAndModifiedMark();
    void failedOpenNamesFileAndCause();
    void saveAllAsksOnlyAboutModifiedDocuments();
    void closingTheMainWindowAsksAndCanBeCancelled();
    void fileDialogsStartInTheDocumentsFolder();
    void oneFileIsNeverInTwoTabs_data();
    void oneFileIsNeverInTwoTabs();
    void exitShowsEachDocumentItAsksAbout();
};

void DocumentTest::newDocumentsCountUntitledNames()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    QCOMPARE(app.Documents().at(0)->GetTitle(), QStringLiteral("untitled.lua"));
    CScribaDoc *second = app.OnFileNew();
    app.OnFileNew();
    QCOMPARE(second->GetTitle(), QStringLiteral("untitled[1].lua"));
    QCOMPARE(app.Documents().at(2)->GetTitle(), QStringLiteral("untitled[2].lua"));
    second->OnFileClose();
    QCOMPARE(app.OnFileNew()->GetTitle(), QStringLiteral("untitled[3].lua"));
}

void DocumentTest::openedNonLuaFileTakesNextUntitledName()
{
    AppFixture fixture("");
    const QString text = fixture.FilePath(QStringLiteral("notes.txt"));
    WriteFile(text, "x = 1\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(text);
    QVERIFY(document);
    QCOMPARE(document->GetTitle(), QStringLiteral("untitled[1].lua"));
    QCOMPARE(document->GetPathName(), text);
    fixture.Prompts().fileNames.enqueue(fixture.FilePath(QStringLiteral("notes.lua")));
    QVERIFY(document->DoSave(QString()));
    QCOMPARE(document->GetTitle(), QStringLiteral("notes.lua"));
}

void DocumentTest::closeOnLastDocument_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs");
    QTest::addColumn<QString>("titleAfter");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<bool>("modifiedAfter");
    QTest::addColumn<int>("questions");

    QTest::newRow("unmodified with text is emptied")
        << "abc" << false << 0 << "" << "untitled[1].lua" << "" << false << 0;
    QTest::newRow("unmodified and empty: nothing changes")
        << "" << false << 0 << "" << "untitled.lua" << "" << false << 0;
    QTest::newRow("modified, Cancel: nothing changes")
        << "abc" << true << int(QMessageBox::Cancel) << "" << "untitled.lua" << "abc" << true << 1;
    QTest::newRow("modified, No: emptied and clean")
        << "abc" << true << int(QMessageBox::No) << "" << "untitled[1].lua" << "" << false << 1;
    QTest::newRow("modified, Yes, Save As cancelled: nothing changes")
        << "abc" << true << int(QMessageBox::Yes) << "" << "untitled.lua" << "abc" << true << 1;
    QTest::newRow("modified, Yes, saved: emptied")
        << "abc" << true << int(QMessageBox::Yes) << "kept.lua" << "untitled[1].lua" << "" << false << 1;
}

void DocumentTest::closeOnLastDocument()
{
    QFETCH(QString, text);
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(QString, titleAfter);
    QFETCH(QString, textAfter);
    QFETCH(bool, modifiedAfter);
    QFETCH(int, questions);

    AppFixture fixture("");
    CScribaDoc *document = fixture.ActiveDocument();
    CScribaView *view = document->GetView();
    QTest::keyClicks(view, text);
    if (!modified)
        document->SetModifiedFlag(false);
    fixture.Prompts().asked.clear();
    fixture.Prompts().answers.enqueue(QMessageBox::StandardButton(answer));
    if (!saveAs.isEmpty())
        fixture.Prompts().fileNames.enqueue(fixture.FilePath(saveAs));

    document->OnFileClose();

    QCOMPARE(fixture.App().Documents().size(), 1);
    QCOMPARE(document->GetTitle(), titleAfter);
    QCOMPARE(view->text(), textAfter);
    QCOMPARE(document->IsModified(), modifiedAfter);
    QCOMPARE(fixture.Prompts().asked.size(), questions);
    if (questions) {
        QCOMPARE(fixture.Prompts().asked.first().text, QStringLiteral("Save changes to untitled.lua?"));
        QCOMPARE(fixture.Prompts().asked.first().caption, QStringLiteral("Scriba"));
    }
    if (!saveAs.isEmpty())
        QCOMPARE(ReadFile(fixture.FilePath(saveAs)), text.toUtf8());
}

void DocumentTest::closeWithTwoDocumentsClosesTheActiveOne()
{
    AppFixture fixture("");
    CScribaDoc *first = fixture.ActiveDocument();
    CScribaDoc *second = fixture.App().OnFileNew();
    QTest::keyClicks(second->GetView(), "x");
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    fixture.App().MainFrame()->Action(ID_FILE_CLOSE)->trigger();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QCOMPARE(fixture.App().Documents(), QList<CScribaDoc *>{first});
}

void DocumentTest::emptiedDocumentAsksForANameOnSave()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("model.lua"));
    WriteFile(path, "old text\n");
    fixture.App().CloseAllDocuments();
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    document->OnFileClose();
    QTest::keyClicks(document->GetView(), "new");
    QVERIFY(!document->DoFileSave()); // Save As cancelled
    QCOMPARE(fixture.Prompts().proposedNames.size(), 1);
    QCOMPARE(QFileInfo(fixture.Prompts().proposedNames.first()).fileName(), QStringLiteral("untitled[1].lua"));
    QCOMPARE(ReadFile(path), QByteArray("old text\n"));
}

void DocumentTest::neverSavedDocumentAlwaysAsksForAName()
{
    AppFixture fixture("");
    // A file of the bare untitled name in the current folder is never written silently.
    QDir::setCurrent(fixture.FilePath(QString()));
    WriteFile(fixture.FilePath(QStringLiteral("untitled.lua")), "someone else's\n");
    QTest::keyClicks(fixture.ActiveView(), "mine");
    QVERIFY(!fixture.ActiveDocument()->DoFileSave());
    QCOMPARE(fixture.Prompts().proposedNames.size(), 1);
    QCOMPARE(ReadFile(fixture.FilePath(QStringLiteral("untitled.lua"))), QByteArray("someone else's\n"));
}

void DocumentTest::filesRoundTripByteForByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QByteArray("a = 1\r\nb = 2\r\n");
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd\r\n");
    QTest::newRow("NUL bytes") << QByteArray("x\0y\0\0z\n", 8);
    QTest::newRow("invalid UTF-8") << QByteArray("s = \"\xff\xfe\xc3(\x80\"\n");
    QTest::newRow("no final line break") << QByteArray("return 1");
    QTest::newRow("empty") << QByteArray();
}

void DocumentTest::filesRoundTripByteForByte()
{
    QFETCH(QByteArray, bytes);
    AppFixture fixture("");
    const QString in = fixture.FilePath(QStringLiteral("in.lua"));
    const QString out = fixture.FilePath(QStringLiteral("out.lua"));
    WriteFile(in, bytes);
    CScribaDoc *document = fixture.App().OpenDocumentFile(in);
    QVERIFY(document);
    QVERIFY(!document->IsModified());
    fixture.Prompts().fileNames.enqueue(out);
    QVERIFY(document->DoSave(QString()));
    QCOMPARE(ReadFile(out), bytes);
}

void DocumentTest::bigFileRoundTrips()
{
    AppFixture fixture("");
    QByteArray bytes;
    bytes.reserve(50 << 20);
    const QByteArray line("tg_addpoint(12.5, -3e4, \"well\") -- a line of a big model\r\n");
    while (bytes.size() < (50 << 20))
        bytes += line;
    const QString in = fixture.FilePath(QStringLiteral("big.lua"));
    WriteFile(in, bytes);
    CScribaDoc *document = fixture.App().OpenDocumentFile(in);
    QVERIFY(document);
    QVERIFY(document->DoSave(document->GetPathName()));
    QVERIFY(ReadFile(in) == bytes);
}

void DocumentTest::failedSaveKeepsDocumentModifiedAndFileIntact()
{
    AppFixture fixture("");
    const QString folder = fixture.FilePath(QStringLiteral("locked"));
    QDir().mkdir(folder);
    const QString path = folder + QStringLiteral("/a.lua");
    WriteFile(path, "before\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    QTest::keyClicks(document->GetView(), "after ");
    // Saving replaces the file through a temporary beside it; a folder that refuses new files
    // makes the save fail.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool saved = document->DoFileSave();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (saved && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    QVERIFY(!saved);
    QVERIFY(document->IsModified());
    QCOMPARE(ReadFile(path), QByteArray("before\n"));
    const Prompt error = fixture.Prompts().asked.last();
    QCOMPARE(error.caption, QStringLiteral("Scriba - Error!"));
    QVERIFY(error.text.contains(path));
}

void DocumentTest::failedSaveAsKeepsNameAndModifiedMark()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    WriteFile(path, "before\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    QTest::keyClicks(document->GetView(), "after ");
    // No file can be made here, not even by root.
    const QString impossible = QStringLiteral("/proc/scriba-cannot-save.lua");
    fixture.Prompts().fileNames.enqueue(impossible);
    QVERIFY(!document->DoSave(QString()));
    QVERIFY(document->IsModified());
    QCOMPARE(document->GetPathName(), path);
    QCOMPARE(document->GetTitle(), QStringLiteral("a.lua"));
    QCOMPARE(ReadFile(path), QByteArray("before\n"));
    QVERIFY(fixture.Prompts().asked.last().text.contains(impossible));
}

void DocumentTest::failedOpenNamesFileAndCause()
{
    AppFixture fixture("");
    const QString missing = fixture.FilePath(QStringLiteral("missing.lua"));
    QVERIFY(!fixture.App().OpenDocumentFile(missing));
    QCOMPARE(fixture.App().Documents().size(), 1);
    const Prompt error = fixture.Prompts().asked.last();
    QVERIFY(error.text.contains(QLatin1Char('"') + missing + QLatin1Char('"')));
    QVERIFY(error.text.contains(QStringLiteral("No such file")));
    QVERIFY(!fixture.App().OpenDocumentFile(fixture.FilePath(QString())));
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("folder")));
}

void DocumentTest::saveAllAsksOnlyAboutModifiedDocuments()
{
    AppFixture fixture("");
    fixture.App().OnFileNew();
    fixture.Prompts().asked.clear();
    fixture.ActiveDocument()->OnFileSaveAll();
    QVERIFY(fixture.Prompts().asked.isEmpty());
    QTest::keyClicks(fixture.ActiveView(), "x");
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    fixture.ActiveDocument()->OnFileSaveAll();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QCOMPARE(fixture.Prompts().asked.first().text, QStringLiteral("Save changes to untitled[1].lua?"));
}

void DocumentTest::closingTheMainWindowAsksAndCanBeCancelled()
{
    AppFixture fixture("");
    QTest::keyClicks(fixture.ActiveView(), "unsaved");
    fixture.Prompts().answers.enqueue(QMessageBox::Cancel);
    QVERIFY(!fixture.App().MainFrame()->close());
    QCOMPARE(fixture.App().Documents().size(), 1);
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    QVERIFY(fixture.App().MainFrame()->close());
    QVERIFY(fixture.App().Documents().isEmpty());
    QCOMPARE(fixture.Prompts().asked.size(), 2);
}

void DocumentTest::fileDialogsStartInTheDocumentsFolder()
{
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    QDir(fixture.FilePath(QString())).mkpath(QStringLiteral("a/b"));
    const QString folderA = fixture.FilePath(QStringLiteral("a"));
    const QString folderB = fixture.FilePath(QStringLiteral("a/b"));
    WriteFile(folderA + QStringLiteral("/notes.txt"), "x = 1\n");
    WriteFile(folderB + QStringLiteral("/wells.lua"), "y = 2\n");
    ScriptedPrompter &prompts = fixture.Prompts();

    // A document with a file of its own proposes that file, even when its title is another.
    app.OpenDocumentFile(folderA + QStringLiteral("/notes.txt"));
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("untitled[1].lua"));
    fixture.ActiveDocument()->DoSave(QString());
    QCOMPARE(prompts.proposedNames.last(), folderA + QStringLiteral("/notes.txt"));
    app.OnFileOpen();
    QCOMPARE(prompts.openFolders.last(), folderA);
    QCOMPARE(prompts.openFilters.last(), QStringLiteral("Lua Script Files (*.lua);;All Files (*)"));

    // The folder chosen last is where a new document's dialogs start.
    prompts.fileNames.enqueue(folderB + QStringLiteral("/wells.lua"));
    app.OnFileOpen();
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("wells.lua"));
    CScribaDoc *fresh = app.OnFileNew();
    fresh->DoSave(QString());
    QCOMPARE(prompts.proposedNames.last(), folderB + QStringLiteral("/untitled[2].lua"));
    app.OnFileOpen();
    QCOMPARE(prompts.openFolders.last(), folderB);
}

void DocumentTest::oneFileIsNeverInTwoTabs_data()
{
    QTest::addColumn<QString>("alias");
    QTest::newRow("same path") << QStringLiteral("a.lua");
    QTest::newRow("dot dot") << QStringLiteral("sub/../a.lua");
    QTest::newRow("symlink") << QStringLiteral("link.lua");
    QTest::newRow("hard link") << QStringLiteral("hard.lua");
}

void DocumentTest::oneFileIsNeverInTwoTabs()
{
    QFETCH(QString, alias);
    AppFixture fixture("");
    CScribaApp &app = fixture.App();
    QDir(fixture.FilePath(QString())).mkpath(QStringLiteral("sub"));
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    WriteFile(path, "original\n");
    QVERIFY(QFile::link(path, fixture.FilePath(QStringLiteral("link.lua"))));
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(fixture.FilePath(QStringLiteral("hard.lua"))).constData()), 0);
    CScribaDoc *open = app.OpenDocumentFile(path);
    CScribaDoc *other = app.OnFileNew();
    const qsizetype documents = app.Documents().size();

    // Opening the file under another name brings its tab forward.
    QCOMPARE(app.OpenDocumentFile(fixture.FilePath(alias)), open);
    QCOMPARE(fixture.ActiveDocument(), open);

    // Saving another document over it is refused, naming the file; nothing is lost.
    app.MainFrame()->ActivateDocument(other);
    QTest::keyClicks(other->GetView(), "other text");
    fixture.Prompts().fileNames.enqueue(fixture.FilePath(alias));
    QVERIFY(!other->DoSave(QString()));
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("is open in another tab")));
    QVERIFY(fixture.Prompts().asked.last().text.contains(AbsoluteFilePath(fixture.FilePath(alias))));
    QVERIFY(other->IsModified());
    QVERIFY(!other->HasFileOnDisk());
    QCOMPARE(ReadFile(path), QByteArray("original\n"));
    QCOMPARE(app.Documents().size(), documents);
}

void DocumentTest::exitShowsEachDocumentItAsksAbout()
{
    AppFixture fixture("");
    CScribaDoc *first = fixture.ActiveDocument();
    QTest::keyClicks(first->GetView(), "one");
    CScribaDoc *second = fixture.App().OnFileNew();
    QTest::keyClicks(second->GetView(), "two");
    fixture.Prompts().answers.enqueue(QMessageBox::Cancel);
    QVERIFY(!fixture.App().MainFrame()->close());
    QCOMPARE(fixture.Prompts().asked.last().text, QStringLiteral("Save changes to untitled.lua?"));
    QCOMPARE(fixture.ActiveDocument(), first);
}

QTEST_MAIN(DocumentTest)
#include "document_test.moc"
