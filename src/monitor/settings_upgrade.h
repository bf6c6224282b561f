// Conversion of older registry layouts, run at the start of every settings load.
#pragma once
#include <string>

// Converts a 432-byte "Check Results" in place.
void ConvertOldCheckResults();
// When a "Settings" block exists: replaces it (and the old "History" subkey, whose
// records become summary files in dataFolder) by the individual values.
void ConvertOldSettingsLayout(const std::string& dataFolder);
