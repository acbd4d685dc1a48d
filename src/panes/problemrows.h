// The Problems tab's lines, read from the open scripts' last checks when the list shows them:
// the tab keeps no line of its own, so the problems of many big scripts cost it nothing beyond
// the tables their checks hold anyway.
#pragma once

#include "check/problemtable.h"
#include "panes/resultmodel.h"

#include <memory>
#include <string>
#include <vector>

class ProblemRows : public ResultRows {
public:
    struct Script {
        QPointer<QObject> document;
        QString path; // empty for a script not saved yet
        std::string name;
        std::shared_ptr<const ProblemTable> problems;
    };

    // The scripts in the order their lines are listed.
    explicit ProblemRows(std::vector<Script> scripts);

    int Count() const override { return m_ends.empty() ? 0 : m_ends.back(); }
    ResultEntry Entry(int row) const override;

private:
    std::vector<Script> m_scripts;
    std::vector<int> m_ends; // the row after each script's last
};
