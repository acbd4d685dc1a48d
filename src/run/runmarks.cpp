#include "runmarks.h"

#include <Qsci/qsciscintilla.h>

#include <QToolTip>

CRunMarks *CRunMarks::Of(QsciScintilla *view)
{
    if (auto *marks = view->findChild<CRunMarks *>(QString(), Qt::FindDirectChildrenOnly))
        return marks;
    return new CRunMarks(view);
}

CRunMarks::CRunMarks(QsciScintilla *view)
    : QObject(view), m_view(view), m_indicator(view->indicatorDefine(QsciScintilla::SquiggleIndicator))
{
    view->setIndicatorForegroundColor(QColor(0xE0, 0x00, 0x00), m_indicator);
    connect(view, &QsciScintillaBase::SCN_MODIFIED, this, [this](int, int type) {
        // Announced before the change, when the marks must not be touched yet.
        if (!m_messages.isEmpty() && (type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE)))
            QMetaObject::invokeMethod(this, &CRunMarks::Clear, Qt::QueuedConnection);
    });
    connect(view, &QsciScintillaBase::SCN_DWELLSTART, this, [this](int, int x, int y) { ShowTip(x, y); });
}

void CRunMarks::Mark(int line, const QString &message)
{
    const long lines = m_view->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    if (line < 1 || line > lines)
        return;
    QString &text = m_messages[line];
    if (text.contains(message))
        return;
    text = text.isEmpty() ? message : text + QLatin1Char('\n') + message;
    // From the line's first character that is not a blank to its end, as a check error is marked.
    const long start = m_view->SendScintilla(QsciScintillaBase::SCI_GETLINEINDENTPOSITION, long(line - 1));
    long end = m_view->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, long(line - 1));
    if (end <= start) // an empty line: its line break, so something shows
        end = start + 1;
    m_view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, m_indicator);
    m_view->SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start), end - start);
}

void CRunMarks::Clear()
{
    if (m_messages.isEmpty())
        return;
    m_messages.clear();
    m_view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, m_indicator);
    m_view->SendScintilla(QsciScintillaBase::SCI_INDICATORCLEARRANGE, 0UL,
                          m_view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
}

void CRunMarks::ShowTip(int x, int y)
{
    if (m_messages.isEmpty())
        return;
    const long position = m_view->SendScintilla(QsciScintillaBase::SCI_CHARPOSITIONFROMPOINTCLOSE,
                                                static_cast<unsigned long>(x), static_cast<long>(y));
    if (position < 0 || !m_view->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT,
                                               static_cast<unsigned long>(m_indicator), position))
        return;
    const int line = int(m_view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position))) + 1;
    const QString message = m_messages.value(line);
    if (message.isEmpty())
        return;
    QWidget *viewport = m_view->viewport();
    QToolTip::showText(viewport->mapToGlobal(QPoint(x, y)),
                       QStringLiteral("<p style='white-space:pre'>%1</p>").arg(message.toHtmlEscaped()), viewport);
}
