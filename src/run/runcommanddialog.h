// "Set Run Command": one field for the command line that F5 runs.
#pragma once

#include <QDialog>

class QLineEdit;

class CRunCommandDialog : public QDialog {
    Q_OBJECT

public:
    explicit CRunCommandDialog(const QString &command, QWidget *owner = nullptr);

    QString Command() const;
    QLineEdit *CommandField() const { return m_command; }

private:
    QLineEdit *m_command;
};
