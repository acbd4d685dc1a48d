#include "functiondlg.h"

#include "app/prompter.h"
#include "entryedit.h"
#include "entryrules.h"
#include "listselection.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The list keeps each parameter's bytes as stored, so text that is not UTF-8 survives an edit.
constexpr int kBytesRole = Qt::UserRole;

// A thin black stem under a dark blue head of three steps, 13 by 15 pixels, on a transparent
// ground so that it stands on the button's own colour.
QIcon ArrowIcon(bool up, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(13, 15) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    auto row = [&](int y, int left, int width, const QColor &colour) {
        painter.fillRect(QRect(left, up ? y : 14 - y, width, 1), colour);
    };
    const QColor head(0, 0, 128);
    row(1, 6, 1, head);
    for (int step = 1; step <= 3; ++step) {
        row(2 * step, 6 - step, 1 + 2 * step, head);
        row(2 * step + 1, 6 - step, 1 + 2 * step, head);
    }
    for (int y = 8; y <= 13; ++y)
        row(y, 6, 1, Qt::black);
    painter.end();
    return QIcon(pixmap);
}

QPushButton *ArrowButton(bool up, const QString &name, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setIcon(ArrowIcon(up, parent->devicePixelRatioF()));
    button->setIconSize(QSize(13, 15));
    button->setAccessibleName(name);
    button->setToolTip(tip);
    button->setFixedSize(button->sizeHint().height(), button->sizeHint().height());
    return button;
}

} // namespace

CFunctionDlg::CFunctionDlg(TableRow &row, int &paramCountDelta, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_row(row),
      m_paramCountDelta(paramCountDelta), m_prompter(prompter), m_name(new CEntryEdit(EntryKind::Name, this)),
      m_parameter(new CEntryEdit(EntryKind::Parameter, this)), m_add(new QPushButton(tr("&Add ->"), this)),
      m_remove(new QPushButton(tr("<- &Remove"), this)), m_list(new QListWidget(this)),
      m_up(ArrowButton(true, tr("Move up"), tr("Move the parameter up the list"), this)),
      m_down(ArrowButton(false, tr("Move down"), tr("Move the parameter down the list"), this))
{
    setWindowTitle(tr("Scriba - Add/Edit Tarn Lua function"));
    m_name->setObjectName(QStringLiteral("nameBox"));
    m_parameter->setObjectName(QStringLiteral("parameterBox"));
    m_list->setObjectName(QStringLiteral("parameterList"));
    m_up->setObjectName(QStringLiteral("moveUp"));
    m_down->setObjectName(QStringLiteral("moveDown"));

    // The arrows have no text to carry an access key: Alt and the arrow's own key press them.
    m_up->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    m_down->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
    auto *ok = new QPushButton(tr("&OK"), this);
    auto *cancel = new QPushButton(tr("&Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &CFunctionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CFunctionDlg::reject);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(CreateFunctionGroup(), 1);
    layout->addLayout(buttons);

    if (!m_row.empty())
        m_name->SetStoredText(QString::fromUtf8(m_row[0]));
    m_shownName = m_name->text();
    for (std::size_t i = 1; i < m_row.size(); ++i) {
        auto *item = new QListWidgetItem(QString::fromUtf8(m_row[i]), m_list);
        item->setData(kBytesRole, QByteArray::fromStdString(m_row[i]));
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    else
        m_remove->setEnabled(false);
    m_add->setEnabled(false);
    m_name->setFocus();

    connect(m_parameter, &QLineEdit::textChanged, this, [this](const QString &text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_add, &QPushButton::clicked, this, &CFunctionDlg::AddParameter);
    connect(m_remove, &QPushButton::clicked, this, &CFunctionDlg::RemoveParameter);
    connect(m_up, &QPushButton::clicked, this, [this] { MoveParameter(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveParameter(1); });
}

QWidget *CFunctionDlg::CreateFunctionGroup()
{
    auto *group = new QGroupBox(tr("Tarn Lua Function"), this);
    auto *nameLabel = new QLabel(tr("Function &name:"), group);
    nameLabel->setBuddy(m_name);
    auto *parameterLabel = new QLabel(tr("Function &parameters:"), group);
    parameterLabel->setBuddy(m_parameter);
    m_add->setDefault(true);
    auto *moves = new QVBoxLayout;
    moves->addWidget(m_up);
    moves->addWidget(m_down);
    moves->addStretch();

    auto *layout = new QGridLayout(group);
    layout->addWidget(nameLabel, 0, 0, 1, 4);
    layout->addWidget(m_name, 1, 0, 1, 4);
    layout->addWidget(parameterLabel, 2, 0, 1, 4);
    layout->addWidget(m_parameter, 3, 0);
    layout->addWidget(m_add, 3, 1);
    layout->addWidget(m_remove, 4, 1, Qt::AlignTop);
    layout->addWidget(m_list, 3, 2, 3, 1);
    layout->addLayout(moves, 3, 3, 3, 1);
    layout->setRowStretch(5, 1);
    return group;
}

void CFunctionDlg::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Showing a dialog gives its focus widget a Tab focus, and a line edit selects all on that;
    // the name box opens with the caret after the name instead.
    if (visible)
        m_name->deselect();
}

void CFunctionDlg::AddParameter()
{
    if (m_parameter->text().isEmpty())
        return;
    const std::string parameter = TruncatedEntry(m_parameter->text().toStdString());
    auto *item = new QListWidgetItem(QString::fromStdString(parameter), m_list);
    item->setData(kBytesRole, QByteArray::fromStdString(parameter));
    m_list->setCurrentItem(item);
    m_parameter->clear();
    m_parameter->setFocus();
    m_remove->setEnabled(true);
    ++m_paramCountDelta;
}

void CFunctionDlg::RemoveParameter()
{
    const int row = SelectedRow(*m_list);
    if (row < 0)
        return;
    delete m_list->takeItem(row);
    if (m_list->count() > 0)
        m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    else
        m_remove->setEnabled(false);
    --m_paramCountDelta;
}

void CFunctionDlg::MoveParameter(int step)
{
    const int row = SelectedRow(*m_list);
    const int target = row + step;
    if (row < 0 || target < 0 || target >= m_list->count())
        return;
    QListWidgetItem *item = m_list->takeItem(row);
    m_list->insertItem(target, item);
    m_list->setCurrentRow(target);
}

void CFunctionDlg::RefuseName(const QString &text, bool selectAll)
{
    m_prompter.Ask(this, {tr("Scriba - Error!"), text, QMessageBox::Warning, QMessageBox::Ok});
    m_name->setFocus();
    if (selectAll)
        m_name->selectAll();
}

void CFunctionDlg::accept()
{
    // A stored name the user left alone keeps its bytes, whatever they are.
    const std::string name = TruncatedEntry(m_name->text() == m_shownName && !m_row.empty()
                                                ? m_row[0]
                                                : m_name->text().toStdString());
    const NameProblem problem = CheckEntryName(name);
    if (problem == NameProblem::Empty) {
        RefuseName(tr("A function name must be entered."), false);
        return;
    }
    if (problem == NameProblem::LeadingDigit) {
        RefuseName(tr("Function name cannot begin with a number."), true);
        return;
    }
    m_row.clear();
    m_row.push_back(name);
    for (int i = 0; i < m_list->count(); ++i)
        m_row.push_back(m_list->item(i)->data(kBytesRole).toByteArray().toStdString());
    QDialog::accept();
}
