#include "prompter.h"

#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

QMessageBox::StandardButton Prompter::Ask(QWidget *owner, const Prompt &prompt)
{
    QMessageBox box(prompt.icon, prompt.caption, prompt.text, prompt.buttons, owner);
    return QMessageBox::StandardButton(box.exec());
}

QString Prompter::OpenFileName(QWidget *owner, const QString &filter)
{
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
}

QString Prompter::SaveFileName(QWidget *owner, const QString &proposed, const QString &filter,
                               const QString &defaultSuffix)
{
    QFileDialog dialog(owner, QObject::tr("Save As"), proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
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
