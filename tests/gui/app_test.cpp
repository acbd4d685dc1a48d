// Start-up and exit of the whole application: the configuration file, the command line and
// the recent-file list.
#include "guitestsupport.h"

#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/accelerators.h"
#include "frame/mainframe.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QSettings>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class AppTest : public QObject {
    Q_OBJECT

private slots:
    void firstRunWarnsAndExitWritesTheDefaultFile();
    void secondStartReadsTheFileSilently();
    void handEditedFileIsReadAtTheNextStart();
    void unreadableFileIsReportedAndLeftAlone_data();
    void unreadableFileIsReportedAndLeftAlone();
    void readErrorIsReportedAndNothingIsWritten();
    void readOnlyFileIsLeftAloneAtExit();
    void commandLineOpensTheNamedScript();
    void commandLineWithMissingFileEndsStartUp();
    void missingRecentFileIsReportedAndRemoved();
    void settingsReachDocumentsMadeBeforeReading();
};

void AppTest::firstRunWarnsAndExitWritesTheDefaultFile()
{
    AppFixture fixture;
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    const Prompt warning = fixture.Prompts().asked.first();
    QCOMPARE(warning.caption, QStringLiteral("Scriba - Could not load INI file."));
    QCOMPARE(warning.text, QLatin1Char('"') + fixture.IniPath() +
                               QStringLiteral("\"\n\nIf this is the first time the program has been run, "
                                              "igore this message.\nDefaults will be saved when program closed."));
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QCOMPARE(warning.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(Settings::Global().keywords.GetSize(), 21);
    QCOMPARE(Settings::Global().functions.GetSize(), 209);

    fixture.Exit();
    const QByteArray expected = ReadFile(QStringLiteral(SCRIBA_TEST_DATA "/ini/default.ini"));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(ReadFile(fixture.IniPath()), expected);
}

void AppTest::secondStartReadsTheFileSilently()
{
    const QByteArray written = ReadFile(QStringLiteral(SCRIBA_TEST_DATA "/ini/default.ini"));
    AppFixture fixture(written.constData());
    QVERIFY(fixture.Prompts().asked.isEmpty());
    QCOMPARE(Settings::Global().functions.GetSize(), 209);
    fixture.Exit();
    QCOMPARE(ReadFile(fixture.IniPath()), written);
}

void AppTest::handEditedFileIsReadAtTheNextStart()
{
    AppFixture fixture("-- my notes\r\n"
                       "[KEYWORD_STYLE]\r\n"
                       "Color = 10, 20, 30 -- teal-ish\r\n"
                       "B old=TRUE\r\n"
                       "[/KEYWORD_STYLE]\r\n"
                       "[Lua_Keywords]\r\n"
                       "While Indent\r\n"
                       "[/Lua_Keywords]\r\n");
    QVERIFY(fixture.Prompts().asked.isEmpty());
    const Settings &settings = Settings::Global();
    // No options block: every switch off, two blanks.
    QCOMPARE(settings.options.autocompletion, 0);
    QCOMPARE(settings.options.syntaxhighlighting, 0);
    QCOMPARE(settings.options.indent, TWOSPACES);
    QCOMPARE(settings.style(StyleKind::Keyword).color, MakeColor(10, 20, 30));
    QCOMPARE(settings.style(StyleKind::Keyword).bold, 1);
    QCOMPARE(settings.keywords.GetSize(), 1);
    QCOMPARE(settings.keywords.GetAt(0), (TableRow{"while", "indent"}));
    QCOMPARE(settings.functions.GetSize(), 0);
    QCOMPARE(QByteArray(fixture.App().Header().c_str()), QByteArray("-- my notes\n-- teal-ish\n"));
}

void AppTest::unreadableFileIsReportedAndLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder named Scriba.ini") << "folder";
    QTest::newRow("file without read permission") << "unreadable";
    QTest::newRow("named pipe: reported at once, never waited on") << "fifo";
    // Read as bytes it would switch everything off and empty the tables, then be written over.
    QTest::newRow("file saved as UTF-16") << "utf16";
}

void AppTest::unreadableFileIsReportedAndLeftAlone()
{
    QFETCH(QString, kind);
    if (kind == "unreadable" && geteuid() == 0)
        QSKIP("root reads every file, whatever its permissions");
    QTemporaryDir scratch;
    const QString iniPath = scratch.filePath(QStringLiteral("Scriba.ini"));
    QByteArray content("[lua_keywords]\r\nand\r\n[/lua_keywords]\r\n");
    if (kind == "utf16") {
        const QString text = QString::fromLatin1(content);
        content = QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }
    if (kind == "folder") {
        QVERIFY(QDir().mkdir(iniPath));
    } else if (kind == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(iniPath).constData(), 0644), 0);
    } else {
        WriteFile(iniPath, content);
        QFile::setPermissions(iniPath, QFileDevice::WriteOwner);
    }
    {
        AppFixture fixture(AppFixture::AtPath{iniPath});
        QVERIFY(fixture.Started());
        QCOMPARE(fixture.Prompts().asked.size(), 1);
        const Prompt message = fixture.Prompts().asked.first();
        QCOMPARE(message.caption, QStringLiteral("Scriba - Error!"));
        QVERIFY(message.text.contains(iniPath));
        QVERIFY(message.text.contains(QStringLiteral("built-in settings, keywords and functions")));
        QVERIFY(message.text.contains(QStringLiteral("left untouched")));
        if (kind == "utf16")
            QVERIFY(message.text.contains(QStringLiteral("not a plain text file")));
        // The session really has the built-in tables the message speaks of.
        QCOMPARE(Settings::Global().keywords.GetSize(), 21);
        QCOMPARE(Settings::Global().functions.GetSize(), 209);
    }
    const QFileInfo after(iniPath);
    if (kind == "folder") {
        QVERIFY(after.isDir());
    } else if (kind == "fifo") {
        QVERIFY(after.isFile() == false && after.exists());
    } else {
        QFile::setPermissions(iniPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(ReadFile(iniPath), content);
    }
}

void AppTest::readErrorIsReportedAndNothingIsWritten()
{
    // Reading this file fails after it has been opened, for root too.
    const QString iniPath = QStringLiteral("/proc/self/mem");
    AppFixture fixture(AppFixture::AtPath{iniPath});
    QVERIFY(fixture.Started());
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QCOMPARE(fixture.Prompts().asked.first().caption, QStringLiteral("Scriba - Error!"));
    QVERIFY(fixture.Prompts().asked.first().text.contains(iniPath));
    fixture.Exit();
    QCOMPARE(fixture.Prompts().asked.size(), 1); // no write was tried
}

void AppTest::readOnlyFileIsLeftAloneAtExit()
{
    // A user pins the configuration by taking away the write permission; root too.
    const QByteArray pinned = ReadFile(QStringLiteral(SCRIBA_TEST_DATA "/ini/default.ini"));
    AppFixture fixture(pinned.constData());
    QFile::setPermissions(fixture.IniPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Settings::Global().options.autocompletion = 0;
    fixture.Exit();
    QVERIFY(fixture.Prompts().asked.isEmpty());
    QCOMPARE(ReadFile(fixture.IniPath()), pinned);
    QCOMPARE(QFileInfo(fixture.IniPath()).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
}

void AppTest::commandLineOpensTheNamedScript()
{
    QTemporaryDir scratch;
    const QString script = scratch.filePath(QStringLiteral("wells.lua"));
    WriteFile(script, "tm_addwell(1, 2)\n");
    AppFixture fixture(nullptr, {script});
    QCOMPARE(fixture.App().Documents().size(), 1);
    QCOMPARE(fixture.ActiveDocument()->GetTitle(), QStringLiteral("wells.lua"));
    QCOMPARE(fixture.ActiveView()->text(), QStringLiteral("tm_addwell(1, 2)\n"));
    // The configuration is still read afterwards: the first-run warning came.
    QCOMPARE(fixture.Prompts().asked.size(), 1);
}

void AppTest::commandLineWithMissingFileEndsStartUp()
{
    QTemporaryDir scratch;
    AppFixture fixture(AppFixture::AtPath{scratch.filePath(QStringLiteral("Scriba.ini"))},
                       {scratch.filePath(QStringLiteral("gone.lua"))});
    QVERIFY(!fixture.Started());
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QVERIFY(fixture.Prompts().asked.first().text.contains(QStringLiteral("gone.lua")));
    fixture.Exit();
    // Start-up ended before the configuration was read, so none is written.
    QVERIFY(!QFile::exists(scratch.filePath(QStringLiteral("Scriba.ini"))));
}

void AppTest::missingRecentFileIsReportedAndRemoved()
{
    AppFixture fixture;
    const QString kept1 = fixture.FilePath(QStringLiteral("R&D.lua"));
    const QString gone = fixture.FilePath(QStringLiteral("b.lua"));
    const QString kept2 = fixture.FilePath(QStringLiteral("c\td.lua"));
    for (const QString &path : {kept2, gone, kept1})
        fixture.App().AddToRecentFileList(path);
    WriteFile(kept1, "");
    WriteFile(kept2, "");
    fixture.Prompts().asked.clear();

    QCoreApplication::processEvents(); // the File menu lists the files now
    fixture.App().MainFrame()->Action(CommandId(ID_FILE_MRU_FILE1 + 1))->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(fixture.Prompts().asked.size(), 1);
    QCOMPARE(fixture.Prompts().asked.first().caption, QStringLiteral("Scriba - Could not load file."));
    QCOMPARE(fixture.Prompts().asked.first().text,
             QLatin1Char('"') + gone +
                 QStringLiteral("\"\n\nThe file will be removed from the most recently used file list."));
    QCOMPARE(fixture.App().RecentFiles(), (QStringList{kept1, kept2}));
    QStringList entries;
    for (QAction *action : fixture.App().MainFrame()->menuBar()->actions().first()->menu()->actions())
        if (action->text().startsWith(QLatin1Char('&')) && action->text().contains(QLatin1String(".lua")))
            entries.append(action->text());
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries.first().endsWith(QLatin1String("R&&D.lua"))); // shown with its "&", not a mnemonic
    // A tab in a name would push the rest of it into the menu's key column.
    QVERIFY(entries.last().endsWith(QLatin1String("c d.lua")));

    fixture.App().OnOpenRecentFile(ID_FILE_MRU_FILE1 + 1);
    QCOMPARE(fixture.ActiveDocument()->GetPathName(), kept2);
    QCOMPARE(fixture.App().RecentFiles(), (QStringList{kept2, kept1}));
}

void AppTest::settingsReachDocumentsMadeBeforeReading()
{
    // The first document exists before the file is read; its styles follow the file.
    AppFixture fixture("[keyword_style]\r\ncolor = 1, 2, 3\r\n[/keyword_style]\r\n");
    CScribaView *view = fixture.ActiveView();
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, 3), long(MakeColor(1, 2, 3)));
}

QTEST_MAIN(AppTest)
#include "app_test.moc"
