// Everything that asks the user goes through one Prompter, so tests can answer without a modal loop.
#pragma once

#include <QColor>
#include <QList>
#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QPrinter;
class QWidget;

struct Prompt {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual QMessageBox::StandardButton Ask(QWidget *owner, const Prompt &prompt);
    // Empty when the user cancels.
    virtual QString OpenFileName(QWidget *owner, const QString &filter, const QString &folder = QString());
    // proposed: the path the dialog starts with, its folder and its file name.
    virtual QString SaveFileName(QWidget *owner, const QString &proposed, const QString &filter,
                                 const QString &defaultSuffix);
    // A folder the user chose, starting at start; empty when the user cancels.
    virtual QString FolderName(QWidget *owner, const QString &start);
    // True when the user confirmed the printer settings.
    virtual bool PrintDialog(QWidget *owner, QPrinter *printer);
    // True when the user confirmed the page settings.
    virtual bool PrintSetup(QWidget *owner, QPrinter *printer);
    // Shows the preview; paint is called for every repaint of the preview.
    virtual void PrintPreview(QWidget *owner, QPrinter *printer,
                              const std::function<void(QPrinter *)> &paint);
    // The colour dialog, starting from color, with its custom-colour slots filled from
    // customColors (at most 16). True, with color set, when the user chose one.
    virtual bool ChooseColor(QWidget *owner, QColor &color, const QList<QColor> &customColors);
    // Runs one of the program's own modal dialogs; the dialog's result code.
    virtual int RunDialog(QDialog &dialog);
};
