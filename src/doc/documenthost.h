// What a document, its view and the panes need of the program around them: the prompter, the
// open documents, the profile store and Tarn's reference. The application object is the one
// host; a test can give a class a host of its own.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class CScribaDoc;
class Prompter;
class QPageLayout;
class QSettings;
class TarnReference;

class DocumentHost : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Everything that asks the user goes through it.
    virtual Prompter &GetPrompter() = 0;

    // The open documents, in the order they were opened.
    virtual const QList<CScribaDoc *> &Documents() const = 0;
    // Opens the file, or activates it when it is open already; null (after a message) on failure.
    virtual CScribaDoc *OpenDocumentFile(const QString &path) = 0;
    // The open document, other than except, whose file path names (through links too).
    virtual CScribaDoc *FindDocumentOfFile(const QString &path, const CScribaDoc *except = nullptr) const = 0;
    virtual void CloseDocument(CScribaDoc *document) = 0;
    // Asks about every modified document in turn; false when the user cancelled.
    virtual bool SaveAllModified() = 0;

    // Where the Open and Save As dialogs start, and the folder of a file the user chose in one.
    virtual QString DialogFolder() const = 0;
    virtual void RememberFolder(const QString &chosenFile) = 0;
    virtual void AddToRecentFileList(const QString &path) = 0;

    // The profile store the recent files live in, for the other things kept beside them.
    virtual std::unique_ptr<QSettings> OpenProfile() const = 0;
    // The page that Print Setup chose.
    virtual const QPageLayout &PageLayout() const = 0;
    // Tarn's reference, read once at start.
    virtual const std::shared_ptr<const TarnReference> &Reference() const = 0;

signals:
    void documentsChanged();
};
