// The "Lua keywords" group of the Preferences dialog: adds and removes keywords and sets their
// "indent" and "outdent" attributes, in the keyword table itself.
#pragma once

#include "app/scribacobarray.h"

#include <QGroupBox>

class CEntryEdit;
class Prompter;
class QCheckBox;
class QListWidget;
class QPushButton;

class CKeywordGroup : public QGroupBox {
    Q_OBJECT

public:
    CKeywordGroup(KeywordTable &table, Prompter &prompter, QWidget *parent = nullptr);

    // Follows the "Auto indentation" box.
    void SetAttributeBoxesEnabled(bool enabled);

signals:
    // A keyword was added or removed (attribute changes are not announced).
    void tableChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void OnAdd();
    void OnRemove();
    void ShowAttributes(int row);
    void FitListWidth();
    void SetAttributeFromBox(const char *attribute, QCheckBox *box);
    void RefuseText(const QString &caption, const QString &text);

    KeywordTable &m_table;
    Prompter &m_prompter;
    CEntryEdit *m_box;
    QPushButton *m_add;
    QPushButton *m_remove;
    QListWidget *m_list;
    QCheckBox *m_indent;
    QCheckBox *m_outdent;
};
