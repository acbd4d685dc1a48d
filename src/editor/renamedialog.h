// Rename Symbol's small dialog: names the symbol and what it is, takes the new name, and says
// why a name cannot be taken (not a name, a keyword, a clash with another name in scope)
// before OK can be pressed.
#pragma once

#include <QDialog>

#include <functional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CRenameDialog : public QDialog {
    Q_OBJECT

public:
    // check: why newName cannot be taken, or "" when it can.
    using NameCheck = std::function<QString(const QString &newName)>;

    CRenameDialog(const QString &oldName, const QString &what, NameCheck check, QWidget *parent = nullptr);

    QString NewName() const;
    QLineEdit *NameField() const { return m_name; }
    // Why the name typed cannot be taken, as shown; "" when it can.
    QString Reason() const;

private:
    void Check();

    NameCheck m_check;
    QString m_oldName;
    QLineEdit *m_name;
    QLabel *m_reason;
    QDialogButtonBox *m_buttons;
    QPushButton *m_rename;
};
