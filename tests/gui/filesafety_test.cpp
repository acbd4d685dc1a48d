// Documents and the files under them: special files refused at once, read-only files asked
// about, names that are not UTF-8, and files that another program changes or deletes.
#include "guitestsupport.h"

#include "app/fileio.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray TextOf(CScribaDoc *document)
{
    return document->GetView()->CopyText();
}

// The names in a folder as the system has them (the toolkit drops those that are not UTF-8).
QList<QByteArray> EntriesIn(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    while (const dirent *entry = readdir(dir))
        if (entry->d_name[0] != '.')
            names.append(entry->d_name);
    closedir(dir);
    return names;
}

// Opens path holding "ours\n", types "more " into it, then another program writes
// "theirs, longer\n" there.
CScribaDoc *OpenTypeAndChangeElsewhere(AppFixture &fixture, const QString &path)
{
    WriteFile(path, "ours\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    QTest::keyClicks(document->GetView(), "more ");
    WriteFile(path, "theirs, longer\n");
    return document;
}

} // namespace

class FileSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void specialFilesAreRefusedAtOnce_data();
    void specialFilesAreRefusedAtOnce();
    void tooLargeScriptIsAMessage();
    void readOnlyFileAsksBeforeSaving_data();
    void readOnlyFileAsksBeforeSaving();
    void saveKeepsHardLinks();
    void nameThatIsNotUtf8OpensAndSaves();
    void changeByAnotherProgramIsNoticed_data();
    void changeByAnotherProgramIsNoticed();
    void saveAsksBeforeReplacingAnotherProgramsVersion_data();
    void saveAsksBeforeReplacingAnotherProgramsVersion();
    void modifiedScriptIsAskedAboutWhenActivated();
    void failedReloadStillAsksBeforeSaving();
};

void FileSafetyTest::specialFilesAreRefusedAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("commandLine");
    QTest::newRow("named pipe") << "fifo" << false;
    QTest::newRow("named pipe on the command line") << "fifo" << true;
    QTest::newRow("device") << "/dev/zero" << false;
    QTest::newRow("folder") << "folder" << false;
}

void FileSafetyTest::specialFilesAreRefusedAtOnce()
{
    QFETCH(QString, kind);
    QFETCH(bool, commandLine);
    QTemporaryDir scratch;
    QString path = kind;
    if (kind == "fifo") {
        path = scratch.filePath(QStringLiteral("pipe.lua"));
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == "folder") {
        path = scratch.filePath(QStringLiteral("sub.lua"));
        QVERIFY(QDir().mkdir(path));
    }
    AppFixture fixture("", commandLine ? QStringList{path} : QStringList{});
    if (!commandLine)
        QVERIFY(!fixture.App().OpenDocumentFile(path));
    QCOMPARE(fixture.Started(), !commandLine);
    const Prompt message = fixture.Prompts().asked.last();
    QCOMPARE(message.caption, QStringLiteral("Scriba - Could not load file."));
    QVERIFY(message.text.contains(QuotedPath(path)));
    QVERIFY2(message.text.contains(QStringLiteral("not a file")), qPrintable(message.text));
}

void FileSafetyTest::tooLargeScriptIsAMessage()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("huge.lua"));
    // A sparse file: larger than any script the control can hold, without using the disk.
    const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0644);
    const bool made = fd >= 0 && ftruncate(fd, (qint64(1) << 31) + 16) == 0;
    close(fd);
    if (!made)
        QSKIP("this file system has no sparse files");
    QVERIFY(!fixture.App().OpenDocumentFile(path));
    QCOMPARE(fixture.App().Documents().size(), 1);
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("too large to open")));
}

void FileSafetyTest::readOnlyFileAsksBeforeSaving_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No keeps the file and the modified mark") << int(QMessageBox::No);
    QTest::newRow("Yes writes it and it stays read-only") << int(QMessageBox::Yes);
}

void FileSafetyTest::readOnlyFileAsksBeforeSaving()
{
    QFETCH(int, answer);
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("pinned.lua"));
    WriteFile(path, "old\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    QTest::keyClicks(document->GetView(), "new ");
    fixture.Prompts().answers.enqueue(QMessageBox::StandardButton(answer));
    const bool saved = document->DoFileSave();

    const Prompt question = fixture.Prompts().asked.last();
    QCOMPARE(question.text, QuotedPath(path) + QStringLiteral(" is read-only. Save anyway?"));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(saved, answer == QMessageBox::Yes);
    QCOMPARE(document->IsModified(), !saved);
    QCOMPARE(ReadFile(path), saved ? QByteArray("new old\n") : QByteArray("old\n"));
    QCOMPARE(QFileInfo(path).permissions() & 0x7077,
             QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

void FileSafetyTest::saveKeepsHardLinks()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    const QString other = fixture.FilePath(QStringLiteral("b.lua"));
    WriteFile(path, "old\n");
    QCOMPARE(link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    QTest::keyClicks(document->GetView(), "new ");
    QVERIFY(document->DoFileSave());
    QCOMPARE(ReadFile(other), QByteArray("new old\n"));
}

void FileSafetyTest::nameThatIsNotUtf8OpensAndSaves()
{
    QTemporaryDir scratch;
    const QByteArray name = QFile::encodeName(scratch.path()) + "/caf\xE9.lua"; // Latin-1
    // The scratch folder's own clean-up goes by decoded names and would leave this one behind.
    const auto removeName = qScopeGuard([&name] { unlink(name.constData()); });
    const int fd = open(name.constData(), O_WRONLY | O_CREAT, 0644);
    QCOMPARE(write(fd, "x = 1\n", 6), ssize_t(6));
    close(fd);

    AppFixture fixture("", {DecodeFileName(name)});
    QVERIFY(fixture.Started());
    CScribaDoc *document = fixture.ActiveDocument();
    QCOMPARE(TextOf(document), QByteArray("x = 1\n"));
    QCOMPARE(EncodeFileName(document->GetPathName()), name);
    QTest::keyClicks(document->GetView(), "y");
    QVERIFY(document->DoFileSave());
    const int saved = open(name.constData(), O_RDONLY);
    char bytes[16] = {};
    QCOMPARE(read(saved, bytes, sizeof bytes), ssize_t(7));
    close(saved);
    QCOMPARE(QByteArray(bytes), QByteArray("yx = 1\n"));
    QCOMPARE(EntriesIn(scratch.path()), QList<QByteArray>{name.mid(name.lastIndexOf('/') + 1)});

    // The toolkit's own dialog hands over the name with U+FFFD: say why it cannot be opened.
    QVERIFY(!fixture.App().OpenDocumentFile(QString::fromLocal8Bit(name)));
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("not valid UTF-8")));
}

void FileSafetyTest::changeByAnotherProgramIsNoticed_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QByteArray>("textAfter");
    QTest::addColumn<bool>("modifiedAfter");
    QTest::newRow("changed, Yes reloads") << false << int(QMessageBox::Yes) << "was changed by another program. Reload it?"
                                          << QByteArray("theirs, longer\n") << false;
    QTest::newRow("changed, No keeps ours") << false << int(QMessageBox::No) << "was changed by another program. Reload it?"
                                            << QByteArray("ours\n") << false;
    QTest::newRow("deleted: marked modified") << true << int(QMessageBox::Ok) << "was deleted by another program"
                                              << QByteArray("ours\n") << true;
}

void FileSafetyTest::changeByAnotherProgramIsNoticed()
{
    QFETCH(bool, deleted);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(QByteArray, textAfter);
    QFETCH(bool, modifiedAfter);
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    WriteFile(path, "ours\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    fixture.App().OnFileNew();
    fixture.App().CheckFilesOnDisk();
    QVERIFY(fixture.Prompts().asked.isEmpty());

    if (deleted)
        QVERIFY(QFile::remove(path));
    else
        WriteFile(path, "theirs, longer\n");
    fixture.Prompts().answers.enqueue(QMessageBox::StandardButton(answer));
    fixture.App().CheckFilesOnDisk();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QVERIFY2(fixture.Prompts().asked.last().text.contains(question), qPrintable(fixture.Prompts().asked.last().text));
    QVERIFY(fixture.Prompts().asked.last().text.contains(QuotedPath(path)));
    QCOMPARE(fixture.ActiveDocument(), document); // shown while asked about
    QCOMPARE(TextOf(document), textAfter);
    QCOMPARE(document->IsModified(), modifiedAfter);
    QCOMPARE(fixture.App().MainFrame()->MdiArea()->currentSubWindow()->isWindowModified(), modifiedAfter);
    // Each change is reported once.
    fixture.App().CheckFilesOnDisk();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    if (deleted) {
        QVERIFY(document->DoFileSave());
        QCOMPARE(ReadFile(path), QByteArray("ours\n"));
    }
}

void FileSafetyTest::saveAsksBeforeReplacingAnotherProgramsVersion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No keeps the other version") << int(QMessageBox::No);
    QTest::newRow("Yes replaces it") << int(QMessageBox::Yes);
}

void FileSafetyTest::saveAsksBeforeReplacingAnotherProgramsVersion()
{
    QFETCH(int, answer);
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    CScribaDoc *document = OpenTypeAndChangeElsewhere(fixture, path);
    // Keeping the editor's text on activation leaves the question to the save.
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    fixture.App().CheckFilesOnDisk();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QCOMPARE(TextOf(document), QByteArray("more ours\n"));
    fixture.Prompts().answers.enqueue(QMessageBox::StandardButton(answer));
    const bool saved = document->DoFileSave();
    QCOMPARE(fixture.Prompts().asked.size(), 2);
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("was changed by another program")));
    QCOMPARE(saved, answer == QMessageBox::Yes);
    QCOMPARE(ReadFile(path), saved ? QByteArray("more ours\n") : QByteArray("theirs, longer\n"));
    QCOMPARE(document->IsModified(), !saved);
    // Once saved, the next save asks nothing.
    if (saved) {
        QTest::keyClicks(document->GetView(), "x");
        QVERIFY(document->DoFileSave());
        QCOMPARE(fixture.Prompts().asked.size(), 2);
    }
}

void FileSafetyTest::modifiedScriptIsAskedAboutWhenActivated()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    CScribaDoc *document = OpenTypeAndChangeElsewhere(fixture, path);
    fixture.Prompts().answers.enqueue(QMessageBox::Yes);
    fixture.App().CheckFilesOnDisk();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    const Prompt question = fixture.Prompts().asked.last();
    QVERIFY2(question.text.contains(QStringLiteral("has changes that are not saved")), qPrintable(question.text));
    QVERIFY(question.text.contains(QStringLiteral("Undo brings them back")));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(TextOf(document), QByteArray("theirs, longer\n"));
    QVERIFY(!document->IsModified());
    // The reload is one step: Undo brings the unsaved text back, modified.
    document->GetView()->OnEditUndo();
    QCOMPARE(TextOf(document), QByteArray("more ours\n"));
    QVERIFY(document->IsModified());
    fixture.App().CheckFilesOnDisk();
    QCOMPARE(fixture.Prompts().asked.size(), 1); // that version was asked about
    // Saving the text Undo brought back replaces the version that was reloaded without a word.
    QVERIFY(document->DoFileSave());
    QCOMPARE(ReadFile(path), QByteArray("more ours\n"));
    QCOMPARE(fixture.Prompts().asked.size(), 1);
}

void FileSafetyTest::failedReloadStillAsksBeforeSaving()
{
    AppFixture fixture("");
    const QString path = fixture.FilePath(QStringLiteral("a.lua"));
    WriteFile(path, "ours\n");
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    // The other program makes it larger than a script can be (a sparse file: no disk used).
    QVERIFY(QFile::resize(path, (qint64(1) << 31) + 16));
    fixture.Prompts().answers.enqueue(QMessageBox::Yes);
    fixture.App().CheckFilesOnDisk();
    QCOMPARE(fixture.Prompts().asked.size(), 2);
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("too large to open")));
    QCOMPARE(TextOf(document), QByteArray("ours\n")); // the failed reload changed nothing
    fixture.Prompts().answers.enqueue(QMessageBox::No);
    QVERIFY(!document->DoFileSave());
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("was changed by another program")));
    QCOMPARE(QFileInfo(path).size(), (qint64(1) << 31) + 16);
}

QTEST_MAIN(FileSafetyTest)
#include "filesafety_test.moc"
