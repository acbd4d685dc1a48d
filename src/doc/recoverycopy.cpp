#include "recoverycopy.h"

#include "doc/recoverystore.h"
#include "doc/scribadoc.h"
#include "editor/scribaview.h"

CRecoveryCopy::CRecoveryCopy(CScribaDoc *document, RecoveryStore *store)
    : QObject(document), m_document(document), m_store(store), m_slot(store->NewSlot()),
      m_copy(document->GetView())
{
    for (QTimer *timer : {&m_quiet, &m_longest}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &CRecoveryCopy::UpdateBetweenKeys);
    }
    connect(&m_copy, &CSlicedTextCopy::copied, this, &CRecoveryCopy::Store);
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
    m_copy.Stop();
    m_quiet.stop();
    m_longest.stop();
    if (m_document->IsModified())
        Store(m_document->GetView()->CopyText());
    else
        Discard();
}

// A big script's text is copied a slice per turn of the event loop, so a key pressed meanwhile
// is not kept waiting; typing that goes on makes the copy start over with the new text.
void CRecoveryCopy::UpdateBetweenKeys()
{
    if (!m_store)
        return;
    m_quiet.stop();
    m_longest.stop();
    if (m_document->IsModified())
        m_copy.Start();
    else
        Discard();
}

// The copy is written by the store's own thread.
void CRecoveryCopy::Store(const QByteArray &text)
{
    if (!m_store || !m_document->IsModified())
        return;
    const QString path = m_document->HasFileOnDisk() ? m_document->GetPathName() : QString();
    m_store->Store(m_slot, text, path, m_document->GetTitle());
    m_stored = true;
}

void CRecoveryCopy::Discard()
{
    m_copy.Stop();
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
