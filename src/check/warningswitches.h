// The preferences' switch for each kind of warning, kept in the profile store (not in
// "Scriba.ini", whose format is fixed) as the list of codes switched off.
#pragma once

#include <vector>

class QSettings;

// The codes switched off; the defaults when the store has never been told.
std::vector<int> LoadDisabledWarnings(const QSettings &store);
void SaveDisabledWarnings(QSettings &store, const std::vector<int> &disabled);
