// Private folders for tests that write files.
#pragma once
#include <string>

// "<temp>\ovmon-<name>-<pid>\", created and emptied; ends with a backslash.
std::string EmptyTempFolder(const std::string& name);
