// Printing and print preview of one view's text on the page that Print Setup chose.
#pragma once

#include <QCoreApplication>
#include <QString>

class DocumentHost;
class QsciPrinter;
class QsciScintilla;

class CViewPrinter {
    Q_DECLARE_TR_FUNCTIONS(CViewPrinter)

public:
    CViewPrinter(QsciScintilla &view, DocumentHost &host) : m_view(view), m_host(host) {}

    // Prints the whole text, after the printer dialog when showDialog says so.
    void Print(bool showDialog, const QString &docName);
    void Preview(const QString &docName);

private:
    void SetUp(QsciPrinter &printer, const QString &docName) const;
    // Prints the whole text on the printer, telling the user when it cannot be opened.
    void PrintOn(QsciPrinter &printer);

    QsciScintilla &m_view;
    DocumentHost &m_host;
};
