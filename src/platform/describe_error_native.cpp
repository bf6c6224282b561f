// DescribeError where there is no system message table: the built-in table and
// the fall-back formats, with a thread-local last error.
#include <string>

#include "platform/describe_error.h"
#include "platform/error_text.h"

namespace {
thread_local uint32_t t_lastError = 0;
}

char* DescribeError(uint32_t code, char* buffer, size_t size) {
  if (code == 0) code = t_lastError;
  std::string text;
  if (const char* builtIn = BuiltInErrorText(code))
    text = builtIn;
  else if ((text = WinsockFallbackText(code)).empty())
    text = Win32FallbackText(code);
  CopyErrorText(text, buffer, size);
  t_lastError = code;
  return buffer;
}

uint32_t LastErrorCode() { return t_lastError; }

void SetLastErrorCode(uint32_t code) { t_lastError = code; }
