// Blanks around the texts users type and the registry stores: space, tab, CR and LF.
#pragma once
#include <string>

// Trims space, tab, CR and LF from both ends.
std::string TrimBlanks(const std::string& text);
// The same in place on a zero-terminated buffer, moving the remainder to its start.
void TrimBlanksInPlace(char* buffer);
