#include "prompter.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

// Room beside a title for the title bar's icon and buttons, which the window manager draws.
constexpr int kTitleBarExtra = 160;
// The longest run of characters without a place to break the line.
constexpr int kLongestUnbroken = 40;

// The text with an invisible break opportunity (a zero-width space) in every run of more than
// kLongestUnbroken characters, so a long name wraps instead of running off the box.
QString BreakableText(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / kLongestUnbroken);
    int run = 0;
    for (const QChar c : text) {
        if (c.isSpace()) {
            run = 0;
        } else if (!c.isLowSurrogate() && ++run > kLongestUnbroken) {
            result += QChar(0x200B);
            run = 1;
        }
        result += c;
    }
    return result;
}

int TitleWidth(const QString &caption)
{
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(caption) + kTitleBarExtra;
}

} // namespace

std::unique_ptr<QMessageBox> Prompter::MessageBox(QWidget *owner, const Prompt &prompt)
{
    auto box = std::make_unique<QMessageBox>(prompt.icon, prompt.caption, BreakableText(prompt.text), prompt.buttons,
                                             owner);
    // Messages quote file names and script text, which are never markup.
    box->setTextFormat(Qt::PlainText);
    // The box sizes itself for its text and buttons only; a strut in its layout makes room for
    // the title.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(TitleWidth(prompt.caption), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

QMessageBox::StandardButton Prompter::Ask(QWidget *owner, const Prompt &prompt)
{
    return QMessageBox::StandardButton(MessageBox(owner, prompt)->exec());
}

QString Prompter::OpenFileName(QWidget *owner, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(owner, QString(), folder, filter);
}

QString Prompter::SaveFileName(QWidget *owner, const QString &proposed, const QString &filter,
                               const QString &defaultSuffix)
{
    const QFileInfo start(proposed);
    QFileDialog dialog(owner, QObject::tr("Save As"), start.path(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(start.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString Prompter::FolderName(QWidget *owner, const QString &start)
{
    return QFileDialog::getExistingDirectory(owner, QObject::tr("Choose a Folder"), start);
}

bool Prompter::PrintDialog(QWidget *owner, QPrinter *printer)
{
    QPrintDialog dialog(printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool Prompter::PrintSetup(QWidget *owner, QPrinter *printer)
{
    QPageSetupDialog dialog(printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

void Prompter::PrintPreview(QWidget *owner, QPrinter *printer,
                            const std::function<void(QPrinter *)> &paint)
{
    QPrintPreviewDialog dialog(printer, owner);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
}

bool Prompter::ChooseColor(QWidget *owner, QColor &color, const QList<QColor> &customColors)
{
    // Qt keeps custom colours program-wide (and stores them at exit); each use here starts from
    // the caller's colours, and the user's own are put back afterwards.
    QList<QColor> saved;
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        saved.append(QColorDialog::customColor(i));
    for (int i = 0; i < customColors.size() && i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, customColors[i]);
    QColorDialog dialog(color, owner);
    // Only Qt's own dialog has the custom-colour slots.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    if (chosen)
        color = dialog.selectedColor();
    for (int i = 0; i < saved.size(); ++i)
        QColorDialog::setCustomColor(i, saved[i]);
    return chosen;
}

int Prompter::RunDialog(QDialog &dialog)
{
    return dialog.exec();
}
