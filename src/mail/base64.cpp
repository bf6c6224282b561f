// Base64 encoding, with or without line breaks.
#include "mail/base64.h"

#include <cstddef>

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const size_t kCharsPerLine = 76;

std::string Encode(const std::string& bytes, bool lineBreaks) {
  std::string out;
  out.reserve(bytes.size() / 3 * 4 + bytes.size() / 57 * 2 + 8);
  size_t onLine = 0;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    if (lineBreaks && onLine == kCharsPerLine) {
      out += "\r\n";
      onLine = 0;
    }
    size_t left = bytes.size() - i;
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out += left > 2 ? kAlphabet[group & 63] : '=';
    onLine += 4;
  }
  return out;
}
}  // namespace

std::string EncodeBase64(const std::string& bytes) { return Encode(bytes, true); }

std::string EncodeBase64Line(const std::string& bytes) { return Encode(bytes, false); }
