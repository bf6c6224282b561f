// Any text must encode to lines of at most 76 characters, with no bare CR or LF, no line
// beginning with a single dot, only well-formed escapes, and decode back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/quoted_printable.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes one wire line (dot-stuffing already undone) into out; a final '=' is a soft break.
void DecodeLine(const std::string& line, bool lastLine, std::string* out) {
  size_t end = line.size();
  bool soft = !lastLine && end > 0 && line[end - 1] == '=';
  if (soft) --end;
  for (size_t i = 0; i < end; ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    Check(c != '\r' && c != '\n');
    if (c != '=') {
      *out += static_cast<char>(c);
      continue;
    }
    Check(i + 2 < end && HexValue(line[i + 1]) >= 0 && HexValue(line[i + 2]) >= 0);
    *out += static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2]));
    i += 2;
  }
  if (!soft && !lastLine) *out += "\r\n";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string encoded = EncodeQuotedPrintable(input);
  std::string decoded;
  size_t start = 0;
  while (start <= encoded.size()) {
    size_t end = encoded.find("\r\n", start);
    bool last = end == std::string::npos;
    std::string line = encoded.substr(start, (last ? encoded.size() : end) - start);
    Check(line.size() <= 76);
    if (!line.empty() && line[0] == '.') {
      Check(line.size() > 1 && line[1] == '.');
      line.erase(0, 1);
    }
    DecodeLine(line, last, &decoded);
    if (last) break;
    start = end + 2;
  }
  Check(decoded == input);
  return 0;
}
