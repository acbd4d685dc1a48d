// The document of one Lua script: its title, its file, and the bytes held by its view.
#pragma once

#include "app/fileio.h"

#include <QObject>
#include <QString>

class CRecoveryCopy;
class CScribaView;
class DocumentHost;

// Counts the untitled names given out in this run; names are never reused.
extern int g_untitledCount;

class CScribaDoc : public QObject {
    Q_OBJECT

public:
    // host: the program the document lives in, for its prompts and the other documents.
    explicit CScribaDoc(DocumentHost &host, QObject *parent = nullptr);
    ~CScribaDoc() override;

    void SetView(CScribaView *view);
    CScribaView *GetView() const { return m_view; }
    DocumentHost &Host() const { return m_host; }

    const QString &GetTitle() const { return m_title; }
    const QString &GetPathName() const { return m_pathName; }
    // True once the document has a file of its own on disk (opened or saved).
    bool HasFileOnDisk() const { return m_onDisk; }

    // Shows the title unchanged when it ends in ".lua", else the next untitled name.
    void SetTitle(const QString &title);
    bool OnNewDocument();
    // Loads the file byte for byte; on failure error says why and the document is unchanged.
    // Only regular files are read, and never one too large to hold.
    bool OnOpenDocument(const QString &path, QString *error);
    // Writes the text byte for byte through SafeFileWriter, so a failure leaves the old file
    // and a save keeps the file's owner, permissions and links. A read-only file is written
    // only when overwriteReadOnly says so.
    bool OnSaveDocument(const QString &path, QString *error, bool overwriteReadOnly = false);
    // Shows a recovered copy: the file at path (if any) is loaded as the saved version and the
    // text replaces it as one change that Undo takes back, so the document is modified. An
    // untitled script keeps the title it had.
    void OnRecoverDocument(const QString &path, const QString &title, const QByteArray &text);

    bool IsModified() const;
    void SetModifiedFlag(bool modified);

    // Notices what another program did to the file since it was loaded or saved: a changed file
    // is offered for reloading, once per version (a modified document loses its changes to the
    // reload, as one step that Undo takes back); a deleted file marks the document modified,
    // saying so once. Called when the main window becomes active.
    void CheckFileOnDisk();
    // True when CheckFileOnDisk has something to ask or say.
    bool FileChangedOnDisk() const;

    void SetRecoveryCopy(CRecoveryCopy *copy) { m_recoveryCopy = copy; }
    CRecoveryCopy *RecoveryCopy() const { return m_recoveryCopy; }

    // The Save command: Save As for a document that was never saved. False if not saved.
    bool DoFileSave();
    // Save As when path is empty. False if cancelled or failed (the failure is reported).
    bool DoSave(const QString &path);
    // Asks "Save changes to ...?" for a modified document; false when the user cancels or the
    // save does not complete.
    bool SaveModified();

    void OnFileClose();
    void OnFileSaveAll();

signals:
    void titleChanged(const QString &title);
    void modifiedChanged(bool modified);

private:
    void EmptyAsUntitled();
    QString FileNameForPrompt() const;
    QString ProposedSavePath() const;
    // The questions before a save replaces path: a read-only file, a file another program
    // changed. False when the user said No.
    bool ConfirmOverwrite(const QString &path, bool *overwriteReadOnly);
    void SetMarkedModified(bool marked);
    bool LoadFile(const QString &path, QString *error);
    // Replaces the text with the file's as it is now; false, with the message, on failure.
    bool Reload(QString *error);

    DocumentHost &m_host;
    CScribaView *m_view = nullptr;
    QString m_title;
    QString m_pathName;
    bool m_onDisk = false;
    FileStamp m_diskStamp;            // the file as last loaded, saved or seen deleted
    FileStamp m_askedStamp;           // the other program's version last asked about
    bool m_markedModified = false;    // modified without a change of the text: its file went
    CRecoveryCopy *m_recoveryCopy = nullptr;
};
