// The Caps, Num and Scroll Lock states, read from the X server's keyboard indicators.
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

private:
    _XDisplay *m_display = nullptr;
    int m_capsIndex = -1;
    int m_numIndex = -1;
    int m_scrollIndex = -1;
};
