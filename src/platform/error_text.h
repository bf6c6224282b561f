// Result codes to one line of English text: the built-in table, the fall-back
// formats and the clean-up of system message texts. No platform calls here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The built-in description of a code, or nullptr when the table has none.
const char* BuiltInErrorText(uint32_t code);
// A system message text with trailing periods/spaces/CR/LF removed, inner CR/LF as
// spaces and double spaces folded to one.
std::string CleanSystemMessage(std::string text);
// "Winsock error %u (no description available)" for codes in 10000..11031, else empty.
std::string WinsockFallbackText(uint32_t code);
// "Win32 error %d ..." or "Win32 error 0x%08x ..." when the system has no text.
std::string Win32FallbackText(uint32_t code);
// Copies text into buffer (size characters, always terminated); a cut text ends in "...".
void CopyErrorText(const std::string& text, char* buffer, size_t size);
