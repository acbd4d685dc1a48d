// Export as HTML, from the File menu and from the command line: the page shows the colours the
// screen shows.
#include "guitestsupport.h"

#include "app/exportcommand.h"
#include "doc/scribadoc.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QByteArray kScript("-- pumping test <model> & \"notes\"\n"
                         "local r = 2.5e3\n"
                         "for i = 1, 10 do\n"
                         "  tg_addpoint(i * 100.0, 250, \"well\" .. i)\n"
                         "end\n");

// The text of the page's <pre>, one class name (or "") per byte, entities undone.
void ReadPre(const QByteArray &page, QByteArray &text, QStringList &classes)
{
    const qsizetype open = page.indexOf("<pre>");
    const qsizetype close = page.indexOf("</pre>");
    QByteArray body = page.mid(open + 5, close - open - 5);
    if (body.startsWith('\n'))
        body.remove(0, 1);
    QString current;
    const QList<QPair<QByteArray, char>> entities = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'},
                                                      {"&quot;", '"'}, {"&#39;", '\''}, {"&#x27;", '\''}};
    for (qsizetype i = 0; i < body.size();) {
        if (body.mid(i, 13) == "<span class=\"") {
            const qsizetype end = body.indexOf('"', i + 13);
            current = QString::fromLatin1(body.mid(i + 13, end - i - 13));
            i = body.indexOf('>', end) + 1;
            continue;
        }
        if (body.mid(i, 7) == "</span>") {
            current.clear();
            i += 7;
            continue;
        }
        char c = body[i];
        qsizetype length = 1;
        for (const auto &entity : entities) {
            if (body.mid(i, entity.first.size()) == entity.first) {
                c = entity.second;
                length = entity.first.size();
            }
        }
        text += c;
        classes += current;
        i += length;
    }
}

QString ClassOfStyle(long style)
{
    static const QStringList names = {"", "comment", "function", "keyword", "number", "punctuation", "string"};
    return names.value(int(style));
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

private slots:
    void menuExportMatchesTheScreen();
    void commandLineExportsWithoutAWindow();
    void commandLineReportsUnreadableFile();
    void commandLineRefusesWhatItWouldDrop_data();
    void commandLineRefusesWhatItWouldDrop();
    void commandLineNeverHarmsAFile_data();
    void commandLineNeverHarmsAFile();
    void commandLineWritesToStandardOutput();
    void commandLineFindsTheIniWhereTheWindowDoes_data();
    void commandLineFindsTheIniWhereTheWindowDoes();
    void menuExportNeverReplacesTheScript();
};

void ExportTest::menuExportMatchesTheScreen()
{
    AppFixture fixture;
    const QString script = fixture.FilePath(QStringLiteral("pump.lua"));
    WriteFile(script, kScript);
    CScribaDoc *document = fixture.App().OpenDocumentFile(script);
    QVERIFY(document);
    const QString page = fixture.FilePath(QStringLiteral("pump.html"));
    fixture.Prompts().fileNames.enqueue(page);
    fixture.App().MainFrame()->Action(ID_FILE_EXPORT_HTML)->trigger();
    QCOMPARE(fixture.Prompts().proposedNames.last(), QStringLiteral("pump.html"));

    QByteArray text;
    QStringList classes;
    ReadPre(ReadFile(page), text, classes);
    QCOMPARE(text, kScript);
    CScribaView *view = document->GetView();
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' || text[i] == '\n')
            continue; // blanks inside a token may stand outside its span
        QCOMPARE(classes[i], ClassOfStyle(view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i)));
    }
    QVERIFY(ReadFile(page).contains("<title>pump.lua</title>"));
}

void ExportTest::menuExportNeverReplacesTheScript()
{
    AppFixture fixture;
    const QString script = fixture.FilePath(QStringLiteral("pump.lua"));
    WriteFile(script, kScript);
    QVERIFY(fixture.App().OpenDocumentFile(script));
    fixture.Prompts().fileNames.enqueue(script);
    fixture.App().MainFrame()->Action(ID_FILE_EXPORT_HTML)->trigger();
    QCOMPARE(ReadFile(script), kScript);
    QCOMPARE(fixture.Prompts().asked.last().caption, QStringLiteral("Scriba - Error!"));
    QVERIFY(fixture.Prompts().asked.last().text.contains(script));
}

void ExportTest::commandLineExportsWithoutAWindow()
{
    QTemporaryDir folder;
    const QString script = folder.filePath(QStringLiteral("a.lua"));
    WriteFile(script, kScript);
    const QString ini = folder.filePath(QStringLiteral("Scriba.ini"));
    const QByteArray iniText("[options]\r\nsyntaxhighlighting = TRUE\r\n[/options]\r\n"
                             "[keyword_style]\r\ncolor = 1, 2, 3\r\nbold = TRUE\r\n[/keyword_style]\r\n"
                             "[lua_keywords]\r\nlocal\r\n[/lua_keywords]\r\n");
    WriteFile(ini, iniText);

    QCOMPARE(RunExportCommand({"--export-html", script}, ini), 0);
    const QByteArray page = ReadFile(folder.filePath(QStringLiteral("a.html")));
    QVERIFY(page.contains(".keyword { color: #010203; font-weight: bold;"));
    QVERIFY(page.contains("<span class=\"keyword\">local</span>"));
    // The configuration file is read, never written.
    QCOMPARE(ReadFile(ini), iniText);

    const QString out = folder.filePath(QStringLiteral("out.html"));
    QCOMPARE(RunExportCommand({"--export-html", script, "-o", out}, folder.filePath("none.ini")), 0);
    QVERIFY(ReadFile(out).contains("<pre>"));
    QVERIFY(!QFile::exists(folder.filePath("none.ini")));
    // Without a configuration file the built-in tables colour, as in the window.
    QVERIFY(ReadFile(out).contains("<span class=\"keyword\">local</span>"));
    QVERIFY(ReadFile(out).contains("<span class=\"function\">tg_addpoint</span>"));
}

void ExportTest::commandLineNeverHarmsAFile_data()
{
    // setup: how the folder is prepared; input and output as given on the command line.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("output is the script") << "" << "a.lua" << "a.lua";
    QTest::newRow("output reaches the script through ..") << "folder" << "a.lua" << "sub/../a.lua";
    QTest::newRow("output is a symbolic link to the script") << "symlink" << "a.lua" << "link.html";
    QTest::newRow("output is a hard link of the script") << "hardlink" << "a.lua" << "hard.html";
    QTest::newRow("page would take its input's own name") << "" << "a.html" << "";
    QTest::newRow("output is a named pipe") << "fifo" << "a.lua" << "pipe";
    QTest::newRow("output is a folder") << "folder" << "a.lua" << "sub";
    QTest::newRow("output is a device") << "device" << "a.lua" << "null";
    QTest::newRow("input is a named pipe") << "fifo" << "pipe" << "out.html";
    QTest::newRow("input is a device") << "" << "/dev/zero" << "out.html";
    QTest::newRow("input is a folder") << "folder" << "sub" << "out.html";
}

void ExportTest::commandLineNeverHarmsAFile()
{
    QFETCH(QString, setup);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QTemporaryDir folder;
    QVERIFY(QDir::setCurrent(folder.path()));
    WriteFile(QStringLiteral("a.lua"), kScript);
    WriteFile(QStringLiteral("a.html"), kScript);
    const QByteArray a = QByteArrayLiteral("a.lua");
    if (setup == "folder")
        QVERIFY(QDir().mkdir(QStringLiteral("sub")));
    if (setup == "symlink")
        QCOMPARE(symlink(a.constData(), "link.html"), 0);
    if (setup == "hardlink")
        QCOMPARE(link(a.constData(), "hard.html"), 0);
    if (setup == "fifo")
        QCOMPARE(mkfifo("pipe", 0644), 0);
    if (setup == "device" && mknod("null", S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("only root can make a device node");
    struct stat before;
    QCOMPARE(lstat(output.isEmpty() ? "a.html" : qPrintable(output), &before) == 0, !output.startsWith("out"));

    QStringList arguments = {"--export-html", input};
    if (!output.isEmpty())
        arguments += {"-o", output};
    QCOMPARE(RunExportCommand(arguments, folder.filePath(QStringLiteral("Scriba.ini"))), 1);

    QCOMPARE(ReadFile(QStringLiteral("a.lua")), kScript);
    QCOMPARE(ReadFile(QStringLiteral("a.html")), kScript);
    QVERIFY(!QFile::exists(QStringLiteral("out.html")));
    struct stat after;
    if (lstat(output.isEmpty() ? "a.html" : qPrintable(output), &after) == 0) {
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
    }
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
}

void ExportTest::commandLineWritesToStandardOutput()
{
    QTemporaryDir folder;
    const QString script = folder.filePath(QStringLiteral("a.lua"));
    WriteFile(script, kScript);
    QProcess scriba;
    scriba.setWorkingDirectory(folder.path());
    scriba.start(QStringLiteral(SCRIBA_EXECUTABLE), {"--export-html", script, "-o", "-"});
    QVERIFY(scriba.waitForFinished(30000));
    QCOMPARE(scriba.exitCode(), 0);
    const QByteArray page = scriba.readAllStandardOutput();
    QVERIFY(page.startsWith("<!DOCTYPE html>"));
    QVERIFY(page.endsWith("</html>\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"a.lua"});
}

void ExportTest::commandLineFindsTheIniWhereTheWindowDoes_data()
{
    QTest::addColumn<QString>("iniFolder");
    QTest::newRow("per-user folder") << QStringLiteral("Scriba");
    // Where earlier versions kept it: the file moves to the per-user folder.
    QTest::newRow("earlier place") << QStringLiteral("Scriba/Scriba");
}

void ExportTest::commandLineFindsTheIniWhereTheWindowDoes()
{
    QFETCH(QString, iniFolder);
    // Installed where the user cannot write, Scriba keeps its configuration in the per-user
    // folder, for the window and the export alike.
    if (geteuid() == 0)
        QSKIP("root can write into every folder, so Scriba.ini stays beside the program");
    QTemporaryDir folder;
    const QString bin = folder.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkdir(bin));
    QVERIFY(QFile::copy(QStringLiteral(SCRIBA_EXECUTABLE), bin + "/scriba"));
    QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString config = folder.filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(config + "/" + iniFolder));
    WriteFile(config + "/" + iniFolder + "/Scriba.ini", "[keyword_style]\r\ncolor = 1, 2, 3\r\n[/keyword_style]\r\n");
    WriteFile(folder.filePath(QStringLiteral("a.lua")), kScript);
    QProcess scriba;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    scriba.setProcessEnvironment(environment);
    scriba.start(bin + "/scriba", {"--export-html", folder.filePath(QStringLiteral("a.lua")), "-o", "-"});
    QVERIFY(scriba.waitForFinished(30000));
    QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(scriba.exitCode(), 0);
    QVERIFY(scriba.readAllStandardOutput().contains(".keyword { color: #010203;"));
    QVERIFY(scriba.readAllStandardError().isEmpty());
    QVERIFY(QFileInfo::exists(config + "/Scriba/Scriba.ini"));
}

void ExportTest::commandLineReportsUnreadableFile()
{
    QTemporaryDir folder;
    QCOMPARE(RunExportCommand({"--export-html", folder.filePath("missing.lua")}, folder.filePath("Scriba.ini")), 1);
    QCOMPARE(RunExportCommand({"--export-html"}, folder.filePath("Scriba.ini")), 2);
}

void ExportTest::commandLineRefusesWhatItWouldDrop_data()
{
    // The arguments after --export-html; nothing may be written for any of them.
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("-o without a name") << QStringList{"a.lua", "-o"};
    QTest::newRow("a second script") << QStringList{"a.lua", "b.lua"};
    QTest::newRow("a second script after -o") << QStringList{"a.lua", "-o", "out.html", "b.lua"};
    QTest::newRow("a second script before -o") << QStringList{"a.lua", "b.lua", "-o", "out.html"};
    QTest::newRow("-o given twice") << QStringList{"a.lua", "-o", "out.html", "-o", "b.html"};
    QTest::newRow("an unknown option") << QStringList{"a.lua", "--bogus"};
}

void ExportTest::commandLineRefusesWhatItWouldDrop()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir folder;
    QVERIFY(QDir::setCurrent(folder.path()));
    WriteFile(QStringLiteral("a.lua"), kScript);
    WriteFile(QStringLiteral("b.lua"), kScript);
    QCOMPARE(RunExportCommand(QStringList{"--export-html"} + arguments, folder.filePath("Scriba.ini")), 2);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), (QStringList{"a.lua", "b.lua"}));
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
}

QTEST_MAIN(ExportTest)
#include "export_test.moc"
