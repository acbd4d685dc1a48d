// Export as HTML, from the File menu and from the command line: the page shows the colours the
// screen shows.
#include "guitestsupport.h"

#include "app/exportcommand.h"
#include "doc/scribadoc.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

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
}

void ExportTest::commandLineReportsUnreadableFile()
{
    QTemporaryDir folder;
    QCOMPARE(RunExportCommand({"--export-html", folder.filePath("missing.lua")}, folder.filePath("Scriba.ini")), 1);
    QCOMPARE(RunExportCommand({"--export-html"}, folder.filePath("Scriba.ini")), 2);
}

QTEST_MAIN(ExportTest)
#include "export_test.moc"
