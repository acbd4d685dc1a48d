// Tells when the keyboard's lock indicators change, from the X server's own events, so the
// lock-key panes follow them without asking the server over and over.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <memory>

class LockKeyReader;

class LockKeyEvents : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    // Listens through reader's display; IsListening() is false where the server cannot tell.
    explicit LockKeyEvents(std::shared_ptr<LockKeyReader> reader, QObject *parent = nullptr);
    ~LockKeyEvents() override;

    bool IsListening() const { return m_listening; }
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // An indicator changed.
    void changed();

private:
    std::shared_ptr<LockKeyReader> m_reader;
    bool m_listening = false;
};
