#include "session.h"

#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Session");
const QString kScripts = QStringLiteral("Scripts");
const QString kActive = QStringLiteral("Active");
const QString kPath = QStringLiteral("Path");
const QString kCaretLine = QStringLiteral("CaretLine");
const QString kFirstLine = QStringLiteral("FirstVisibleLine");

} // namespace

void StoreSession(QSettings &store, const Session &session)
{
    store.remove(kGroup);
    store.beginGroup(kGroup);
    store.beginWriteArray(kScripts, int(session.scripts.size()));
    for (int i = 0; i < session.scripts.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(kPath, session.scripts[i].path);
        store.setValue(kCaretLine, session.scripts[i].caretLine);
        store.setValue(kFirstLine, session.scripts[i].firstVisibleLine);
    }
    store.endArray();
    store.setValue(kActive, session.active);
    store.endGroup();
}

Session ReadSession(QSettings &store)
{
    Session session;
    store.beginGroup(kGroup);
    const int count = store.beginReadArray(kScripts);
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        SessionScript script;
        script.path = store.value(kPath).toString();
        script.caretLine = std::max<qint64>(0, store.value(kCaretLine).toLongLong());
        script.firstVisibleLine = std::max<qint64>(0, store.value(kFirstLine).toLongLong());
        if (!script.path.isEmpty())
            session.scripts.append(script);
    }
    store.endArray();
    const int active = store.value(kActive, -1).toInt();
    session.active = active >= 0 && active < session.scripts.size() ? active : -1;
    store.endGroup();
    return session;
}
