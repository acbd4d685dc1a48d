#include "symbolnavigation.h"

#include "app/prompter.h"
#include "doc/scribadoc.h"
#include "editor/renamedialog.h"
#include "editor/scribaview.h"
#include "editor/viewmodel.h"
#include "model/namequeries.h"
#include "editor/referencerows.h"

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

void CSymbolNavigation::FindReferences(ReferenceShower show)
{
    const qint64 caret = Caret();
    QPointer<CScribaView> view(&m_view);
    m_model.WhenCurrent([this, view, caret, show = std::move(show)](const ScriptSnapshot &) {
        if (!view)
            return;
        // The rows keep the snapshot: they read its text when the list shows them.
        const CViewModel::Model snapshot = m_model.Last();
        std::vector<NameOccurrence> occurrences = m_queries(*snapshot).Occurrences(std::size_t(caret));
        CScribaDoc *document = m_view.GetDocument();
        ReferenceRows::Source source;
        source.document = document;
        source.path = document ? document->GetPathName() : QString();
        source.shownName = !document ? QString()
                           : source.path.isEmpty() ? document->GetTitle()
                                                   : QFileInfo(source.path).fileName();
        QString summary = tr("No name at the caret to find.");
        if (!occurrences.empty()) {
            const std::string_view name =
                snapshot->Text().substr(occurrences.front().start, occurrences.front().end - occurrences.front().start);
            const QString quoted = QString::fromUtf8(name.data(), qsizetype(name.size()));
            summary = occurrences.size() == 1 ? tr("1 reference to \"%1\"").arg(quoted)
                                              : tr("%1 references to \"%2\"").arg(occurrences.size()).arg(quoted);
        }
        source.summary = summary;
        show(summary, std::make_unique<ReferenceRows>(snapshot, std::move(occurrences), std::move(source)));
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
    const std::vector<NameOccurrence> &uses = edits.edits;
    // The caret and the anchor stay by the same characters.
    auto moved = [&](qint64 position) {
        qint64 shift = 0;
        for (const NameOccurrence &use : uses) {
            if (qint64(use.start) >= position)
                break;
            if (qint64(use.end) > position)
                return qint64(use.start) + shift;
            shift += qint64(newName.size()) - qint64(use.end - use.start);
        }
        return position + shift;
    };
    const qint64 caret = moved(m_view.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    const qint64 anchor = moved(m_view.SendScintilla(QsciScintillaBase::SCI_GETANCHOR));
    const qint64 firstLine = m_view.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    m_view.FreezeDisplay();
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    // Uses close together are replaced as one stretch: each change costs Scintilla and the view
    // more than copying a few kilobytes. From the last stretch back to the first, so the places
    // before each stay where they were; each coloured by itself, not all between the first use
    // and the last.
    std::size_t end = uses.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && uses[begin].start - uses[begin - 1].end <= kJoinedGap)
            --begin;
        ReplaceStretch(snapshot.Text(), uses, begin, end, newName);
        m_view.OnTextChanged();
        end = begin;
    }
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    m_view.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(anchor), static_cast<long>(caret));
    m_view.SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(firstLine));
    m_view.UnfreezeDisplay();
    return true;
}

void CSymbolNavigation::ReplaceStretch(std::string_view text, const std::vector<NameOccurrence> &uses, std::size_t begin,
                                       std::size_t end, const std::string &newName)
{
    const std::size_t from = uses[begin].start;
    const std::size_t to = uses[end - 1].end;
    std::string renamed;
    renamed.reserve(to - from + (end - begin) * newName.size());
    std::size_t copied = from;
    for (std::size_t i = begin; i < end; ++i) {
        renamed.append(text.substr(copied, uses[i].start - copied)).append(newName);
        copied = uses[i].end;
    }
    m_view.SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), static_cast<long>(to));
    m_view.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(renamed.size()), renamed.c_str());
}
