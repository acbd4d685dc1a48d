// The program's profile: recent files, view switches, the session, the run command. QSettings
// writes its file through whatever link is planted under its name; so the settings work on a
// copy in a private folder, and each change reaches the real file as the recovery copies do:
// never through a link, never into a folder or a file of another user, by a rename of a
// temporary beside it. When the file cannot be kept, the settings live on in the copy until the
// program ends, and the cause is given once.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QSettings;

class ProfileStore {
public:
    // path: the profile file; the last ownParts folders above it must be this user's own.
    ProfileStore(const QString &path, int ownParts);
    ~ProfileStore();
    ProfileStore(const ProfileStore &) = delete;
    ProfileStore &operator=(const ProfileStore &) = delete;

    // Where the profile lives unless tests say otherwise: the toolkit's place for the settings of
    // organisation and program "Scriba" ($XDG_CONFIG_HOME/Scriba/Scriba.conf).
    static QString DefaultPath();
    static constexpr int kDefaultOwnParts = 1; // ".../Scriba"

    // Settings over the copy, brought up to date with the file first; what is changed in them
    // is written to the file when they are destroyed.
    std::unique_ptr<QSettings> Open();
    // Why the profile cannot be kept, the first time this is asked after there is a cause;
    // empty otherwise.
    QString TakeRefusal();
    // Called when a cause is first found, so that it can be given.
    void SetRefusalNotice(std::function<void()> notice) { m_notice = std::move(notice); }

private:
    friend class ProfileSettings;
    QString CopyPath() const;
    // Takes in what another program wrote to the file since it was last read or written.
    void Refresh();
    // Writes the copy to the file when it changed.
    void Publish();
    void Refuse(const QString &cause);

    QString m_path;
    int m_ownParts;
    QTemporaryDir m_private;
    QByteArray m_known; // the file's content as last read or written
    int m_generation = 0;
    QString m_refusal;
    bool m_refusalGiven = false;
    std::function<void()> m_notice;
};
