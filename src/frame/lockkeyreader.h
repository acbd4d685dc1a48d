// The Caps, Num and Scroll Lock states, read from the X server's keyboard indicators, and the
// server's word when they change.
#pragma once

struct _XDisplay;

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    friend bool operator==(const LockKeys &, const LockKeys &) = default;
};

class LockKeyReader {
public:
    // Finds the three indicators when the program shows its windows on X11.
    LockKeyReader();

    // False elsewhere (Wayland, offscreen): there is nothing to read then.
    bool IsAvailable() const { return m_display != nullptr; }
    LockKeys Read() const;

    // Asks the server to say when an indicator changes, whoever changes it; false when it cannot.
    bool ListenForChanges();
    // True for the server's event (an xcb_generic_event_t) that an indicator changed.
    bool IsChangeEvent(const void *event) const;

private:
    _XDisplay *m_display = nullptr;
    int m_xkbEventBase = -1;
    int m_capsIndex = -1;
    int m_numIndex = -1;
    int m_scrollIndex = -1;
};
