#include "scribaapp.h"

#include "about/aboutbox.h"
#include "about/linkopener.h"
#include "app/fileio.h"
#include "app/inifile.h"
#include "app/initext.h"
#include "app/profilestore.h"
#include "app/settings.h"
#include "app/testkeys.h"
#include "check/checkmarks.h"
#include "check/warningswitches.h"
#include "doc/recoverycopy.h"
#include "doc/recoverystore.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"
#include "frame/accelerators.h"
#include "frame/mainframe.h"
#include "panes/panecommands.h"
#include "prefs/preferencesdlg.h"
#include "search/findinfiles.h"
#include "prefs/warningspage.h"
#include "reference/tarnreference.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPrinter>
#include <QSettings>

CScribaApp *CScribaApp::s_instance = nullptr;

namespace {

constexpr int kRecentFileCount = 4;
const QString kScriptCheckingKey = QStringLiteral("Settings/CheckScripts");
const QString kNamesAfterMemberKey = QStringLiteral("Settings/CompleteNamesAfterDot");

// The locale's paper with half an inch left, top and right and three quarters at the bottom.
QPageLayout DefaultPageLayout()
{
    const bool letter = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(0.5, 0.5, 0.5, 0.75), QPageLayout::Inch);
}

} // namespace

CScribaApp::CScribaApp(const QString &iniPath)
    : m_iniPath(iniPath.isEmpty() ? DefaultIniPath() : iniPath), m_prompter(std::make_unique<Prompter>()),
      m_linkOpener(std::make_unique<LinkOpener>()), m_pageLayout(DefaultPageLayout())
{
    s_instance = this;
    Settings::Global().SetDefaultStyles();
}

CScribaApp::~CScribaApp()
{
    delete m_mainFrame;
    // Documents that were never closed go before the recovery store they write to.
    qDeleteAll(m_documents);
    m_documents.clear();
    m_recovery.reset();
    Settings::Global().functions.RemoveAll();
    Settings::Global().keywords.RemoveAll();
    if (s_instance == this)
        s_instance = nullptr;
}

QString CScribaApp::DefaultIniPath()
{
    return ::DefaultIniPath();
}

// ---------------------------------------------------------------- start-up and exit

bool CScribaApp::InitInstance(const QStringList &files)
{
    m_scriptChecking = OpenProfile()->value(kScriptCheckingKey, true).toBool();
    m_disabledWarnings = LoadDisabledWarnings(*OpenProfile());
    Settings::Global().options.namesaftermember = OpenProfile()->value(kNamesAfterMemberKey, true).toBool();
    StartRecovery();
    LoadTarnReference();
    m_mainFrame = new CMainFrame(this, Settings::Global());
    if (m_recovery)
        m_mainFrame->Panes()->FindInFiles()->SetOwnFolder(QFileInfo(m_recovery->SessionFolder()).absolutePath());
    QStringList missing;
    if (files.isEmpty()) {
        if (ReopenSession())
            missing = RestoreSession();
        if (m_documents.isEmpty())
            OnFileNew();
    } else {
        // Start-up goes on when at least one of the named scripts opened.
        bool opened = false;
        for (const QString &file : files)
            opened = OpenDocumentFile(file) != nullptr || opened;
        if (!opened)
            return false;
    }
    m_mainFrame->show();
    ReadIni();
    ReportMissingScripts(missing);
    ReportReferenceProblems();
    ReportProfileRefusal();
    OfferRecovery();
    // Back to the main window after any message about the configuration file, even where no
    // window manager hands the focus back.
    m_mainFrame->raise();
    m_mainFrame->activateWindow();
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            QMetaObject::invokeMethod(this, &CScribaApp::CheckFilesOnDisk, Qt::QueuedConnection);
    });
    PostTestKeys(m_mainFrame->ActiveView());
    return true;
}

int CScribaApp::ExitInstance()
{
    WriteIni();
    // A clean exit leaves no recovery copies behind.
    if (m_recovery)
        m_recovery->Finish();
    return 0;
}

void CScribaApp::ReadIni()
{
    QString cause;
    const IniLoad load = LoadIniFile(m_iniPath, Settings::Global(), m_header, &cause);
    // Documents made before the settings were read take them on now, before any message about
    // the file shows over them.
    ApplySettingsToViews();
    switch (load) {
    case IniLoad::Read:
        m_iniMayBeWritten = true;
        break;
    case IniLoad::Missing:
        m_prompter->Ask(m_mainFrame,
                        {tr("Scriba - Could not load INI file."),
                         QuotedPath(AbsoluteFilePath(m_iniPath)) +
                             tr("\n\nIf this is the first time the program has been run, igore this "
                                "message.\nDefaults will be saved when program closed."),
                         QMessageBox::Warning, QMessageBox::Ok});
        m_iniMayBeWritten = true;
        break;
    case IniLoad::Unreadable:
        ShowIniError(cause);
        break;
    }
}

void CScribaApp::ShowIniError(const QString &cause)
{
    m_prompter->Ask(m_mainFrame,
                    {tr("Scriba - Error!"),
                     tr("Could not read the configuration file %1.\n\n%2.\n\nFor this session Scriba uses its "
                        "built-in settings, keywords and functions. The file is left untouched: changes "
                        "made in Preferences are not saved to it.")
                         .arg(QuotedPath(AbsoluteFilePath(m_iniPath)), cause),
                     QMessageBox::Warning, QMessageBox::Ok});
}

void CScribaApp::WriteIni()
{
    QString error;
    if (!m_iniMayBeWritten || WriteIniFile(m_iniPath, WriteIniText(Settings::Global(), m_header), &error) != IniWrite::Failed)
        return;
    m_prompter->Ask(m_mainFrame, {tr("Scriba - Error!"),
                                  tr("Could not write the configuration file %1.\n\n%2.")
                                      .arg(QuotedPath(AbsoluteFilePath(m_iniPath)), error),
                                  QMessageBox::Warning, QMessageBox::Ok});
}

void CScribaApp::LoadTarnReference()
{
    m_referenceLoad = std::make_unique<LoadedReference>(ReadReferenceFile(ReferencePathBeside(m_iniPath)));
    m_reference = std::make_shared<const TarnReference>(std::move(m_referenceLoad->reference));
}

// After the configuration file is read: the pages of functions its table lacks are reported
// with the lines that could not be read.
void CScribaApp::ReportReferenceProblems()
{
    if (!m_referenceLoad)
        return;
    const std::unique_ptr<LoadedReference> loaded = std::move(m_referenceLoad);
    const QString path = QuotedPath(AbsoluteFilePath(ReferencePathBeside(m_iniPath)));
    QString message;
    if (!loaded->cause.isEmpty()) {
        message = tr("Could not read the Tarn reference %1.\n\n%2.\n\nScriba shows its built-in reference instead.")
                      .arg(path, loaded->cause);
    } else {
        ReportFunctionsNotIn(Settings::Global().functions, *loaded);
        const std::vector<ReferenceProblem> &problems = loaded->problems;
        if (problems.empty())
            return;
        constexpr std::size_t kLinesShown = 10;
        QString lines;
        for (std::size_t i = 0; i < std::min(problems.size(), kLinesShown); ++i)
            lines += tr("Line %1: %2\n").arg(problems[i].line).arg(QString::fromStdString(problems[i].message));
        if (problems.size() > kLinesShown)
            lines += tr("... and %n more.\n", nullptr, int(problems.size() - kLinesShown));
        message = tr("These lines of the Tarn reference %1 could not be used and were passed over:\n\n%2").arg(path, lines);
    }
    m_prompter->Ask(m_mainFrame, {tr("Scriba - Tarn Reference"), message, QMessageBox::Warning, QMessageBox::Ok});
}

// ---------------------------------------------------------------- documents

CScribaDoc *CScribaApp::CreateDocument()
{
    auto *document = new CScribaDoc(*this, this);
    auto *view = new CScribaView(document, *this, Settings::Global());
    view->SetReference(m_reference);
    view->Checks()->SetScriptPath([document] { return document->GetPathName(); });
    view->Checks()->SetDisabledCodes(m_disabledWarnings);
    view->Checks()->SetEnabled(m_scriptChecking);
    document->SetView(view);
    if (m_recovery)
        document->SetRecoveryCopy(new CRecoveryCopy(document, m_recovery.get()));
    m_documents.append(document);
    m_mainFrame->AddChildFrame(document, view);
    return document;
}

CScribaDoc *CScribaApp::OnFileNew()
{
    CScribaDoc *document = CreateDocument();
    document->SetTitle(QStringLiteral("Scriba%1").arg(m_documents.size()));
    document->OnNewDocument();
    document->GetView()->OnInitialUpdate();
    m_mainFrame->ActivateDocument(document);
    emit documentsChanged();
    return document;
}

void CScribaApp::OnFileOpen()
{
    const QString path = m_prompter->OpenFileName(m_mainFrame, ScriptFileFilter() + tr(";;All Files (*)"),
                                                  DialogFolder());
    if (path.isEmpty())
        return;
    RememberFolder(path);
    OpenDocumentFile(path);
}

QString CScribaApp::DialogFolder() const
{
    CScribaDoc *active = m_mainFrame ? m_mainFrame->ActiveDocument() : nullptr;
    if (active && active->HasFileOnDisk())
        return QFileInfo(active->GetPathName()).absolutePath();
    return m_lastFolder.isEmpty() ? QDir::currentPath() : m_lastFolder;
}

void CScribaApp::RememberFolder(const QString &chosenFile)
{
    m_lastFolder = QFileInfo(chosenFile).absolutePath();
}

CScribaDoc *CScribaApp::OpenDocumentFile(const QString &path)
{
    const QString absolute = AbsoluteFilePath(path);
    if (CScribaDoc *open = FindDocumentOfFile(absolute)) {
        m_mainFrame->ActivateDocument(open);
        return open;
    }
    CScribaDoc *document = CreateDocument();
    QString error;
    if (!document->OnOpenDocument(absolute, &error)) {
        CloseDocument(document);
        m_prompter->Ask(m_mainFrame, {tr("Scriba - Could not load file."), error, QMessageBox::Warning,
                                      QMessageBox::Ok});
        return nullptr;
    }
    document->GetView()->OnInitialUpdate();
    AddToRecentFileList(absolute);
    m_mainFrame->ActivateDocument(document);
    emit documentsChanged();
    return document;
}

CScribaDoc *CScribaApp::FindDocumentOfFile(const QString &path, const CScribaDoc *except) const
{
    const QString absolute = AbsoluteFilePath(path);
    const FileStamp file = StampOf(absolute);
    for (CScribaDoc *open : m_documents) {
        if (open == except || !open->HasFileOnDisk())
            continue;
        if (open->GetPathName() == absolute || IsSameFile(file, StampOf(open->GetPathName())))
            return open;
    }
    return nullptr;
}

void CScribaApp::CloseDocument(CScribaDoc *document)
{
    if (CRecoveryCopy *copy = document->RecoveryCopy())
        copy->Detach();
    m_documents.removeOne(document);
    m_mainFrame->RemoveChildFrame(document);
    document->deleteLater();
    emit documentsChanged();
}

bool CScribaApp::SaveAllModified()
{
    const QList<CScribaDoc *> documents = m_documents;
    CScribaDoc *userActive = m_mainFrame->ActiveDocument();
    for (CScribaDoc *document : documents) {
        // The user sees the script the question is about: two tabs may carry the same name.
        if (document->IsModified())
            m_mainFrame->ActivateDocument(document);
        if (!document->SaveModified())
            return false;
    }
    // Answered: the script the user was on is the active one again (the session keeps it).
    if (userActive && m_documents.contains(userActive))
        m_mainFrame->ActivateDocument(userActive);
    return true;
}

void CScribaApp::CloseAllDocuments()
{
    const QList<CScribaDoc *> documents = m_documents;
    for (CScribaDoc *document : documents)
        CloseDocument(document);
}

void CScribaApp::CheckFilesOnDisk()
{
    // A question shown here moves the activation about; one round at a time.
    if (m_checkingFiles)
        return;
    m_checkingFiles = true;
    const QList<CScribaDoc *> documents = m_documents;
    for (CScribaDoc *document : documents) {
        if (!m_documents.contains(document) || !document->FileChangedOnDisk())
            continue;
        // The script the question is about is the one shown.
        m_mainFrame->ActivateDocument(document);
        document->CheckFileOnDisk();
    }
    m_checkingFiles = false;
}

// ---------------------------------------------------------------- crash recovery

void CScribaApp::StartRecovery()
{
    m_recovery = m_recoveryFolder.isEmpty()
                     ? std::make_unique<RecoveryStore>(RecoveryStore::DefaultFolder(), RecoveryStore::kDefaultOwnParts)
                     : std::make_unique<RecoveryStore>(m_recoveryFolder);
    if (!m_recovery->Start(&m_recoveryError)) {
        qWarning("Scriba: unsaved scripts cannot be kept for recovery: %s", qPrintable(m_recoveryError));
        m_recovery.reset();
    }
}

void CScribaApp::OfferRecovery()
{
    if (!m_recovery) {
        if (!m_recoveryError.isEmpty())
            m_prompter->Ask(m_mainFrame, {tr("Scriba"),
                                          tr("Unsaved work cannot be protected: %1.\n\nIn this session Scriba keeps "
                                             "no copies of unsaved scripts: if it does not close normally, what was "
                                             "not saved is lost.")
                                              .arg(m_recoveryError),
                                          QMessageBox::Warning, QMessageBox::Ok});
        m_recoveryError.clear(); // said once
        return;
    }
    const QList<RecoveredScript> scripts = m_recovery->ClaimOrphans();
    const auto recoverable = std::count_if(scripts.begin(), scripts.end(), [](auto &s) { return !s.tooLarge; });
    const QString list = QStringLiteral("\n\n") + ListRecoveredScripts(scripts);
    if (recoverable == 0 && !scripts.isEmpty())
        m_prompter->Ask(m_mainFrame, {tr("Scriba"), tr("Scriba did not close normally. No unsaved script can be recovered:") + list,
                                      QMessageBox::Warning, QMessageBox::Ok});
    if (recoverable > 0 &&
        m_prompter->Ask(m_mainFrame, {tr("Scriba"),
                                      tr("Scriba did not close normally. Recover %1 unsaved script(s)?").arg(recoverable) + list,
                                      QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No}) == QMessageBox::Yes) {
        // The empty document of the start-up makes way for the recovered ones.
        CScribaDoc *first = m_documents.size() == 1 ? m_documents.first() : nullptr;
        const bool firstIsBlank = first && !first->HasFileOnDisk() && !first->IsModified() && !first->GetView()->HasText();
        for (const RecoveredScript &script : scripts)
            if (!script.tooLarge)
                RecoverScript(script);
        if (firstIsBlank)
            CloseDocument(first);
        // The copies are kept again under this process before the claimed ones go.
        m_recovery->Flush();
    }
    m_recovery->DiscardClaimed();
}

void CScribaApp::RecoverScript(const RecoveredScript &script)
{
    CScribaDoc *document = script.path.isEmpty() ? nullptr : FindDocumentOfFile(script.path);
    if (!document) {
        document = CreateDocument();
        document->OnRecoverDocument(script.path, script.title, script.text);
        document->GetView()->OnInitialUpdate();
    } else {
        document->GetView()->ReplaceAllText(script.text);
    }
    m_mainFrame->ActivateDocument(document);
    emit documentsChanged();
    if (CRecoveryCopy *copy = document->RecoveryCopy())
        copy->Update();
}

// ---------------------------------------------------------------- recent files

void CScribaApp::SetProfilePath(const QString &profilePath)
{
    m_profilePath = profilePath;
    m_profile.reset();
}

std::unique_ptr<QSettings> CScribaApp::OpenProfile() const
{
    if (!m_profile) {
        m_profile = m_profilePath.isEmpty()
                        ? std::make_unique<ProfileStore>(ProfileStore::DefaultPath(), ProfileStore::kDefaultOwnParts)
                        : std::make_unique<ProfileStore>(m_profilePath, 1);
        // Said in the window, once it shows.
        m_profile->SetRefusalNotice([this] {
            QMetaObject::invokeMethod(const_cast<CScribaApp *>(this), &CScribaApp::ReportProfileRefusal,
                                      Qt::QueuedConnection);
        });
    }
    return m_profile->Open();
}

void CScribaApp::ReportProfileRefusal()
{
    if (!m_mainFrame || !m_mainFrame->isVisible() || !m_profile)
        return;
    const QString cause = m_profile->TakeRefusal();
    if (cause.isEmpty())
        return;
    m_prompter->Ask(m_mainFrame,
                    {tr("Scriba"),
                     tr("Scriba cannot keep its settings (recent files, session, view and run command): %1.\n\n"
                        "What is changed in this session is kept until Scriba closes, and then lost.")
                         .arg(cause),
                     QMessageBox::Warning, QMessageBox::Ok});
}

QStringList CScribaApp::RecentFiles() const
{
    const std::unique_ptr<QSettings> store = OpenProfile();
    store->beginGroup(QStringLiteral("Recent File List"));
    QStringList files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = store->value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            files.append(path);
    }
    return files;
}

void CScribaApp::StoreRecentFiles(const QStringList &files)
{
    const std::unique_ptr<QSettings> store = OpenProfile();
    store->beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            store->setValue(key, files[i - 1]);
        else
            store->remove(key);
    }
}

void CScribaApp::AddToRecentFileList(const QString &path)
{
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    StoreRecentFiles(files.mid(0, kRecentFileCount));
    emit recentFilesChanged();
}

void CScribaApp::RemoveFromRecentFileList(int index)
{
    QStringList files = RecentFiles();
    if (index < 0 || index >= files.size())
        return;
    files.removeAt(index);
    StoreRecentFiles(files);
    emit recentFilesChanged();
}

bool CScribaApp::OnOpenRecentFile(int commandId)
{
    const int index = commandId - ID_FILE_MRU_FILE1;
    const QString path = RecentFiles().value(index);
    if (path.isEmpty())
        return true;
    if (StampOf(path).exists) {
        OpenDocumentFile(path);
        return true;
    }
    m_prompter->Ask(m_mainFrame, {tr("Scriba - Could not load file."),
                                  QuotedPath(path) + tr("\n\nThe file will be removed from the most "
                                                    "recently used file list."),
                                  QMessageBox::Warning, QMessageBox::Ok});
    RemoveFromRecentFileList(index);
    return true;
}

// ---------------------------------------------------------------- shared services

void CScribaApp::SetLinkOpener(std::unique_ptr<LinkOpener> opener)
{
    m_linkOpener = std::move(opener);
}

void CScribaApp::OnAppAbout()
{
    CAboutBox box(*m_linkOpener, *m_prompter, m_mainFrame);
    box.exec();
}

void CScribaApp::OnPrintSetup()
{
    QPrinter printer;
    printer.setPageLayout(m_pageLayout);
    if (m_prompter->PrintSetup(m_mainFrame, &printer))
        m_pageLayout = printer.pageLayout();
}

void CScribaApp::OnPreferences()
{
    CPreferencesDlg dialog(Settings::Global(), *m_prompter, [this] { ApplySettingsToViews(); }, m_mainFrame);
    dialog.SetReopenSession(ReopenSession(), [this](bool on) { SetReopenSession(on); });
    dialog.SetWarningsEditor([this](QWidget *parent) { EditWarnings(parent); });
    m_prompter->RunDialog(dialog);
    // Not a setting of "Scriba.ini", whose keys stay as they are: kept in the profile store.
    OpenProfile()->setValue(kNamesAfterMemberKey, Settings::Global().options.namesaftermember != 0);
}

void CScribaApp::EditWarnings(QWidget *parent)
{
    CWarningsPage page(m_disabledWarnings, parent);
    if (m_prompter->RunDialog(page) != QDialog::Accepted)
        return;
    m_disabledWarnings = page.Disabled();
    SaveDisabledWarnings(*OpenProfile(), m_disabledWarnings);
    for (CScribaDoc *document : std::as_const(m_documents)) {
        document->GetView()->Checks()->SetDisabledCodes(m_disabledWarnings);
        document->GetView()->Checks()->CheckNow();
    }
}

void CScribaApp::ApplySettingsToViews()
{
    for (CScribaDoc *document : std::as_const(m_documents)) {
        CScribaView *view = document->GetView();
        view->DefineStyles();
        view->RecolourAll();
        if (!Settings::Global().options.autocompletion)
            view->CloseCompletionList();
        if (!Settings::Global().options.intellitip)
            view->HideTip();
        view->Checks()->CheckNow();
    }
}

void CScribaApp::SetScriptChecking(bool on)
{
    m_scriptChecking = on;
    OpenProfile()->setValue(kScriptCheckingKey, on);
    for (CScribaDoc *document : std::as_const(m_documents))
        document->GetView()->Checks()->SetEnabled(on);
}
