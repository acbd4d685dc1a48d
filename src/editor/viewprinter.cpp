#include "viewprinter.h"

#include "app/fileio.h"
#include "app/prompter.h"
#include "doc/documenthost.h"

#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>

#include <QPainter>

void CViewPrinter::SetUp(QsciPrinter &printer, const QString &docName) const
{
    printer.setPageLayout(m_host.PageLayout());
    printer.setDocName(docName);
}

void CViewPrinter::Print(bool showDialog, const QString &docName)
{
    QsciPrinter printer;
    SetUp(printer, docName);
    if (showDialog && !m_host.GetPrompter().PrintDialog(m_view.window(), &printer))
        return;
    PrintOn(printer);
}

void CViewPrinter::Preview(const QString &docName)
{
    QsciPrinter printer;
    SetUp(printer, docName);
    m_host.GetPrompter().PrintPreview(m_view.window(), &printer, [this](QPrinter *target) {
        PrintOn(*static_cast<QsciPrinter *>(target));
    });
}

void CViewPrinter::PrintOn(QsciPrinter &printer)
{
    // Begun here, as QScintilla would go on printing on a painter that never began. An empty
    // text prints one blank page.
    QPainter painter;
    if (painter.begin(&printer)) {
        printer.printRange(&m_view, painter);
        return;
    }
    // The printer or the file could not be opened: say so rather than seem to have printed.
    const QString text = printer.outputFileName().isEmpty()
                             ? tr("Could not print on the printer \"%1\".").arg(printer.printerName())
                             : tr("Could not print to %1: the file could not be created.")
                                   .arg(QuotedPath(printer.outputFileName()));
    m_host.GetPrompter().Ask(m_view.window(), {tr("Scriba - Error!"), text, QMessageBox::Warning, QMessageBox::Ok});
}
