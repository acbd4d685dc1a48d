// Everything that asks the user goes through one Prompter, so tests can answer without a modal loop.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

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
    virtual QString OpenFileName(QWidget *owner, const QString &filter);
    virtual QString SaveFileName(QWidget *owner, const QString &proposed, const QString &filter,
                                 const QString &defaultSuffix);
    // True when the user confirmed the printer settings.
    virtual bool PrintDialog(QWidget *owner, QPrinter *printer);
    // True when the user confirmed the page settings.
    virtual bool PrintSetup(QWidget *owner, QPrinter *printer);
    // Shows the preview; paint is called for every repaint of the preview.
    virtual void PrintPreview(QWidget *owner, QPrinter *printer,
                              const std::function<void(QPrinter *)> &paint);
};
