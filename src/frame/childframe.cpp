#include "childframe.h"

#include "app/prompter.h"
#include "doc/documenthost.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CScribaDoc *document, CScribaView *view, QWidget *parent)
    : QMdiSubWindow(parent), m_document(document), m_view(view)
{
    setWidget(view);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Documents are switched and closed through the frame's commands, never through a
    // window's own system menu or buttons.
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    setSystemMenu(nullptr);
    ShowTitle();
    connect(document, &CScribaDoc::titleChanged, this, &CChildFrame::ShowTitle);
    connect(document, &CScribaDoc::modifiedChanged, this, &QWidget::setWindowModified);
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::ShowTitle()
{
    setWindowTitle(m_document->GetTitle() + QStringLiteral("[*]"));
    setWindowModified(m_document->IsModified());
}

void CChildFrame::closeEvent(QCloseEvent *e)
{
    // Closing goes through the document, which asks about unsaved changes first.
    e->ignore();
    if (m_document->SaveModified())
        m_document->Host().CloseDocument(m_document);
}
