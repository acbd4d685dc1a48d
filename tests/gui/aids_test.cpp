// Auto-indentation, the completion list and the parameter tip, typed key by key into a real
// view: the text, the caret, the undo steps, the list and the tip after each sequence of keys.
#include "guitestsupport.h"

#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/completionlist.h"
#include "editor/intellitip.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"
#include "frame/documenttabbar.h"
#include "frame/mainframe.h"

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QWheelEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTest>

namespace {

constexpr char kFunctions[] = "tn_addknot x y\r\ntn_anchor\r\ntn_curve\r\n";

// Switches for a case: "4" four blanks, "T" tabs, "-i" no auto-indentation, "-c" no completion,
// "-t" no tip.
void Configure(const QString &flags)
{
    Settings &settings = Settings::Global();
    settings.functions.RemoveAll();
    settings.functions.ParseText(kFunctions);
    settings.options.indent = flags.contains(u'4') ? FOURSPACES : flags.contains(u'T') ? TAB : TWOSPACES;
    settings.options.autoindentation = !flags.contains(QLatin1String("-i"));
    settings.options.autocompletion = !flags.contains(QLatin1String("-c"));
    settings.options.intellitip = !flags.contains(QLatin1String("-t"));
}

// The text with "|" at the caret, and "^" at the anchor of a selection.
QByteArray MarkedText(CScribaView *view)
{
    QByteArray text = TextOf(view);
    const long caret = view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const long anchor = view->SendScintilla(QsciScintillaBase::SCI_GETANCHOR);
    text.insert(int(std::max(caret, anchor)), caret > anchor ? "|" : anchor > caret ? "^" : "|");
    if (anchor != caret)
        text.insert(int(std::min(caret, anchor)), caret < anchor ? "|" : "^");
    return text;
}

// Types keys: characters as keys of their own, and named keys in braces.
void Press(CScribaView *view, const QString &keys)
{
    static const QList<QPair<QString, QPair<Qt::Key, Qt::KeyboardModifiers>>> named = {
        {"Enter", {Qt::Key_Return, Qt::NoModifier}}, {"^Enter", {Qt::Key_Return, Qt::ControlModifier}},
        {"Tab", {Qt::Key_Tab, Qt::NoModifier}},      {"BS", {Qt::Key_Backspace, Qt::NoModifier}},
        {"Del", {Qt::Key_Delete, Qt::NoModifier}},   {"Left", {Qt::Key_Left, Qt::NoModifier}},
        {"Right", {Qt::Key_Right, Qt::NoModifier}},  {"Up", {Qt::Key_Up, Qt::NoModifier}},
        {"Down", {Qt::Key_Down, Qt::NoModifier}},    {"Home", {Qt::Key_Home, Qt::NoModifier}},
        {"End", {Qt::Key_End, Qt::NoModifier}},      {"PgUp", {Qt::Key_PageUp, Qt::NoModifier}},
        {"PgDn", {Qt::Key_PageDown, Qt::NoModifier}}, {"Esc", {Qt::Key_Escape, Qt::NoModifier}},
        {"^Space", {Qt::Key_Space, Qt::ControlModifier}}, {"S-Up", {Qt::Key_Up, Qt::ShiftModifier}},
    };
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i] == u'{') {
            const int close = keys.indexOf(u'}', i);
            const QString name = keys.mid(i + 1, close - i - 1);
            i = close;
            for (const auto &key : named)
                if (key.first == name)
                    QTest::keyClick(view, key.second.first, key.second.second);
        } else {
            QTest::keyClick(view, keys[i].toLatin1());
        }
    }
}

// "" when the list is closed; its selected name, or "-" when nothing is selected.
QString ListState(CScribaView *view)
{
    const CCompletionList *list = view->CompletionList();
    if (!list)
        return QString();
    return list->HasSelection() ? list->SelectedName() : QStringLiteral("-");
}

// "" when the tip is hidden; its text with the bold parameter between stars.
QString TipState(CScribaView *view)
{
    const CIntelliTip *tip = view->Tip();
    if (!tip->IsShown())
        return QString();
    QStringList parameters = tip->Parameters();
    const int bold = tip->CurrentParameter() - 1;
    if (bold >= 0 && bold < parameters.size())
        parameters[bold] = u'*' + parameters[bold] + u'*';
    return tip->Name() + u'(' + parameters.join(QStringLiteral(", ")) + u')';
}

int UndoEverything(CScribaView *view)
{
    int steps = 0;
    while (view->CanUndo() && steps < 10000) {
        view->OnEditUndo();
        ++steps;
    }
    return steps;
}

} // namespace

class AidsTest : public QObject {
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void placement_data();
    void placement();
    void listStaysInSight_data();
    void listStaysInSight();
    void wideTipStartsAtTheTextsLeftEdge();
    void editCommandsLeaveTheAidsBehind_data();
    void editCommandsLeaveTheAidsBehind();
    void switchingAidsOffReachesEveryView();
    void mouseOnListTipAndText();
    void wheelAnywhereElseClosesTheList();
    void randomTypingKeepsTextColoursAndUndo_data();
    void randomTypingKeepsTextColoursAndUndo();
};

void AidsTest::keys_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("tip");
    // Undo steps until the start: -1 when not counted. Enter and the indentation it inserts are
    // two, so the first undo takes back the indentation only.
    QTest::addColumn<int>("undoSteps");

    // Auto-indentation.
    QTest::newRow("enter after an opening line") << "" << QByteArray("  if x then|") << "{Enter}" << QByteArray("  if x then\n    |") << "" << "" << 2;
    QTest::newRow("enter after a plain line") << "" << QByteArray("  x = 1|") << "{Enter}" << QByteArray("  x = 1\n  |") << "" << "" << 2;
    QTest::newRow("enter in the middle of a line") << "" << QByteArray("if x| then") << "{Enter}" << QByteArray("if x\n  | then") << "" << "" << 2;
    QTest::newRow("enter in a CR LF script") << "" << QByteArray("if x then|\r\nx()\r\n") << "{Enter}" << QByteArray("if x then\r\n  |\r\nx()\r\n") << "" << "" << 2;
    QTest::newRow("enter in a CR script") << "" << QByteArray("a\rif x then|\r") << "{Enter}" << QByteArray("a\rif x then\r  |\r") << "" << "" << 2;
    QTest::newRow("end outdents at its last letter") << "" << QByteArray("  if x then|") << "{Enter}end" << QByteArray("  if x then\n  end|") << "" << "" << 4;
    QTest::newRow("further letters change nothing more") << "" << QByteArray("  if x then|") << "{Enter}ends" << QByteArray("  if x then\n  ends|") << "" << "" << -1;
    QTest::newRow("elseif outdents once, at else") << "" << QByteArray("if x then|") << "{Enter}elseif" << QByteArray("if x then\nelseif|") << "" << "" << -1;
    QTest::newRow("no outdent without an Enter") << "" << QByteArray("    |") << "end" << QByteArray("    end|") << "" << "" << -1;
    QTest::newRow("no outdent of a partial step") << "4" << QByteArray("  x = 1|") << "{Enter}  end" << QByteArray("  x = 1\n  end|") << "" << "" << -1;
    QTest::newRow("tab as two blanks") << "" << QByteArray("x|") << "{Tab}" << QByteArray("x  |") << "" << "" << 1;
    QTest::newRow("tab as four blanks") << "4" << QByteArray("x|") << "{Tab}" << QByteArray("x    |") << "" << "" << 1;
    QTest::newRow("tab as a tab") << "T" << QByteArray("x|") << "{Tab}" << QByteArray("x\t|") << "" << "" << 1;
    QTest::newRow("tab without auto-indentation") << "-i" << QByteArray("x|") << "{Tab}" << QByteArray("x\t|") << "" << "" << 1;
    QTest::newRow("tab in the indentation with the tab unit") << "T" << QByteArray("    |x") << "{Tab}" << QByteArray("    \t|x") << "" << "" << 1;
    QTest::newRow("tab in the indentation without auto-indentation") << "-i" << QByteArray("  |x") << "{Tab}" << QByteArray("  \t|x") << "" << "" << 1;
    QTest::newRow("tab over lines replaces them with the tab unit") << "T" << QByteArray("a\nb|") << "{S-Up}{Tab}" << QByteArray("a\t|") << "" << "" << 1;
    QTest::newRow("tab over lines replaces them with blanks") << "" << QByteArray("a\nb|") << "{S-Up}{Tab}" << QByteArray("a  |") << "" << "" << 1;
    QTest::newRow("backspace in the indentation deletes one blank") << "-i" << QByteArray("        |x") << "{BS}" << QByteArray("       |x") << "" << "" << 1;
    QTest::newRow("tab unit measures tabs only") << "T" << QByteArray("    if x then|") << "{Enter}" << QByteArray("    if x then\n|") << "" << "" << 1;
    QTest::newRow("tab unit indents and outdents") << "T" << QByteArray("\tif x then|") << "{Enter}end" << QByteArray("\tif x then\n\tend|") << "" << "" << -1;
    QTest::newRow("enter without auto-indentation") << "-i" << QByteArray("  if x then|") << "{Enter}" << QByteArray("  if x then\n|") << "" << "" << 1;
    QTest::newRow("ctrl+enter") << "" << QByteArray("  if x then|") << "{^Enter}" << QByteArray("  if x then|") << "" << "" << 0;

    // The completion list.
    QTest::newRow("ctrl+space opens") << "" << QByteArray("x = tn_a|") << "{^Space}" << QByteArray("x = tn_a|") << "tn_addknot" << "" << 0;
    QTest::newRow("a letter moves the selection") << "" << QByteArray("x = tn_a|") << "{^Space}n" << QByteArray("x = tn_an|") << "tn_anchor" << "" << -1;
    QTest::newRow("backspace moves it back") << "" << QByteArray("x = tn_a|") << "{^Space}n{BS}" << QByteArray("x = tn_a|") << "tn_addknot" << "" << -1;
    QTest::newRow("enter accepts") << "" << QByteArray("x = tn_a|") << "{^Space}{Enter}" << QByteArray("x = tn_addknot|") << "" << "" << 1;
    QTest::newRow("the word is the name before the caret") << "" << QByteArray("print(tn_a|") << "{^Space}{Enter}" << QByteArray("print(tn_addknot|") << "" << "" << 1;
    QTest::newRow("the selection follows the name after =") << "" << QByteArray("x=tn_an|") << "{^Space}" << QByteArray("x=tn_an|") << "tn_anchor" << "" << 0;
    QTest::newRow("a name after a comma") << "" << QByteArray("f(a,tn_c|)") << "{^Space}{Enter}" << QByteArray("f(a,tn_curve|)") << "" << "" << 1;
    QTest::newRow("a digit closes") << "" << QByteArray("x = tn_a|") << "{^Space}2" << QByteArray("x = tn_a2|") << "" << "" << -1;
    QTest::newRow("escape closes") << "" << QByteArray("x = tn_a|") << "{^Space}{Esc}" << QByteArray("x = tn_a|") << "" << "" << 0;
    QTest::newRow("tab closes and indents") << "" << QByteArray("tn_a|") << "{^Space}{Tab}" << QByteArray("tn_a  |") << "" << "" << 1;
    QTest::newRow("ctrl+space without completion") << "-c" << QByteArray("x = tn_a|") << "{^Space}" << QByteArray("x = tn_a |") << "" << "" << 1;
    QTest::newRow("down and up") << "" << QByteArray("tn_a|") << "{^Space}{Down}{Down}{Up}" << QByteArray("tn_a|") << "tn_anchor" << "" << 0;
    QTest::newRow("end and home") << "" << QByteArray("tn_a|") << "{^Space}{End}" << QByteArray("tn_a|") << "tn_curve" << "" << 0;
    QTest::newRow("no name to select") << "" << QByteArray("zz|") << "{^Space}" << QByteArray("zz|") << "-" << "" << 0;
    QTest::newRow("enter without a selected name") << "" << QByteArray("zz|") << "{^Space}{Enter}" << QByteArray("zz|") << "" << "" << 0;
    QTest::newRow("empty line selects the first") << "" << QByteArray("|") << "{^Space}" << QByteArray("|") << "tn_addknot" << "" << 0;
    QTest::newRow("left shortens the word") << "" << QByteArray("x = tn_an|") << "{^Space}{Left}" << QByteArray("x = tn_a|n^") << "tn_addknot" << "" << 0;
    QTest::newRow("accept after left replaces the rest") << "" << QByteArray("x = tn_an|") << "{^Space}{Left}{Enter}" << QByteArray("x = tn_addknot|") << "" << "" << 1;
    QTest::newRow("left with no word deletes") << "" << QByteArray("x = ab|") << "{^Space}{Left}{Left}{Left}" << QByteArray("x = |") << "" << "" << 1;
    QTest::newRow("right lengthens the word") << "" << QByteArray("tn_a|nchor") << "{^Space}{Right}{Right}" << QByteArray("tn_an|chor") << "tn_anchor" << "" << 0;
    QTest::newRow("right at the line end moves on") << "" << QByteArray("x = tn_a|\r\ny\r\n") << "{^Space}{Right}{Enter}" << QByteArray("x = tn_a\r\n\r\n|y\r\n") << "" << "" << 1;
    QTest::newRow("right before a parenthesis moves on") << "" << QByteArray("tn_a|)") << "{^Space}{Right}{Enter}" << QByteArray("tn_a)\n|") << "" << "" << -1;
    QTest::newRow("right before a blank moves on") << "" << QByteArray("x = tn_a| y") << "{^Space}{Right}" << QByteArray("x = tn_a |y") << "" << "" << 0;
    QTest::newRow("backspace of the last letter closes") << "" << QByteArray("x = t|") << "{^Space}{BS}{BS}" << QByteArray("x =|") << "" << "" << -1;

    // The parameter tip.
    QTest::newRow("tip after a name") << "" << QByteArray("|") << "tn_addknot(" << QByteArray("tn_addknot(|") << "" << "tn_addknot(*x*, y)" << -1;
    QTest::newRow("no tip after other text") << "" << QByteArray("|") << "a=tn_addknot(" << QByteArray("a=tn_addknot(|") << "" << "" << -1;
    QTest::newRow("tip shows the typed name") << "" << QByteArray("x |") << "tn_add_knot(" << QByteArray("x tn_add_knot(|") << "" << "tn_add_knot(*x*, y)" << -1;
    QTest::newRow("comma moves the mark") << "" << QByteArray("|") << "tn_addknot(1," << QByteArray("tn_addknot(1,|") << "" << "tn_addknot(x, *y*)" << -1;
    QTest::newRow("the mark stops at the last") << "" << QByteArray("|") << "tn_addknot(1,2," << QByteArray("tn_addknot(1,2,|") << "" << "tn_addknot(x, *y*)" << -1;
    QTest::newRow("closing parenthesis hides") << "" << QByteArray("|") << "tn_addknot(1,2)" << QByteArray("tn_addknot(1,2)|") << "" << "" << -1;
    QTest::newRow("left recounts past the last") << "" << QByteArray("|") << "tn_addknot(1,2,3{Left}" << QByteArray("tn_addknot(1,2,|3") << "" << "tn_addknot(x, y)" << -1;
    QTest::newRow("left recounts back to the first") << "" << QByteArray("|") << "tn_addknot(1, 2{Left}{Left}{Left}" << QByteArray("tn_addknot(1|, 2") << "" << "tn_addknot(*x*, y)" << -1;
    QTest::newRow("backspace over the parenthesis hides") << "" << QByteArray("|") << "tn_addknot({BS}" << QByteArray("tn_addknot|") << "" << "" << -1;
    QTest::newRow("backspace elsewhere recounts") << "" << QByteArray("|") << "tn_addknot(1,{BS}" << QByteArray("tn_addknot(1|") << "" << "tn_addknot(*x*, y)" << -1;
    QTest::newRow("function without parameters") << "" << QByteArray("|") << "tn_anchor(" << QByteArray("tn_anchor(|") << "" << "tn_anchor()" << -1;
    QTest::newRow("no tip when switched off") << "-t" << QByteArray("|") << "tn_addknot(" << QByteArray("tn_addknot(|") << "" << "" << -1;
    QTest::newRow("home hides") << "" << QByteArray("|") << "tn_addknot({Home}" << QByteArray("|tn_addknot(") << "" << "" << -1;
    QTest::newRow("enter keeps the tip on the call's next line") << "" << QByteArray("|") << "tn_addknot({Enter}" << QByteArray("tn_addknot(\n|") << "" << "tn_addknot(*x*, y)" << -1;
    QTest::newRow("continuation line counts the commas above") << "" << QByteArray("|") << "tn_addknot(1,{Enter}" << QByteArray("tn_addknot(1,\n|") << "" << "tn_addknot(x, *y*)" << -1;
    QTest::newRow("continuation line left of a comma") << "" << QByteArray("|") << "tn_addknot(1,{Enter}2, 3{Left}{Left}{Left}" << QByteArray("tn_addknot(1,\n2|, 3") << "" << "tn_addknot(x, *y*)" << -1;
    QTest::newRow("up and down follow the call") << "" << QByteArray("|") << "tn_addknot(1,{Enter}2,{Enter}3{Up}" << QByteArray("tn_addknot(1,\n2|,\n3") << "" << "tn_addknot(x, *y*)" << -1;
    QTest::newRow("enter after the call hides") << "" << QByteArray("|") << "tn_addknot(1,{Enter}2){Enter}" << QByteArray("tn_addknot(1,\n2)\n|") << "" << "" << -1;
    QTest::newRow("list and tip together") << "" << QByteArray("|") << "tn_addknot(tn_c{^Space}" << QByteArray("tn_addknot(tn_c|") << "tn_curve" << "tn_addknot(*x*, y)" << -1;
}

void AidsTest::keys()
{
    QFETCH(QString, flags);
    QFETCH(QByteArray, start);
    QFETCH(QString, keys);
    QFETCH(QByteArray, text);
    QFETCH(QString, list);
    QFETCH(QString, tip);
    QFETCH(int, undoSteps);
    AppFixture fixture;
    Configure(flags);
    CScribaView *view = LoadWithCaret(fixture, start);
    QVERIFY(view);
    Press(view, keys);
    QVERIFY(!view->IsDisplayFrozen());
    QCOMPARE(MarkedText(view), text);
    QCOMPARE(ListState(view), list);
    QCOMPARE(TipState(view), tip);
    const int steps = UndoEverything(view);
    if (undoSteps >= 0)
        QCOMPARE(steps, undoSteps);
    QCOMPARE(TextOf(view), QByteArray(start).replace("|", ""));
}

void AidsTest::placement_data()
{
    QTest::addColumn<bool>("nearRight");
    QTest::addColumn<bool>("nearBottom");
    QTest::addColumn<int>("extraNames");
    QTest::newRow("middle") << false << false << 0;
    QTest::newRow("middle, many names") << false << false << 12;
    QTest::newRow("near the right edge") << true << false << 0;
    QTest::newRow("near the bottom") << false << true << 12;
    QTest::newRow("near the bottom right corner") << true << true << 0;
}

void AidsTest::placement()
{
    QFETCH(bool, nearRight);
    QFETCH(bool, nearBottom);
    QFETCH(int, extraNames);
    AppFixture fixture;
    Configure(QString());
    for (int i = 0; i < extraNames; ++i)
        Settings::Global().functions.Add({"zz" + std::to_string(100 + i)});
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    const QRect area = view->viewport()->geometry();
    const int right = area.x() + area.width();
    // Every line ends in a function name, far enough from the right edge that the view need not
    // scroll to show the caret.
    const int charWidth = int(view->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, 0UL, "x"));
    const QByteArray name("tn_addknot");
    const int prefix = nearRight ? (area.width() - 90) / charWidth - int(name.size()) - 1 : 4;
    const QByteArray line = QByteArray(prefix, 'x') + ' ' + name + '\n';
    const int lines = 200;
    view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, line.repeated(lines).constData());
    const long onScreen = view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    const long caretLine = nearBottom ? onScreen - 1 : onScreen / 2;
    view->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 0UL);
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(caretLine * line.size() + line.size() - 1));
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE), 0L);

    const QPoint caret = view->CaretPoint();
    Press(view, "(");
    const CIntelliTip *tip = view->Tip();
    QVERIFY(tip->IsShown());
    QVERIFY2(area.contains(tip->geometry()), "the tip lies wholly over the text");
    QCOMPARE(tip->x(), nearRight ? right - tip->width() - 12 : caret.x() + 8);
    QCOMPARE(tip->y(), nearBottom ? caret.y() - 2 - tip->height() : caret.y() + 20);

    Press(view, "{BS}{^Space}");
    const CCompletionList *list = view->CompletionList();
    QVERIFY(list);
    const QPoint word = view->PointOfPosition(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) - name.size());
    const int rows = std::min(list->count() + 1, 10);
    // Every row shows whole inside the frame.
    QCOMPARE(list->viewport()->height(), rows * list->sizeHintForRow(0));
    QVERIFY2(area.contains(list->geometry()), "the list lies wholly over the text");
    QCOMPARE(list->x(), nearRight ? right - list->width() - 10 : word.x());
    QCOMPARE(list->y(), nearBottom ? word.y() - list->height() - 10 : word.y() + 20);
    // The longest name fits beside the scroll bar.
    QVERIFY(list->viewport()->width() >= list->fontMetrics().horizontalAdvance(QStringLiteral("tn_addknot")));
    QCOMPARE(list->font().pixelSize(), 16);
    QCOMPARE(tip->isAncestorOf(list), false);
    QCOMPARE(list->parentWidget(), view);
    QVERIFY(!list->isWindow() && !tip->isWindow());
}

void AidsTest::listStaysInSight_data()
{
    QTest::addColumn<QPoint>("word");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QString>("expected"); // "below" or "above", then "word", "shifted" or "edge"
    QTest::newRow("in the middle") << QPoint(40, 100) << QRect(0, 0, 800, 600) << "below word";
    QTest::newRow("near the bottom") << QPoint(40, 580) << QRect(0, 0, 800, 600) << "above word";
    QTest::newRow("near the right edge") << QPoint(700, 100) << QRect(0, 0, 800, 600) << "below shifted";
    QTest::newRow("word begins left of the text") << QPoint(-90, 100) << QRect(0, 0, 800, 600) << "below edge";
    QTest::newRow("view narrower than the list") << QPoint(30, 100) << QRect(5, 0, 120, 600) << "below edge";
    QTest::newRow("view too short for it above") << QPoint(40, 60) << QRect(0, 0, 800, 90) << "below word";
}

void AidsTest::listStaysInSight()
{
    QFETCH(QPoint, word);
    QFETCH(QRect, area);
    QFETCH(QString, expected);
    QWidget view;
    view.resize(1000, 800);
    std::vector<std::string> names;
    for (int i = 0; i < 15; ++i)
        names.push_back("tn_name" + std::to_string(i));
    CCompletionList list(names, QFont(), &view);
    list.Place(word, area);
    const int below = word.y() + CCompletionList::kBelowWord;
    const int above = word.y() - list.height() - CCompletionList::kAboveWord;
    QCOMPARE(list.y(), expected.startsWith(QLatin1String("below")) ? below : above);
    const int shifted = area.x() + area.width() - list.width() - CCompletionList::kRightMargin;
    const int left = expected.endsWith(QLatin1String("word")) ? word.x() : expected.endsWith(QLatin1String("shifted")) ? shifted : area.x();
    QCOMPARE(list.x(), left);
}

void AidsTest::wideTipStartsAtTheTextsLeftEdge()
{
    AppFixture fixture;
    Configure(QString());
    std::vector<std::string> row{"tn_wide"};
    for (int i = 0; i < 60; ++i)
        row.push_back("parameter" + std::to_string(i));
    Settings::Global().functions.Add(row);
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    Press(view, "tn_wide(");
    const CIntelliTip *tip = view->Tip();
    QVERIFY(tip->IsShown());
    // Wrapped after its commas onto further lines, every parameter is in sight.
    QVERIFY2(view->viewport()->geometry().contains(tip->geometry()), "the whole tip lies over the text");
    QVERIFY(tip->height() > 3 * QFontMetrics(tip->font()).height());
    QVERIFY(tip->Text().endsWith(QStringLiteral("parameter59)")));
}

void AidsTest::editCommandsLeaveTheAidsBehind_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"undo", "redo", "cut", "paste", "delete", "select all"})
        QTest::newRow(command) << command;
}

void AidsTest::editCommandsLeaveTheAidsBehind()
{
    QFETCH(QString, command);
    AppFixture fixture;
    Configure(QString());
    CScribaView *view = LoadWithCaret(fixture, "|");
    QVERIFY(view);
    Press(view, "tn_addknot(1, tn_a{^Space}");
    QVERIFY(view->CompletionList());
    QVERIFY(view->Tip()->IsShown());
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    // What each command needs, made behind the aids' backs.
    if (command == "redo")
        view->SendScintilla(QsciScintillaBase::SCI_UNDO);
    if (command == "cut" || command == "delete")
        view->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 2L);
    const QMap<QString, void (CScribaView::*)()> commands = {
        {"undo", &CScribaView::OnEditUndo},   {"redo", &CScribaView::OnEditRedo},
        {"cut", &CScribaView::OnEditCut},     {"paste", &CScribaView::OnEditPaste},
        {"delete", &CScribaView::OnEditClear}, {"select all", &CScribaView::OnEditSelectAll}};
    (view->*commands.value(command))();
    // Left open, Enter would put a name where the word no longer is.
    QVERIFY(!view->CompletionList());
    QVERIFY(!view->Tip()->IsShown());
}

void AidsTest::switchingAidsOffReachesEveryView()
{
    AppFixture fixture;
    Configure(QString());
    QList<CScribaView *> views;
    for (int i = 0; i < 2; ++i) {
        fixture.App().OnFileNew();
        views.append(fixture.ActiveView());
    }
    for (CScribaView *view : views)
        Press(view, "if x then{Enter}tn_addknot(tn_a{^Space}");
    for (CScribaView *view : views) {
        QVERIFY(view->CompletionList());
        QVERIFY(view->Tip()->IsShown());
    }
    Settings &settings = Settings::Global();
    settings.options.autocompletion = 0;
    fixture.App().ApplySettingsToViews();
    for (CScribaView *view : views) {
        QVERIFY(!view->CompletionList());
        QVERIFY(view->Tip()->IsShown());
    }
    settings.options.intellitip = 0;
    fixture.App().ApplySettingsToViews();
    for (CScribaView *view : views)
        QVERIFY(!view->Tip()->IsShown());
    // Each opening reads the function table as it is then.
    settings.options.autocompletion = 1;
    settings.functions.Add({"tn_added"});
    Press(views.last(), "{^Space}");
    QVERIFY(views.last()->CompletionList());
    QCOMPARE(views.last()->CompletionList()->findItems(QStringLiteral("tn_added"), Qt::MatchExactly).size(), 1);
    // Without auto-indentation the next keys neither indent nor outdent, though an Enter has
    // indented the line before.
    CScribaView *view = views.first();
    view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, "  if x then");
    view->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    Press(view, "{Enter}");
    settings.options.autoindentation = 0;
    Press(view, "end{Tab}{Enter}");
    QCOMPARE(MarkedText(view), QByteArray("  if x then\n    end\t\n|"));
}

void AidsTest::mouseOnListTipAndText()
{
    AppFixture fixture;
    Configure(QString());
    for (int i = 0; i < 12; ++i)
        Settings::Global().functions.Add({"zz" + std::to_string(100 + i)});
    CScribaView *view = LoadWithCaret(fixture, "|");
    Press(view, "tn_addknot(x = tn_a{^Space}");
    CCompletionList *list = view->CompletionList();
    QVERIFY(list);
    view->activateWindow();
    view->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(view->window()));
    QVERIFY(view->hasFocus());

    // The wheel over the list scrolls it; the list keeps the focus away.
    QWheelEvent down(QPointF(10, 10), list->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &down);
    QVERIFY(view->CompletionList());
    QVERIFY(list->verticalScrollBar()->value() > 0);
    QVERIFY(view->hasFocus());

    // A click on the tip changes nothing.
    const long caret = view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    QTest::mouseClick(view->Tip(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), caret);
    QVERIFY(view->Tip()->IsShown());

    // A double click on a name accepts it.
    QListWidgetItem *curve = list->findItems(QStringLiteral("tn_curve"), Qt::MatchExactly).value(0);
    QVERIFY(curve);
    list->scrollToItem(curve);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(curve).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(curve).center());
    QCoreApplication::processEvents();
    QCOMPARE(MarkedText(view), QByteArray("tn_addknot(x = tn_curve|"));
    QVERIFY(!view->CompletionList());
    QVERIFY(view->hasFocus());

    // The wheel over the text closes the list and does not scroll.
    Press(view, "{^Space}");
    QVERIFY(view->CompletionList());
    QWheelEvent overText(QPointF(50, 5), view->viewport()->mapToGlobal(QPointF(50, 5)), QPoint(), QPoint(0, -120),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &overText);
    QVERIFY(!view->CompletionList());

    // A click in the text closes the list and hides the tip.
    Press(view, "{^Space}");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(!view->CompletionList());
    QVERIFY(!view->Tip()->IsShown());
}

void AidsTest::wheelAnywhereElseClosesTheList()
{
    AppFixture fixture;
    Configure(QString());
    CScribaView *view = LoadWithCaret(fixture, "|");
    QMainWindow *frame = fixture.App().MainFrame();
    QWidget *tabStrip = frame->findChild<CDocumentTabBar *>();
    QWidget *toolBar = frame->findChild<QToolBar *>();
    QVERIFY(tabStrip && toolBar);
    for (QWidget *target : {tabStrip, toolBar, static_cast<QWidget *>(frame->statusBar())}) {
        Press(view, "tn_a{^Space}");
        QVERIFY(view->CompletionList());
        QWheelEvent turn(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &turn);
        QVERIFY2(!view->CompletionList(), qPrintable(target->metaObject()->className()));
    }
    // The description panel beside the list belongs to it.
    Press(view, "tn_a{^Space}");
    QWidget *panel = nullptr;
    for (QWidget *candidate : view->findChildren<QWidget *>(QStringLiteral("completionPanel")))
        if (candidate->isVisible())
            panel = candidate; // the closed lists' panels may wait for their deletion
    QVERIFY(panel);
    QWheelEvent turn(QPointF(5, 5), panel->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel, &turn);
    QVERIFY(view->CompletionList());
}

void AidsTest::randomTypingKeepsTextColoursAndUndo_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("LF") << QByteArray("local a = 1\nif a then\n  tn_addknot(1, 2)\nend\n|");
    QTest::newRow("CR LF") << QByteArray("local a = 1\r\nwhile a do\r\n  a = a - 1\r\nend\r\n|");
}

void AidsTest::randomTypingKeepsTextColoursAndUndo()
{
    QFETCH(QByteArray, start);
    AppFixture fixture;
    Configure(QString());
    CScribaView *view = LoadWithCaret(fixture, start);
    QVERIFY(view);
    const QStringList keys = {"if x then", "end", "else", "tn_a", "tn_addknot", " tn_addknot(", "tn_addknot(", "x", "_", "2", " ", "\"", "--",
                              "{Enter}", "{Enter}", "{Tab}", "{BS}", "{^Space}", "{^Space}", "{Up}", "{Down}",
                              "{Esc}", "{Left}", "{Right}", "{Del}", "(", ",", ")", "{^Enter}", "{Home}"};
    QRandomGenerator random(9090);
    int withList = 0, withTip = 0, indented = 0;
    for (int step = 0; step < 2500; ++step) {
        const QString key = keys[int(random.bounded(int(keys.size())))];
        Press(view, key);
        withList += view->CompletionList() != nullptr;
        withTip += view->Tip()->IsShown();
        indented += key == "{Enter}" && view->SendScintilla(QsciScintillaBase::SCI_GETCOLUMN,
                                                             view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)) > 0;
        if (view->IsDisplayFrozen())
            QFAIL(qPrintable(QStringLiteral("frozen after step %1, %2").arg(step).arg(key)));
        const QByteArray text = TextOf(view);
        const std::vector<std::uint8_t> fresh = FreshStyles(text);
        for (int i = 0; i < text.size(); ++i)
            if (view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i) != fresh[std::size_t(i)])
                QFAIL(qPrintable(QStringLiteral("colours differ at %1 after step %2, %3").arg(i).arg(step).arg(key)));
        if (text.contains("\r\n") && text.count('\n') != text.count("\r\n"))
            QFAIL(qPrintable(QStringLiteral("a bare line end after step %1, %2").arg(step).arg(key)));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The keys must have met the list, the tip and indented lines often.
    QVERIFY2(withList > 200 && withTip > 200 && indented > 50,
             qPrintable(QStringLiteral("%1 %2 %3").arg(withList).arg(withTip).arg(indented)));
    UndoEverything(view);
    QCOMPARE(TextOf(view), QByteArray(start).replace("|", ""));
}

QTEST_MAIN(AidsTest)
#include "aids_test.moc"
