#include "findinfilesdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFindInFilesDialog::CFindInFilesDialog(const FindInFilesQuery &query, std::function<QString(const QString &)> browse,
                                       QWidget *owner)
    : QDialog(owner), m_text(new QLineEdit(query.text, this)), m_folder(new QLineEdit(query.folder, this)),
      m_patterns(new QLineEdit(query.patterns, this)), m_wholeWord(new QCheckBox(tr("Match &whole word only"), this)),
      m_matchCase(new QCheckBox(tr("Match &case"), this)),
      m_hiddenFolders(new QCheckBox(tr("Search &hidden folders"), this)), m_find(new QPushButton(tr("Fin&d"), this))
{
    setWindowTitle(tr("Find in Files"));
    auto *grid = new QGridLayout;
    auto addRow = [&](int row, const QString &label, QLineEdit *field) {
        auto *caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow(0, tr("Fi&nd what:"), m_text);
    addRow(1, tr("&In folder:"), m_folder);
    addRow(2, tr("&Files:"), m_patterns);
    auto *browseButton = new QPushButton(tr("&Browse..."), this);
    grid->addWidget(browseButton, 1, 2);
    m_text->setMinimumWidth(320);
    m_patterns->setToolTip(tr("File name patterns, separated by \";\""));
    m_wholeWord->setChecked(query.wholeWord);
    m_matchCase->setChecked(query.matchCase);
    grid->addWidget(m_wholeWord, 3, 1);
    grid->addWidget(m_matchCase, 4, 1);
    m_hiddenFolders->setChecked(query.hiddenFolders);
    m_hiddenFolders->setToolTip(tr("Folders whose names start with \".\", such as .git"));
    grid->addWidget(m_hiddenFolders, 5, 1);

    auto *cancel = new QPushButton(tr("Cancel"), this);
    m_find->setDefault(true);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_find);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_find, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, [this, browse] {
        const QString folder = browse(m_folder->text());
        if (!folder.isEmpty())
            m_folder->setText(folder);
    });
    connect(m_text, &QLineEdit::textChanged, this, &CFindInFilesDialog::EnableFind);
    connect(m_folder, &QLineEdit::textChanged, this, &CFindInFilesDialog::EnableFind);
    EnableFind();
    m_text->selectAll();
    m_text->setFocus();
}

void CFindInFilesDialog::EnableFind()
{
    m_find->setEnabled(!m_text->text().isEmpty() && !m_folder->text().trimmed().isEmpty());
}

FindInFilesQuery CFindInFilesDialog::Query() const
{
    return {m_text->text(), m_folder->text().trimmed(), m_patterns->text(), m_wholeWord->isChecked(),
            m_matchCase->isChecked(), m_hiddenFolders->isChecked()};
}
