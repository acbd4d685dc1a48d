// When the caret's blink rests: some seconds after the last thing the user did in the view, the
// caret stays shown without blinking, so a window nobody works in takes no processor time.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class CCaretRest : public QObject {
public:
    static constexpr int kRestAfterMs = 10000;

    // changed is called when the blink comes to rest (and not when Wake ends the rest: its
    // caller sees to the caret then).
    explicit CCaretRest(std::function<void()> changed, QObject *parent = nullptr);

    // The user did something: the caret blinks again, and rests kRestAfterMs from now.
    void Wake();
    // What the timer does when the user has done nothing for kRestAfterMs.
    void Rest();
    bool IsResting() const { return m_resting; }
    // How long until the blink rests; -1 while it rests.
    int RemainingMs() const { return m_timer.remainingTime(); }

private:
    std::function<void()> m_changed;
    QTimer m_timer;
    bool m_resting = false;
};
