// The pure registry encodings: key paths, booleans, flags and multi-strings.
#include "platform/registry_encoding.h"

const char kProductTitle[] = "Orvane Monitor";

std::string BuildSettingsKeyPath(const std::string& subkey) {
  const std::string productKey = std::string("Software\\Tallowin\\") + kProductTitle;
  if (subkey.empty()) return productKey + "\\Parameters";
  if (subkey.compare(0, 2, "\\\\") == 0) return subkey.substr(2);
  if (subkey[0] == '\\') return subkey.size() == 1 ? productKey : productKey + subkey;
  return productKey + "\\Parameters\\" + subkey;
}

bool DecodeRegistryBool(const unsigned char* data, size_t size) {
  unsigned char first = size > 0 ? data[0] : 0;
  switch (first) {
    case 'F': case 'f': case 'N': case 'n': case '0':
      return false;
    case 'T': case 't': case 'Y': case 'y':
      return true;
    default:
      return first >= '1' && first <= '9';
  }
}

bool DecodeFlagNumber(uint32_t value) {
  switch (value) {
    case 0: case '0': case 'F': case 'N': case 'f': case 'n':
      return false;
    default:
      return true;
  }
}

bool DecodeFlagText(const std::string& text) {
  if (text.empty()) return false;
  switch (text[0]) {
    case 't': case 'T': case '1': case 'y': case 'Y':
      return true;
    default:
      return false;
  }
}

std::vector<std::string> DecodeStringList(const char* data, size_t size) {
  std::vector<std::string> items;
  size_t pos = 0;
  while (pos < size) {
    size_t end = pos;
    while (end < size && data[end] != '\0') ++end;
    size_t start = pos;
    while (start < end && data[start] == ' ') ++start;
    if (start < end) items.emplace_back(data + start, end - start);
    pos = end + 1;
  }
  return items;
}

std::string EncodeStringList(const std::vector<std::string>& items) {
  std::string block;
  for (const std::string& item : items) {
    size_t start = item.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    block.append(item, start, std::string::npos);
    block.push_back('\0');
  }
  if (block.empty()) block.push_back('\0');
  block.push_back('\0');
  return block;
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path.push_back('\\');
  return path;
}

std::string NormaliseFolderText(std::string text, bool* collapsed) {
  *collapsed = false;
  for (char& c : text)
    if (c == '/') c = '\\';
  if (text.empty() || text.back() != '\\') text.push_back('\\');
  // A network path keeps the two backslashes that begin it.
  size_t from = text.compare(0, 2, "\\\\") == 0 ? 2 : 0;
  for (size_t at = text.find("\\\\", from); at != std::string::npos; at = text.find("\\\\", at)) {
    text.erase(at, 1);
    *collapsed = true;
  }
  return text;
}
