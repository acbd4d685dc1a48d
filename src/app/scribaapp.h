// The application object: start-up and exit, the configuration file, the open documents,
// the recent-file list and the services the frames and views share.
#pragma once

#include "doc/documenthost.h"
#include "prompter.h"

#include <QList>
#include <QObject>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class CMainFrame;
class CScribaDoc;
class LinkOpener;
class QSettings;
class CScribaView;
class ProfileStore;
class RecoveryStore;
class TarnReference;
struct LoadedReference;
struct RecoveredScript;
struct SessionScript;

class CScribaApp : public DocumentHost {
    Q_OBJECT

public:
    // iniPath: where "Scriba.ini" lives; empty for the usual place (DefaultIniPath).
    explicit CScribaApp(const QString &iniPath = QString());
    ~CScribaApp() override;

    static CScribaApp *Instance() { return s_instance; }
    // Beside the executable, or in the per-user configuration folder when that is not writable.
    static QString DefaultIniPath();
    // Where the recovery copies live; set before InitInstance (tests keep theirs apart).
    void SetRecoveryFolder(const QString &folder) { m_recoveryFolder = folder; }
    RecoveryStore *Recovery() const { return m_recovery.get(); }

    // files: the scripts named on the command line. False ends start-up.
    bool InitInstance(const QStringList &files);
    int ExitInstance();

    void ReadIni();
    void WriteIni();
    const QString &IniPath() const { return m_iniPath; }
    const std::string &Header() const { return m_header; }

    Prompter &GetPrompter() override { return *m_prompter; }
    void SetPrompter(std::unique_ptr<Prompter> prompter) { m_prompter = std::move(prompter); }
    CMainFrame *MainFrame() const { return m_mainFrame; }
    // How links are opened; tests put their own in its place.
    LinkOpener &GetLinkOpener() { return *m_linkOpener; }
    void SetLinkOpener(std::unique_ptr<LinkOpener> opener);

    // Documents.
    const QList<CScribaDoc *> &Documents() const override { return m_documents; }
    CScribaDoc *OnFileNew();
    void OnFileOpen();
    // Where the Open and Save As dialogs start: the active document's folder, else the folder
    // of the last file chosen in one of them, else the current folder.
    QString DialogFolder() const override;
    void RememberFolder(const QString &chosenFile) override;
    // Opens the file, or activates it when it is open already; null (after a message) on failure.
    CScribaDoc *OpenDocumentFile(const QString &path) override;
    // The open document, other than except, whose file path names: by its path, or through a
    // link or another name of the same file. Null when there is none.
    CScribaDoc *FindDocumentOfFile(const QString &path, const CScribaDoc *except = nullptr) const override;
    void CloseDocument(CScribaDoc *document) override;
    // Asks about every modified document in turn, each shown while it is asked about; false
    // when the user cancelled.
    bool SaveAllModified() override;
    // Closes every document without asking (after SaveAllModified).
    void CloseAllDocuments();
    // Asks about each open file that another program changed or deleted; run whenever the
    // program becomes the active one.
    void CheckFilesOnDisk();
    // Offers the copies that a Scriba which did not close normally left behind.
    void OfferRecovery();
    // Keeps the scripts open now, in tab order, for a start without script names; at a normal
    // exit, before the documents close.
    void SaveSession();

    // Recent files, four entries, most recent first, kept in the program's profile store;
    // profilePath names another file for it (tests keep theirs apart that way).
    void SetProfilePath(const QString &profilePath);
    QStringList RecentFiles() const;
    // The profile store the recent files live in, for the other things kept beside them.
    std::unique_ptr<QSettings> OpenProfile() const override;
    void AddToRecentFileList(const QString &path) override;
    void RemoveFromRecentFileList(int index);
    bool OnOpenRecentFile(int commandId);

    void OnPrintSetup();
    void OnAppAbout();
    // Runs the Preferences dialog over the settings store.
    void OnPreferences();
    // The page that Print Setup chose; every print and preview uses it.
    const QPageLayout &PageLayout() const override { return m_pageLayout; }
    void ApplySettingsToViews();

    // Whether scripts are checked as they are typed; kept with the recent files, on at first.
    bool ScriptChecking() const { return m_scriptChecking; }
    // Tarn's reference, read once at start: "Tarn.d.lua" beside "Scriba.ini", else the built-in one.
    const std::shared_ptr<const TarnReference> &Reference() const override { return m_reference; }
    void SetScriptChecking(bool on);
    // Whether a start without script names opens the last session's scripts; kept with the
    // recent files, on at first.
    bool ReopenSession() const;
    void SetReopenSession(bool on);

signals:
    void recentFilesChanged();

private:
    CScribaDoc *CreateDocument();
    void StoreRecentFiles(const QStringList &files);
    void ShowIniError(const QString &cause);
    void LoadTarnReference();
    void ReportReferenceProblems();
    // Why the profile cannot be kept, once, when the window shows.
    void ReportProfileRefusal();
    void StartRecovery();
    void RecoverScript(const RecoveredScript &script);
    // Opens the scripts of the last session; the names of those that are gone, for a message.
    QStringList RestoreSession();
    // Opens a script of the session as opening by name does, without making it the active one.
    CScribaDoc *OpenSessionScript(const QString &absolutePath);
    static void PlaceSessionCaret(CScribaView *view, const SessionScript &script);
    void ReportMissingScripts(const QStringList &missing);

    static CScribaApp *s_instance;

    QString m_iniPath;
    QString m_profilePath;
    mutable std::unique_ptr<ProfileStore> m_profile; // made when first opened
    QString m_lastFolder;
    std::string m_header;
    // The stored file is replaced at exit only when it was read, or did not exist: otherwise it
    // would lose the user's tables and header.
    bool m_iniMayBeWritten = false;
    std::unique_ptr<Prompter> m_prompter;
    std::unique_ptr<LinkOpener> m_linkOpener;
    QString m_recoveryFolder;
    std::unique_ptr<RecoveryStore> m_recovery;
    QString m_recoveryError; // why no copies are kept, until the window has said so
    bool m_checkingFiles = false;
    CMainFrame *m_mainFrame = nullptr;
    QList<CScribaDoc *> m_documents;
    QPageLayout m_pageLayout;
    bool m_scriptChecking = true;
    std::shared_ptr<const TarnReference> m_reference;
    std::unique_ptr<LoadedReference> m_referenceLoad; // what is said of the reference, after start-up
};
