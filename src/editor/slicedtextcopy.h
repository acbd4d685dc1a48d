// A copy of a view's whole text taken a slice per turn of the event loop, so that a key pressed
// meanwhile waits for one slice at most instead of for megabytes. A change of the text before
// the copy is done makes what was copied useless: the copy starts over.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <cstdint>

class CScribaView;

class CSlicedTextCopy : public QObject {
    Q_OBJECT

public:
    // A fraction of a millisecond's copying.
    static constexpr qint64 kSlice = 128 << 10;

    explicit CSlicedTextCopy(const CScribaView *view, QObject *parent = nullptr);

    // Begins a copy of the text as it is now, or begins again.
    void Start();
    // Forgets a copy under way.
    void Stop();
    bool IsCopying() const { return m_timer.isActive(); }

signals:
    // The whole text, as it stood since the copy's last start.
    void copied(const QByteArray &text);

private:
    void CopySome();

    const CScribaView *m_view;
    QByteArray m_text;
    qint64 m_copied = 0;
    std::uint64_t m_version = 0;
    QTimer m_timer;
};
