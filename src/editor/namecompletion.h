// Complete Name: the second completion list, beside the Ctrl+Space list of Tarn's functions.
// It offers every name that can stand at the caret (locals nearest first, the script's
// globals, Lua's library, Tarn's functions, keywords; after "name." or "name:" the fields of
// that table), each with an icon of its kind, filtered by the word typed. The names come from
// the view's last script model; the list never opens inside a comment or a string.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class CCompletionList;
class CScribaView;
class QKeyEvent;
struct Settings;

// One name the list offers, in the order shown.
struct NameListItem {
    std::string name;
    QString icon; // the kind's icon, a resource path
};

// Where the list is asked for: the caret, the word before it, and for a field the table's name.
struct NameQuestion {
    qint64 caret = 0;
    qint64 wordStart = 0;
    std::string word;
    std::string table; // "M" after "M." or "M:", "a.b" after "a.b."; empty for a plain name
    bool method = false; // after ":"
};

class CNameCompletion : public QObject {
    Q_OBJECT

public:
    using CandidateSource = std::function<std::vector<NameListItem>(const NameQuestion &)>;
    using Describer = std::function<QString(const QString &name)>;

    CNameCompletion(CScribaView &view, const Settings &settings, CandidateSource candidates, Describer describe);
    ~CNameCompletion() override;

    // Opens the list at the caret; automatic: after a typed "." or ":", when there is nothing
    // to offer nothing shows.
    void Show(bool automatic = false);
    void Close();
    CCompletionList *List() const;
    // The names shown, after filtering, in order.
    QStringList ShownNames() const;

    // Escape, while the list is open, before the application's accelerators see it.
    bool ClaimsShortcut(const QKeyEvent *e) const;
    // Before the view handles a key: true when the list took it.
    bool TakeKey(const QKeyEvent *e);
    // After the view handled a key that typed ch (0 for none).
    void AfterKey(const QKeyEvent *e, int ch);

    // Whether "." and ":" open the list by themselves.
    static bool OpensAfterMember(const Settings &settings);

private:
    bool InCommentOrString(qint64 position) const;
    bool Ask(NameQuestion &question) const;
    void Filter();
    void Accept();

    CScribaView &m_view;
    const Settings &m_settings;
    CandidateSource m_candidates;
    Describer m_describe;
    QPointer<CCompletionList> m_list;
    qint64 m_wordStart = 0;
    std::string m_table; // of the fields listed; empty for plain names
};
