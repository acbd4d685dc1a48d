// Go to Definition, Find References and Rename Symbol in one view: each asks the view's script
// model, built afresh for the text as it is when the command is given, what the name at the
// caret refers to under Lua's scoping.
#pragma once

#include "panes/resultmodel.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CScribaView;
struct NameOccurrence;
class CViewModel;
class NameQueries;
class Prompter;
class QWidget;
struct ScriptSnapshot;

class CSymbolNavigation : public QObject {
    Q_OBJECT

public:
    using QueriesFor = std::function<NameQueries(const ScriptSnapshot &)>;
    using TarnPageShower = std::function<void(const std::string &function)>;
    // The rows are made as the list shows them, from the text as it was when they were found.
    using ReferenceShower = std::function<void(const QString &summary, std::unique_ptr<const ResultRows> rows)>;

    CSymbolNavigation(CScribaView &view, CViewModel &model, QueriesFor queries);

    // Selects the declaration of the name at the caret; a Tarn function goes to showTarnPage.
    void GoToDefinition(TarnPageShower showTarnPage);
    // Every use of the name at the caret, one line each, for the Search tab.
    void FindReferences(ReferenceShower show);
    // Asks for a new name and renames every use, as one step that Undo takes back.
    void RenameSymbol(Prompter &prompter, QWidget *owner);
    // Renames the symbol at offset in the model's text, which is the view's text now; false
    // when the queries refuse the name.
    bool RenameAt(const ScriptSnapshot &snapshot, std::size_t offset, const std::string &newName);

    // The words a dialog uses for what a name is: "local variable", "parameter", ...
    static QString KindText(int kind);

private:
    // Uses at most this many bytes apart are replaced together.
    static constexpr std::size_t kJoinedGap = 2048;

    qint64 Caret() const;
    // Replaces uses [begin, end) and the text between them, read from text, with one change.
    void ReplaceStretch(std::string_view text, const std::vector<NameOccurrence> &uses, std::size_t begin,
                        std::size_t end, const std::string &newName);

    CScribaView &m_view;
    CViewModel &m_model;
    QueriesFor m_queries;
};
