// Crash recovery: copies of unsaved text follow the documents, and a Scriba that was killed
// gets its scripts back at the next start.
#include "guitestsupport.h"

#include "app/fileio.h"
#include "doc/recoverycopy.h"
#include "doc/recoverystore.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <unistd.h>

namespace {

// Every recovery copy of unsaved text under folder, with its content.
QMap<QString, QByteArray> CopiesIn(const QString &folder)
{
    QMap<QString, QByteArray> copies;
    QDirIterator it(folder, {QStringLiteral("*.lua")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!it.fileName().startsWith(QLatin1Char('.')))
            copies.insert(path, ReadFile(path));
    }
    return copies;
}

// The copies of a Scriba that is gone, as it leaves them.
void LeaveOrphanCopy(const QString &recoveryFolder, int slot, const QString &path, const QByteArray &text)
{
    const QString session = recoveryFolder + QStringLiteral("/0-4194305-1"); // no such process
    QDir().mkpath(session);
    WriteFile(session + QStringLiteral("/%1.lua").arg(slot), text);
    WriteFile(session + QStringLiteral("/%1.info").arg(slot),
              "path=" + EncodeFileName(path).toPercentEncoding() + "\ntitle=x.lua\n");
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

private slots:
    void copyFollowsTheDocument();
    void bigCopyIsTakenBetweenKeys();
    void orphanCopiesAreOffered_data();
    void orphanCopiesAreOffered();
    void killedScribaComesBack();
    void unusableFolderIsSaidOnce_data();
    void unusableFolderIsSaidOnce();
    void plantedLinksAreNeverFollowed();
    void tooLargeCopyIsNamedNotOpened();
};

void RecoveryTest::copyFollowsTheDocument()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    WriteFile(path, "x = 1\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    RecoveryStore *store = fixture.App().Recovery();
    QVERIFY(store);

    // A few seconds after typing stops, the unsaved text is kept.
    QTest::keyClicks(document->GetView(), "-- ");
    QTRY_COMPARE_WITH_TIMEOUT(CopiesIn(fixture.RecoveryFolder()).values(), QList<QByteArray>{"-- x = 1\n"},
                              CRecoveryCopy::kQuietDelayMs + 3000);
    // Saving removes it.
    QVERIFY(document->DoFileSave());
    store->Flush();
    QVERIFY(CopiesIn(fixture.RecoveryFolder()).isEmpty());

    // So does undoing back to the saved text, and closing.
    QTest::keyClicks(document->GetView(), "y");
    document->RecoveryCopy()->Update();
    store->Flush();
    QCOMPARE(CopiesIn(fixture.RecoveryFolder()).size(), 1);
    document->GetView()->OnEditUndo();
    store->Flush();
    QVERIFY(CopiesIn(fixture.RecoveryFolder()).isEmpty());
    CScribaDoc *untitled = fixture.App().OnFileNew();
    QTest::keyClicks(untitled->GetView(), "z");
    untitled->RecoveryCopy()->Update();
    store->Flush();
    QCOMPARE(CopiesIn(fixture.RecoveryFolder()).size(), 1);
    fixture.App().CloseDocument(untitled);
    store->Flush();
    QVERIFY(CopiesIn(fixture.RecoveryFolder()).isEmpty());

    // A clean exit leaves nothing behind.
    QTest::keyClicks(document->GetView(), "w");
    document->RecoveryCopy()->Update();
    fixture.Exit();
    QVERIFY(QDir(fixture.RecoveryFolder()).isEmpty());
}

// A big script's copy is taken a slice per turn of the event loop: a key typed meanwhile is in
// the copy that is kept, and a save meanwhile leaves no copy behind.
void RecoveryTest::bigCopyIsTakenBetweenKeys()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("big.lua"));
    const QByteArray text = QByteArray("x = 1\n").repeated(200000);
    WriteFile(path, text);
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    CScribaView *view = document->GetView();
    RecoveryStore *store = fixture.App().Recovery();
    CRecoveryCopy *copy = document->RecoveryCopy();

    QTest::keyClicks(view, "a");
    copy->UpdateBetweenKeys();
    QVERIFY(copy->IsCopying());
    QCoreApplication::processEvents();
    QVERIFY(copy->IsCopying());
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0);
    QTest::keyClicks(view, "b");
    QTRY_VERIFY(!copy->IsCopying());
    store->Flush();
    QCOMPARE(CopiesIn(fixture.RecoveryFolder()).values(), QList<QByteArray>{"ba" + text});

    QTest::keyClicks(view, "c");
    copy->UpdateBetweenKeys();
    QVERIFY(document->DoFileSave());
    QTRY_VERIFY(!copy->IsCopying());
    store->Flush();
    QVERIFY(CopiesIn(fixture.RecoveryFolder()).isEmpty());
}

void RecoveryTest::orphanCopiesAreOffered_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes opens them as modified documents") << int(QMessageBox::Yes);
    QTest::newRow("No deletes them") << int(QMessageBox::No);
}

void RecoveryTest::orphanCopiesAreOffered()
{
    QFETCH(int, answer);
    QTemporaryDir scratch;
    const QString recovery = scratch.filePath(QStringLiteral("recovery"));
    const QString path = scratch.filePath(QStringLiteral("model.lua"));
    WriteFile(path, "saved\n");
    const QByteArray unsaved("unsaved\r\n\xFF\0end", 14);
    LeaveOrphanCopy(recovery, 1, path, unsaved);
    LeaveOrphanCopy(recovery, 2, QString(), "fresh\n");

    AppFixture::Options options;
    options.recoveryFolder = recovery;
    options.answers = {QMessageBox::Ok, QMessageBox::StandardButton(answer)}; // first run, then recovery
    AppFixture fixture(options);
    const Prompt question = fixture.Prompts().asked.last();
    // The question names what it offers: the file, then the untitled script by its name.
    QCOMPARE(question.text, QStringLiteral("Scriba did not close normally. Recover 2 unsaved script(s)?\n\n") + path +
                                QStringLiteral("\nx.lua"));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    // Whatever the answer, the old copies are gone; a copy for each recovered script is kept anew.
    fixture.App().Recovery()->Flush();
    const QList<QByteArray> copies = CopiesIn(recovery).values();
    if (answer == QMessageBox::No) {
        QVERIFY(copies.isEmpty());
        QCOMPARE(fixture.App().Documents().size(), 1);
        QVERIFY(!fixture.ActiveDocument()->IsModified());
        return;
    }
    QCOMPARE(copies.size(), 2);
    QCOMPARE(fixture.App().Documents().size(), 2); // the empty start-up document made way
    CScribaDoc *model = nullptr;
    for (CScribaDoc *document : fixture.App().Documents())
        if (document->HasFileOnDisk())
            model = document;
    QVERIFY(model);
    QCOMPARE(model->GetPathName(), path);
    QCOMPARE(model->GetTitle(), QStringLiteral("model.lua"));
    QVERIFY(model->IsModified());
    QCOMPARE(model->GetView()->CopyText(), unsaved);
    // Undo shows the saved file again.
    model->GetView()->OnEditUndo();
    QCOMPARE(model->GetView()->CopyText(), QByteArray("saved\n"));
    model->GetView()->OnEditRedo();
    QVERIFY(model->DoFileSave());
    QCOMPARE(ReadFile(path), unsaved);
    CScribaDoc *untitled = fixture.App().Documents().at(model == fixture.App().Documents().at(0) ? 1 : 0);
    QVERIFY(untitled->IsModified());
    QVERIFY(!untitled->HasFileOnDisk());
    QCOMPARE(untitled->GetView()->CopyText(), QByteArray("fresh\n"));
    QCOMPARE(untitled->GetTitle(), QStringLiteral("x.lua")); // the name it had
}

void RecoveryTest::killedScribaComesBack()
{
    QTemporaryDir scratch;
    // The program keeps "Scriba.ini" beside itself: a copy of it, with its own file, needs no
    // first-run message.
    const QString program = scratch.filePath(QStringLiteral("scriba"));
    QVERIFY(QFile::copy(QStringLiteral(SCRIBA_EXECUTABLE), program));
    WriteFile(scratch.filePath(QStringLiteral("Scriba.ini")), ReadFile(QStringLiteral(SCRIBA_TEST_DATA "/ini/default.ini")));
    const QString script = scratch.filePath(QStringLiteral("well.lua"));
    WriteFile(script, "tg_addpoint(1, 2)\n");
    const QString typed = QString::fromUtf8("local gr\xC3\xBC\xC3\x9F" "e = 'caf\xC3\xA9' -- unsaved ");

    QProcess scriba;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), scratch.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), scratch.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("SCRIBA_TEST_KEYS"), typed);
    scriba.setProcessEnvironment(environment);
    scriba.start(program, {script});
    QVERIFY(scriba.waitForStarted());
    const QString recovery = scratch.filePath(QStringLiteral("state/Scriba/recovery"));
    const QByteArray expected = typed.toUtf8() + "tg_addpoint(1, 2)\n";
    QTRY_COMPARE_WITH_TIMEOUT(CopiesIn(recovery).values(), QList<QByteArray>{expected}, 30000);
    scriba.kill(); // SIGKILL: nothing runs at exit
    QVERIFY(scriba.waitForFinished());
    QCOMPARE(scriba.exitStatus(), QProcess::CrashExit);

    AppFixture::Options options;
    options.recoveryFolder = recovery;
    options.answers = {QMessageBox::Ok, QMessageBox::Yes};
    AppFixture fixture(options);
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("Recover 1 unsaved script(s)?")));
    CScribaDoc *document = fixture.ActiveDocument();
    QCOMPARE(document->GetPathName(), script);
    QVERIFY(document->IsModified());
    QCOMPARE(document->GetView()->CopyText(), expected);
}

void RecoveryTest::unusableFolderIsSaidOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause");
    QTest::newRow("a link") << "link" << "is a symbolic link";
    QTest::newRow("open to others") << "0777" << "may be written by other users";
    QTest::newRow("cannot be made") << "under a file" << "could not create the folder";
    // As with "sudo -E", which keeps the user's HOME: only root can give the folder away.
    QTest::newRow("another user's") << "chown" << "belongs to another user";
}

void RecoveryTest::unusableFolderIsSaidOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    QTemporaryDir scratch;
    QString recovery = scratch.filePath(QStringLiteral("recovery"));
    const QString elsewhere = scratch.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkdir(elsewhere));
    if (kind == "link") {
        QVERIFY(QFile::link(elsewhere, recovery));
    } else if (kind == "chown") {
        if (geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        QVERIFY(QDir().mkdir(recovery));
        QCOMPARE(chown(QFile::encodeName(recovery).constData(), 65534, 65534), 0);
    } else if (kind == "0777") {
        QVERIFY(QDir().mkdir(recovery));
        QFile::setPermissions(recovery, QFileDevice::Permissions(0x7777));
    } else {
        WriteFile(scratch.filePath(QStringLiteral("plain")), "x");
        recovery = scratch.filePath(QStringLiteral("plain/recovery"));
    }
    AppFixture::Options options;
    options.recoveryFolder = recovery;
    AppFixture fixture(options);
    QVERIFY(!fixture.App().Recovery());
    int notices = 0;
    for (const Prompt &prompt : fixture.Prompts().asked) {
        if (!prompt.text.startsWith(QStringLiteral("Unsaved work cannot be protected: ")))
            continue;
        ++notices;
        QVERIFY2(prompt.text.contains(cause) && prompt.text.contains(QuotedPath(recovery)), qPrintable(prompt.text));
    }
    QCOMPARE(notices, 1);
    QVERIFY(QDir(elsewhere).isEmpty());
}

void RecoveryTest::plantedLinksAreNeverFollowed()
{
    QTemporaryDir scratch;
    const QString recovery = scratch.filePath(QStringLiteral("recovery"));
    const QString victim = scratch.filePath(QStringLiteral("victim"));
    QVERIFY(QDir().mkpath(victim));
    WriteFile(victim + QStringLiteral("/1.lua"), "secret\n");
    WriteFile(victim + QStringLiteral("/notes.txt"), "keep\n");
    // A dead session that is a link to a folder, and one whose copy is a link to a file.
    QVERIFY(QDir().mkpath(recovery));
    QVERIFY(QFile::link(victim, recovery + QStringLiteral("/0-4194305-1")));
    const QString session = recovery + QStringLiteral("/0-4194306-1");
    QVERIFY(QDir().mkpath(session));
    QVERIFY(QFile::link(victim + QStringLiteral("/1.lua"), session + QStringLiteral("/1.lua")));
    WriteFile(session + QStringLiteral("/1.info"), "path=" + QFile::encodeName(victim).toPercentEncoding() + "%2Fsaved.lua\n");

    AppFixture::Options options;
    options.recoveryFolder = recovery;
    AppFixture fixture(options);
    for (const Prompt &prompt : fixture.Prompts().asked)
        QVERIFY2(!prompt.text.contains(QStringLiteral("did not close normally")), qPrintable(prompt.text));
    QCOMPARE(ReadFile(victim + QStringLiteral("/1.lua")), QByteArray("secret\n"));
    QCOMPARE(ReadFile(victim + QStringLiteral("/notes.txt")), QByteArray("keep\n"));

    // Links planted as this session's own copies are replaced, never written through.
    RecoveryStore *store = fixture.App().Recovery();
    QVERIFY(store);
    for (int slot = 1; slot <= 4; ++slot)
        QVERIFY(QFile::link(victim + QStringLiteral("/1.lua"), store->SessionFolder() + QStringLiteral("/%1.lua").arg(slot)));
    QTest::keyClicks(fixture.ActiveView(), "typed");
    fixture.ActiveDocument()->RecoveryCopy()->Update();
    store->Flush();
    QCOMPARE(ReadFile(victim + QStringLiteral("/1.lua")), QByteArray("secret\n"));
    QVERIFY(CopiesIn(recovery).values().contains("typed"));
    fixture.Exit();
    QCOMPARE(QDir(victim).entryList(QDir::Files), QStringList({"1.lua", "notes.txt"}));
}

void RecoveryTest::tooLargeCopyIsNamedNotOpened()
{
    QTemporaryDir scratch;
    const QString recovery = scratch.filePath(QStringLiteral("recovery"));
    LeaveOrphanCopy(recovery, 1, scratch.filePath(QStringLiteral("huge.lua")), "x");
    LeaveOrphanCopy(recovery, 2, QString(), "small\n");
    const QString huge = recovery + QStringLiteral("/0-4194305-1/1.lua");
    if (!QFile::resize(huge, qint64(5) << 29)) // 2.5 GB, sparse
        QSKIP("this file system has no sparse files");

    AppFixture::Options options;
    options.recoveryFolder = recovery;
    options.answers = {QMessageBox::Ok, QMessageBox::Yes};
    AppFixture fixture(options);
    const Prompt question = fixture.Prompts().asked.last();
    QVERIFY2(question.text.startsWith(QStringLiteral("Scriba did not close normally. Recover 1 unsaved script(s)?")),
             qPrintable(question.text));
    QVERIFY(question.text.contains(scratch.filePath(QStringLiteral("huge.lua")) + QStringLiteral(" (too large to open")));
    QCOMPARE(fixture.App().Documents().size(), 1);
    QCOMPARE(fixture.ActiveDocument()->GetView()->CopyText(), QByteArray("small\n"));
    fixture.Exit();
    // The only copy of that work is kept for the user to rescue.
    QStringList kept;
    QDirIterator it(recovery, {QStringLiteral("*.lua")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        kept.append(QFileInfo(it.next()).fileName());
    QCOMPARE(kept, QStringList{QStringLiteral("1.lua")});
}

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
