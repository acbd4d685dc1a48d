#include "prompter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

QMessageBox::StandardButton Prompter::Ask(QWidget *owner, const Prompt &prompt)
{
    QMessageBox box(prompt.icon, prompt.caption, prompt.text, prompt.buttons, owner);
    return QMessageBox::StandardButton(box.exec());
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
