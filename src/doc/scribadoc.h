// The document of one Lua script: its title, its file, and the bytes held by its view.
#pragma once

#include <QObject>
#include <QString>

class CScribaView;

// Counts the untitled names given out in this run; names are never reused.
extern int g_untitledCount;

class CScribaDoc : public QObject {
    Q_OBJECT

public:
    explicit CScribaDoc(QObject *parent = nullptr);
    ~CScribaDoc() override;

    void SetView(CScribaView *view) { m_view = view; }
    CScribaView *GetView() const { return m_view; }

    const QString &GetTitle() const { return m_title; }
    const QString &GetPathName() const { return m_pathName; }
    // True once the document has a file of its own on disk (opened or saved).
    bool HasFileOnDisk() const { return m_onDisk; }

    // Shows the title unchanged when it ends in ".lua", else the next untitled name.
    void SetTitle(const QString &title);
    bool OnNewDocument();
    // Loads the file byte for byte; on failure error says why and the document is unchanged.
    bool OnOpenDocument(const QString &path, QString *error);
    // Writes the text byte for byte through a temporary file, so a failure leaves the old file.
    bool OnSaveDocument(const QString &path, QString *error);

    bool IsModified() const;
    void SetModifiedFlag(bool modified);

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

private:
    void EmptyAsUntitled();
    QString FileNameForPrompt() const;
    QString ProposedSavePath() const;

    CScribaView *m_view = nullptr;
    QString m_title;
    QString m_pathName;
    bool m_onDisk = false;
};
