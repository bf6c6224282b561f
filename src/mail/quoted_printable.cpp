// Quoted-printable encoding of text parts.
#include "mail/quoted_printable.h"

#include <cstddef>

namespace {
const size_t kLongestKeptLine = 74;
const size_t kSoftBreakAfter = 73;

bool IsLiteral(unsigned char c) {
  if (c == '\t' || c == ' ') return true;
  if (c < 0x21 || c > 0x7E) return false;
  return c != '=' && c != '|';
}

// Pass 1: every byte outside the literal set becomes "=XX"; a CR or LF that is not
// part of a CR LF pair is escaped too, so no bare line break reaches the wire.
std::string EscapeBytes(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\r\n";
      ++i;
    } else if (IsLiteral(c)) {
      out += static_cast<char>(c);
    } else {
      out += '=';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// Where a too-long line is cut: after 73 characters, or before an escape that would be split.
size_t SoftBreakPosition(const std::string& text, size_t lineStart) {
  size_t cut = lineStart + kSoftBreakAfter;
  if (text[cut - 1] == '=') return cut - 1;
  if (text[cut - 2] == '=') return cut - 2;
  return cut;
}

// Pass 2: soft line breaks ("=" CR LF) in every line longer than 74 characters.
std::string BreakLongLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 36);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    size_t lineEnd = end == std::string::npos ? text.size() : end;
    if (lineEnd - start > kLongestKeptLine) {
      size_t cut = SoftBreakPosition(text, start);
      out.append(text, start, cut - start);
      out += "=\r\n";
      start = cut;
      continue;
    }
    size_t next = end == std::string::npos ? text.size() : end + 2;
    out.append(text, start, next - start);
    start = next;
  }
  return out;
}

// Pass 3: SMTP dot-stuffing of every line that begins with '.'.
std::string StuffDots(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    bool lineStart = i == 0 || (i >= 2 && text[i - 2] == '\r' && text[i - 1] == '\n');
    if (lineStart && text[i] == '.') out += '.';
    out += text[i];
  }
  return out;
}
}  // namespace

std::string EncodeQuotedPrintable(const std::string& text) {
  return StuffDots(BreakLongLines(EscapeBytes(text)));
}
