// The aids that know the script's names, in one view: its script model kept up to date,
// Complete Name, the navigation (Go to Definition, Find References, Rename Symbol), the marks
// on the uses of the name at the caret, and what the tip, the panel and the hover say of Lua's
// library and of the script's own functions. The view hands it its keys; the frame its commands.
#pragma once

#include "editor/intellitip.h"
#include "editor/symbolnavigation.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CDocumentHighlight;
class CNameCompletion;
class CScribaView;
class CViewModel;
class NameQueries;
class QKeyEvent;
struct NameListItem;
struct NameQuestion;
struct ScriptSnapshot;
struct Settings;

class CNameAids : public QObject {
    Q_OBJECT

public:
    CNameAids(CScribaView &view, const Settings &settings);
    ~CNameAids() override;

    CViewModel &Model() const { return *m_model; }
    CNameCompletion &Completion() const { return *m_completion; }
    CDocumentHighlight &Highlight() const { return *m_highlight; }
    CSymbolNavigation &Navigation() const { return *m_navigation; }

    // The text was loaded anew: the model is built at once.
    void TextLoaded();

    // The commands.
    void CompleteName();
    void GoToDefinition(CSymbolNavigation::TarnPageShower showTarnPage);
    void FindReferences(CSymbolNavigation::ReferenceShower show);
    void RenameSymbol(Prompter &prompter, QWidget *owner);

    // The view's key handling: see CNameCompletion.
    bool ClaimsShortcut(const QKeyEvent *e) const;
    bool TakeKey(const QKeyEvent *e);
    void AfterKey(const QKeyEvent *e, int ch);
    void Close();

    // A function that is not Tarn's, by the word typed before "(": Lua's library, the script's own.
    std::optional<TipSignature> Signature(std::string_view word) const;
    // Markdown for a name the completion list shows that is not Tarn's.
    QString DescribeName(const QString &name) const;
    // Markdown for the name at position when it is not one of Tarn's functions; "" for none.
    QString DescribeAt(qint64 position) const;

private:
    NameQueries Queries(const ScriptSnapshot &snapshot) const;
    std::vector<NameListItem> Candidates(const NameQuestion &question) const;
    void KeepTarnNames() const;

    CScribaView &m_view;
    const Settings &m_settings;
    CViewModel *m_model;
    CNameCompletion *m_completion;
    CSymbolNavigation *m_navigation;
    CDocumentHighlight *m_highlight;
    // Tarn's names in completion order, for the queries; made again when the table changes.
    mutable std::vector<std::string> m_tarnNames;
    mutable std::uint64_t m_tarnGeneration = ~std::uint64_t(0);
};
