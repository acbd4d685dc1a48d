#include "slicedtextcopy.h"

#include "editor/scribaview.h"
#include "editor/textcopy.h"

CSlicedTextCopy::CSlicedTextCopy(const CScribaView *view, QObject *parent) : QObject(parent), m_view(view)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &CSlicedTextCopy::CopySome);
}

void CSlicedTextCopy::Start()
{
    m_text.resize(m_view->TextLength());
    m_copied = 0;
    m_version = m_view->TextVersion();
    m_timer.start();
}

void CSlicedTextCopy::Stop()
{
    m_timer.stop();
    m_text = QByteArray();
}

void CSlicedTextCopy::CopySome()
{
    if (m_version != m_view->TextVersion()) {
        Start();
        return;
    }
    const qint64 end = std::min<qint64>(m_text.size(), m_copied + kSlice);
    CopyTextRange(*m_view, m_copied, end, m_text.data() + m_copied);
    m_copied = end;
    if (m_copied < m_text.size())
        return;
    m_timer.stop();
    emit copied(std::exchange(m_text, QByteArray()));
}
