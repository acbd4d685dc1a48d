#include "warningspage.h"

#include "check/scriptcheck.h"
#include "check/warningcodes.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

CWarningsPage::CWarningsPage(const std::vector<int> &disabled, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(tr("Scriba - Warnings"));
    auto *layout = new QVBoxLayout(this);
    // A list of switches: one access key reaches them all, Space turns the current one.
    auto *label = new QLabel(tr("&Warnings the script check shows (a .luacheckrc beside a script, and "
                                "\"-- luacheck:\" comments in it, still decide for that script):"),
                             this);
    label->setWordWrap(true);
    m_list = new QListWidget(this);
    label->setBuddy(m_list);
    for (const WarningClass &warning : WarningClasses()) {
        auto *item = new QListWidgetItem(QString::fromStdString(CodeText(warning.code)) + QStringLiteral("  ") +
                                             QString::fromUtf8(warning.title.data(), qsizetype(warning.title.size())),
                                         m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setData(Qt::UserRole, warning.code);
    }
    m_list->setMinimumWidth(m_list->sizeHintForColumn(0) + 40);
    m_list->setMinimumHeight(m_list->sizeHintForRow(0) * 12);
    layout->addWidget(label);
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("O&K"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Ca&ncel"), QDialogButtonBox::RejectRole);
    QPushButton *defaults = buttons->addButton(tr("Restore &defaults"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { Show(CheckOptions::DefaultDisabledCodes()); });
    layout->addWidget(buttons);
    Show(disabled);
    m_list->setCurrentRow(0);
}

void CWarningsPage::Show(const std::vector<int> &disabled)
{
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        const int code = item->data(Qt::UserRole).toInt();
        item->setCheckState(std::find(disabled.begin(), disabled.end(), code) == disabled.end() ? Qt::Checked
                                                                                                 : Qt::Unchecked);
    }
}

std::vector<int> CWarningsPage::Disabled() const
{
    std::vector<int> disabled;
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->checkState() != Qt::Checked)
            disabled.push_back(m_list->item(row)->data(Qt::UserRole).toInt());
    return disabled;
}
