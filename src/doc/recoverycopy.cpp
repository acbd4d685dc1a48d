#include "recoverycopy.h"

#include "doc/recoverystore.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"

CRecoveryCopy::CRecoveryCopy(CScribaDoc *document, RecoveryStore *store)
    : QObject(document), m_document(document), m_store(store), m_slot(store->NewSlot())
{
    for (QTimer *timer : {&m_quiet, &m_longest}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &CRecoveryCopy::Update);
    }
    m_quiet.setInterval(kQuietDelayMs);
    m_longest.setInterval(kLongestDelayMs);
    connect(document->GetView(), &CScribaView::edited, this, &CRecoveryCopy::Schedule);
    connect(document, &CScribaDoc::modifiedChanged, this, [this](bool modified) {
        if (modified)
            Schedule();
        else
            Discard();
    });
}

void CRecoveryCopy::Schedule()
{
    if (!m_store)
        return;
    m_quiet.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void CRecoveryCopy::Update()
{
    if (!m_store)
        return;
    m_quiet.stop();
    m_longest.stop();
    if (!m_document->IsModified()) {
        Discard();
        return;
    }
    // The text is copied here, on this thread, between two keystrokes; it is written elsewhere.
    const QString path = m_document->HasFileOnDisk() ? m_document->GetPathName() : QString();
    m_store->Store(m_slot, m_document->GetView()->CopyText(), path, m_document->GetTitle());
    m_stored = true;
}

void CRecoveryCopy::Discard()
{
    m_quiet.stop();
    m_longest.stop();
    if (m_store && m_stored)
        m_store->Remove(m_slot);
    m_stored = false;
}

void CRecoveryCopy::Detach()
{
    Discard();
    m_store = nullptr;
}
