#include "runcommanddialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CRunCommandDialog::CRunCommandDialog(const QString &command, QWidget *owner)
    : QDialog(owner), m_command(new QLineEdit(command, this))
{
    setWindowTitle(tr("Set Run Command"));
    auto *caption = new QLabel(tr("&Command:"), this);
    caption->setBuddy(m_command);
    m_command->setMinimumWidth(360);
    m_command->setToolTip(tr("%f the script's full path, %d its folder, %n its file name"));
    auto *hint = new QLabel(tr("%f: the script's full path, %d: its folder, %n: its file name.\n"
                               "Words are split as a shell splits them; no shell runs the command."), this);
    auto *ok = new QPushButton(tr("OK"), this);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QGridLayout(this);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(m_command, 0, 1, 1, 3);
    layout->addWidget(hint, 1, 1, 1, 3);
    layout->addWidget(ok, 2, 2);
    layout->addWidget(cancel, 2, 3);
    layout->setColumnStretch(1, 1);
    m_command->setFocus();
}

QString CRunCommandDialog::Command() const
{
    return m_command->text().trimmed();
}
