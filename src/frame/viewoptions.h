// The View menu's switches for every editing view: kept with the recent files in the profile
// store (group "View"), read at start-up and written whenever one changes.
#pragma once

#include "editor/viewdisplay.h"

#include <QSettings>

#include <functional>
#include <memory>

class CViewOptions {
public:
    using ProfileOpener = std::function<std::unique_ptr<QSettings>()>;

    explicit CViewOptions(ProfileOpener openProfile);

    const ViewSwitches &Switches() const { return m_switches; }
    void Set(const ViewSwitches &switches);
    // Zoom one step in or out, or back to normal (steps 0); within Scintilla's range.
    void Zoom(int steps);

private:
    void Store() const;

    ProfileOpener m_openProfile;
    ViewSwitches m_switches;
};
