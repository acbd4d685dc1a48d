#include "testkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

void PostTestKeys(QWidget *target)
{
    const QString text = qEnvironmentVariable("SCRIBA_TEST_KEYS");
    if (!target || text.isEmpty())
        return;
    for (const QChar c : text) {
        const int key = c == u'\n' ? int(Qt::Key_Return) : int(Qt::Key_unknown);
        const QString typed = c == u'\n' ? QStringLiteral("\r") : QString(c);
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, typed));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, typed));
    }
}
