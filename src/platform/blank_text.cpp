// Blanks around typed and stored texts.
#include "platform/blank_text.h"

#include <cstring>

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

void TrimBlanksInPlace(char* buffer) {
  if (!buffer) return;
  size_t length = std::strlen(buffer);
  while (length > 0 && std::strchr(" \t\r\n", buffer[length - 1])) buffer[--length] = '\0';
  size_t first = 0;
  while (first < length && std::strchr(" \t\r\n", buffer[first])) ++first;
  if (first > 0) std::memmove(buffer, buffer + first, length - first + 1);
}
