// "Find in Files": what to find, in which folder, in which files, and how to match.
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

struct FindInFilesQuery {
    QString text;
    QString folder;
    QString patterns = QStringLiteral("*.lua");
    bool wholeWord = false;
    bool matchCase = false;
    bool hiddenFolders = false; // folders whose names start with "." are searched too
};

class CFindInFilesDialog : public QDialog {
    Q_OBJECT

public:
    // browse: asks for a folder, starting at the one given; empty when cancelled.
    CFindInFilesDialog(const FindInFilesQuery &query, std::function<QString(const QString &)> browse,
                       QWidget *owner = nullptr);

    FindInFilesQuery Query() const;
    QLineEdit *TextField() const { return m_text; }
    QLineEdit *FolderField() const { return m_folder; }
    QLineEdit *PatternsField() const { return m_patterns; }

private:
    void EnableFind();

    QLineEdit *m_text;
    QLineEdit *m_folder;
    QLineEdit *m_patterns;
    QCheckBox *m_wholeWord;
    QCheckBox *m_matchCase;
    QCheckBox *m_hiddenFolders;
    QPushButton *m_find;
};
