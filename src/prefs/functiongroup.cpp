#include "functiongroup.h"

#include "app/fileio.h"
#include "app/initext.h"
#include "app/prompter.h"
#include "app/regularfilereader.h"
#include "functiondlg.h"
#include "functiontablemodel.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int kNameColumnWidth = 110;
constexpr int kParameterColumnWidth = 65;
// Refused line numbers beyond these are counted, not listed.
constexpr int kListedRefusals = 20;

QString FunctionFileFilter()
{
    return QStringLiteral("Text Files (*.txt);;All Files (*)");
}

QString RefusedLinesText(const std::vector<int> &lines)
{
    QStringList numbers;
    for (std::size_t i = 0; i < lines.size() && i < std::size_t(kListedRefusals); ++i)
        numbers.append(QString::number(lines[i]));
    QString text = numbers.join(QStringLiteral(", "));
    if (lines.size() > std::size_t(kListedRefusals))
        text += QObject::tr(" and %1 more").arg(lines.size() - std::size_t(kListedRefusals));
    return text;
}

} // namespace

CFunctionGroup::CFunctionGroup(FunctionTable &table, Prompter &prompter, QWidget *parent)
    : QGroupBox(tr("Tarn Lua functions"), parent), m_table(table), m_prompter(prompter),
      m_model(new FunctionTableModel(table, this)), m_grid(CreateGrid()),
      m_add(new QPushButton(tr("<- Add"), this)), m_edit(new QPushButton(tr("- Edit -"), this)),
      m_remove(new QPushButton(tr("Remove ->"), this)), m_import(new QPushButton(tr("Import..."), this)),
      m_export(new QPushButton(tr("Export..."), this))
{
    m_import->setToolTip(tr("Add the functions of a shared list to the table"));
    m_export->setToolTip(tr("Save the table as a list others can import"));
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_grid, 0, 0, 7, 1);
    layout->addWidget(m_add, 0, 1);
    layout->addWidget(m_edit, 1, 1);
    layout->addWidget(m_remove, 2, 1);
    layout->setRowMinimumHeight(3, 8);
    layout->addWidget(m_import, 4, 1);
    layout->addWidget(m_export, 5, 1);
    layout->setRowStretch(6, 1);
    layout->setColumnStretch(0, 1);

    if (!m_table.IsEmpty())
        SelectRow(0);
    UpdateButtons();
    connect(m_add, &QPushButton::clicked, this, &CFunctionGroup::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CFunctionGroup::OnEdit);
    connect(m_remove, &QPushButton::clicked, this, &CFunctionGroup::OnRemove);
    connect(m_import, &QPushButton::clicked, this, &CFunctionGroup::OnImport);
    connect(m_export, &QPushButton::clicked, this, &CFunctionGroup::OnExport);
}

QTableView *CFunctionGroup::CreateGrid()
{
    auto *grid = new QTableView(this);
    grid->setObjectName(QStringLiteral("functionGrid"));
    grid->setModel(m_model);
    grid->setShowGrid(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->setCornerButtonEnabled(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    QHeaderView *header = grid->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultSectionSize(kParameterColumnWidth);
    header->resizeSection(0, kNameColumnWidth);
    // A reset (after an import) makes every column new; the name column keeps its width.
    connect(m_model, &QAbstractItemModel::modelReset, grid,
            [header] { header->resizeSection(0, kNameColumnWidth); });
    return grid;
}

int CFunctionGroup::SelectedRow() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CFunctionGroup::SelectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    m_grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_grid->scrollTo(index);
}

void CFunctionGroup::UpdateButtons()
{
    m_edit->setEnabled(!m_table.IsEmpty());
    m_remove->setEnabled(!m_table.IsEmpty());
}

bool CFunctionGroup::HasSelection()
{
    if (SelectedRow() >= 0)
        return true;
    m_prompter.Ask(window(), {tr("Scriba - Error!"), tr("No selection!"), QMessageBox::NoIcon, QMessageBox::Ok});
    return false;
}

bool CFunctionGroup::RunFunctionDialog(TableRow &row, int &paramCountDelta)
{
    CFunctionDlg dialog(row, paramCountDelta, m_prompter, window());
    return m_prompter.RunDialog(dialog) == QDialog::Accepted;
}

void CFunctionGroup::InsertAndSelect(TableRow row)
{
    SelectRow(m_model->InsertRow(std::move(row)));
    UpdateButtons();
    emit tableChanged();
}

void CFunctionGroup::OnAdd()
{
    TableRow row;
    int paramCountDelta = 0;
    if (RunFunctionDialog(row, paramCountDelta))
        InsertAndSelect(std::move(row));
}

void CFunctionGroup::OnEdit()
{
    if (!HasSelection())
        return;
    const int selected = SelectedRow();
    TableRow copy = m_table.GetAt(selected);
    int paramCountDelta = 0;
    if (!RunFunctionDialog(copy, paramCountDelta))
        return;
    m_model->RemoveRow(selected);
    m_model->DropSurplusColumns(int(copy.size()) - 1 - paramCountDelta);
    InsertAndSelect(std::move(copy));
}

void CFunctionGroup::OnRemove()
{
    if (!HasSelection())
        return;
    const int selected = SelectedRow();
    const TableRow &row = m_table.GetAt(selected);
    const Prompt confirm{tr("Scriba - Remove keyword?"),
                         tr("Are you sure you\nwant to remove: ") + QLatin1Char('"') + QString::fromUtf8(row[0]) +
                             QLatin1Char('"'),
                         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No};
    if (m_prompter.Ask(window(), confirm) != QMessageBox::Yes)
        return;
    const int parameterCount = int(row.size()) - 1;
    m_model->RemoveRow(selected);
    m_model->DropSurplusColumns(parameterCount);
    if (!m_table.IsEmpty())
        SelectRow(std::min(selected, m_table.GetSize() - 1));
    UpdateButtons();
    emit tableChanged();
}

void CFunctionGroup::ShowError(const QString &text)
{
    m_prompter.Ask(window(), {tr("Scriba - Error!"), text, QMessageBox::Warning, QMessageBox::Ok});
}

void CFunctionGroup::OnImport()
{
    const QString path =
        m_prompter.OpenFileName(window(), FunctionFileFilter() + QStringLiteral(";;Lua Definition Files (*.lua)"));
    if (path.isEmpty())
        return;
    // Only a regular file: a named pipe or a device would hold the dialog up for good.
    RegularFileReader file(path);
    QByteArray bytes;
    // A binary file read as rows would add whatever runs of letters it holds as functions.
    const QString cause = !file.Open() || !file.ReadAll(bytes) ? file.ErrorString() : NotPlainTextCause(bytes);
    if (!cause.isEmpty()) {
        ShowError(tr("Could not read %1.\n\n%2.").arg(QuotedPath(path), cause));
        return;
    }
    const FunctionImport result = m_model->Import(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (result.added > 0) {
        SelectRow(m_table.IndexOfName(result.firstAdded));
        UpdateButtons();
        emit tableChanged();
    } else if (!m_table.IsEmpty()) {
        SelectRow(0);
    }
    ShowImportResult(path, result);
}

void CFunctionGroup::ShowImportResult(const QString &path, const FunctionImport &result)
{
    QString text = QuotedPath(path) + QStringLiteral("\n\n") +
                   tr("Functions added: %1\nFunctions skipped, already in the table: %2").arg(result.added).arg(result.skipped);
    if (!result.refusedLines.empty())
        text += tr("\nLines refused for a bad function name or parameter: %1").arg(RefusedLinesText(result.refusedLines));
    const QMessageBox::Icon icon = result.refusedLines.empty() ? QMessageBox::Information : QMessageBox::Warning;
    m_prompter.Ask(window(), {tr("Scriba - Import"), text, icon, QMessageBox::Ok});
}

void CFunctionGroup::OnExport()
{
    const QString path = m_prompter.SaveFileName(window(), tr("Tarn Lua functions.txt"), FunctionFileFilter(),
                                                 QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    const std::string text = TableRowsText(m_table);
    QString error;
    if (!WriteWholeFile(path, text.data(), qint64(text.size()), &error))
        ShowError(tr("Could not write %1.\n\n%2.").arg(QuotedPath(path), error));
}
