// DescribeError on Windows: the system's message table first, then the built-in texts.
#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "platform/describe_error.h"
#include "platform/error_text.h"

namespace {

const uint32_t kExtendedError = 1208;

std::string SystemMessageText(uint32_t code) {
  char text[2048];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                0, text, sizeof text - 1, nullptr);
  return std::string(text, length);
}

std::string NetworkProviderText() {
  DWORD providerCode = 0;
  char description[128] = "", provider[128] = "";
  if (WNetGetLastErrorA(&providerCode, description, sizeof description, provider, sizeof provider) !=
      NO_ERROR)
    return "Extended error (no description available)";
  char text[300];
  wsprintfA(text, "WNet error %u (%s)", static_cast<unsigned>(providerCode), description);
  return text;
}

std::string DescriptionOf(uint32_t code) {
  if (const char* builtIn = BuiltInErrorText(code)) return builtIn;
  std::string text = WinsockFallbackText(code);
  if (!text.empty()) return text;
  if (code == kExtendedError) return NetworkProviderText();
  text = CleanSystemMessage(SystemMessageText(code));
  return text.empty() ? Win32FallbackText(code) : text;
}

}  // namespace

char* DescribeError(uint32_t code, char* buffer, size_t size) {
  if (code == 0) code = GetLastError();
  CopyErrorText(DescriptionOf(code), buffer, size);
  SetLastError(code);
  return buffer;
}

uint32_t LastErrorCode() { return GetLastError(); }

void SetLastErrorCode(uint32_t code) { SetLastError(code); }
