// Shared pieces of the GUI tests: a prompter that answers from a script, and a fresh
// application in a temporary folder for every test.
#pragma once

#include "app/prompter.h"
#include "app/scribaapp.h"

#include <QList>
#include <QQueue>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

class CScribaDoc;
class CScribaView;

class ScriptedPrompter : public Prompter {
public:
    QMessageBox::StandardButton Ask(QWidget *owner, const Prompt &prompt) override;
    QString OpenFileName(QWidget *owner, const QString &filter, const QString &folder) override;
    QString SaveFileName(QWidget *owner, const QString &proposed, const QString &filter,
                         const QString &defaultSuffix) override;
    bool PrintDialog(QWidget *owner, QPrinter *printer) override;
    bool PrintSetup(QWidget *owner, QPrinter *printer) override;
    void PrintPreview(QWidget *owner, QPrinter *printer,
                      const std::function<void(QPrinter *)> &paint) override;
    bool ChooseColor(QWidget *owner, QColor &color, const QList<QColor> &customColors) override;
    // Shows the dialog and hands it to the next script, which works its widgets and returns
    // the result; a dialog without a script is cancelled.
    int RunDialog(QDialog &dialog) override;

    QList<Prompt> asked;                       // every message shown, in order
    std::function<void(const Prompt &)> onAsk; // called as each message is shown
    QQueue<QMessageBox::StandardButton> answers; // Ok when empty
    QQueue<QString> fileNames;                 // empty (cancelled) when empty
    QStringList proposedNames;                 // what each Save As dialog proposed
    QQueue<QColor> colors;                     // each colour chosen; cancelled when empty
    QList<QColor> colorStarts;                 // the colour each colour dialog started from
    QList<QList<QColor>> customColorSets;      // the custom colours each colour dialog was given
    QQueue<std::function<int(QDialog &)>> dialogs;
    QStringList openFolders;                   // where each Open dialog started
    QStringList openFilters;                   // what each Open dialog offered
    QQueue<QString> printFiles;                // each Print dialog prints to this PDF; cancelled when empty
};

// A started application whose "Scriba.ini" lives in a temporary folder.
class AppFixture {
public:
    // iniText: the configuration file to start with; none when null.
    explicit AppFixture(const char *iniText = nullptr, const QStringList &arguments = {});
    // An application whose configuration file is at iniPath, wherever that is.
    struct AtPath {
        QString iniPath;
    };
    explicit AppFixture(const AtPath &ini, const QStringList &arguments = {});
    // Everything else a start can be given.
    struct Options {
        QString iniPath;        // empty: "Scriba.ini" in the fixture's folder
        QString recoveryFolder; // empty: the fixture's own
        QList<QMessageBox::StandardButton> answers; // to the questions of the start-up
    };
    explicit AppFixture(const Options &options);
    ~AppFixture();

    // False when start-up ended early.
    bool Started() const { return m_started; }

    QString FilePath(const QString &name) const { return m_folder.filePath(name); }
    QString IniPath() const { return FilePath(QStringLiteral("Scriba.ini")); }
    // Where this application keeps its recovery copies.
    QString RecoveryFolder() const { return FilePath(QStringLiteral("recovery")); }
    CScribaApp &App() { return *m_app; }
    ScriptedPrompter &Prompts() { return *m_prompter; }
    CScribaDoc *ActiveDocument() const;
    CScribaView *ActiveView() const;
    // Runs the frame's idle-time update pass now.
    void Update();
    // Ends the application as the event loop's end would.
    int Exit();
    // Ends this application as a normal exit does (its main window closed) and starts a new
    // one in the same folder, with the same profile.
    void Restart(const QStringList &arguments = {});

private:
    void Start(const QString &iniPath, const QStringList &arguments, const Options &options = {});

    QTemporaryDir m_folder;
    std::unique_ptr<CScribaApp> m_app;
    ScriptedPrompter *m_prompter = nullptr;
    bool m_exited = false;
    bool m_started = false;
};

QByteArray ReadFile(const QString &path);
void WriteFile(const QString &path, const QByteArray &bytes);
// Writes bytes to a file named name in the fixture's folder and opens it; its view, or null.
CScribaView *OpenScript(AppFixture &fixture, const QString &name, const QByteArray &bytes);
// Opens text whose "|" marks the caret as the only script, "script.lua", so the view takes its
// line ends; the caret is put there as a click would.
CScribaView *LoadWithCaret(AppFixture &fixture, QByteArray text);
// The view's text, the style of each of its bytes, and the styles a fresh colouring gives.
QByteArray TextOf(CScribaView *view);
std::vector<std::uint8_t> StylesOf(CScribaView *view);
std::vector<std::uint8_t> FreshStyles(const QByteArray &text);
// What keeps a dialog from being worked by keyboard alone: every button without an access key
// (a mnemonic in its text, or a shortcut when it shows only an icon), every label naming a
// control (ending in ":") without one or without the control it leads to, and every key used twice.
QStringList AccessKeyProblems(const QWidget *dialog);
// The caret's line in the view, counted from 1.
int CaretLine(CScribaView *view);
// Resets the program-wide state that one test may leave behind for the next.
void ResetProgramState();
