// The profile and "Scriba.ini" as the program writes them: never through a link planted under
// their names, never into a folder that others may write to; there the settings last the
// session, and the window says why once.
#include "guitestsupport.h"

#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include <sys/stat.h>

namespace {

int PromptsMentioning(AppFixture &fixture, const QString &words)
{
    int count = 0;
    for (const Prompt &prompt : fixture.Prompts().asked)
        count += prompt.text.contains(words) ? 1 : 0;
    return count;
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void linksPlantedInPlaceOfTheFilesAreReplacedNotWrittenThrough();
    void aFolderOthersMayWriteKeepsTheSettingsForTheSessionAndIsNamedOnce();
};

void SettingsStoreTest::linksPlantedInPlaceOfTheFilesAreReplacedNotWrittenThrough()
{
    AppFixture fixture;
    QVERIFY(fixture.Started());
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("only-root-may-read"));
    WriteFile(victim, "secret\n");
    const QString profile = fixture.FilePath(QStringLiteral("profile.ini"));
    QFile::remove(profile);
    QVERIFY(QFile::link(victim, profile));
    QVERIFY(QFile::link(victim, fixture.IniPath()));

    fixture.App().SetScriptChecking(false);
    fixture.App().AddToRecentFileList(fixture.FilePath(QStringLiteral("a.lua")));
    QCOMPARE(fixture.Exit(), 0);

    QCOMPARE(ReadFile(victim), QByteArray("secret\n"));
    for (const QString &path : {profile, fixture.IniPath()}) {
        QVERIFY2(!QFileInfo(path).isSymLink(), qPrintable(path));
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    }
    QSettings written(profile, QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("Settings/CheckScripts")).toBool(), false);
    QCOMPARE(written.value(QStringLiteral("Recent File List/File1")).toString(), fixture.FilePath(QStringLiteral("a.lua")));
    QVERIFY(ReadFile(fixture.IniPath()).contains("[tarn_lua_functions]"));
    QCOMPARE(PromptsMentioning(fixture, QStringLiteral("cannot keep")), 0);
}

void SettingsStoreTest::aFolderOthersMayWriteKeepsTheSettingsForTheSessionAndIsNamedOnce()
{
    AppFixture fixture;
    QVERIFY(fixture.Started());
    const QByteArray folderName = QFile::encodeName(QFileInfo(fixture.IniPath()).absolutePath());
    QCOMPARE(chmod(folderName.constData(), 0777), 0);
    const auto restore = qScopeGuard([&folderName] { chmod(folderName.constData(), 0700); });
    const QString profile = fixture.FilePath(QStringLiteral("profile.ini"));
    const QByteArray before = QFileInfo::exists(profile) ? ReadFile(profile) : QByteArray();

    const QString a = fixture.FilePath(QStringLiteral("a.lua"));
    const QString b = fixture.FilePath(QStringLiteral("b.lua"));
    fixture.App().AddToRecentFileList(a);
    QTRY_COMPARE(PromptsMentioning(fixture, QStringLiteral("Scriba cannot keep its settings")), 1);
    QVERIFY(fixture.Prompts().asked.last().text.contains(QStringLiteral("may be written by other users")));
    fixture.App().SetScriptChecking(false);
    fixture.App().AddToRecentFileList(b);
    QCoreApplication::processEvents();
    QCOMPARE(PromptsMentioning(fixture, QStringLiteral("Scriba cannot keep its settings")), 1);
    QCOMPARE(fixture.App().RecentFiles(), QStringList({b, a}));
    QCOMPARE(fixture.App().OpenProfile()->value(QStringLiteral("Settings/CheckScripts")).toBool(), false);

    fixture.Exit();
    QCOMPARE(QFileInfo::exists(profile) ? ReadFile(profile) : QByteArray(), before);
    QVERIFY2(!QFileInfo::exists(fixture.IniPath()), "nor is Scriba.ini written there");
    QCOMPARE(PromptsMentioning(fixture, QStringLiteral("Could not write the configuration file")), 1);
}

QTEST_MAIN(SettingsStoreTest)
#include "settingsstore_test.moc"
