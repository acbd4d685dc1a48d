// Resting the pointer on a line of the Problems tab that names a Tarn function ("tg_old is
// deprecated", "tg_setbc expects 3 arguments") shows what the reference says of that function.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QAbstractItemView;
class CScribaCObArray;
class TarnReference;
using FunctionTable = CScribaCObArray;

class CProblemHover : public QObject {
    Q_OBJECT

public:
    // The table must outlive the hover.
    CProblemHover(QAbstractItemView &list, const FunctionTable &functions,
                  std::shared_ptr<const TarnReference> reference, QObject *parent);

    // The rich text for the first function of the table that message names, or "".
    QString TextFor(const QString &message) const;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QAbstractItemView &m_list;
    const FunctionTable &m_functions;
    std::shared_ptr<const TarnReference> m_reference;
};
