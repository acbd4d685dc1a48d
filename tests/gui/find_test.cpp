// Find, Find Next, Replace and Replace All through the real view, its dialog and the prompt seam.
#include "guitestsupport.h"

#include "doc/scribadoc.h"
#include "editor/findreplacedialog.h"
#include "editor/intellitip.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using Answers = QList<QMessageBox::StandardButton>;

const QString kEndOfFile = QStringLiteral("Reached the end of file.\nContinue from start?");

// A fresh application with the default tables, showing one script with nothing asked yet.
struct FindFixture {
    AppFixture fixture;
    CScribaView *view = nullptr;

    explicit FindFixture(const QByteArray &text)
    {
        view = OpenScript(fixture, QStringLiteral("find.lua"), text);
        fixture.Update();
        fixture.Prompts().asked.clear();
    }
    void Select(qint64 from, qint64 to) { view->SendScintilla(QsciScintillaBase::SCI_SETSEL, from, to); }
    QPair<qint64, qint64> Selection() const
    {
        return {view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART),
                view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND)};
    }
    void Answer(const Answers &answers)
    {
        for (QMessageBox::StandardButton answer : answers)
            fixture.Prompts().answers.enqueue(answer);
    }
    QStringList AskedTexts()
    {
        QStringList texts;
        for (const Prompt &prompt : fixture.Prompts().asked)
            texts.append(prompt.text);
        return texts;
    }
    void Trigger(CommandId command)
    {
        fixture.Update();
        QAction *action = fixture.App().MainFrame()->Action(command);
        QVERIFY(action->isEnabled());
        action->trigger();
    }
    // Opens the dialog of the kind and fills it in as the user would.
    CFindReplaceDialog *Dialog(CommandId command, const QString &find, const QString &replace = QString(),
                               bool matchCase = false, bool wholeWord = false)
    {
        Trigger(command);
        CFindReplaceDialog *dialog = view->FindDialog();
        if (!dialog)
            return nullptr;
        dialog->FindField()->setText(find);
        if (dialog->ReplaceField())
            dialog->ReplaceField()->setText(replace);
        dialog->MatchCaseBox()->setChecked(matchCase);
        dialog->WholeWordBox()->setChecked(wholeWord);
        return dialog;
    }
};

QStringList TextsOf(const QList<QAbstractButton *> &buttons)
{
    QStringList texts;
    for (QAbstractButton *button : buttons)
        texts.append(button->text());
    return texts;
}

} // namespace

class FindTest : public QObject {
    Q_OBJECT

private slots:
    void dialogShowsItsKind_data();
    void dialogShowsItsKind();
    void dialogStartsWithSelectionOrLastSearch_data();
    void dialogStartsWithSelectionOrLastSearch();
    void findNextAsksAtTheEndOfTheText_data();
    void findNextAsksAtTheEndOfTheText();
    void replaceAllCountsWhatItReplaced_data();
    void replaceAllCountsWhatItReplaced();
    void replaceChecksTheSelection_data();
    void replaceChecksTheSelection();
    void findNextOnlyEverFinds();
    void dialogClosesWhenAnotherDocumentBecomesActive();
    void dialogMovesOffTheFoundText_data();
    void dialogMovesOffTheFoundText();
    void replaceAllIsOneUndoStepWithFreshColours_data();
    void replaceAllIsOneUndoStepWithFreshColours();
    void caretMovedByFindLeavesListAndTipBehind_data();
    void caretMovedByFindLeavesListAndTipBehind();
};

void FindTest::dialogShowsItsKind_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("find") << int(ID_EDIT_FIND) << QStringList{"Fi&nd what:"} << QStringList{"&Find Next", "Cancel"};
    QTest::newRow("replace") << int(ID_EDIT_REPLACE) << QStringList{"Fi&nd what:", "Re&place with:"}
                             << QStringList{"&Find Next", "&Replace", "Replace &All", "Cancel"};
}

void FindTest::dialogShowsItsKind()
{
    QFETCH(int, command);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, buttons);
    FindFixture f("x = 1\n");
    g_replaceText = QStringLiteral("kept");
    f.Trigger(CommandId(command));
    QPointer<CFindReplaceDialog> dialog = f.view->FindDialog();
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
    QStringList labelTexts;
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        labelTexts.append(label->text());
        QVERIFY(label->buddy()); // the mnemonic reaches its field
    }
    QCOMPARE(labelTexts, labels);
    const QStringList boxes{"Match &whole word only", "Match &case"};
    QCOMPARE(TextsOf(dialog->findChildren<QAbstractButton *>()), boxes + buttons);
    QVERIFY(dialog->findChildren<QRadioButton *>().isEmpty()); // no Up/Down
    QVERIFY(dialog->FindNextButton()->isDefault());
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(QApplication::focusWidget(), dialog->FindField());

    // Every search button waits for a text to search for.
    dialog->FindField()->clear();
    QVERIFY(!dialog->FindNextButton()->isEnabled());
    QVERIFY(!dialog->ReplaceAllButton() || !dialog->ReplaceAllButton()->isEnabled());
    dialog->FindField()->setText(QStringLiteral("x"));
    QVERIFY(dialog->FindNextButton()->isEnabled());

    // Escape closes it like Cancel, keeping what was typed for the next one.
    QTest::keyClick(dialog->FindField(), Qt::Key_Escape);
    QVERIFY(!f.view->FindDialog());
    QCOMPARE(g_findText, QStringLiteral("x"));
    QCOMPARE(g_replaceText, QStringLiteral("kept")); // the Find kind has none of its own
    f.fixture.Update();
    QVERIFY(!dialog);
}

void FindTest::dialogStartsWithSelectionOrLastSearch_data()
{
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<bool>("rectangle");
    QTest::addColumn<QString>("expected");
    QTest::newRow("selection") << 3 << false << QStringLiteral("abc");
    QTest::newRow("no selection") << 0 << false << QStringLiteral("previous");
    // The rows with a line end each are longer than the stretch between the corners.
    QTest::newRow("rectangular selection") << 7 << true << QStringLiteral("abc\nabc\n");
}

void FindTest::dialogStartsWithSelectionOrLastSearch()
{
    QFETCH(int, selectionEnd);
    QFETCH(bool, rectangle);
    QFETCH(QString, expected);
    FindFixture f("abc\nabc def\n");
    g_findText = QStringLiteral("previous");
    g_replaceText = QStringLiteral("with");
    g_matchCase = true;
    if (rectangle) {
        f.view->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 0UL);
        f.view->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, static_cast<unsigned long>(selectionEnd));
    } else {
        f.Select(0, selectionEnd);
    }
    f.Trigger(ID_EDIT_REPLACE);
    CFindReplaceDialog *dialog = f.view->FindDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->GetFindString(), expected);
    QCOMPARE(dialog->FindField()->selectedText(), expected);
    QCOMPARE(dialog->GetReplaceString(), QStringLiteral("with"));
    QVERIFY(dialog->MatchCaseBox()->isChecked());
    QVERIFY(!dialog->WholeWordBox()->isChecked());
}

void FindTest::findNextAsksAtTheEndOfTheText_data()
{
    QTest::addColumn<bool>("withDialog");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("caret");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("selectedFrom");
    QTest::addColumn<int>("selectedTo");
    // The text: "xhead head = head_2 .. head\n"
    const QString notFound = QStringLiteral("Scriba cannot find \"nowhere\".");
    QTest::newRow("next after the caret") << false << "head" << false << 2 << Answers{} << QStringList{} << 6 << 10;
    QTest::newRow("whole word skips xhead and head_2")
        << true << "head" << true << 0 << Answers{} << QStringList{} << 6 << 10;
    QTest::newRow("whole word looks before the caret")
        << true << "head" << true << 1 << Answers{} << QStringList{} << 6 << 10;
    QTest::newRow("past the last: Yes finds the first") << false << "head" << false << 27 << Answers{QMessageBox::Yes}
                                                        << QStringList{kEndOfFile} << 1 << 5;
    QTest::newRow("past the last: No keeps the selection") << true << "head" << false << 27 << Answers{QMessageBox::No}
                                                           << QStringList{kEndOfFile} << 27 << 27;
    QTest::newRow("caret inside the only occurrence") << true << "xhead" << true << 2 << Answers{QMessageBox::Yes}
                                                      << QStringList{kEndOfFile} << 0 << 5;
    QTest::newRow("not found at all, with the dialog")
        << true << "nowhere" << false << 5 << Answers{QMessageBox::Yes} << QStringList{kEndOfFile, notFound} << 5 << 5;
    QTest::newRow("not found at all, without a dialog")
        << false << "nowhere" << false << 5 << Answers{QMessageBox::Yes} << QStringList{kEndOfFile} << 5 << 5;
}

void FindTest::findNextAsksAtTheEndOfTheText()
{
    QFETCH(bool, withDialog);
    QFETCH(QString, search);
    QFETCH(bool, wholeWord);
    QFETCH(int, caret);
    QFETCH(Answers, answers);
    QFETCH(QStringList, asked);
    QFETCH(int, selectedFrom);
    QFETCH(int, selectedTo);
    FindFixture f("xhead head = head_2 .. head\n");
    f.Select(caret, caret);
    f.Answer(answers);
    if (withDialog) {
        CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_FIND, search, QString(), false, wholeWord);
        QVERIFY(dialog);
        dialog->FindNextButton()->click();
    } else {
        g_findText = search;
        g_wholeWord = wholeWord;
        f.Trigger(ID_EDIT_REPEAT);
    }
    QCOMPARE(f.AskedTexts(), asked);
    QCOMPARE(f.Selection(), qMakePair(qint64(selectedFrom), qint64(selectedTo)));
    if (!asked.isEmpty()) {
        const Prompt &question = f.fixture.Prompts().asked.first();
        QCOMPARE(question.caption, QStringLiteral("Scriba - Find"));
        QCOMPARE(question.icon, QMessageBox::Warning);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    if (asked.size() > 1) {
        const Prompt &message = f.fixture.Prompts().asked.last();
        QCOMPARE(message.caption, QStringLiteral("Scriba"));
        QCOMPARE(message.icon, QMessageBox::Warning);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

void FindTest::replaceAllCountsWhatItReplaced_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<int>("caretAfter");
    QTest::addColumn<QByteArray>("textAsked"); // the text when the end-of-file question comes
    const QByteArray both("ab x ab ab\n");
    QTest::newRow("both sides, Yes") << both << 3 << "ab" << "cde" << Answers{QMessageBox::Yes} << 1
                                     << "Replaced 3 occurrence(s) of 'ab' with 'cde'." << QByteArray("cde x cde cde\n") << 3
                                     << QByteArray("ab x cde cde\n");
    QTest::newRow("both sides, No") << both << 3 << "ab" << "cde" << Answers{QMessageBox::No} << 1
                                    << "Replaced 2 occurrence(s) of 'ab' with 'cde'." << QByteArray("ab x cde cde\n") << 12
                                    << QByteArray("ab x cde cde\n");
    QTest::newRow("caret at the top, No") << both << 0 << "ab" << "cde" << Answers{QMessageBox::No} << 1
                                          << "Replaced 3 occurrence(s) of 'ab' with 'cde'." << QByteArray("cde x cde cde\n")
                                          << 13 << QByteArray("cde x cde cde\n");
    QTest::newRow("none at all") << both << 3 << "zz" << "y" << Answers{QMessageBox::Yes} << 1
                                 << "Replaced 0 occurrence(s) of 'zz' with 'y'." << both << 3 << both;
    // The replacement holds the search text: what was put in is never replaced again.
    QTest::newRow("replacement holds the search text")
        << QByteArray("a b a") << 2 << "a" << "aa" << Answers{QMessageBox::Yes} << 1
        << "Replaced 2 occurrence(s) of 'a' with 'aa'." << QByteArray("aa b aa") << 2 << QByteArray("a b aa");
    QTest::newRow("deleting") << QByteArray("x, y, z") << 0 << ", " << "" << Answers{QMessageBox::Yes} << 1
                              << "Replaced 2 occurrence(s) of ', ' with ''." << QByteArray("xyz") << 2 << QByteArray("xyz");
}

void FindTest::replaceAllCountsWhatItReplaced()
{
    QFETCH(QByteArray, text);
    QFETCH(int, caret);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(Answers, answers);
    QFETCH(int, questions);
    QFETCH(QString, report);
    QFETCH(QByteArray, result);
    QFETCH(int, caretAfter);
    QFETCH(QByteArray, textAsked);
    FindFixture f(text);
    f.Select(caret, caret);
    f.Answer(answers);
    QByteArrayList texts;
    f.fixture.Prompts().onAsk = [&](const Prompt &) { texts.append(TextOf(f.view)); };
    CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_REPLACE, search, replacement);
    QVERIFY(dialog);
    dialog->ReplaceAllButton()->click();
    QCOMPARE(f.AskedTexts(), QStringList(questions, kEndOfFile) << report);
    const Prompt &reported = f.fixture.Prompts().asked.last();
    QCOMPARE(reported.caption, QStringLiteral("Scriba"));
    QCOMPARE(reported.icon, QMessageBox::Information);
    // The question comes when the text after the caret is done.
    QCOMPARE(texts.value(0), textAsked);
    QCOMPARE(TextOf(f.view), result);
    QCOMPARE(f.Selection(), qMakePair(qint64(caretAfter), qint64(caretAfter)));
    // Both stretches, and the question between them, are one undo step.
    f.view->OnEditUndo();
    QCOMPARE(TextOf(f.view), text);
    QVERIFY(!f.view->CanUndo());
}

void FindTest::replaceChecksTheSelection_data()
{
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<int>("selectedTo");
    QTest::newRow("match case off") << false << QByteArray("x = xyzw + abc") << 8;
    QTest::newRow("match case on") << true << QByteArray("x = ABC + abc") << 7;
}

void FindTest::replaceChecksTheSelection()
{
    QFETCH(bool, matchCase);
    QFETCH(QByteArray, result);
    QFETCH(int, selectedTo);
    FindFixture f("x = ABC + abc");
    f.Select(4, 7);
    CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_REPLACE, QStringLiteral("abc"), QStringLiteral("xyzw"), matchCase);
    QVERIFY(dialog);
    dialog->ReplaceButton()->click();
    QCOMPARE(TextOf(f.view), result);
    QCOMPARE(f.Selection(), qMakePair(qint64(4), qint64(selectedTo)));
    QVERIFY(f.fixture.Prompts().asked.isEmpty()); // no search follows
}

void FindTest::findNextOnlyEverFinds()
{
    FindFixture f("y x y\n");
    CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_REPLACE, QStringLiteral("y"), QStringLiteral("yy"));
    QVERIFY(dialog);
    // Before any button, F3 finds.
    f.Trigger(ID_EDIT_REPEAT);
    QCOMPARE(f.Selection(), qMakePair(qint64(0), qint64(1)));
    // After Replace, it finds the next occurrence and replaces nothing.
    dialog->ReplaceButton()->click();
    QCOMPARE(TextOf(f.view), QByteArray("yy x y\n"));
    f.Trigger(ID_EDIT_REPEAT);
    QCOMPARE(TextOf(f.view), QByteArray("yy x y\n"));
    QCOMPARE(f.Selection(), qMakePair(qint64(5), qint64(6)));
    // After Replace All, F3 and the toolbar's Find Next (the same command) keep finding.
    f.Answer({QMessageBox::Yes});
    dialog->ReplaceAllButton()->click();
    QCOMPARE(TextOf(f.view), QByteArray("yyyy x yy\n"));
    f.fixture.Prompts().asked.clear();
    f.Select(0, 0);
    f.Trigger(ID_EDIT_REPEAT);
    f.Trigger(ID_EDIT_REPEAT);
    QCOMPARE(TextOf(f.view), QByteArray("yyyy x yy\n"));
    QCOMPARE(f.Selection(), qMakePair(qint64(1), qint64(2)));
    // With the dialog's texts as they stand now.
    dialog->FindField()->setText(QStringLiteral("x"));
    f.Trigger(ID_EDIT_REPEAT);
    QCOMPARE(f.Selection(), qMakePair(qint64(5), qint64(6)));
    QCOMPARE(TextOf(f.view), QByteArray("yyyy x yy\n"));
    QVERIFY(f.fixture.Prompts().asked.isEmpty());
}

void FindTest::dialogClosesWhenAnotherDocumentBecomesActive()
{
    FindFixture f("alpha beta\n");
    CScribaDoc *first = f.view->GetDocument();
    // Typed and ticked, but no button pressed.
    CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_FIND, QStringLiteral("beta"), QString(), true, true);
    QVERIFY(dialog);
    QPointer<CFindReplaceDialog> old = dialog;
    // Activating the dialog itself leaves it open.
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QVERIFY(f.view->FindDialog());

    f.fixture.App().OnFileNew();
    f.fixture.Update();
    QVERIFY(!f.view->FindDialog());
    QVERIFY(!old);

    f.fixture.App().MainFrame()->ActivateDocument(first);
    f.Select(0, 0);
    f.Trigger(ID_EDIT_FIND);
    QVERIFY(f.view->FindDialog());
    QCOMPARE(f.view->FindDialog()->GetFindString(), QStringLiteral("beta"));
    QVERIFY(f.view->FindDialog()->MatchCaseBox()->isChecked());
    QVERIFY(f.view->FindDialog()->WholeWordBox()->isChecked());
}

void FindTest::dialogMovesOffTheFoundText_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("below");
    QTest::newRow("top line: below it") << 0 << true;
    QTest::newRow("last line in view: above it") << -1 << false;
}

void FindTest::dialogMovesOffTheFoundText()
{
    QFETCH(int, line);
    QFETCH(bool, below);
    FindFixture f(QByteArray(60, '\n'));
    f.view->window()->resize(760, 520); // all of it on the screen
    if (line < 0)
        line = int(f.view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN)) - 1;
    f.view->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT,
                          f.view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line), "    target");
    f.Select(0, 0);
    QWidget *viewport = f.view->viewport();
    const QRect viewRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_FIND, QStringLiteral("target"));
    QVERIFY(dialog);
    // It opens at the text's top-right corner.
    const QRect opened = dialog->frameGeometry();
    QVERIFY(qAbs(opened.right() - viewRect.right()) < 40 && qAbs(opened.top() - viewRect.top()) < 40);

    const qint64 at = f.view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line) + 4;
    const QPoint start = viewport->mapToGlobal(QPoint(
        int(f.view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, long(at))),
        int(f.view->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, long(at)))));
    dialog->move(start - QPoint(10, 10)); // over the word
    dialog->FindNextButton()->click();
    QCOMPARE(f.Selection(), qMakePair(at, at + 6));
    const QRect moved = dialog->frameGeometry();
    QCOMPARE(moved.left(), start.x() - 10);
    QCOMPARE(moved.size(), opened.size());
    if (below)
        QVERIFY(moved.top() > start.y() + 5);
    else
        QVERIFY(moved.bottom() < start.y());
}

void FindTest::replaceAllIsOneUndoStepWithFreshColours_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<bool>("inTheBackground");
    QTest::newRow("10,000 occurrences") << 2500 << false;
    QTest::newRow("over 4 MB: the lines in view at once, the rest while idle") << 120000 << true;
}

void FindTest::replaceAllIsOneUndoStepWithFreshColours()
{
    QFETCH(int, repeats);
    QFETCH(bool, inTheBackground);
    QByteArray text;
    for (int i = 0; i < repeats; ++i)
        text += "tn_old = tn_old + 1 -- tn_old\nprint(\"tn_old\")\n";
    FindFixture f(text);
    auto colourAll = [&] {
        QCOMPARE(f.view->IsBackgroundColouring(), inTheBackground);
        while (f.view->ContinueBackgroundColouring())
            ;
    };
    colourAll();
    f.Answer({QMessageBox::Yes});
    CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_REPLACE, QStringLiteral("tn_old"), QStringLiteral("while"));
    QVERIFY(dialog);
    dialog->ReplaceAllButton()->click();
    QCOMPARE(f.AskedTexts().last(), QStringLiteral("Replaced %1 occurrence(s) of 'tn_old' with 'while'.").arg(repeats * 4));
    const QByteArray replaced = TextOf(f.view);
    QVERIFY(replaced.startsWith("while = while + 1 -- while\nprint(\"while\")\n"));
    // The lines in view, where the caret went, are right at once.
    const std::vector<std::uint8_t> fresh = FreshStyles(replaced);
    const long firstLine = f.view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long from = f.view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, firstLine);
    const long to = f.view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                          firstLine + f.view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
    QVERIFY(to > from + 100);
    for (long i = from; i < to; ++i)
        QCOMPARE(int(f.view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i)), int(fresh[std::size_t(i)]));
    colourAll();
    QVERIFY(StylesOf(f.view) == fresh);

    f.Trigger(ID_EDIT_UNDO);
    QCOMPARE(TextOf(f.view), text);
    QVERIFY(!f.view->CanUndo());
    QVERIFY(!f.view->GetDocument()->IsModified());
    colourAll();
    QVERIFY(StylesOf(f.view) == FreshStyles(text));
}

void FindTest::caretMovedByFindLeavesListAndTipBehind_data()
{
    QTest::addColumn<int>("button"); // -1: Find Next without a dialog
    QTest::newRow("find next") << -1;
    QTest::newRow("dialog's find next") << int(FR_FINDNEXT);
    QTest::newRow("replace") << int(FR_REPLACE);
    QTest::newRow("replace all") << int(FR_REPLACEALL);
}

void FindTest::caretMovedByFindLeavesListAndTipBehind()
{
    QFETCH(int, button);
    FindFixture f("x = 1\n");
    f.view->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClicks(f.view, "tg_addpoint(tg_a");
    QTest::keyClick(f.view, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(f.view->CompletionList() && f.view->Tip()->IsShown());
    f.Answer({QMessageBox::Yes, QMessageBox::Yes});
    if (button < 0) {
        g_findText = QStringLiteral("x");
        f.Trigger(ID_EDIT_REPEAT);
    } else {
        f.Select(0, button == FR_REPLACE ? 1 : 0);
        CFindReplaceDialog *dialog = f.Dialog(ID_EDIT_REPLACE, QStringLiteral("x"), QStringLiteral("y"));
        QVERIFY(dialog);
        QPushButton *pressed = button == FR_FINDNEXT ? dialog->FindNextButton()
                               : button == FR_REPLACE ? dialog->ReplaceButton() : dialog->ReplaceAllButton();
        pressed->click();
    }
    // The caret went to the occurrence: an Enter there must not put the list's name in its place.
    QVERIFY(f.view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) <= 1);
    QVERIFY(!f.view->CompletionList());
    QVERIFY(!f.view->Tip()->IsShown());
}

QTEST_MAIN(FindTest)
#include "find_test.moc"
