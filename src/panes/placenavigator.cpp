#include "placenavigator.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"
#include "panes/resultmodel.h"

#include <algorithm>

bool PlaceNavigator::Go(const ResultEntry &entry)
{
    auto *document = qobject_cast<CScribaDoc *>(entry.document.data());
    if (!document || !m_host.Documents().contains(document))
        document = entry.path.isEmpty() ? nullptr : m_host.OpenDocumentFile(entry.path);
    if (!document)
        return false;
    m_frame.ActivateDocument(document);
    CScribaView *view = document->GetView();
    PutCaret(view, entry.line, entry.column);
    view->setFocus();
    return true;
}

void PlaceNavigator::PutCaret(CScribaView *view, int line, int column)
{
    const long lines = view->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    const long target = std::clamp<long>(line - 1, 0, lines - 1);
    const long start = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, target);
    const long end = view->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, target);
    long position = start;
    if (column > 1) {
        position = view->SendScintilla(QsciScintillaBase::SCI_POSITIONRELATIVE, start, long(column - 1));
        if (position <= start || position > end) // beyond the text, or past the line's end
            position = end;
    }
    PutCaretAt(view, position);
}

void PlaceNavigator::PutCaretAt(CScribaView *view, qint64 position)
{
    const long line = view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    view->SendScintilla(QsciScintillaBase::SCI_ENSUREVISIBLE, line);
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(position));
    view->SendScintilla(QsciScintillaBase::SCI_CHOOSECARETX);
    const long first = view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long shown = view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    const long displayLine = view->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, line);
    if (displayLine < first || displayLine >= first + shown)
        view->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, std::max(0L, displayLine - shown / 2));
}
