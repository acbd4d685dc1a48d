// The session: the scripts open at the last normal exit, in tab order, with the active one and
// where each was scrolled to. Kept in the profile store (group "Session"), never in Scriba.ini.
#pragma once

#include <QList>
#include <QString>

class QSettings;

struct SessionScript {
    QString path;
    qint64 caretLine = 0;
    qint64 caretColumn = 0; // bytes from the start of the caret's line
    qint64 firstVisibleLine = 0;

    bool operator==(const SessionScript &) const = default;
};

struct Session {
    QList<SessionScript> scripts;
    int active = -1; // index into scripts, -1 for none

    bool operator==(const Session &) const = default;
};

// The most scripts a session keeps; a larger count in the store is read as this many.
constexpr int kMaxSessionScripts = 200;

// Replaces the stored session with this one.
void StoreSession(QSettings &store, const Session &session);
Session ReadSession(QSettings &store);
