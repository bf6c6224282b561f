// Recognising and splitting IPv4 and IPv6 address literals.
#include "sampling/ip_literal.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/text_numbers.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whole text of 1 to 5 decimal digits with a value up to 65535.
bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  uint32_t v = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    v = v * 10 + uint32_t(c - '0');
  }
  if (v > 65535) return false;
  *port = uint16_t(v);
  return true;
}

// Strict dotted quad: four decimal parts 0..255 without leading zeros.
bool ParseDottedQuad(const std::string& text, uint8_t* bytes) {
  size_t part = 0, i = 0;
  while (part < 4) {
    size_t start = i;
    uint32_t v = 0;
    while (i < text.size() && IsDigit(text[i]) && i - start < 3) v = v * 10 + uint32_t(text[i++] - '0');
    size_t digits = i - start;
    if (digits == 0 || v > 255 || (digits > 1 && text[start] == '0')) return false;
    bytes[part++] = uint8_t(v);
    if (part < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  return i == text.size();
}

// The address part of an IPv6 literal (no brackets, no scope).
bool ParseIpv6Address(const std::string& text, uint8_t* bytes) {
  std::vector<uint16_t> head, tail;
  bool compressed = false;
  size_t i = 0;
  if (text.compare(0, 2, "::") == 0) {
    compressed = true;
    i = 2;
    if (i == text.size()) {
      std::memset(bytes, 0, 16);
      return true;
    }
  } else if (!text.empty() && text[0] == ':') {
    return false;
  }
  while (i < text.size()) {
    std::vector<uint16_t>& groups = compressed ? tail : head;
    // An embedded dotted quad may end the address.
    size_t end = text.find(':', i);
    std::string piece = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
    if (end == std::string::npos && piece.find('.') != std::string::npos) {
      uint8_t quad[4];
      if (!ParseDottedQuad(piece, quad)) return false;
      groups.push_back(uint16_t(quad[0] << 8 | quad[1]));
      groups.push_back(uint16_t(quad[2] << 8 | quad[3]));
      i = text.size();
      break;
    }
    if (piece.empty() || piece.size() > 4) return false;
    uint32_t v = 0;
    for (char c : piece) {
      int d = HexDigitValue(c);
      if (d < 0) return false;
      v = v << 4 | uint32_t(d);
    }
    groups.push_back(uint16_t(v));
    if (end == std::string::npos) {
      i = text.size();
      break;
    }
    i = end + 1;
    if (i < text.size() && text[i] == ':') {
      if (compressed) return false;
      compressed = true;
      ++i;
    } else if (i == text.size()) {
      return false;  // a single trailing colon
    }
  }
  size_t count = head.size() + tail.size();
  if (compressed ? count > 7 : count != 8) return false;
  std::memset(bytes, 0, 16);
  for (size_t g = 0; g < head.size(); ++g) {
    bytes[2 * g] = uint8_t(head[g] >> 8);
    bytes[2 * g + 1] = uint8_t(head[g]);
  }
  for (size_t g = 0; g < tail.size(); ++g) {
    size_t at = 8 - tail.size() + g;
    bytes[2 * at] = uint8_t(tail[g] >> 8);
    bytes[2 * at + 1] = uint8_t(tail[g]);
  }
  return true;
}

}  // namespace

bool ParseIpv4Literal(const std::string& text, IpLiteral* out) {
  IpLiteral result;
  std::string address = text;
  size_t colon = text.find(':');
  if (colon != std::string::npos) {
    if (!ParsePort(text.substr(colon + 1), &result.port)) return false;
    address = text.substr(0, colon);
  }
  if (!ParseDottedQuad(address, result.bytes)) return false;
  result.family = 4;
  *out = result;
  return true;
}

bool ParseIpv6Literal(const std::string& text, IpLiteral* out) {
  IpLiteral result;
  std::string address = text;
  if (!text.empty() && text[0] == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    std::string rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest[0] != ':' || !ParsePort(rest.substr(1), &result.port)) return false;
    }
    address = text.substr(1, close - 1);
  }
  size_t percent = address.find('%');
  if (percent != std::string::npos) {
    std::string scope = address.substr(percent + 1);
    if (scope.empty() || scope.size() > 10) return false;
    uint64_t v = 0;
    for (char c : scope) {
      if (!IsDigit(c)) return false;
      v = v * 10 + uint32_t(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    result.scopeId = uint32_t(v);
    address.resize(percent);
  }
  if (!ParseIpv6Address(address, result.bytes)) return false;
  result.family = 6;
  *out = result;
  return true;
}

bool ParseIpLiteral(const std::string& text, IpLiteral* out) {
  if (ParseIpv6Literal(text, out) || ParseIpv4Literal(text, out)) return true;
  *out = IpLiteral();
  return false;
}

IpLiteral ParseAddressLiteral(const std::string& text) {
  IpLiteral address;
  if (ParseIpv4Literal(text, &address) && FormatIpAddress(address) == text) {
    address.port = 0;
    return address;
  }
  if (!ParseIpv6Literal(text, &address)) return IpLiteral();
  address.port = 0;
  return address;
}

std::string FormatIpAddress(const IpLiteral& address) {
  char buffer[64];
  const uint8_t* b = address.bytes;
  if (address.family == 4) {
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return buffer;
  }
  if (address.family != 6) return std::string();
  uint16_t groups[8];
  for (int g = 0; g < 8; ++g) groups[g] = uint16_t(b[2 * g] << 8 | b[2 * g + 1]);
  std::string text;
  bool mapped = groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 && groups[4] == 0 &&
                groups[5] == 0xFFFF;
  if (mapped) {
    std::snprintf(buffer, sizeof buffer, "::ffff:%u.%u.%u.%u", b[12], b[13], b[14], b[15]);
    text = buffer;
  } else {
    int bestStart = -1, bestLength = 0;
    for (int g = 0; g < 8;) {
      if (groups[g] != 0) {
        ++g;
        continue;
      }
      int start = g;
      while (g < 8 && groups[g] == 0) ++g;
      if (g - start > bestLength) {
        bestStart = start;
        bestLength = g - start;
      }
    }
    if (bestLength < 2) bestStart = -1;
    for (int g = 0; g < 8; ++g) {
      if (g == bestStart) {
        text += "::";
        g += bestLength - 1;
        continue;
      }
      if (!text.empty() && text.back() != ':') text += ':';
      std::snprintf(buffer, sizeof buffer, "%x", groups[g]);
      text += buffer;
    }
  }
  if (address.scopeId != 0) {
    std::snprintf(buffer, sizeof buffer, "%%%u", address.scopeId);
    text += buffer;
  }
  return text;
}
