#include "session.h"

#include <QSettings>

#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("Session");
const QString kScripts = QStringLiteral("Scripts");
const QString kActive = QStringLiteral("Active");
const QString kPath = QStringLiteral("Path");
const QString kCaretLine = QStringLiteral("CaretLine");
const QString kCaretColumn = QStringLiteral("CaretColumn");
const QString kFirstLine = QStringLiteral("FirstVisibleLine");

} // namespace

void StoreSession(QSettings &store, const Session &session)
{
    store.remove(kGroup);
    store.beginGroup(kGroup);
    const int count = int(std::min<qsizetype>(session.scripts.size(), kMaxSessionScripts));
    store.beginWriteArray(kScripts, count);
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        store.setValue(kPath, session.scripts[i].path);
        store.setValue(kCaretLine, session.scripts[i].caretLine);
        store.setValue(kCaretColumn, session.scripts[i].caretColumn);
        store.setValue(kFirstLine, session.scripts[i].firstVisibleLine);
    }
    store.endArray();
    store.setValue(kActive, session.active < count ? session.active : -1);
    store.endGroup();
}

Session ReadSession(QSettings &store)
{
    Session session;
    store.beginGroup(kGroup);
    const int storedActive = store.value(kActive, -1).toInt();
    // The count is the store's word: a damaged one must not keep the start-up reading.
    const int count = std::clamp(store.beginReadArray(kScripts), 0, kMaxSessionScripts);
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        SessionScript script;
        script.path = store.value(kPath).toString();
        script.caretLine = std::max<qint64>(0, store.value(kCaretLine).toLongLong());
        script.caretColumn = std::max<qint64>(0, store.value(kCaretColumn).toLongLong());
        script.firstVisibleLine = std::max<qint64>(0, store.value(kFirstLine).toLongLong());
        if (script.path.isEmpty())
            continue;
        if (i == storedActive)
            session.active = int(session.scripts.size());
        session.scripts.append(script);
    }
    store.endArray();
    store.endGroup();
    return session;
}
