#include "referencehover.h"

#include "app/settings.h"
#include "check/checkmarks.h"
#include "editor/referencetext.h"
#include "editor/scribaview.h"

#include <QToolTip>

CReferenceHover::CReferenceHover(CScribaView &view, const Settings &settings, std::function<QString(qint64)> describeOther)
    : QObject(&view), m_view(view), m_settings(settings), m_describeOther(std::move(describeOther))
{
    connect(&view, &QsciScintillaBase::SCN_DWELLSTART, this, [this](int position, int x, int y) { ShowAt(position, x, y); });
}

QString CReferenceHover::TextAt(qint64 position) const
{
    if (position < 0 || position >= m_view.TextLength())
        return QString();
    const auto at = static_cast<unsigned long>(position);
    const auto start = qint64(m_view.SendScintilla(QsciScintillaBase::SCI_WORDSTARTPOSITION, at, 1L));
    const auto end = qint64(m_view.SendScintilla(QsciScintillaBase::SCI_WORDENDPOSITION, at, 1L));
    const char before = start > 0 ? char(m_view.SendScintilla(QsciScintillaBase::SCI_GETCHARAT,
                                                              static_cast<unsigned long>(start - 1)))
                                  : ' ';
    if (end <= start)
        return QString();
    // A field or method ("t.tg_addpoint", "obj:tg_addpoint") is not the global function.
    const bool field = before == '.' || before == ':';
    const DocumentedFunction function =
        field ? DocumentedFunction() : LookUpFunction(m_settings.functions, m_view.Reference(), m_view.TextRange(start, end));
    if (function)
        return MarkdownToHtml(FunctionMarkdown(function, PageParts::Hover));
    const QString other = m_describeOther ? m_describeOther(position) : QString();
    return other.isEmpty() ? QString() : MarkdownToHtml(other);
}

void CReferenceHover::ShowAt(qint64 position, int x, int y)
{
    if (!m_view.Checks()->MessageAt(position).isEmpty())
        return;
    const QString text = TextAt(position);
    if (text.isEmpty())
        return;
    QWidget *viewport = m_view.viewport();
    QToolTip::showText(viewport->mapToGlobal(QPoint(x, y)), text, viewport);
}
