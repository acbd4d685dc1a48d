#include "deprecatednamedelegate.h"

#include "reference/tarnreference.h"

CDeprecatedNameDelegate::CDeprecatedNameDelegate(const TarnReference &reference, QObject *parent)
    : QStyledItemDelegate(parent), m_reference(reference)
{
}

bool CDeprecatedNameDelegate::IsStruckThrough(const QModelIndex &index) const
{
    const FunctionDoc *doc = m_reference.Find(index.data().toString().toStdString());
    return doc && doc->deprecated;
}

void CDeprecatedNameDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (IsStruckThrough(index))
        option->font.setStrikeOut(true);
}
