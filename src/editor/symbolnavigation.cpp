#include "symbolnavigation.h"

#include "app/prompter.h"
#include "doc/scribadoc.h"
#include "editor/renamedialog.h"
#include "editor/scribaview.h"
#include "editor/viewmodel.h"
#include "model/namequeries.h"

#include <QFileInfo>
#include <QPointer>

CSymbolNavigation::CSymbolNavigation(CScribaView &view, CViewModel &model, QueriesFor queries)
    : QObject(&view), m_view(view), m_model(model), m_queries(std::move(queries))
{
}

qint64 CSymbolNavigation::Caret() const
{
    return m_view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
}

QString CSymbolNavigation::KindText(int kind)
{
    switch (NameKind(kind)) {
    case NameKind::Local:
    case NameKind::Upvalue:
        return tr("local variable");
    case NameKind::LocalFunction:
        return tr("local function");
    case NameKind::Parameter:
    case NameKind::Self:
    case NameKind::Vararg:
        return tr("parameter");
    case NameKind::LoopVariable:
        return tr("loop variable");
    case NameKind::GlobalFunction:
        return tr("function");
    case NameKind::Field:
        return tr("field");
    case NameKind::Method:
        return tr("method");
    default:
        return tr("global variable");
    }
}

void CSymbolNavigation::GoToDefinition(TarnPageShower showTarnPage)
{
    const qint64 caret = Caret();
    QPointer<CScribaView> view(&m_view);
    m_model.WhenCurrent([this, view, caret, showTarnPage = std::move(showTarnPage)](const ScriptSnapshot &snapshot) {
        if (!view)
            return;
        const NameDefinition definition = m_queries(snapshot).Definition(std::size_t(caret));
        if (definition.where == NameDefinition::Where::Tarn) {
            if (showTarnPage)
                showTarnPage(definition.name);
            return;
        }
        if (definition.where != NameDefinition::Where::Script)
            return;
        const qint64 line = m_view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(definition.start));
        m_view.SendScintilla(QsciScintillaBase::SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(line));
        m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(definition.start),
                             static_cast<long>(definition.end));
        m_view.SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    });
}

ResultEntry CSymbolNavigation::EntryAt(qint64 start, qint64 end, const QString &shownName) const
{
    const qint64 line = m_view.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
    const qint64 lineStart = m_view.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const qint64 lineEnd = m_view.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    const std::string_view text = m_view.TextRange(lineStart, lineEnd);
    const std::string_view beforeName = text.substr(0, std::size_t(start - lineStart));
    const std::string_view name = text.substr(std::size_t(start - lineStart), std::size_t(end - start));
    const std::string_view afterName = text.substr(std::min(text.size(), std::size_t(end - lineStart)));
    ResultEntry entry;
    CScribaDoc *document = m_view.GetDocument();
    entry.document = document;
    entry.path = document ? document->GetPathName() : QString();
    entry.line = int(line + 1);
    entry.column = int(QString::fromUtf8(beforeName.data(), qsizetype(beforeName.size())).size()) + 1;
    const QString before = QStringLiteral("%1:%2: ").arg(shownName).arg(entry.line) +
                           ResultModel::LineText(QString::fromUtf8(beforeName.data(), qsizetype(beforeName.size())));
    const QString matched = QString::fromUtf8(name.data(), qsizetype(name.size()));
    entry.text = before + matched + ResultModel::LineText(QString::fromUtf8(afterName.data(), qsizetype(afterName.size())));
    entry.boldStart = int(before.size());
    entry.boldLength = int(matched.size());
    entry.message = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return entry;
}

void CSymbolNavigation::FindReferences(ReferenceShower show)
{
    const qint64 caret = Caret();
    QPointer<CScribaView> view(&m_view);
    m_model.WhenCurrent([this, view, caret, show = std::move(show)](const ScriptSnapshot &snapshot) {
        if (!view)
            return;
        const std::vector<NameOccurrence> occurrences = m_queries(snapshot).Occurrences(std::size_t(caret));
        CScribaDoc *document = m_view.GetDocument();
        const QString shownName = document ? (document->GetPathName().isEmpty() ? document->GetTitle()
                                                                                : QFileInfo(document->GetPathName()).fileName())
                                           : QString();
        std::vector<ResultEntry> entries;
        entries.reserve(occurrences.size() + 1);
        for (const NameOccurrence &occurrence : occurrences)
            entries.push_back(EntryAt(qint64(occurrence.start), qint64(occurrence.end), shownName));
        QString summary;
        if (occurrences.empty()) {
            summary = tr("No name at the caret to find.");
        } else {
            const std::string_view name = snapshot.Text().substr(occurrences.front().start,
                                                                 occurrences.front().end - occurrences.front().start);
            const QString quoted = QString::fromUtf8(name.data(), qsizetype(name.size()));
            summary = occurrences.size() == 1 ? tr("1 reference to \"%1\"").arg(quoted)
                                              : tr("%1 references to \"%2\"").arg(occurrences.size()).arg(quoted);
        }
        ResultEntry last;
        last.text = summary;
        last.kind = ResultKind::Note;
        entries.push_back(std::move(last));
        show(summary, std::move(entries));
    });
}

void CSymbolNavigation::RenameSymbol(Prompter &prompter, QWidget *owner)
{
    const qint64 caret = Caret();
    QPointer<CScribaView> view(&m_view);
    QPointer<QWidget> guardedOwner(owner);
    m_model.WhenCurrent([this, view, caret, &prompter, guardedOwner](const ScriptSnapshot &snapshot) {
        if (!view)
            return;
        const NameQueries queries = m_queries(snapshot);
        const RenameCheck check = queries.PrepareRename(std::size_t(caret));
        if (!check.ok) {
            const QString why = check.why.empty() ? tr("There is no name of the script at the caret to rename.")
                                                  : QString::fromStdString(check.why);
            prompter.Ask(guardedOwner, Prompt{tr("Rename Symbol"), why, QMessageBox::Information, QMessageBox::Ok});
            return;
        }
        const NameDescription description = queries.Describe(std::size_t(caret));
        const QString oldName = QString::fromStdString(check.oldName);
        CRenameDialog dialog(oldName, KindText(int(description.kind)), [&](const QString &newName) {
            if (newName.isEmpty())
                return tr("Type the new name.");
            const RenameEdits edits = queries.Rename(std::size_t(caret), newName.toStdString());
            return edits.ok ? QString() : QString::fromStdString(edits.why);
        }, guardedOwner);
        if (prompter.RunDialog(dialog) != QDialog::Accepted || dialog.NewName() == oldName || !view)
            return;
        RenameAt(snapshot, std::size_t(caret), dialog.NewName().toStdString());
    });
}

bool CSymbolNavigation::RenameAt(const ScriptSnapshot &snapshot, std::size_t offset, const std::string &newName)
{
    const RenameEdits edits = m_queries(snapshot).Rename(offset, newName);
    if (!edits.ok || edits.edits.empty())
        return false;
    // From the last use back to the first, so that each replacement leaves the places before it
    // where they were; one undo step takes them all back.
    m_view.FreezeDisplay();
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    for (auto edit = edits.edits.rbegin(); edit != edits.edits.rend(); ++edit) {
        m_view.SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(edit->start),
                             static_cast<long>(edit->end));
        m_view.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(newName.size()),
                             newName.c_str());
    }
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    m_view.UnfreezeDisplay();
    return true;
}
