// What assistive technology (a screen reader) sees of an editing view: its text, caret and
// selection, in UTF-16 offsets as Qt's accessibility counts them.
//
// QScintilla's own accessible interface counts the characters from the start of the text to the
// caret on every caret move and every change, whether or not anything listens: near the end of a
// 50 MB script each key then costs tens of milliseconds. Qt creates an interface for every widget
// that is shown, so the view gets this one instead. It answers each question through Scintilla's
// line index of UTF-16 offsets, built on the first question, at the cost of the line concerned;
// and the view reports its changes only while an assistive technology is listening.
#pragma once

#include <QAccessibleWidget>

class QsciScintillaBase;

class CViewAccessible : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface {
public:
    // Makes Qt create this interface for every widget of the class named className.
    static void InstallFor(const char *className);

    // The reports of the view's changes; each does nothing while no one listens.
    static void CaretMoved(QsciScintillaBase *editor);
    static void AboutToInsert(QsciScintillaBase *editor, qint64 position, const char *text, qint64 length);
    static void AboutToDelete(QsciScintillaBase *editor, qint64 position, qint64 length);

    explicit CViewAccessible(QsciScintillaBase *editor);

    void *interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    enum class Around { Before, At, After };
    QString TextAround(Around where, int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                       int *endOffset) const;
    QsciScintillaBase *Editor() const;
    void EnsureIndex() const;
    qint64 LineStartOffset(qint64 line) const;
    int OffsetOf(qint64 position) const;
    qint64 PositionOf(int offset) const;
    QString TextBetween(qint64 start, qint64 end) const;

    mutable bool m_indexed = false;
};
