// Copies of unsaved scripts in the per-user state folder, so that a crash or a power loss does
// not take them. Every running Scriba keeps its copies in a folder of its own, named after its
// process in a way that survives the reuse of process numbers (boot, process id, start time);
// the copies of a Scriba that is gone are claimed by the next one that starts. Copies are
// written on a worker thread, so that a big script never holds up typing.
//
// Nothing under the recovery folder is trusted: it is worked on through open descriptors, and a
// link, a file that is not a regular one or anything of another user's is never read, written
// or deleted through. Only the files the store names itself are ever removed, one by one.
#pragma once

#include "doc/ownfolder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct RecoveredScript {
    QString path;  // the script's file, empty for an untitled script
    QString title; // as the document showed it
    QByteArray text;
    // A copy larger than a script can be is not read, and stays where it is, at copyPath.
    bool tooLarge = false;
    QString copyPath;
};

// The scripts of a recovery question, one a line: their files, or the untitled names, the first
// ten of them and then how many more.
QString ListRecoveredScripts(const QList<RecoveredScript> &scripts);

class RecoveryStore {
public:
    // folder: where every Scriba keeps its copies (DefaultFolder unless tests say otherwise);
    // its last ownParts parts are the store's own folders, refused when they are links, belong
    // to another user or may be written by others (kDefaultOwnParts for DefaultFolder).
    explicit RecoveryStore(const QString &folder, int ownParts = 1);
    // Waits for the copies being written and leaves them where they are.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    // $XDG_STATE_HOME/Scriba/recovery, by default ~/.local/state/Scriba/recovery (in Qt's test
    // mode a folder of its own beside the test configuration).
    static QString DefaultFolder();
    static constexpr int kDefaultOwnParts = 2; // ".../Scriba/recovery"

    // Makes this process's own folder; false, with the cause, when no copies can be kept.
    bool Start(QString *error);
    const QString &SessionFolder() const { return m_session; }

    // Moves the copies of every Scriba that is gone into this process's folder, where no other
    // Scriba can take them too, and returns them.
    QList<RecoveredScript> ClaimOrphans();
    // Deletes the claimed copies once they are open again or declined; a copy too large to
    // open is kept.
    void DiscardClaimed();

    // The copies of this process's documents, one slot per document, written and removed in
    // the order asked. A copy asked for again before it was written is written once.
    int NewSlot() { return ++m_lastSlot; }
    void Store(int slot, QByteArray text, const QString &path, const QString &title);
    void Remove(int slot);
    // Returns once every copy asked for is written or removed.
    void Flush();
    // A clean exit: this process's folder goes, with every copy in it.
    void Finish();

private:
    struct Task {
        int slot = 0;
        bool remove = false;
        QByteArray text;
        QByteArray info;
    };

    void Enqueue(Task task);
    void Run();
    void Carry(const Task &task) const;
    void StopWorker();

    QString m_folder;
    int m_ownParts;
    OwnFolder m_folderDir;
    OwnFolder m_sessionDir;
    QString m_session;
    int m_lastSlot = 0;
    int m_claimed = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Task> m_tasks;
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_worker;
};
