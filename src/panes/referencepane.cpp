#include "referencepane.h"

#include "app/scribacobarray.h"
#include "editor/intellitip.h"
#include "editor/referencetext.h"
#include "editor/scribaview.h"
#include "reference/tarnreference.h"

#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace {

constexpr int kNameRole = Qt::UserRole;

// "tg_" for "tg_addpoint"; names without a prefix are grouped as general functions.
QString PrefixOf(const std::string &name)
{
    const std::size_t underscore = name.find('_');
    return underscore == std::string::npos || underscore == 0 ? QString()
                                                               : QString::fromStdString(name.substr(0, underscore + 1));
}

} // namespace

CReferencePane::CReferencePane(const FunctionTable &functions, std::shared_ptr<const TarnReference> reference,
                               QWidget *parent)
    : QWidget(parent), m_functions(functions), m_reference(std::move(reference)), m_filter(new QLineEdit(this)),
      m_tree(new QTreeWidget(this)), m_page(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("referencePane"));
    auto *label = new QLabel(tr("Fi&lter:"), this);
    label->setBuddy(m_filter);
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(tr("Part of a function's name"));
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(label);
    filterRow->addWidget(m_filter);

    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setUniformRowHeights(true);
    m_page->setOpenLinks(false);
    // A word too long for the pane scrolls; it is never cut in two.
    m_page->setWordWrapMode(QTextOption::WordWrap);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(filterRow);
    layout->addWidget(splitter);

    connect(m_filter, &QLineEdit::textChanged, this, &CReferencePane::ApplyFilter);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) { ShowItem(item); });
    connect(m_page, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == QStringLiteral("tarn"))
            ShowFunction(url.path().toStdString());
    });
}

CReferencePane *CReferencePane::CreateDock(QMainWindow *window, const FunctionTable &functions,
                                           std::shared_ptr<const TarnReference> reference)
{
    auto *dock = new QDockWidget(tr("Tarn Reference"), window);
    dock->setObjectName(QStringLiteral("referenceDock"));
    auto *pane = new CReferencePane(functions, std::move(reference), dock);
    dock->setWidget(pane);
    window->addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    return pane;
}

QDockWidget *CReferencePane::Dock() const
{
    return qobject_cast<QDockWidget *>(parentWidget());
}

void CReferencePane::Open(CScribaView *view)
{
    RebuildIfStale();
    if (QDockWidget *dock = Dock()) {
        dock->show();
        dock->raise();
    }
    FollowView(view);
    if (CurrentName().isEmpty() && m_tree->topLevelItemCount() > 0 && m_tree->topLevelItem(0)->childCount() > 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(0)->child(0));
}

void CReferencePane::FollowView(CScribaView *view)
{
    disconnect(m_caretConnection);
    m_view = view;
    if (view)
        m_caretConnection = connect(view, &CScribaView::caretOrSelectionChanged, this, &CReferencePane::FollowCaret);
    FollowCaret();
}

// Only the word around the caret is read, so following costs the same in any script. Between
// the brackets of a call, where the caret is on no name, the parameter tip knows the function.
void CReferencePane::FollowCaret()
{
    if (!m_view || !isVisible())
        return;
    const auto caret = static_cast<unsigned long>(m_view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    const auto start = qint64(m_view->SendScintilla(QsciScintillaBase::SCI_WORDSTARTPOSITION, caret, 1L));
    const auto end = qint64(m_view->SendScintilla(QsciScintillaBase::SCI_WORDENDPOSITION, caret, 1L));
    if (end > start)
        ShowFunction(m_view->TextRange(start, end));
    else if (const CIntelliTip *tip = m_view->Tip(); tip && tip->IsShown())
        ShowFunction(tip->Name().toStdString());
}

void CReferencePane::RebuildIfStale()
{
    if (!m_built || m_builtFor != m_functions.Generation())
        Rebuild();
}

void CReferencePane::Rebuild()
{
    const QString current = CurrentName();
    m_tree->clear();
    std::map<QString, QTreeWidgetItem *> groups;
    for (const TableRow &row : m_functions.Rows()) {
        const QString prefix = PrefixOf(row[0]);
        QTreeWidgetItem *&group = groups[prefix];
        if (!group) {
            group = new QTreeWidgetItem(QStringList(prefix.isEmpty() ? tr("General") : prefix));
            group->setFlags(Qt::ItemIsEnabled);
        }
        auto *item = new QTreeWidgetItem(group, QStringList(QString::fromStdString(row[0])));
        item->setData(0, kNameRole, QString::fromStdString(row[0]));
        const FunctionDoc *doc = m_reference->Find(row[0]);
        if (doc && doc->deprecated) {
            QFont font = item->font(0);
            font.setStrikeOut(true);
            item->setFont(0, font);
        }
        if (doc && !doc->description.empty())
            item->setToolTip(0, FirstDescriptionLine(*doc));
    }
    // The general functions first, then the modules in their order.
    for (auto &[prefix, group] : groups)
        m_tree->addTopLevelItem(group);
    m_tree->expandAll();
    m_builtFor = m_functions.Generation();
    m_built = true;
    ApplyFilter(m_filter->text());
    if (!current.isEmpty())
        ShowFunction(current.toStdString());
}

void CReferencePane::ApplyFilter(const QString &text)
{
    const QString wanted = text.trimmed();
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = m_tree->topLevelItem(g);
        int shown = 0;
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem *item = group->child(i);
            const bool match = item->text(0).contains(wanted, Qt::CaseInsensitive);
            item->setHidden(!match);
            shown += match ? 1 : 0;
        }
        group->setHidden(shown == 0);
        group->setText(0, group->text(0).section(u' ', 0, 0) + QStringLiteral(" (%1)").arg(shown));
    }
    // The page follows the first match while the shown function is filtered out.
    QTreeWidgetItem *current = m_tree->currentItem();
    if (current && !current->isHidden())
        return;
    for (QTreeWidgetItemIterator it(m_tree, QTreeWidgetItemIterator::NotHidden); *it; ++it)
        if ((*it)->parent()) {
            m_tree->setCurrentItem(*it);
            return;
        }
    // Nothing matches: no page of a function the list no longer shows.
    m_tree->setCurrentItem(nullptr);
    m_page->setPlainText(tr("No function's name contains \"%1\".").arg(wanted));
}

bool CReferencePane::ShowFunction(std::string_view word)
{
    RebuildIfStale();
    const DocumentedFunction function = LookUpFunction(m_functions, *m_reference, word);
    if (!function)
        return false;
    const QString name = QString::fromStdString((*function.row)[0]);
    if (name == CurrentName())
        return true;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(0, kNameRole).toString() == name) {
            // A function the filter hides is shown all the same: the filter gives way.
            if ((*it)->isHidden())
                m_filter->clear();
            m_tree->setCurrentItem(*it);
            m_tree->scrollToItem(*it);
            return true;
        }
    return false;
}

QString CReferencePane::CurrentName() const
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    return item ? item->data(0, kNameRole).toString() : QString();
}

void CReferencePane::ShowItem(QTreeWidgetItem *item)
{
    const QString name = item ? item->data(0, kNameRole).toString() : QString();
    const DocumentedFunction function = LookUpFunction(m_functions, *m_reference, name.toStdString());
    m_page->setHtml(function ? MarkdownToHtml(FunctionMarkdown(function, PageParts::Page)) : QString());
}
