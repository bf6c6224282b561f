// The table of file extensions and their MIME content types.
#include "mail/content_type.h"

#include <cctype>

namespace {
bool EqualsIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == '\0';
}
}  // namespace

std::string NameExtension(const std::string& displayName) {
  size_t dot = displayName.rfind('.');
  return dot == std::string::npos ? std::string() : displayName.substr(dot);
}

std::string BuiltInContentType(const std::string& extension) {
  if (EqualsIgnoringCase(extension, ".ovad")) return "application/x-ov-audit-data";
  if (EqualsIgnoringCase(extension, ".ov")) return "application/x-ov-audit-drift-data";
  return "application/octet-stream";
}

bool IsUsableContentType(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
  }
  return true;
}
