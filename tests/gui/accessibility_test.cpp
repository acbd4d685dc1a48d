// What a screen reader reads of the editor view: the text, caret and selection in UTF-16 offsets,
// through the view's own accessible interface rather than QScintilla's.
#include "guitestsupport.h"

#include "editor/scribaview.h"
#include "editor/viewaccessible.h"
#include "frame/mainframe.h"

#include <QAccessible>
#include <QTest>

namespace {

// Two- and four-byte characters and every kind of line end.
const QByteArray kText("local s = \"\xc3\xa9\" -- \xf0\x9f\x98\x80 x\r\nsecond line\nthird\rlast");

struct Reader {
    AppFixture fixture;
    CScribaView *view = fixture.ActiveView();
    QString expected = QString::fromUtf8(kText);
    QAccessibleTextInterface *text = nullptr;

    Reader()
    {
        view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, kText.constData());
        QAccessibleInterface *found = QAccessible::queryAccessibleInterface(view);
        if (dynamic_cast<CViewAccessible *>(found))
            text = found->textInterface();
    }
    long BytesBefore(int offset) const { return long(expected.left(offset).toUtf8().size()); }
};

// Qt's own answers for a whole string, as a reference.
class WholeText : public QAccessibleTextInterface {
public:
    explicit WholeText(QString text) : m_text(std::move(text)) {}
    QString text(int startOffset, int endOffset) const override { return m_text.mid(startOffset, endOffset - startOffset); }
    int characterCount() const override { return int(m_text.size()); }
    void selection(int, int *, int *) const override {}
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *, int *) const override { return {}; }

private:
    QString m_text;
};

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void textAndCaretUseUtf16Offsets();
    void linesAroundAnOffset_data();
    void linesAroundAnOffset();
    void charactersWordsAndSentencesFollowQtsRules();
    void selectionGeometryAndEditing();
};

void AccessibilityTest::textAndCaretUseUtf16Offsets()
{
    Reader reader;
    QVERIFY(reader.text);
    const QString &expected = reader.expected;
    QCOMPARE(reader.text->characterCount(), int(expected.size()));
    // Offsets inside a surrogate pair name no position of the text.
    auto between = [&](int offset) { return offset >= expected.size() || !expected[offset].isLowSurrogate(); };
    for (int a = 0; a <= expected.size(); ++a) {
        if (!between(a))
            continue;
        for (int b = a; b <= expected.size(); ++b)
            if (between(b))
                QCOMPARE(reader.text->text(a, b), expected.mid(a, b - a));
        reader.text->setCursorPosition(a);
        QCOMPARE(reader.view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), reader.BytesBefore(a));
        QCOMPARE(reader.text->cursorPosition(), a);
    }
}

void AccessibilityTest::linesAroundAnOffset_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("where"); // -1 before, 0 at, 1 after
    QTest::addColumn<QString>("found");
    const QString first = QString::fromUtf8(kText.left(kText.indexOf('\n') + 1));
    QTest::newRow("at the start") << 0 << 0 << first;
    QTest::newRow("at, LF end") << 26 << 0 << QStringLiteral("second line\n");
    QTest::newRow("before") << 26 << -1 << first;
    QTest::newRow("after, CR end") << 26 << 1 << QStringLiteral("third\r");
    QTest::newRow("at the end of the text") << -1 << 0 << QStringLiteral("last");
    QTest::newRow("nothing before the first") << 3 << -1 << QString();
    QTest::newRow("nothing after the last") << 45 << 1 << QString();
}

void AccessibilityTest::linesAroundAnOffset()
{
    QFETCH(int, offset);
    QFETCH(int, where);
    QFETCH(QString, found);
    Reader reader;
    QVERIFY(reader.text);
    int start = -2, end = -2;
    const QString got = where < 0   ? reader.text->textBeforeOffset(offset, QAccessible::LineBoundary, &start, &end)
                        : where > 0 ? reader.text->textAfterOffset(offset, QAccessible::LineBoundary, &start, &end)
                                    : reader.text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(got, found);
    if (!found.isEmpty())
        QCOMPARE(reader.expected.mid(start, end - start), found);
}

void AccessibilityTest::charactersWordsAndSentencesFollowQtsRules()
{
    // The view applies Qt's rules to the lines around the offset; the same rules applied to the
    // whole text must give the same answers, since no character, word or sentence crosses a line.
    Reader reader;
    QVERIFY(reader.text);
    const WholeText whole(reader.expected);
    for (auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary}) {
        for (int offset = -1; offset <= whole.characterCount(); ++offset) {
            int start = 0, end = 0, wholeStart = 0, wholeEnd = 0;
            const QString context = QStringLiteral("boundary %1, offset %2").arg(int(type)).arg(offset);
            QCOMPARE(reader.text->textBeforeOffset(offset, type, &start, &end),
                     whole.textBeforeOffset(offset, type, &wholeStart, &wholeEnd));
            QVERIFY2(std::pair(start, end) == std::pair(wholeStart, wholeEnd), qPrintable(context));
            // Qt's own search for the item at the very end of a text never returns: there is none.
            const bool atEnd = offset == -1 || offset == whole.characterCount();
            const QString at = reader.text->textAtOffset(offset, type, &start, &end);
            if (atEnd) {
                QVERIFY2(at.isEmpty() && start == -1 && end == -1, qPrintable(context));
            } else {
                QCOMPARE(at, whole.textAtOffset(offset, type, &wholeStart, &wholeEnd));
                QVERIFY2(std::pair(start, end) == std::pair(wholeStart, wholeEnd), qPrintable(context));
            }
            QCOMPARE(reader.text->textAfterOffset(offset, type, &start, &end),
                     whole.textAfterOffset(offset, type, &wholeStart, &wholeEnd));
            QVERIFY2(std::pair(start, end) == std::pair(wholeStart, wholeEnd), qPrintable(context));
        }
    }
}

void AccessibilityTest::selectionGeometryAndEditing()
{
    Reader reader;
    QVERIFY(reader.text);
    QAccessibleTextInterface *text = reader.text;
    reader.fixture.App().MainFrame()->show();
    text->setSelection(0, 11, 26);
    QCOMPARE(text->selectionCount(), 1);
    int start = 0, end = 0;
    text->selection(0, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(11, 26));
    QCOMPARE(reader.view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND), reader.BytesBefore(26));
    text->removeSelection(0);
    QCOMPARE(text->selectionCount(), 0);
    for (int offset : {0, 11, 17, 27, 44}) {
        const QRect box = text->characterRect(offset);
        QVERIFY2(box.isValid(), qPrintable(QString::number(offset)));
        QCOMPARE(text->offsetAtPoint(box.topLeft() + QPoint(1, box.height() / 2)), offset);
    }
    auto *editable = static_cast<QAccessibleEditableTextInterface *>(
        QAccessible::queryAccessibleInterface(reader.view)->interface_cast(QAccessible::EditableTextInterface));
    editable->replaceText(11, 12, QStringLiteral("\u00fc\u00fc"));
    editable->insertText(0, QStringLiteral("\U0001F600"));
    editable->deleteText(26, 29);
    QString expected = reader.expected;
    expected.replace(11, 1, QStringLiteral("\u00fc\u00fc")).insert(0, QStringLiteral("\U0001F600")).remove(26, 3);
    QCOMPARE(text->text(0, text->characterCount()), expected);
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
