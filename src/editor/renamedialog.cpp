#include "renamedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CRenameDialog::CRenameDialog(const QString &oldName, const QString &what, NameCheck check, QWidget *parent)
    : QDialog(parent), m_check(std::move(check)), m_oldName(oldName)
{
    setWindowTitle(tr("Rename Symbol"));
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(tr("Rename the %1 \"%2\" and every use of it.").arg(what, oldName.toHtmlEscaped()), this);
    heading->setTextFormat(Qt::PlainText);
    layout->addWidget(heading);
    auto *label = new QLabel(tr("&New name:"), this);
    m_name = new QLineEdit(oldName, this);
    m_name->setObjectName(QStringLiteral("newName"));
    m_name->selectAll();
    label->setBuddy(m_name);
    layout->addWidget(label);
    layout->addWidget(m_name);
    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("reason"));
    m_reason->setTextFormat(Qt::PlainText);
    m_reason->setWordWrap(true);
    QPalette colours = m_reason->palette();
    colours.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    m_reason->setPalette(colours);
    layout->addWidget(m_reason);
    m_buttons = new QDialogButtonBox(this);
    m_rename = m_buttons->addButton(tr("&Rename"), QDialogButtonBox::AcceptRole);
    m_rename->setDefault(true);
    m_buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &CRenameDialog::Check);
    Check();
}

QString CRenameDialog::NewName() const
{
    return m_name->text().trimmed();
}

QString CRenameDialog::Reason() const
{
    return m_reason->text();
}

void CRenameDialog::Check()
{
    const QString name = NewName();
    // The old name itself renames nothing: OK does nothing, and says nothing is wrong.
    const QString reason = name == m_oldName ? QString() : m_check(name);
    m_reason->setText(reason);
    m_rename->setEnabled(reason.isEmpty() && name != m_oldName);
}
