#include "keywordgroup.h"

#include "app/prompter.h"
#include "entryedit.h"
#include "entryrules.h"
#include "listselection.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr const char *kIndent = "indent";
constexpr const char *kOutdent = "outdent";
// The widest the list grows for a long keyword, in average characters; longer names scroll.
constexpr int kMostListCharacters = 24;

} // namespace

CKeywordGroup::CKeywordGroup(KeywordTable &table, Prompter &prompter, QWidget *parent)
    : QGroupBox(tr("Lua keywords"), parent), m_table(table), m_prompter(prompter),
      m_box(new CEntryEdit(EntryKind::Name, this)), m_add(new QPushButton(tr("Add -&>"), this)),
      m_remove(new QPushButton(tr("<&- Remove"), this)), m_list(new QListWidget(this)),
      m_indent(new QCheckBox(tr("&Indent"), this)), m_outdent(new QCheckBox(tr("&Outdent"), this))
{
    m_box->setObjectName(QStringLiteral("keywordBox"));
    m_list->setObjectName(QStringLiteral("keywordList"));
    // Enter in the box adds what it holds; the dialog's own default button is OK.
    m_add->setAutoDefault(false);
    m_box->installEventFilter(this);
    m_add->setEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_indent->setToolTip(tr("Keyword indents next line"));
    m_outdent->setToolTip(tr("Keyword reduces line indent"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_box, 0, 0);
    layout->addWidget(m_add, 0, 1);
    layout->addWidget(m_remove, 1, 1, Qt::AlignTop);
    layout->addWidget(m_indent, 2, 0);
    layout->addWidget(m_outdent, 3, 0, Qt::AlignTop);
    layout->addWidget(m_list, 0, 2, 5, 1);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(2, 1);

    for (const TableRow &row : m_table.Rows())
        m_list->addItem(QString::fromUtf8(row[0]));
    FitListWidth();
    if (m_table.IsEmpty()) {
        m_remove->setEnabled(false);
    } else {
        m_list->setCurrentRow(0);
        ShowAttributes(0);
    }

    connect(m_box, &QLineEdit::textChanged, this, [this](const QString &text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_add, &QPushButton::clicked, this, &CKeywordGroup::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &CKeywordGroup::OnRemove);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { ShowAttributes(SelectedRow(*m_list)); });
    connect(m_indent, &QCheckBox::clicked, this, [this] { SetAttributeFromBox(kIndent, m_indent); });
    connect(m_outdent, &QCheckBox::clicked, this, [this] { SetAttributeFromBox(kOutdent, m_outdent); });
}

// The list is at least as wide as its widest keyword (up to a limit) beside its scroll bar, so
// that a dialog squeezed onto a small screen takes the room from elsewhere.
void CKeywordGroup::FitListWidth()
{
    const QFontMetrics metrics = m_list->fontMetrics();
    int widest = 0;
    for (int i = 0; i < m_list->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(m_list->item(i)->text()));
    widest = std::min(widest, kMostListCharacters * metrics.averageCharWidth());
    const int chrome = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width() +
                       2 * metrics.averageCharWidth();
    m_list->setMinimumWidth(widest + chrome);
}

void CKeywordGroup::SetAttributeBoxesEnabled(bool enabled)
{
    m_indent->setEnabled(enabled);
    m_outdent->setEnabled(enabled);
}

void CKeywordGroup::RefuseText(const QString &caption, const QString &text)
{
    m_prompter.Ask(window(), {caption, text, QMessageBox::Warning, QMessageBox::Ok});
    m_box->setFocus();
    m_box->selectAll();
}

bool CKeywordGroup::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_box && e->type() == QEvent::KeyPress && m_add->isEnabled()) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_add->click();
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, e);
}

void CKeywordGroup::OnAdd()
{
    const std::string keyword = TruncatedEntry(m_box->text().toStdString());
    if (keyword.empty())
        return;
    if (m_table.IndexOfName(keyword) >= 0) {
        RefuseText(tr("Scriba - Duplicate entry!"),
                   QLatin1Char('"') + QString::fromStdString(keyword) + tr("\" already defined as keyword!"));
        return;
    }
    if (CheckEntryName(keyword) == NameProblem::LeadingDigit) {
        RefuseText(tr("Scriba - Error!"), tr("Lua keyword cannot begin with a number"));
        return;
    }
    const int at = m_table.AddSorted({keyword});
    m_list->insertItem(at, QString::fromStdString(keyword));
    FitListWidth();
    m_list->setCurrentRow(at);
    m_box->clear();
    m_box->setFocus();
    m_indent->setChecked(false);
    m_outdent->setChecked(false);
    m_remove->setEnabled(true);
    emit tableChanged();
    if (!m_indent->isEnabled() && !m_outdent->isEnabled())
        SetAttributeBoxesEnabled(true);
}

void CKeywordGroup::OnRemove()
{
    const int row = SelectedRow(*m_list);
    if (row < 0)
        return;
    const QString keyword = QString::fromUtf8(m_table.GetAt(row)[0]);
    const Prompt confirm{tr("Scriba - Remove keyword?"),
                         tr("Are you sure you\nwant to remove: ") + QLatin1Char('"') + keyword + QLatin1Char('"'),
                         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No};
    if (m_prompter.Ask(window(), confirm) != QMessageBox::Yes)
        return;
    m_table.RemoveAt(row);
    delete m_list->takeItem(row);
    if (m_list->count() == 0) {
        m_indent->setChecked(false);
        m_outdent->setChecked(false);
        SetAttributeBoxesEnabled(false);
        m_remove->setEnabled(false);
    } else {
        const int next = std::min(row, m_list->count() - 1);
        m_list->setCurrentRow(next);
        ShowAttributes(next);
    }
    emit tableChanged();
}

void CKeywordGroup::ShowAttributes(int row)
{
    m_indent->setChecked(false);
    m_outdent->setChecked(false);
    if (row < 0 || row >= m_table.GetSize())
        return;
    m_indent->setChecked(HasAttribute(m_table.GetAt(row), kIndent));
    m_outdent->setChecked(HasAttribute(m_table.GetAt(row), kOutdent));
}

void CKeywordGroup::SetAttributeFromBox(const char *attribute, QCheckBox *box)
{
    const int row = SelectedRow(*m_list);
    if (row < 0) {
        box->setChecked(false); // no keyword to show it for
        return;
    }
    // The row changes in the table at once; views read it from their next indentation on.
    TableRow changed = m_table.GetAt(row);
    if (SetAttribute(changed, attribute, box->isChecked()))
        m_table.SetAt(row, std::move(changed));
}
