#include "lockkeyreader.h"

#include <QGuiApplication>

#ifdef SCRIBA_HAVE_X11
#include <X11/XKBlib.h>

namespace {

// The index of the named keyboard indicator ("Caps Lock", ...), or -1 when the keymap has none.
int IndicatorIndex(Display *display, const char *name)
{
    const Atom atom = XInternAtom(display, name, True);
    int index = -1;
    if (atom == None || !XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr))
        return -1;
    return index;
}

bool IsLit(unsigned int state, int index)
{
    return index >= 0 && (state >> index) & 1U;
}

} // namespace

LockKeyReader::LockKeyReader()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor))
        return;
    m_capsIndex = IndicatorIndex(display, "Caps Lock");
    m_numIndex = IndicatorIndex(display, "Num Lock");
    m_scrollIndex = IndicatorIndex(display, "Scroll Lock");
    m_display = display;
    m_xkbEventBase = event;
}

bool LockKeyReader::ListenForChanges()
{
    // Only the indicator events are chosen; what the toolkit asked of the extension stays.
    if (!m_display || !XkbSelectEvents(m_display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask))
        return false;
    XFlush(m_display);
    return true;
}

bool LockKeyReader::IsChangeEvent(const void *event) const
{
    // Every event of the extension has the same type, its own kind in the second byte.
    const auto *bytes = static_cast<const unsigned char *>(event);
    return m_display && (bytes[0] & 0x7F) == m_xkbEventBase && bytes[1] == XkbIndicatorStateNotify;
}

LockKeys LockKeyReader::Read() const
{
    unsigned int state = 0;
    if (!m_display || XkbGetIndicatorState(m_display, XkbUseCoreKbd, &state) != Success)
        return {};
    return {IsLit(state, m_capsIndex), IsLit(state, m_numIndex), IsLit(state, m_scrollIndex)};
}

#else

LockKeyReader::LockKeyReader() = default;

LockKeys LockKeyReader::Read() const
{
    return {};
}

bool LockKeyReader::ListenForChanges()
{
    return false;
}

bool LockKeyReader::IsChangeEvent(const void *) const
{
    return false;
}

#endif
