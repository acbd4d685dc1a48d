// The preferences' page of warnings: one switch per kind of warning the script check gives,
// with its code, so a user can tell which warnings the check shows.
#pragma once

#include <QDialog>

#include <vector>

class QListWidget;

class CWarningsPage : public QDialog {
    Q_OBJECT

public:
    CWarningsPage(const std::vector<int> &disabled, QWidget *parent = nullptr);
    // The codes switched off as the page shows them.
    std::vector<int> Disabled() const;

private:
    void Show(const std::vector<int> &disabled);

    QListWidget *m_list = nullptr; // one checkable row per kind, in WarningClasses() order
};
