#include "guitestsupport.h"

#include "app/settings.h"
#include "doc/scribadoc.h"
#include "editor/luascanner.h"
#include "editor/scribaview.h"
#include "frame/mainframe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QKeySequence>
#include <QMap>
#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QStandardPaths>
#include <QTest>

QMessageBox::StandardButton ScriptedPrompter::Ask(QWidget *, const Prompt &prompt)
{
    asked.append(prompt);
    if (onAsk)
        onAsk(prompt);
    return answers.isEmpty() ? QMessageBox::Ok : answers.dequeue();
}

QString ScriptedPrompter::OpenFileName(QWidget *, const QString &filter, const QString &folder)
{
    openFilters.append(filter);
    openFolders.append(folder);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompter::SaveFileName(QWidget *, const QString &proposed, const QString &, const QString &)
{
    proposedNames.append(proposed);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

bool ScriptedPrompter::PrintDialog(QWidget *, QPrinter *printer)
{
    if (printFiles.isEmpty())
        return false;
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(printFiles.dequeue());
    return true;
}
bool ScriptedPrompter::PrintSetup(QWidget *, QPrinter *) { return false; }
void ScriptedPrompter::PrintPreview(QWidget *, QPrinter *printer, const std::function<void(QPrinter *)> &paint)
{
    paint(printer);
}

bool ScriptedPrompter::ChooseColor(QWidget *, QColor &color, const QList<QColor> &customColors)
{
    colorStarts.append(color);
    customColorSets.append(customColors);
    if (colors.isEmpty())
        return false;
    color = colors.dequeue();
    return true;
}

int ScriptedPrompter::RunDialog(QDialog &dialog)
{
    if (dialogs.isEmpty())
        return QDialog::Rejected;
    dialog.show();
    const int result = dialogs.dequeue()(dialog);
    dialog.hide();
    return result;
}

QStringList AccessKeyProblems(const QWidget *dialog)
{
    QStringList problems;
    QMap<QKeySequence, QString> owners;
    auto claim = [&](const QKeySequence &key, const QString &what) {
        if (key.isEmpty())
            problems.append(what + QStringLiteral(": no access key"));
        else if (owners.contains(key))
            problems.append(what + QStringLiteral(": ") + key.toString() + QStringLiteral(" also on ") + owners[key]);
        else
            owners.insert(key, what);
    };
    for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(dialog))
            continue;
        const QString what = button->text().isEmpty() ? button->accessibleName() : button->text();
        claim(button->text().isEmpty() ? button->shortcut() : QKeySequence::mnemonic(button->text()), what);
    }
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        if (!label->text().endsWith(u':'))
            continue;
        claim(QKeySequence::mnemonic(label->text()), label->text());
        if (!label->buddy())
            problems.append(label->text() + QStringLiteral(": leads nowhere"));
    }
    return problems;
}

void ResetProgramState()
{
    QStandardPaths::setTestModeEnabled(true);
    Settings::Global() = Settings();
    g_untitledCount = 0;
    g_overtype = false;
    g_findText.clear();
    g_replaceText.clear();
    g_matchCase = false;
    g_wholeWord = false;
}

AppFixture::AppFixture(const char *iniText, const QStringList &arguments)
{
    ResetProgramState();
    if (iniText)
        WriteFile(IniPath(), iniText);
    Start(IniPath(), arguments);
}

AppFixture::AppFixture(const AtPath &ini, const QStringList &arguments)
{
    ResetProgramState();
    Start(ini.iniPath, arguments);
}

AppFixture::AppFixture(const Options &options)
{
    ResetProgramState();
    Start(options.iniPath.isEmpty() ? IniPath() : options.iniPath, {}, options);
}

void AppFixture::Start(const QString &iniPath, const QStringList &arguments, const Options &options)
{
    m_app = std::make_unique<CScribaApp>(iniPath);
    m_app->SetProfilePath(FilePath(QStringLiteral("profile.ini")));
    m_app->SetRecoveryFolder(options.recoveryFolder.isEmpty() ? RecoveryFolder() : options.recoveryFolder);
    auto prompter = std::make_unique<ScriptedPrompter>();
    for (QMessageBox::StandardButton answer : options.answers)
        prompter->answers.enqueue(answer);
    m_prompter = prompter.get();
    m_app->SetPrompter(std::move(prompter));
    m_started = m_app->InitInstance(arguments);
    if (m_started)
        Update();
}

AppFixture::~AppFixture()
{
    if (!m_exited)
        Exit();
    m_app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int AppFixture::Exit()
{
    m_exited = true;
    m_app->CloseAllDocuments();
    return m_app->ExitInstance();
}

void AppFixture::Restart(const QStringList &arguments)
{
    if (!m_exited) {
        m_app->MainFrame()->close();
        Exit();
    }
    m_app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_exited = false;
    Start(IniPath(), arguments);
}

CScribaDoc *AppFixture::ActiveDocument() const
{
    return m_app->MainFrame()->ActiveDocument();
}

CScribaView *AppFixture::ActiveView() const
{
    return m_app->MainFrame()->ActiveView();
}

void AppFixture::Update()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_app->MainFrame()->UpdateCommands();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

CScribaView *OpenScript(AppFixture &fixture, const QString &name, const QByteArray &bytes)
{
    const QString path = fixture.FilePath(name);
    WriteFile(path, bytes);
    CScribaDoc *document = fixture.App().OpenDocumentFile(path);
    return document ? document->GetView() : nullptr;
}

QByteArray TextOf(CScribaView *view)
{
    return QByteArray(view->TextPointer(), view->TextLength());
}

std::vector<std::uint8_t> StylesOf(CScribaView *view)
{
    std::vector<std::uint8_t> styles(std::size_t(view->TextLength()));
    for (std::size_t i = 0; i < styles.size(); ++i)
        styles[i] = std::uint8_t(view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i));
    return styles;
}

std::vector<std::uint8_t> FreshStyles(const QByteArray &text)
{
    const Settings &settings = Settings::Global();
    std::vector<std::uint8_t> styles(std::size_t(text.size()));
    if (settings.options.syntaxhighlighting)
        ScanLuaStyles(std::string_view(text.constData(), std::size_t(text.size())), settings.keywords,
                      settings.functions, styles.data());
    return styles;
}

int CaretLine(CScribaView *view)
{
    return int(view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                   view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS))) + 1;
}

// Loads text whose "|" marks the caret, as a file, so the view takes its line ends.
CScribaView *LoadWithCaret(AppFixture &fixture, QByteArray text)
{
    const int caret = text.indexOf('|');
    text.remove(caret, 1);
    const QString path = fixture.FilePath(QStringLiteral("script.lua"));
    WriteFile(path, text);
    fixture.App().CloseAllDocuments();
    if (!fixture.App().OpenDocumentFile(path))
        return nullptr;
    CScribaView *view = fixture.ActiveView();
    view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, caret);
    // As a click would: Up and Down keep the caret's column from here.
    view->SendScintilla(QsciScintillaBase::SCI_CHOOSECARETX);
    return view;
}
