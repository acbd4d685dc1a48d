#include "nameaids.h"

#include "app/settings.h"
#include "editor/completionorder.h"
#include "editor/documenthighlight.h"
#include "editor/namecompletion.h"
#include "editor/namedescriptions.h"
#include "editor/scribaview.h"
#include "editor/viewmodel.h"
#include "model/lualibrary.h"
#include "model/namequeries.h"
#include "reference/tarnreference.h"

namespace {

QString IconOf(NameKind kind)
{
    const char *name = "global";
    switch (kind) {
    case NameKind::Local:
    case NameKind::LoopVariable:
        name = "local";
        break;
    case NameKind::Parameter:
    case NameKind::Self:
    case NameKind::Vararg:
        name = "parameter";
        break;
    case NameKind::Upvalue:
        name = "upvalue";
        break;
    case NameKind::LocalFunction:
    case NameKind::GlobalFunction:
    case NameKind::Method:
        name = "function";
        break;
    case NameKind::Field:
        name = "field";
        break;
    case NameKind::LibraryFunction:
        name = "library";
        break;
    case NameKind::LibraryTable:
    case NameKind::LibraryValue:
        name = "module";
        break;
    case NameKind::TarnFunction:
        name = "tarn";
        break;
    case NameKind::Keyword:
        name = "keyword";
        break;
    case NameKind::Global:
        break;
    }
    return QStringLiteral(":/icons/name-%1.svg").arg(QLatin1String(name));
}

// The model of no text at all: before the first model is built, the library, Tarn's functions
// and the keywords are still there to offer.
const ScriptSnapshot &EmptySnapshot()
{
    static const ScriptSnapshot empty{QByteArray(), luamodel::BuildModel(std::string_view())};
    return empty;
}

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString ParameterLine(const NameParameter &parameter)
{
    QString line = Utf8(parameter.name);
    if (!parameter.type.empty())
        line += QStringLiteral(": ") + Utf8(parameter.type);
    if (!parameter.description.empty())
        line += QStringLiteral(" - ") + Utf8(parameter.description);
    return line;
}

QString DescriptionMarkdown(const NameDescription &description)
{
    // A plain variable has nothing to say beyond its name, which the text shows already.
    if (!description.found || description.kind == NameKind::TarnFunction ||
        (description.signature.empty() && description.description.empty()))
        return QString();
    const std::string &heading = description.signature.empty() ? description.name : description.signature;
    QString markdown = QStringLiteral("**%1**").arg(Utf8(heading).toHtmlEscaped());
    if (!description.description.empty())
        markdown += QStringLiteral("\n\n") + Utf8(description.description);
    QStringList parameters;
    for (const NameParameter &parameter : description.parameters)
        if (!parameter.type.empty() || !parameter.description.empty())
            parameters.append(QStringLiteral("- ") + ParameterLine(parameter).toHtmlEscaped());
    if (!parameters.isEmpty())
        markdown += QStringLiteral("\n\n") + parameters.join(u'\n');
    if (!description.returns.empty()) {
        QStringList returns;
        for (const std::string &type : description.returns)
            returns.append(Utf8(type).toHtmlEscaped());
        markdown += QStringLiteral("\n\nReturns ") + returns.join(QStringLiteral(", "));
    }
    return markdown;
}

} // namespace

CNameAids::CNameAids(CScribaView &view, const Settings &settings)
    : QObject(&view), m_view(view), m_settings(settings),
      m_model(new CViewModel(&view, [&view] { return view.TextVersion(); }))
{
    auto queries = [this](const ScriptSnapshot &snapshot) { return Queries(snapshot); };
    m_completion = new CNameCompletion(
        view, settings, [this](const NameQuestion &question) { return Candidates(question); },
        [this](const QString &name) { return DescribeName(name); });
    m_navigation = new CSymbolNavigation(view, *m_model, queries);
    m_highlight = new CDocumentHighlight(view, *m_model, queries);
}

CNameAids::~CNameAids() = default;

void CNameAids::KeepTarnNames() const
{
    if (m_tarnGeneration == m_settings.functions.Generation())
        return;
    m_tarnNames = CompletionNames(m_settings.functions);
    m_tarnGeneration = m_settings.functions.Generation();
}

NameQueries CNameAids::Queries(const ScriptSnapshot &snapshot) const
{
    KeepTarnNames();
    return NameQueries(snapshot.Text(), snapshot.model, TarnNames{&m_settings.functions, &m_tarnNames, &m_view.Reference()});
}

void CNameAids::TextLoaded()
{
    m_completion->Close();
    m_model->BuildNow();
}

void CNameAids::CompleteName()
{
    // One list at a time: Ctrl+Space's goes.
    m_view.CloseCompletionList();
    m_completion->Show(false);
}

void CNameAids::GoToDefinition(CSymbolNavigation::TarnPageShower showTarnPage)
{
    m_completion->Close();
    m_navigation->GoToDefinition(std::move(showTarnPage));
}

void CNameAids::FindReferences(CSymbolNavigation::ReferenceShower show)
{
    m_completion->Close();
    m_navigation->FindReferences(std::move(show));
}

void CNameAids::RenameSymbol(Prompter &prompter, QWidget *owner)
{
    m_completion->Close();
    m_navigation->RenameSymbol(prompter, owner);
}

bool CNameAids::ClaimsShortcut(const QKeyEvent *e) const
{
    return m_completion->ClaimsShortcut(e);
}

bool CNameAids::TakeKey(const QKeyEvent *e)
{
    return m_completion->TakeKey(e);
}

void CNameAids::AfterKey(const QKeyEvent *e, int ch)
{
    m_completion->AfterKey(e, ch);
}

void CNameAids::Close()
{
    m_completion->Close();
}

std::vector<NameListItem> CNameAids::Candidates(const NameQuestion &question) const
{
    // The last model, its places carried to the text as it is now: no parse on the key.
    const bool usable = m_model->IsUsable();
    const CViewModel::Model keep = usable ? m_model->Last() : nullptr;
    const ScriptSnapshot &snapshot = usable ? *keep : EmptySnapshot();
    const bool current = usable && m_model->IsCurrent();
    // In a model of older text the word typed since is not there: it is asked for where the
    // word starts, and the list filters by the word itself.
    const std::size_t offset = current ? std::size_t(question.caret)
                               : usable ? std::size_t(m_model->Shift().ToOld(question.wordStart))
                                        : 0;
    const NameCompletion completion = Queries(snapshot).Complete(offset);
    std::vector<NameListItem> items;
    if (completion.quiet && current)
        return items;
    const bool sameQuestion = completion.afterField == !question.table.empty() &&
                              (question.table.empty() || completion.base == question.table);
    if (sameQuestion) {
        items.reserve(completion.candidates.size());
        for (const NameCandidate &candidate : completion.candidates)
            items.push_back({candidate.name, IconOf(candidate.kind)});
        return items;
    }
    if (question.table.empty())
        return items;
    // "name." typed since the model was built: the fields the model knows of that name, and
    // a library table's own.
    for (std::string_view field : snapshot.model.FieldsOf(question.table, offset))
        items.push_back({std::string(field), IconOf(NameKind::Field)});
    for (const LuaLibraryEntry &entry : LuaLibrary::Fields(question.table))
        if (!question.method || entry.IsFunction())
            items.push_back({std::string(entry.name), IconOf(entry.IsFunction() ? NameKind::LibraryFunction : NameKind::LibraryValue)});
    return items;
}

std::optional<TipSignature> CNameAids::Signature(std::string_view word) const
{
    if (std::optional<TipSignature> library = LibrarySignature(word))
        return library;
    if (!m_model->IsUsable())
        return std::nullopt;
    const CViewModel::Model keep = m_model->Last();
    const luamodel::Model &model = keep->model;
    // The script's own function of that name, the last one written if there are several.
    std::uint32_t found = luamodel::kNone;
    for (std::uint32_t i = 1; i < model.functions.size(); ++i)
        if (model.functions[i].name == word)
            found = i;
    if (found == luamodel::kNone)
        return std::nullopt;
    NameCandidate candidate;
    candidate.name = std::string(word);
    candidate.kind = NameKind::GlobalFunction;
    candidate.function = found;
    const NameDescription description = Queries(*keep).DescribeCandidate(candidate);
    TipSignature signature;
    signature.name = Utf8(word);
    for (const NameParameter &parameter : description.parameters) {
        signature.parameters.append(Utf8(parameter.name));
        signature.parameterLines.append(parameter.type.empty() && parameter.description.empty() ? QString()
                                                                                                 : ParameterLine(parameter));
    }
    signature.description = Utf8(description.description);
    return signature;
}

QString CNameAids::DescribeName(const QString &name) const
{
    const std::string wanted = name.toStdString();
    const QString library = LibraryMarkdown(wanted);
    if (!library.isEmpty())
        return library;
    if (!m_model->IsUsable())
        return QString();
    const CViewModel::Model keep = m_model->Last();
    for (std::uint32_t i = 1; i < keep->model.functions.size(); ++i) {
        if (keep->model.functions[i].name != wanted)
            continue;
        NameCandidate candidate;
        candidate.name = wanted;
        candidate.kind = NameKind::GlobalFunction;
        candidate.function = i;
        return DescriptionMarkdown(Queries(*keep).DescribeCandidate(candidate));
    }
    return QString();
}

QString CNameAids::DescribeAt(qint64 position) const
{
    if (!m_model->IsUsable())
        return QString();
    const CViewModel::Model keep = m_model->Last();
    const std::int64_t old = m_model->Shift().ToOld(position);
    return DescriptionMarkdown(Queries(*keep).Describe(std::size_t(old)));
}
