// Draws the completion list's names, those the reference marks deprecated struck through. The
// reference is asked only for the rows being painted.
#pragma once

#include <QStyledItemDelegate>

class TarnReference;

class CDeprecatedNameDelegate : public QStyledItemDelegate {
public:
    // The reference must outlive the delegate.
    CDeprecatedNameDelegate(const TarnReference &reference, QObject *parent);

    bool IsStruckThrough(const QModelIndex &index) const;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    const TarnReference &m_reference;
};
