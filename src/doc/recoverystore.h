// Copies of unsaved scripts in the per-user state folder, so that a crash or a power loss does
// not take them. Every running Scriba keeps its copies in a folder of its own, named after its
// process in a way that survives the reuse of process numbers (boot, process id, start time);
// the copies of a Scriba that is gone are claimed by the next one that starts. Copies are
// written on a worker thread, so that a big script never holds up typing.
#pragma once

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
};

class RecoveryStore {
public:
    // folder: where every Scriba keeps its copies (DefaultFolder unless tests say otherwise).
    explicit RecoveryStore(const QString &folder);
    // Waits for the copies being written and leaves them where they are.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    // $XDG_STATE_HOME/Scriba/recovery, by default ~/.local/state/Scriba/recovery (in Qt's test
    // mode a folder of its own beside the test configuration).
    static QString DefaultFolder();

    // Makes this process's own folder; false, with the cause, when no copies can be kept.
    bool Start(QString *error);
    const QString &SessionFolder() const { return m_session; }

    // Moves the copies of every Scriba that is gone into this process's folder, where no other
    // Scriba can take them too, and returns them.
    QList<RecoveredScript> ClaimOrphans();
    // Deletes the claimed copies once they are open again or declined.
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
    QString CopyPath(int slot, const char *suffix) const;
    void StopWorker();

    QString m_folder;
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
