#include "aboutbox.h"

#include "about/linklabel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct Credit {
    const char *caption;
    const char *target;
};

// Each component the program is built with, by its makers, linked to the project's own page.
constexpr Credit kCredits[CAboutBox::kLinkCount] = {
    {"Qt by The Qt Company", "https://www.qt.io/"},
    {"Scintilla by Neil Hodgson", "https://www.scintilla.org/"},
    {"QScintilla by Riverbank Computing", "https://www.riverbankcomputing.com/software/qscintilla/"},
    {"Lua by Lua.org, PUC-Rio", "https://www.lua.org/"},
    {"FreeType by the FreeType Project", "https://freetype.org/"},
};

// Widths are given in the font's average character quarters, so the texts wrap alike in any font.
int CharacterQuarters(const QWidget *widget, int quarters)
{
    const int average = widget->fontMetrics().horizontalAdvance(
                            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    return quarters * average / 4;
}

QLabel *CentredText(const QString &text, int widthQuarters, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFixedWidth(CharacterQuarters(label, widthQuarters));
    return label;
}

} // namespace

CAboutBox::CAboutBox(LinkOpener &opener, Prompter &prompter, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("About Scriba"));

    auto *group = new QGroupBox(tr("Scriba Version 1.0"), this);
    auto *icon = new QLabel(group);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/scriba.svg")).pixmap(32, 32));
    auto *texts = new QVBoxLayout;
    texts->addWidget(CentredText(tr("A simple editor to enable users of Tarn to write Lua scripts more efficiently."),
                                 150, group), 0, Qt::AlignHCenter);
    texts->addWidget(CentredText(tr("Scriba is development software, no support is available so please use at "
                                    "your own risk!"),
                                 160, group), 0, Qt::AlignHCenter);

    auto *grid = new QGridLayout(group);
    grid->addWidget(icon, 0, 0, Qt::AlignTop | Qt::AlignHCenter);
    grid->addLayout(texts, 0, 1);
    grid->setColumnMinimumWidth(0, CharacterQuarters(this, 40));
    auto *acknowledgements = new QLabel(tr("&Acknowledgements:"), group);
    grid->addWidget(acknowledgements, 1, 0, 1, 2);
    for (int row = 0; row < kLinkCount; ++row) {
        const Credit &credit = kCredits[row];
        m_links[row] = new CLinkLabel(QString::fromUtf8(credit.caption), QString::fromUtf8(credit.target), opener,
                                      prompter, group);
        // Centred rows, each link exactly as wide as its caption: only the text is a link.
        grid->addWidget(m_links[row], row + 2, 0, 1, 2, Qt::AlignHCenter);
    }
    acknowledgements->setBuddy(m_links[0]);

    auto *close = new QPushButton(tr("&Close"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(close);
    buttons->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    close->setFocus();
}
