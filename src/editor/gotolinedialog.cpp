#include "gotolinedialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CGoToLineDialog::CGoToLineDialog(qint64 current, qint64 count, QWidget *parent)
    : QDialog(parent), m_count(count), m_field(new QLineEdit(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Go to Line"));
    auto *label = new QLabel(tr("&Line number (1 - %1):").arg(count), this);
    label->setBuddy(m_field);
    m_field->setText(QString::number(current));
    m_field->selectAll();
    m_buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Line() > 0)
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_field, &QLineEdit::textChanged, this, &CGoToLineDialog::Validate);
    Validate();
}

qint64 CGoToLineDialog::Line() const
{
    bool number = false;
    const qint64 line = m_field->text().trimmed().toLongLong(&number);
    return number && line >= 1 && line <= m_count ? line : 0;
}

QPushButton *CGoToLineDialog::OkButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void CGoToLineDialog::Validate()
{
    OkButton()->setEnabled(Line() > 0);
}
