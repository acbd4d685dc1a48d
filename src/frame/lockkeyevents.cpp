#include "lockkeyevents.h"

#include "frame/lockkeyreader.h"

#include <QCoreApplication>

LockKeyEvents::LockKeyEvents(std::shared_ptr<LockKeyReader> reader, QObject *parent)
    : QObject(parent), m_reader(std::move(reader))
{
    m_listening = m_reader && m_reader->ListenForChanges();
    if (m_listening)
        QCoreApplication::instance()->installNativeEventFilter(this);
}

LockKeyEvents::~LockKeyEvents()
{
    if (m_listening && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool LockKeyEvents::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    // Seen, never taken: the toolkit handles the extension's other events as before.
    if (eventType == "xcb_generic_event_t" && m_reader->IsChangeEvent(message))
        emit changed();
    return false;
}
