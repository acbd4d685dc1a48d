#include "entryedit.h"

#include <QKeyEvent>
#include <QValidator>

#include <algorithm>

namespace {

bool Accepts(QChar c, EntryKind kind)
{
    return AcceptsEntryChar(c.unicode(), kind);
}

} // namespace

// Text that arrives other than by a typed key (a paste, a drop, an input method) loses the
// refused characters of what was inserted; what stood in the box before stays as it was.
class CEntryEdit::Filter : public QValidator {
public:
    Filter(EntryKind kind, QObject *parent) : QValidator(parent), m_kind(kind) {}

    State validate(QString &input, int &pos) const override
    {
        if (!m_trusted)
            KeepAcceptedInsertion(input, pos);
        m_previous = input;
        return Acceptable;
    }
    void SetTrusted(bool trusted) { m_trusted = trusted; }

private:
    // The inserted part is what lies between the text's common start and end with m_previous.
    void KeepAcceptedInsertion(QString &input, int &pos) const
    {
        const qsizetype limit = std::min(input.size(), m_previous.size());
        qsizetype head = 0;
        while (head < limit && input[head] == m_previous[head])
            ++head;
        qsizetype tail = 0;
        while (tail < limit - head && input[input.size() - 1 - tail] == m_previous[m_previous.size() - 1 - tail])
            ++tail;
        QString kept = input.left(head);
        int keptPos = pos;
        for (qsizetype i = head; i < input.size() - tail; ++i) {
            if (Accepts(input[i], m_kind))
                kept += input[i];
            else if (i < pos)
                --keptPos;
        }
        input = kept + input.right(tail);
        pos = keptPos;
    }

    EntryKind m_kind;
    bool m_trusted = false;
    mutable QString m_previous;
};

CEntryEdit::CEntryEdit(EntryKind kind, QWidget *parent)
    : QLineEdit(parent), m_kind(kind), m_filter(new Filter(kind, this))
{
    setValidator(m_filter);
}

void CEntryEdit::SetStoredText(const QString &text)
{
    m_filter->SetTrusted(true);
    setText(text);
    m_filter->SetTrusted(false);
}

void CEntryEdit::keyPressEvent(QKeyEvent *e)
{
    // A typed character the box refuses is dropped before the box sees it. Keys with Ctrl, Alt
    // or Meta are commands, not text, and keep their meaning.
    const QString typed = e->text();
    const bool command = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !typed.isEmpty() && typed[0].isPrint() &&
        !std::all_of(typed.begin(), typed.end(), [this](QChar c) { return Accepts(c, m_kind); })) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}
