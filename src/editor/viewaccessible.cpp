#include "viewaccessible.h"

#include <Qsci/qsciscintillabase.h>

#include <QStringList>

#include <algorithm>

namespace {

using Sci = QsciScintillaBase;

QStringList &ClassNames()
{
    static QStringList names;
    return names;
}

QAccessibleInterface *Factory(const QString &className, QObject *object)
{
    if (object && object->isWidgetType() && ClassNames().contains(className))
        if (auto *editor = qobject_cast<QsciScintillaBase *>(object))
            return new CViewAccessible(editor);
    return nullptr;
}

// A piece of text on its own, so that Qt's own rules for characters, words and sentences can be
// applied to the few lines around an offset instead of to the whole text.
class PieceOfText : public QAccessibleTextInterface {
public:
    explicit PieceOfText(QString text) : m_text(std::move(text)) {}
    QString text(int startOffset, int endOffset) const override { return m_text.mid(startOffset, endOffset - startOffset); }
    int characterCount() const override { return int(m_text.size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    QString m_text;
};

CViewAccessible *Listened(QsciScintillaBase *editor)
{
    // Asking for the interface while no one listens would build it for nothing.
    if (!QAccessible::isActive())
        return nullptr;
    return dynamic_cast<CViewAccessible *>(QAccessible::queryAccessibleInterface(editor));
}

} // namespace

void CViewAccessible::InstallFor(const char *className)
{
    if (ClassNames().isEmpty())
        QAccessible::installFactory(Factory);
    if (!ClassNames().contains(QLatin1String(className)))
        ClassNames().append(QLatin1String(className));
}

void CViewAccessible::CaretMoved(QsciScintillaBase *editor)
{
    if (CViewAccessible *self = Listened(editor)) {
        QAccessibleTextCursorEvent event(editor, self->cursorPosition());
        QAccessible::updateAccessibility(&event);
    }
}

void CViewAccessible::AboutToInsert(QsciScintillaBase *editor, qint64 position, const char *text, qint64 length)
{
    if (CViewAccessible *self = Listened(editor)) {
        QAccessibleTextInsertEvent event(editor, self->OffsetOf(position),
                                         text ? QString::fromUtf8(text, length) : QString());
        QAccessible::updateAccessibility(&event);
    }
}

void CViewAccessible::AboutToDelete(QsciScintillaBase *editor, qint64 position, qint64 length)
{
    if (CViewAccessible *self = Listened(editor)) {
        QAccessibleTextRemoveEvent event(editor, self->OffsetOf(position), self->TextBetween(position, position + length));
        QAccessible::updateAccessibility(&event);
    }
}

CViewAccessible::CViewAccessible(QsciScintillaBase *editor) : QAccessibleWidget(editor, QAccessible::EditableText) {}

void *CViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QsciScintillaBase *CViewAccessible::Editor() const
{
    return static_cast<QsciScintillaBase *>(widget());
}

// ---------------------------------------------------------------- offsets and positions

void CViewAccessible::EnsureIndex() const
{
    if (m_indexed)
        return;
    Editor()->SendScintilla(Sci::SCI_ALLOCATELINECHARACTERINDEX, Sci::SC_LINECHARACTERINDEX_UTF16);
    m_indexed = true;
}

qint64 CViewAccessible::LineStartOffset(qint64 line) const
{
    EnsureIndex();
    return Editor()->SendScintilla(Sci::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                                   static_cast<long>(Sci::SC_LINECHARACTERINDEX_UTF16));
}

int CViewAccessible::OffsetOf(qint64 position) const
{
    QsciScintillaBase *editor = Editor();
    const qint64 line = editor->SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const qint64 lineStart = editor->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return int(LineStartOffset(line) + editor->SendScintilla(Sci::SCI_COUNTCODEUNITS,
                                                             static_cast<unsigned long>(lineStart),
                                                             static_cast<long>(position)));
}

qint64 CViewAccessible::PositionOf(int offset) const
{
    QsciScintillaBase *editor = Editor();
    offset = std::clamp(offset, 0, characterCount());
    const qint64 line = editor->SendScintilla(Sci::SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset),
                                              static_cast<long>(Sci::SC_LINECHARACTERINDEX_UTF16));
    const qint64 lineStart = editor->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return editor->SendScintilla(Sci::SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(lineStart),
                                 static_cast<long>(offset - LineStartOffset(line)));
}

QString CViewAccessible::TextBetween(qint64 start, qint64 end) const
{
    QsciScintillaBase *editor = Editor();
    end = std::min<qint64>(end, editor->SendScintilla(Sci::SCI_GETLENGTH));
    if (start >= end)
        return {};
    const char *bytes = reinterpret_cast<const char *>(editor->SendScintilla(
        Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), static_cast<long>(end - start)));
    return QString::fromUtf8(bytes, end - start);
}

// ---------------------------------------------------------------- text

QString CViewAccessible::text(int startOffset, int endOffset) const
{
    return TextBetween(PositionOf(startOffset), PositionOf(endOffset));
}

int CViewAccessible::characterCount() const
{
    const qint64 lines = Editor()->SendScintilla(Sci::SCI_GETLINECOUNT);
    return int(LineStartOffset(lines));
}

QString CViewAccessible::TextAround(Around where, int offset, QAccessible::TextBoundaryType boundaryType,
                                    int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = -1;
    const int count = characterCount();
    if (offset == -1)
        offset = count;
    if (offset < 0 || offset > count)
        return {};
    if (boundaryType == QAccessible::NoBoundary) {
        if (where != Around::At)
            return {};
        *startOffset = 0;
        *endOffset = count;
        return text(0, count);
    }
    QsciScintillaBase *editor = Editor();
    const qint64 lines = editor->SendScintilla(Sci::SCI_GETLINECOUNT);
    const qint64 line = editor->SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(PositionOf(offset)));
    auto lineRange = [&](qint64 l) { return std::pair(int(LineStartOffset(l)), int(LineStartOffset(l + 1))); };
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary) {
        const qint64 wanted = line + (where == Around::Before ? -1 : where == Around::After ? 1 : 0);
        if (wanted < 0 || wanted >= lines)
            return {};
        std::tie(*startOffset, *endOffset) = lineRange(wanted);
        return text(*startOffset, *endOffset);
    }
    // Characters, words and sentences: Qt's rules, applied to the line and its two neighbours.
    // Qt's search for the item at the very end of a text never ends; there is none.
    if (where == Around::At && offset == count)
        return {};
    const int first = lineRange(std::max<qint64>(line - 1, 0)).first;
    const int last = lineRange(std::min(line + 1, lines - 1)).second;
    const PieceOfText piece(text(first, last));
    QString found;
    switch (where) {
    case Around::Before: found = piece.textBeforeOffset(offset - first, boundaryType, startOffset, endOffset); break;
    case Around::At: found = piece.textAtOffset(offset - first, boundaryType, startOffset, endOffset); break;
    case Around::After: found = piece.textAfterOffset(offset - first, boundaryType, startOffset, endOffset); break;
    }
    if (*startOffset >= 0) {
        *startOffset += first;
        *endOffset += first;
    }
    return found;
}

QString CViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                          int *endOffset) const
{
    return TextAround(Around::Before, offset, boundaryType, startOffset, endOffset);
}

QString CViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                         int *endOffset) const
{
    return TextAround(Around::After, offset, boundaryType, startOffset, endOffset);
}

QString CViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                      int *endOffset) const
{
    return TextAround(Around::At, offset, boundaryType, startOffset, endOffset);
}

QString CViewAccessible::attributes(int, int *startOffset, int *endOffset) const
{
    // The colours are the only formatting and mean nothing read aloud.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

// ---------------------------------------------------------------- caret and selection

int CViewAccessible::cursorPosition() const
{
    return OffsetOf(Editor()->SendScintilla(Sci::SCI_GETCURRENTPOS));
}

void CViewAccessible::setCursorPosition(int position)
{
    Editor()->SendScintilla(Sci::SCI_GOTOPOS, static_cast<unsigned long>(PositionOf(position)));
}

int CViewAccessible::selectionCount() const
{
    return Editor()->SendScintilla(Sci::SCI_GETSELECTIONSTART) != Editor()->SendScintilla(Sci::SCI_GETSELECTIONEND);
}

void CViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = OffsetOf(Editor()->SendScintilla(Sci::SCI_GETSELECTIONSTART));
    *endOffset = OffsetOf(Editor()->SendScintilla(Sci::SCI_GETSELECTIONEND));
}

void CViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void CViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        Editor()->SendScintilla(Sci::SCI_SETEMPTYSELECTION, Editor()->SendScintilla(Sci::SCI_GETCURRENTPOS));
}

void CViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        Editor()->SendScintilla(Sci::SCI_SETSEL, static_cast<unsigned long>(PositionOf(startOffset)),
                                static_cast<long>(PositionOf(endOffset)));
}

// ---------------------------------------------------------------- geometry

QRect CViewAccessible::characterRect(int offset) const
{
    QsciScintillaBase *editor = Editor();
    const qint64 position = PositionOf(offset);
    const auto at = static_cast<long>(position);
    const int x = int(editor->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, at));
    const int y = int(editor->SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, at));
    const long next = editor->SendScintilla(Sci::SCI_POSITIONAFTER, static_cast<unsigned long>(position));
    const int nextX = int(editor->SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, next));
    const int line = int(editor->SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
    const int height = int(editor->SendScintilla(Sci::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    const int width = std::max(1, nextX - x);
    return QRect(editor->viewport()->mapToGlobal(QPoint(x, y)), QSize(width, height));
}

int CViewAccessible::offsetAtPoint(const QPoint &point) const
{
    QsciScintillaBase *editor = Editor();
    const QPoint local = editor->viewport()->mapFromGlobal(point);
    const long position = editor->SendScintilla(Sci::SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(local.x()),
                                                static_cast<long>(local.y()));
    return position < 0 ? -1 : OffsetOf(position);
}

void CViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    Editor()->SendScintilla(Sci::SCI_SCROLLRANGE, static_cast<unsigned long>(PositionOf(endIndex)),
                            static_cast<long>(PositionOf(startIndex)));
}

// ---------------------------------------------------------------- editing

void CViewAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void CViewAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void CViewAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    QsciScintillaBase *editor = Editor();
    const QByteArray bytes = text.toUtf8();
    editor->SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(PositionOf(startOffset)),
                          static_cast<long>(PositionOf(endOffset)));
    editor->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.constData());
}
