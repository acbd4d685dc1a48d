// The Tarn reference pane, docked beside the scripts: a filter field, every function of the
// table grouped by module prefix ("tg_", "tm_", ...), and the selected function's page with
// links to the functions it names. While shown it follows the name at the active view's caret.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string_view>

class CScribaView;
class QDockWidget;
class QLineEdit;
class QMainWindow;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class CScribaCObArray;
class TarnReference;
using FunctionTable = CScribaCObArray;

class CReferencePane : public QWidget {
    Q_OBJECT

public:
    // The table must outlive the pane; the pane reads it again whenever it changed.
    CReferencePane(const FunctionTable &functions, std::shared_ptr<const TarnReference> reference,
                   QWidget *parent = nullptr);

    // Docks a new pane on the window's right side, hidden until Open.
    static CReferencePane *CreateDock(QMainWindow *window, const FunctionTable &functions,
                                      std::shared_ptr<const TarnReference> reference);
    // Shows the pane at the function named at the view's caret (or where it was) and follows
    // that view's caret from now on.
    void Open(CScribaView *view);
    // Follows another view's caret (nullptr: none), as the active document changes.
    void FollowView(CScribaView *view);
    // Selects the function the word names and shows its page; false when the table lacks it.
    bool ShowFunction(std::string_view word);

    // The name whose page is shown, or "".
    QString CurrentName() const;
    QLineEdit *FilterField() const { return m_filter; }
    QTreeWidget *Tree() const { return m_tree; }
    QTextBrowser *Page() const { return m_page; }

private:
    void Rebuild();
    void RebuildIfStale();
    void ApplyFilter(const QString &text);
    void ShowItem(QTreeWidgetItem *item);
    void FollowCaret();
    QDockWidget *Dock() const;

    const FunctionTable &m_functions;
    std::shared_ptr<const TarnReference> m_reference;
    QLineEdit *m_filter;
    QTreeWidget *m_tree;
    QTextBrowser *m_page;
    QPointer<CScribaView> m_view;
    QMetaObject::Connection m_caretConnection;
    std::uint64_t m_builtFor = 0; // the table's generation the tree shows
    bool m_built = false;
};
