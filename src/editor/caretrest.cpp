#include "caretrest.h"

CCaretRest::CCaretRest(std::function<void()> changed, QObject *parent) : QObject(parent), m_changed(std::move(changed))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kRestAfterMs);
    connect(&m_timer, &QTimer::timeout, this, &CCaretRest::Rest);
}

void CCaretRest::Wake()
{
    m_resting = false;
    m_timer.start();
}

void CCaretRest::Rest()
{
    m_timer.stop();
    m_resting = true;
    m_changed();
}
