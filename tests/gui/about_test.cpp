// The About box and its hyperlink labels: colours, hovering, opening a link and every way that
// can fail, the fit to the text, and the box's keys and commands.
#include "guitestsupport.h"

#include "about/aboutbox.h"
#include "about/linkerror.h"
#include "about/linklabel.h"
#include "about/linkopener.h"
#include "app/commandline.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

const QString kTarget = QStringLiteral("https://example.org/page");

// Opens links the way each test wants and records what was asked of it.
class FakeOpener : public LinkOpener {
public:
    bool OpenUrl(const QUrl &url) override
    {
        urls.append(url);
        return urlOpens;
    }
    QString HtmlHandlerExec() override { return exec; }
    int StartDetached(const QStringList &arguments) override
    {
        started.append(arguments);
        return startCode;
    }

    bool urlOpens = true;
    QString exec;
    int startCode = kLinkOpened;
    QList<QUrl> urls;
    QList<QStringList> started;
};

// A link on a shown window, with its own opener and prompter.
struct ShownLink {
    explicit ShownLink(const QString &caption = QStringLiteral("Docs"), const QString &target = kTarget)
        : link(new CLinkLabel(caption, target, opener, prompter, &window))
    {
        window.show();
    }

    FakeOpener opener;
    ScriptedPrompter prompter;
    QWidget window;
    CLinkLabel *link;
};

void MovePointer(QWidget *widget, const QPoint &pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetProgramState(); }
    void captionAndTargetStandInForEachOther_data();
    void captionAndTargetStandInForEachOther();
    void hoverUnderlinesUntilTheTimerFindsThePointerGone_data();
    void hoverUnderlinesUntilTheTimerFindsThePointerGone();
    void successfulClickTurnsTheLinkVisited_data();
    void successfulClickTurnsTheLinkVisited();
    void failedOpenIsReported_data();
    void failedOpenIsReported();
    void startingTheProgramTellsWhyItFailed_data();
    void startingTheProgramTellsWhyItFailed();
    void fitKeepsTheAlignedEdge_data();
    void fitKeepsTheAlignedEdge();
    void boxOpensTwiceWithUnvisitedLinks();
    void keysCloseTheBoxOrOpenTheLink_data();
    void keysCloseTheBoxOrOpenTheLink();
    void aboutCommandOpensTheBox_data();
    void aboutCommandOpensTheBox();
};

void AboutTest::captionAndTargetStandInForEachOther_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<QString>("usedTarget");
    QTest::newRow("both") << "Docs" << kTarget << "Docs" << kTarget;
    QTest::newRow("caption only") << kTarget << QString() << kTarget << kTarget;
    QTest::newRow("target only") << QString() << kTarget << kTarget << kTarget;
    QTest::newRow("markup shown as text") << "<b>x</b>" << kTarget << "<b>x</b>" << kTarget;
}

void AboutTest::captionAndTargetStandInForEachOther()
{
    QFETCH(QString, caption);
    QFETCH(QString, target);
    QFETCH(QString, shownText);
    QFETCH(QString, usedTarget);
    ShownLink shown(caption, target);
    CLinkLabel *link = shown.link;
    QCOMPARE(link->text(), shownText);
    QCOMPARE(link->textFormat(), Qt::PlainText);
    QCOMPARE(link->Target(), usedTarget);
    QCOMPARE(link->toolTip(), usedTarget);
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(link->TextColour(), QColor(0, 0, 238));
    link->SetTarget(QStringLiteral("https://example.org/other"));
    QCOMPARE(link->toolTip(), QStringLiteral("https://example.org/other"));
}

void AboutTest::hoverUnderlinesUntilTheTimerFindsThePointerGone_data()
{
    QTest::addColumn<bool>("visited");
    QTest::addColumn<QColor>("restColour");
    QTest::newRow("unvisited") << false << QColor(0, 0, 238);
    QTest::newRow("visited") << true << QColor(85, 26, 139);
}

void AboutTest::hoverUnderlinesUntilTheTimerFindsThePointerGone()
{
    QFETCH(bool, visited);
    QFETCH(QColor, restColour);
    ShownLink shown;
    CLinkLabel *link = shown.link;
    link->SetVisited(visited);
    QCOMPARE(link->palette().color(QPalette::WindowText), restColour);

    MovePointer(link, QPoint(2, 2));
    QVERIFY(link->IsHovering());
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(link->HoverTimerActive());

    link->CheckHover(link->mapToGlobal(QPoint(1, 1)));
    QVERIFY(link->IsHovering());
    link->CheckHover(link->mapToGlobal(QPoint(link->width() + 5, 1)));
    QVERIFY(!link->IsHovering());
    QVERIFY(!link->font().underline());
    QVERIFY(!link->HoverTimerActive());
    QCOMPARE(link->palette().color(QPalette::WindowText), restColour);
}

void AboutTest::successfulClickTurnsTheLinkVisited_data()
{
    QTest::addColumn<bool>("urlOpens");
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("started");
    QTest::newRow("desktop opens it") << true << QString() << QStringList();
    QTest::newRow("web page program") << false << QStringLiteral("browser --new-window \"%u\"")
                                      << QStringList{QStringLiteral("browser"), QStringLiteral("--new-window"), kTarget};
}

void AboutTest::successfulClickTurnsTheLinkVisited()
{
    QFETCH(bool, urlOpens);
    QFETCH(QString, exec);
    QFETCH(QStringList, started);
    ShownLink shown;
    CLinkLabel *link = shown.link;
    shown.opener.urlOpens = urlOpens;
    shown.opener.exec = exec;
    MovePointer(link, QPoint(2, 2));
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(shown.opener.urls, QList<QUrl>{QUrl(kTarget)});
    QCOMPARE(shown.opener.started, started.isEmpty() ? QList<QStringList>() : QList<QStringList>{started});
    QVERIFY(shown.prompter.asked.isEmpty());
    QVERIFY(link->IsVisited());
    // The click ends hovering at once; the underline waits for the timer.
    QVERIFY(!link->IsHovering());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(85, 26, 139));
    QVERIFY(link->font().underline());
}

void AboutTest::failedOpenIsReported_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<int>("startCode");
    QTest::addColumn<QString>("text");
    const QString noAssociation = QStringLiteral("There is no application associated\nwith the given filename extension.");
    QTest::newRow("no web page program") << QString() << 0 << noAssociation;
    QTest::newRow("unusable Exec line") << QStringLiteral("\"browser %u") << 0 << noAssociation;
    QTest::newRow("command line too long") << QStringLiteral("browser ") + QString(600, QLatin1Char('x')) << 0
                                           << noAssociation;
    QTest::newRow("program missing") << QStringLiteral("browser %u") << int(kLinkFileNotFound)
                                     << QStringLiteral("The specified file was not found.");
    QTest::newRow("program not allowed") << QStringLiteral("browser %u") << int(kLinkAccessDenied)
                                         << QStringLiteral("The operating system denied\naccess to the specified file.");
    QTest::newRow("program would not start") << QStringLiteral("browser %u") << int(kLinkStartFailed)
                                             << QStringLiteral("Unknown Error (1) occurred.");
}

void AboutTest::failedOpenIsReported()
{
    QFETCH(QString, exec);
    QFETCH(int, startCode);
    QFETCH(QString, text);
    ShownLink shown;
    CLinkLabel *link = shown.link;
    shown.opener.urlOpens = false;
    shown.opener.exec = exec;
    shown.opener.startCode = startCode;
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(shown.prompter.asked.size(), 1);
    const Prompt &message = shown.prompter.asked.first();
    QCOMPARE(message.caption, QStringLiteral("Scriba"));
    QCOMPARE(message.text, QStringLiteral("Unable to open hyperlink:\n\n") + text);
    QCOMPARE(message.icon, QMessageBox::Warning);
    QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!link->IsVisited());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 238));
}

void AboutTest::startingTheProgramTellsWhyItFailed_data()
{
    QTest::addColumn<QString>("program"); // %dir: a folder on PATH holding "plain" (not executable) and "sub/"
    QTest::addColumn<int>("code");
    QTest::newRow("missing path") << "/no-such-folder/browser" << int(kLinkFileNotFound);
    QTest::newRow("missing on PATH") << "scriba-no-such-browser" << int(kLinkFileNotFound);
    QTest::newRow("not executable") << "%dir/plain" << int(kLinkAccessDenied);
    QTest::newRow("not executable on PATH") << "plain" << int(kLinkAccessDenied);
    QTest::newRow("folder") << "%dir/sub" << int(kLinkAccessDenied);
    QTest::newRow("started") << "true" << int(kLinkOpened);
}

void AboutTest::startingTheProgramTellsWhyItFailed()
{
    QFETCH(QString, program);
    QFETCH(int, code);
    QTemporaryDir folder;
    WriteFile(folder.filePath(QStringLiteral("plain")), "#!/bin/sh\n");
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(folder.path()) + ':' + path);
    const int started = LinkOpener().StartDetached({program.replace(QStringLiteral("%dir"), folder.path()), kTarget});
    qputenv("PATH", path);
    QCOMPARE(started, code);
}

void AboutTest::fitKeepsTheAlignedEdge_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("keptX"); // the x that stays: left edge, centre or right edge
    QTest::addColumn<int>("keptY");
    QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop) << 10 << 20;
    QTest::newRow("centred") << int(Qt::AlignCenter) << 160 << 40;
    QTest::newRow("right, top") << int(Qt::AlignRight | Qt::AlignTop) << 309 << 20;
}

void AboutTest::fitKeepsTheAlignedEdge()
{
    QFETCH(int, alignment);
    QFETCH(int, keptX);
    QFETCH(int, keptY);
    ShownLink shown(QStringLiteral("Docs and more"));
    CLinkLabel *link = shown.link;
    link->setAlignment(Qt::Alignment(alignment));
    link->setGeometry(10, 20, 300, 40);
    link->PositionWindow();
    const QRect fit = link->geometry();
    const int textWidth = link->fontMetrics().horizontalAdvance(link->text());
    QVERIFY2(fit.width() >= textWidth && fit.width() <= textWidth + 2, qPrintable(QString::number(fit.width())));
    QVERIFY(fit.height() < 40);
    const int x = alignment & Qt::AlignHCenter ? fit.center().x() : alignment & Qt::AlignRight ? fit.right() : fit.left();
    const int y = alignment & Qt::AlignVCenter ? fit.center().y() : fit.top();
    QVERIFY2(qAbs(x - keptX) <= 1 && qAbs(y - keptY) <= 1, qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));

    link->SetAutoSize(false);
    link->setGeometry(10, 20, 300, 40);
    link->PositionWindow();
    QCOMPARE(link->geometry(), QRect(10, 20, 300, 40));
}

void AboutTest::boxOpensTwiceWithUnvisitedLinks()
{
    FakeOpener opener;
    ScriptedPrompter prompter;
    for (int showing = 0; showing < 2; ++showing) {
        CAboutBox box(opener, prompter);
        box.show();
        QSet<QString> targets;
        for (CLinkLabel *link : box.Links()) {
            QVERIFY(!link->IsVisited());
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 238));
            QVERIFY(link->Target().startsWith(QStringLiteral("https://")));
            QVERIFY(link->text().contains(QStringLiteral(" by ")));
            targets.insert(link->Target());
        }
        QCOMPARE(targets.size(), int(CAboutBox::kLinkCount));
        CLinkLabel *first = box.Links().front();
        QTest::mouseClick(first, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QVERIFY(first->IsVisited());
        QVERIFY(box.isVisible());
    }
    QCOMPARE(opener.urls.size(), 2);
}

void AboutTest::keysCloseTheBoxOrOpenTheLink_data()
{
    QTest::addColumn<bool>("onLink");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter") << false << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter") << false << int(Qt::Key_Enter) << true;
    QTest::newRow("Esc") << false << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter on a link") << true << int(Qt::Key_Return) << true;
    QTest::newRow("Esc on a link") << true << int(Qt::Key_Escape) << true;
    QTest::newRow("Space on a link") << true << int(Qt::Key_Space) << false;
}

void AboutTest::keysCloseTheBoxOrOpenTheLink()
{
    QFETCH(bool, onLink);
    QFETCH(int, key);
    QFETCH(bool, closes);
    FakeOpener opener;
    ScriptedPrompter prompter;
    CAboutBox box(opener, prompter);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QWidget *focus = box.focusWidget();
    QVERIFY(qobject_cast<QPushButton *>(focus));
    QCOMPARE(qobject_cast<QPushButton *>(focus)->text(), QStringLiteral("&Close"));
    QCOMPARE(AccessKeyProblems(&box), QStringList());
    if (onLink) {
        box.Links().back()->setFocus();
        focus = box.Links().back();
    }
    QTest::keyClick(focus, Qt::Key(key));
    QCOMPARE(box.isVisible(), !closes);
    QCOMPARE(box.Links().back()->IsVisited(), !closes);
}

void AboutTest::aboutCommandOpensTheBox_data()
{
    QTest::addColumn<bool>("withDocument");
    QTest::addColumn<QString>("menuText");
    QTest::newRow("Help menu, no document") << false << "&About Scriba...";
    QTest::newRow("Help menu, with a document") << true << "&About Scriba...";
}

void AboutTest::aboutCommandOpensTheBox()
{
    QFETCH(bool, withDocument);
    QFETCH(QString, menuText);
    AppFixture fixture;
    if (!withDocument)
        fixture.App().CloseAllDocuments();
    fixture.Update();
    CMainFrame *frame = fixture.App().MainFrame();
    QCOMPARE(frame->ShowsDocumentMenu(), withDocument);
    QAction *about = nullptr;
    for (QAction *item : frame->menuBar()->actions()) {
        const QList<QAction *> entries = item->menu() ? item->menu()->actions() : QList<QAction *>{item};
        for (QAction *entry : entries)
            if (entry->text() == menuText)
                about = entry;
    }
    QVERIFY(about);
    QVERIFY(about->isEnabled());

    bool shown = false;
    QString version;
    QTimer::singleShot(0, frame, [&shown, &version] {
        auto *box = qobject_cast<CAboutBox *>(QApplication::activeModalWidget());
        shown = box && box->windowTitle() == QStringLiteral("About Scriba");
        if (box) {
            version = box->findChild<QGroupBox *>()->title();
            box->reject();
        }
    });
    about->trigger();
    QVERIFY(shown);
    // The box and "scriba --version" name the same version.
    QCOMPARE(version, QStringLiteral("Scriba Version ") + VersionText().section(QLatin1Char(' '), 1).trimmed());
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(AboutTest)
#include "about_test.moc"
