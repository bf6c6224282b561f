// Reading numbers in texts as the C runtime's 32-bit long does.
#include "platform/text_numbers.h"

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Digit value in bases up to 36; 99 for a character that is no digit.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// Reads sign and magnitude; *overflow when the magnitude exceeds 32 bits.
uint64_t ReadMagnitude(const std::string& text, int base, bool* negative, bool* overflow) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  *negative = false;
  *overflow = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) *negative = text[i++] == '-';
  if (base == 0) {
    base = 10;
    if (i < text.size() && text[i] == '0') {
      base = 8;
      if (i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2]) < 16) {
        base = 16;
        i += 2;
      }
    }
  }
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    int d = DigitValue(text[i]);
    if (d >= base) break;
    v = v * unsigned(base) + unsigned(d);
    if (v > 0xFFFFFFFFu) {
      *overflow = true;
      v = 0xFFFFFFFFu + uint64_t(1);
    }
  }
  return v;
}

}  // namespace

uint32_t StrToUl32(const std::string& text, int base) {
  bool negative, overflow;
  uint64_t v = ReadMagnitude(text, base, &negative, &overflow);
  if (overflow) return 0xFFFFFFFFu;
  uint32_t result = uint32_t(v);
  return negative ? uint32_t(0u - result) : result;
}

int32_t StrToL32(const std::string& text, int base) {
  bool negative, overflow;
  uint64_t v = ReadMagnitude(text, base, &negative, &overflow);
  if (negative) return (overflow || v > 0x80000000u) ? INT32_MIN : int32_t(-int64_t(v));
  return (overflow || v > 0x7FFFFFFFu) ? INT32_MAX : int32_t(v);
}

int HexDigitValue(char c) {
  int d = DigitValue(c);
  return d < 16 ? d : -1;
}
