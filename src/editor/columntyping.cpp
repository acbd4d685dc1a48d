#include "columntyping.h"

#include <Qsci/qsciscintillabase.h>

void CColumnTyping::Join()
{
    if (m_open)
        return;
    m_view.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    m_open = true;
}

void CColumnTyping::End()
{
    if (!m_open)
        return;
    m_open = false;
    m_view.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
}
