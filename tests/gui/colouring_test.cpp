// Colouring in the live view: what each edit recolours, and that the styles after any sequence
// of edits equal a fresh colouring of the whole text.
#include "guitestsupport.h"

#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/colourer.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QTest>

#include <cctype>

namespace {

// The styles of [start, end) in one call.
std::vector<std::uint8_t> StylesIn(CScribaView *view, long start, long end)
{
    std::vector<char> pairs(std::size_t(2 * (end - start) + 2));
    view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, start, end, pairs.data());
    std::vector<std::uint8_t> styles(std::size_t(end - start));
    for (std::size_t i = 0; i < styles.size(); ++i)
        styles[i] = std::uint8_t(pairs[2 * i + 1]);
    return styles;
}

// "if{3} x{0}" style: the text with each style change marked, for readable failures.
QString Marked(const QByteArray &text, const std::vector<std::uint8_t> &styles)
{
    QString out;
    int last = -1;
    for (int i = 0; i < text.size(); ++i) {
        if (styles[std::size_t(i)] != last)
            out += QStringLiteral("{%1}").arg(styles[std::size_t(i)]);
        last = styles[std::size_t(i)];
        out += QChar(uchar(text[i]));
    }
    return out;
}

// Types each character as a key of its own, non-ASCII ones included.
void Type(CScribaView *view, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void Load(AppFixture &fixture, const QByteArray &bytes)
{
    fixture.App().CloseAllDocuments();
    QVERIFY(OpenScript(fixture, QStringLiteral("sample.lua"), bytes));
}

} // namespace

class ColouringTest : public QObject {
    Q_OBJECT

private slots:
    void typedLineIsColouredByToken();
    void typingRecoloursOnlyItsLine();
    void colouringStaysOutOfUndoAndModifiedFlag();
    void syntaxHighlightingOffPaintsPlain();
    void bigTextIsColouredInTheBackground();
    void paintedLinesAreColouredFirstWhateverTheEdits();
    void stylesAskedForOutOfViewAreColouredInFull();
    void bigChangeIsColouredAsABigTextIs();
    void caretStaysSteadyOnLongLines();
    void longRunsAlternateWithTwinsThatLookTheSame_data();
    void longRunsAlternateWithTwinsThatLookTheSame();
    void randomEditsKeepColoursEqualToAFreshColouring_data();
    void randomEditsKeepColoursEqualToAFreshColouring();
    void textAfterAByteOrderMarkIsColouredAsUsual();
};

void ColouringTest::typedLineIsColouredByToken()
{
    AppFixture fixture;
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "if x then return 1 end -- done");
    QCOMPARE(Marked(TextOf(view), StylesOf(view)),
             QStringLiteral("{3}if{0} x {3}then{0} {3}return{0} {4}1{0} {3}end{0} {1}-- done"));
}

void ColouringTest::typingRecoloursOnlyItsLine()
{
    AppFixture fixture;
    Load(fixture, "a = 1\nb = 2\n");
    CScribaView *view = fixture.ActiveView();
    // Paint the second line by hand; an edit on the first line must leave it alone.
    view->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, 6, 0xFF);
    view->SendScintilla(QsciScintillaBase::SCI_SETSTYLING, 5, 6);
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 5);
    QTest::keyClicks(view, "2");
    const std::vector<std::uint8_t> styles = StylesOf(view);
    QCOMPARE(Marked(TextOf(view), styles), QStringLiteral("{0}a {5}={0} {4}12{0}\n{6}b = 2{0}\n"));
}

void ColouringTest::colouringStaysOutOfUndoAndModifiedFlag()
{
    AppFixture fixture;
    CScribaDoc *document = fixture.ActiveDocument();
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "x");
    view->OnEditUndo();
    QVERIFY(!view->CanUndo());
    QVERIFY(!document->IsModified());
    view->RecolourAll();
    QVERIFY(!document->IsModified());
    QTest::keyClicks(view, "y");
    view->RecolourAll();
    QVERIFY(document->IsModified());
}

void ColouringTest::syntaxHighlightingOffPaintsPlain()
{
    AppFixture fixture;
    CScribaView *view = fixture.ActiveView();
    QTest::keyClicks(view, "while true do end");
    Settings::Global().options.syntaxhighlighting = 0;
    fixture.App().ApplySettingsToViews();
    QTest::keyClicks(view, " -- x");
    for (std::uint8_t style : StylesOf(view))
        QCOMPARE(style, kPlainStyle);
    Settings::Global().options.syntaxhighlighting = 1;
    fixture.App().ApplySettingsToViews();
    QCOMPARE(StylesOf(view), FreshStyles(TextOf(view)));
}

void ColouringTest::bigTextIsColouredInTheBackground()
{
    AppFixture fixture;
    QByteArray big;
    const QByteArray line("tg_addpoint(1, 2.5) -- point\nlocal s = 'text' if x then end\n");
    while (big.size() < (6 << 20))
        big += line;
    Load(fixture, big);
    CScribaView *view = fixture.ActiveView();
    QVERIFY(view->IsBackgroundColouring());
    // The start is coloured at once; the end is not yet.
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, 0), long(StyleNumber(StyleKind::Function)));
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(big.size() - 4)), long(kPlainStyle));
    // Edits before and after the point the background has reached.
    view->ContinueBackgroundColouring();
    view->SendScintilla(QsciScintillaBase::SCI_SETSEL, 10, 200);
    view->OnEditCut();
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 3 << 20);
    Type(view, QStringLiteral("--\"'"));
    while (view->ContinueBackgroundColouring())
        ;
    const QByteArray text = TextOf(view);
    QVERIFY(StylesOf(view) == FreshStyles(text));
}

void ColouringTest::paintedLinesAreColouredFirstWhateverTheEdits()
{
    // A text coloured in the background: whatever is painted must be coloured exactly, wherever
    // the view shows it and whatever was edited before, in view or out of it; at the end the
    // whole text must equal a fresh colouring.
    AppFixture fixture;
    QByteArray big;
    const QByteArray lines("tg_addpoint(1, 2.5) -- point\r\nlocal s = 'text' if x then end\n\"open\n");
    while (big.size() < (16 << 20)) // more than two idle-time slices colour
        big += lines;
    Load(fixture, big);
    CScribaView *view = fixture.ActiveView();
    QVERIFY(view->IsBackgroundColouring());
    QRandomGenerator random(20261208);
    const QStringList pieces = {"--", "\"", "x\n-- y", "\r\n", "if ", "'a\nb'", "1e5"};
    auto send = [view](unsigned int message, long a = 0, long b = 0) {
        return view->SendScintilla(message, static_cast<unsigned long>(a), b);
    };
    int step = 0;
    for (; step < 300 && view->IsBackgroundColouring(); ++step) {
        send(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, random.bounded(int(send(QsciScintillaBase::SCI_GETLINECOUNT))));
        view->viewport()->repaint();
        const long first = send(QsciScintillaBase::SCI_POSITIONFROMLINE, send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
        long last = send(QsciScintillaBase::SCI_POSITIONFROMLINE,
                         send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE) + send(QsciScintillaBase::SCI_LINESONSCREEN));
        last = last < 0 ? long(view->TextLength()) : last;
        const QByteArray shown(view->TextPointer() + first, last - first);
        QVERIFY2(StylesIn(view, first, last) == FreshStyles(shown), qPrintable(QStringLiteral("step %1").arg(step)));
        // An edit anywhere: in view half of the time.
        const long length = long(view->TextLength());
        const long at = random.bounded(2) ? first + random.bounded(int(last - first)) : random.bounded(int(length));
        send(QsciScintillaBase::SCI_SETSEL, at, std::min(length, at + random.bounded(3) * random.bounded(200)));
        switch (random.bounded(4)) {
        case 0:
            Type(view, QString(pieces[random.bounded(int(pieces.size()))]).remove(u'\n'));
            break;
        case 1:
            QApplication::clipboard()->setText(pieces[random.bounded(int(pieces.size()))]);
            view->OnEditPaste();
            break;
        case 2:
            QTest::keyClick(view, Qt::Key_Backspace);
            break;
        default:
            view->OnEditUndo();
            break;
        }
        if (step % 100 == 99) // idle time, twice
            view->ContinueBackgroundColouring();
    }
    QVERIFY2(step >= 200, qPrintable(QString::number(step)));
    while (view->ContinueBackgroundColouring())
        ;
    const QByteArray text = TextOf(view);
    QVERIFY(StylesIn(view, 0, long(text.size())) == FreshStyles(text));
}

void ColouringTest::stylesAskedForOutOfViewAreColouredInFull()
{
    // Printing asks for the styles of pages wherever the view is: all of them are coloured.
    AppFixture fixture;
    QByteArray big;
    while (big.size() < (3 << 20))
        big += "tg_addpoint(1, 2.5) -- point\n";
    Load(fixture, big);
    CScribaView *view = fixture.ActiveView();
    view->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 50000UL);
    view->viewport()->repaint();
    const long end = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 30000UL);
    view->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, end);
    QVERIFY(StylesIn(view, 0, end) == FreshStyles(big.left(end)));
    QVERIFY(view->IsBackgroundColouring());
    view->FinishColouring();
    QVERIFY(!view->IsBackgroundColouring());
    QVERIFY(StylesIn(view, 0, long(big.size())) == FreshStyles(big));
}

void ColouringTest::bigChangeIsColouredAsABigTextIs()
{
    // A paste of megabytes into a big text coloured in part: the lines in view at once, the
    // rest while idle, and nothing that was coloured before needs colouring again.
    AppFixture fixture;
    QByteArray big;
    while (big.size() < (8 << 20))
        big += "tg_addpoint(1, 2.5) -- point\nlocal s = 'text'\n";
    Load(fixture, big);
    CScribaView *view = fixture.ActiveView();
    for (unsigned long line : {100000UL, 300000UL}) { // coloured ahead of the background
        view->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, line);
        view->viewport()->repaint();
    }
    view->ContinueBackgroundColouring();
    QByteArray pasted;
    while (pasted.size() < (2 << 20))
        pasted += "if x then end \"s\"\n";
    QApplication::clipboard()->setText(QString::fromLatin1(pasted));
    // Into text coloured ahead of the background, and into text it has coloured.
    for (unsigned long line : {300010UL, 1000UL}) {
        view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line));
        view->OnEditPaste();
    }
    QVERIFY(view->IsBackgroundColouring());
    const long first = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                           view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
    const long last = first + 200;
    QVERIFY(StylesIn(view, first, last) == FreshStyles(QByteArray(view->TextPointer() + first, last - first)));
    view->FinishColouring();
    const QByteArray text = TextOf(view);
    QVERIFY(StylesIn(view, 0, long(text.size())) == FreshStyles(text));
}

void ColouringTest::caretStaysSteadyOnLongLines()
{
    // Its blink would repaint a line of megabytes twice a second.
    AppFixture fixture;
    Load(fixture, "x = 1\n" + QByteArray(100000, 'y') + "\n");
    CScribaView *view = fixture.ActiveView();
    const long blink = view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD);
    QVERIFY(blink > 0);
    for (unsigned long position : {10UL, 3UL, 100000UL, 0UL}) {
        view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, position);
        QCoreApplication::processEvents();
        QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD), position > 5 ? 0L : blink);
    }
}

void ColouringTest::longRunsAlternateWithTwinsThatLookTheSame_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("highlighting");
    QTest::addColumn<bool>("longLine"); // every run of 8 bytes or more is cut into words
    const QByteArray wide = QString(3000, QChar(0xE9)).toUtf8();
    QTest::newRow("comment") << "x = 1\n-- " + QByteArray(9000, 'c') + "\nend\n" << true << false;
    QTest::newRow("string of two-byte characters") << "s = \"" + wide + "\"\n" << true << false;
    QTest::newRow("blanks") << "if" + QByteArray(5000, ' ') + "then\n" << true << false;
    QTest::newRow("comment of words") << "-- " + QByteArray("head = tg_addpoint(x, 2.5) well_rate ").repeated(300) + "\n"
                                      << true << false;
    QTest::newRow("highlighting off") << "x = 1 -- " + wide + "\n" << false << false;
    // Strings, and names with the blanks around them, on a line over 64 KB.
    QTest::newRow("code on a long line")
        << "x = 1 " + QByteArray("s = \"head at each node\" .. y;                                t = 2 ").repeated(1200) +
               "\nx = \"a short line\"\n"
        << true << true;
}

void ColouringTest::longRunsAlternateWithTwinsThatLookTheSame()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, highlighting);
    QFETCH(bool, longLine);
    Settings::Global().options.syntaxhighlighting = highlighting ? 1 : 0;
    AppFixture fixture;
    Load(fixture, text);
    CScribaView *view = fixture.ActiveView();
    const std::vector<std::uint8_t> styles = StylesIn(view, 0, long(text.size()));
    std::vector<std::uint8_t> folded;
    for (std::uint8_t style : styles)
        folded.push_back(CColourer::Folded(style));
    const std::vector<std::uint8_t> fresh = FreshStyles(text);
    Settings::Global().options.syntaxhighlighting = 1;
    QCOMPARE(Marked(text, folded), Marked(text, fresh));
    // Long runs are cut into pieces short enough for Scintilla to keep their widths (under 30
    // bytes), never inside a character, and inside a word only when it is that long.
    auto isWordByte = [](char c) { return uchar(c) >= 0x80 || c == '_' || std::isalnum(uchar(c)); };
    std::size_t run = 1, twins = 0;
    const std::size_t firstLineEnd = std::size_t(text.indexOf('\n'));
    auto oneKindOfBytes = [&](std::size_t end) {
        for (std::size_t i = end - run + 1; i < end; ++i)
            if (isWordByte(text[int(i)]) != isWordByte(text[int(i - 1)]))
                return false;
        return true;
    };
    for (std::size_t i = 1; i < styles.size(); ++i) {
        twins += (styles[i] & CColourer::kTwinStyle) != 0;
        if (styles[i] == styles[i - 1]) {
            QVERIFY2(++run < 30, qPrintable(QString::number(i)));
        } else {
            if (longLine && i <= firstLineEnd && run >= 8)
                QVERIFY2(oneKindOfBytes(i), qPrintable(QString::number(i)));
            QVERIFY2((uchar(text[int(i)]) & 0xC0) != 0x80, qPrintable(QString::number(i)));
            if (CColourer::Folded(styles[i]) == CColourer::Folded(styles[i - 1]) && isWordByte(text[int(i)]) &&
                isWordByte(text[int(i - 1)]))
                QVERIFY2(run >= 24, qPrintable(QString::number(i)));
            run = 1;
        }
    }
    QVERIFY(twins > 1000);
    // Twins look the same.
    for (unsigned long style = 0; style < CColourer::kTwinStyle; ++style) {
        const unsigned long twin = style | CColourer::kTwinStyle;
        for (unsigned int attribute : {QsciScintillaBase::SCI_STYLEGETFORE, QsciScintillaBase::SCI_STYLEGETBACK,
                                       QsciScintillaBase::SCI_STYLEGETBOLD, QsciScintillaBase::SCI_STYLEGETITALIC,
                                       QsciScintillaBase::SCI_STYLEGETUNDERLINE, QsciScintillaBase::SCI_STYLEGETSIZE})
            QCOMPARE(view->SendScintilla(attribute, twin), view->SendScintilla(attribute, style));
    }
}

void ColouringTest::textAfterAByteOrderMarkIsColouredAsUsual()
{
    AppFixture fixture;
    const QByteArray text("\xEF\xBB\xBFlocal x = 1\n");
    Load(fixture, text);
    CScribaView *view = fixture.ActiveView();
    QCOMPARE(TextOf(view), text);
    const std::vector<std::uint8_t> styles = StylesOf(view);
    QCOMPARE(Marked(text.mid(3), std::vector<std::uint8_t>(styles.begin() + 3, styles.end())),
             QStringLiteral("{3}local{0} x {5}={0} {4}1{0}\n"));
    // The mark is the file's: saving writes it back as it was.
    view->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClicks(view, "y");
    QVERIFY(fixture.ActiveDocument()->DoFileSave());
    QCOMPARE(ReadFile(fixture.FilePath(QStringLiteral("sample.lua"))), text + "y");
}

void ColouringTest::randomEditsKeepColoursEqualToAFreshColouring_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("LF") << QByteArray("local a = \"x\" -- c\nif a then\n  tg_addpoint(1, 2.5e3)\nend\n");
    QTest::newRow("CR LF") << QByteArray("local a = 'y'\r\n-- note\r\nwhile b do\r\n  b = b - 1\r\nend\r\n");
    QTest::newRow("mixed") << QByteArray("x = \"s\r-- c\nreturn 1\r\nfor i = 1, 9 do\rend");
}

void ColouringTest::randomEditsKeepColoursEqualToAFreshColouring()
{
    QFETCH(QByteArray, start);
    AppFixture fixture;
    Load(fixture, start);
    CScribaView *view = fixture.ActiveView();
    QRandomGenerator random(20261207);
    const QStringList snippets = {"-", "--", "\"", "'", "if ", "end", "1.5e", "3", "tg_addpoint", "(",
                                  ",", " ", "x", "\r", "\n", "\r\n", "then\n", QStringLiteral("\u00e9")};
    auto randomPosition = [&] { return int(random.bounded(int(view->TextLength()) + 1)); };
    int stepsOnLongText = 0;
    for (int step = 0; step < 3000; ++step) {
        const int op = int(random.bounded(9));
        view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, randomPosition());
        switch (op) {
        case 0: // typing
            Type(view, QString(snippets[int(random.bounded(int(snippets.size())))]).remove(u'\r').remove(u'\n'));
            break;
        case 1: // a line break typed, or a foreign one inserted as it stands
            if (random.bounded(2))
                QTest::keyClick(view, Qt::Key_Return);
            else
            {
                // From outside the view's handlers: coloured on the event loop's next turn.
                view->SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, random.bounded(2) ? "\r" : "\r\n");
                QCoreApplication::processEvents();
            }
            break;
        case 2:
            QTest::keyClick(view, Qt::Key_Backspace);
            break;
        case 3:
            QTest::keyClick(view, Qt::Key_Delete);
            break;
        case 4: { // cut a selection
            const int a = randomPosition();
            view->SendScintilla(QsciScintillaBase::SCI_SETSEL, a, std::min<int>(a + int(random.bounded(30)), int(view->TextLength())));
            view->OnEditCut();
            break;
        }
        case 5: // paste at the caret
            QApplication::clipboard()->setText(snippets[int(random.bounded(int(snippets.size())))] + "x\n\"y");
            view->OnEditPaste();
            break;
        case 6: { // paste over a selection
            const int a = randomPosition();
            view->SendScintilla(QsciScintillaBase::SCI_SETSEL, a, std::min<int>(a + int(random.bounded(20)), int(view->TextLength())));
            QApplication::clipboard()->setText(QStringLiteral("-- over\n1e+5"));
            view->OnEditPaste();
            break;
        }
        case 7:
            view->OnEditUndo();
            break;
        default:
            view->OnEditRedo();
            break;
        }
        const QByteArray text = TextOf(view);
        stepsOnLongText += text.size() > 40;
        const std::vector<std::uint8_t> styles = StylesOf(view);
        if (styles != FreshStyles(text))
            QFAIL(qPrintable(QStringLiteral("step %1, operation %2:\n%3\nexpected\n%4")
                                 .arg(step).arg(op).arg(Marked(text, styles), Marked(text, FreshStyles(text)))));
    }
    // The edits must have worked on real text, not on an emptied buffer.
    QVERIFY2(stepsOnLongText > 2000, qPrintable(QString::number(stepsOnLongText)));
}

QTEST_MAIN(ColouringTest)
#include "colouring_test.moc"
