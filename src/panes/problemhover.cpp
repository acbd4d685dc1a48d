#include "problemhover.h"

#include "editor/referencetext.h"
#include "panes/resultmodel.h"
#include "reference/tarnreference.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QRegularExpression>
#include <QToolTip>

CProblemHover::CProblemHover(QAbstractItemView &list, const FunctionTable &functions,
                             std::shared_ptr<const TarnReference> reference, QObject *parent)
    : QObject(parent), m_list(list), m_functions(functions),
      m_reference(reference ? std::move(reference) : SharedBuiltInReference())
{
    list.viewport()->installEventFilter(this);
}

QString CProblemHover::TextFor(const QString &message) const
{
    static const QRegularExpression name(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    for (auto it = name.globalMatch(message); it.hasNext();) {
        const DocumentedFunction function = LookUpFunction(m_functions, *m_reference, it.next().captured().toStdString());
        if (function)
            return MarkdownToHtml(FunctionMarkdown(function, PageParts::Hover));
    }
    return QString();
}

bool CProblemHover::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != m_list.viewport() || e->type() != QEvent::ToolTip)
        return false;
    auto *help = static_cast<QHelpEvent *>(e);
    const QModelIndex index = m_list.indexAt(help->pos());
    const QString text = index.isValid() ? TextFor(index.data(ResultModel::MessageRole).toString()) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        e->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, m_list.viewport());
    }
    return true;
}
