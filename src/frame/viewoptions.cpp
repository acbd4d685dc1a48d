#include "viewoptions.h"

#include <algorithm>

namespace {

// The zoom Scintilla accepts, in points added to the fonts.
constexpr int kMinZoom = -10;
constexpr int kMaxZoom = 20;

const QString kGroup = QStringLiteral("View");
const QString kLineNumbers = QStringLiteral("LineNumbers");
const QString kCurrentLine = QStringLiteral("HighlightCurrentLine");
const QString kWhitespace = QStringLiteral("ShowWhitespace");
const QString kLineEndings = QStringLiteral("ShowLineEndings");
const QString kWordWrap = QStringLiteral("WordWrap");
const QString kZoom = QStringLiteral("Zoom");

} // namespace

CViewOptions::CViewOptions(ProfileOpener openProfile) : m_openProfile(std::move(openProfile))
{
    const std::unique_ptr<QSettings> store = m_openProfile();
    store->beginGroup(kGroup);
    const ViewSwitches defaults;
    m_switches.lineNumbers = store->value(kLineNumbers, defaults.lineNumbers).toBool();
    m_switches.currentLine = store->value(kCurrentLine, defaults.currentLine).toBool();
    m_switches.whitespace = store->value(kWhitespace, defaults.whitespace).toBool();
    m_switches.lineEndings = store->value(kLineEndings, defaults.lineEndings).toBool();
    m_switches.wordWrap = store->value(kWordWrap, defaults.wordWrap).toBool();
    m_switches.zoom = std::clamp(store->value(kZoom, defaults.zoom).toInt(), kMinZoom, kMaxZoom);
}

void CViewOptions::Set(const ViewSwitches &switches)
{
    m_switches = switches;
    m_switches.zoom = std::clamp(m_switches.zoom, kMinZoom, kMaxZoom);
    Store();
}

void CViewOptions::Zoom(int steps)
{
    ViewSwitches switches = m_switches;
    switches.zoom = steps == 0 ? 0 : switches.zoom + steps;
    Set(switches);
}

void CViewOptions::Store() const
{
    const std::unique_ptr<QSettings> store = m_openProfile();
    store->beginGroup(kGroup);
    store->setValue(kLineNumbers, m_switches.lineNumbers);
    store->setValue(kCurrentLine, m_switches.currentLine);
    store->setValue(kWhitespace, m_switches.whitespace);
    store->setValue(kLineEndings, m_switches.lineEndings);
    store->setValue(kWordWrap, m_switches.wordWrap);
    store->setValue(kZoom, m_switches.zoom);
}
