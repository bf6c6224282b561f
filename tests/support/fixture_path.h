// Locating test fixtures in the source tree.
#pragma once
#include <string>

// Full path of a file below tests/fixtures, from OVMON_SOURCE_DIR.
std::string FixturePath(const std::string& relative);
