#include "findreplacedialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr std::uint32_t kActions = FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM;

QLineEdit *AddField(QGridLayout *grid, int row, const QString &label, const QString &text)
{
    auto *field = new QLineEdit(text);
    field->setMinimumWidth(220);
    auto *caption = new QLabel(label);
    caption->setBuddy(field);
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

} // namespace

CFindReplaceDialog::CFindReplaceDialog(bool findOnly, const QString &findText, const QString &replaceText,
                                       std::uint32_t flags, QWidget *owner)
    : QDialog(owner), m_findOnly(findOnly), m_flags(flags & ~kActions), m_replaceText(replaceText)
{
    setWindowTitle(findOnly ? tr("Find") : tr("Replace"));
    // A small tool of the editor: a title and a close box, never minimised or maximised.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *fields = new QGridLayout;
    m_findField = AddField(fields, 0, tr("Fi&nd what:"), findText);
    if (!findOnly)
        m_replaceField = AddField(fields, 1, tr("Re&place with:"), replaceText);
    m_wholeWord = new QCheckBox(tr("Match &whole word only"));
    m_wholeWord->setChecked(flags & FR_WHOLEWORD);
    m_matchCase = new QCheckBox(tr("Match &case"));
    m_matchCase->setChecked(flags & FR_MATCHCASE);
    fields->setRowMinimumHeight(fields->rowCount(), 8);
    fields->addWidget(m_wholeWord, fields->rowCount(), 0, 1, 2);
    fields->addWidget(m_matchCase, fields->rowCount(), 0, 1, 2);

    auto *buttons = new QVBoxLayout;
    auto addButton = [&](const QString &text, std::uint32_t action) {
        auto *button = new QPushButton(text);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, action] { Report(action); });
        return button;
    };
    m_findNext = addButton(tr("&Find Next"), FR_FINDNEXT);
    m_findNext->setDefault(true);
    if (!findOnly) {
        m_replace = addButton(tr("&Replace"), FR_REPLACE);
        m_replaceAll = addButton(tr("Replace &All"), FR_REPLACEALL);
    }
    auto *cancel = new QPushButton(tr("Cancel"));
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &CFindReplaceDialog::reject);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_findField, &QLineEdit::textChanged, this, &CFindReplaceDialog::EnableButtons);
    EnableButtons();
}

QString CFindReplaceDialog::GetFindString() const
{
    return m_findField->text();
}

QString CFindReplaceDialog::GetReplaceString() const
{
    return m_replaceField ? m_replaceField->text() : m_replaceText;
}

void CFindReplaceDialog::EnableButtons()
{
    // Nothing to search for: no button may search.
    const bool haveText = !m_findField->text().isEmpty();
    for (QPushButton *button : {m_findNext, m_replace, m_replaceAll})
        if (button)
            button->setEnabled(haveText);
}

std::uint32_t CFindReplaceDialog::Flags() const
{
    std::uint32_t flags = m_flags & ~(FR_MATCHCASE | FR_WHOLEWORD);
    if (m_matchCase->isChecked())
        flags |= FR_MATCHCASE;
    if (m_wholeWord->isChecked())
        flags |= FR_WHOLEWORD;
    return flags;
}

void CFindReplaceDialog::Report(std::uint32_t action)
{
    m_flags = (m_flags & ~kActions) | action;
    emit reported();
}

void CFindReplaceDialog::reject()
{
    QPointer<CFindReplaceDialog> alive(this);
    Report(FR_DIALOGTERM);
    if (!alive)
        return;
    QDialog::reject();
    // Back to the text, even where no window manager hands the focus back.
    if (QWidget *owner = parentWidget())
        owner->window()->activateWindow();
    deleteLater();
}

void CFindReplaceDialog::ShowAt(const QPoint &topRight)
{
    adjustSize();
    QRect frame(topRight - QPoint(width() - 1, 0), size());
    if (const QScreen *place = screen()) {
        const QRect available = place->availableGeometry();
        frame.moveRight(std::min(frame.right(), available.right()));
        frame.moveLeft(std::max(frame.left(), available.left()));
        frame.moveTop(std::max(frame.top(), available.top()));
    }
    move(frame.topLeft());
    show();
    m_findField->selectAll();
    m_findField->setFocus();
    TakeFocus();
}

void CFindReplaceDialog::TakeFocus()
{
    raise();
    activateWindow();
}
