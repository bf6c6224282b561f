// IPv4 and IPv6 address literals as text: recognising them (with or without a port, IPv6
// with or without brackets and with an optional numeric scope) and writing them back in
// canonical form. No platform calls.
#pragma once
#include <cstdint>
#include <string>

struct IpLiteral {
  int family = 0;            // 0 none, 4 IPv4, 6 IPv6
  uint8_t bytes[16] = {};    // IPv4 in the first 4 bytes, network order
  uint32_t scopeId = 0;      // IPv6 "%n" suffix
  uint16_t port = 0;         // 0 when none was given
};

// A dotted-quad IPv4 literal that writes back to the same text ("10.0.0.1", never "10.1"
// or "010.0.0.1"), optionally followed by ":port".
bool ParseIpv4Literal(const std::string& text, IpLiteral* out);
// An IPv6 literal: "fe80::1", "fe80::1%4", "[fe80::1]" or "[fe80::1]:123".
bool ParseIpv6Literal(const std::string& text, IpLiteral* out);
// IPv6 first, then IPv4; family 0 when neither.
bool ParseIpLiteral(const std::string& text, IpLiteral* out);
// An address for a socket: an IPv4 literal only when it writes back to the same text (no port,
// no shortened forms), else an IPv6 literal; the port is cleared. Family 0 when neither.
IpLiteral ParseAddressLiteral(const std::string& text);
// Canonical text without port: dotted quad, or IPv6 in lower case with the longest run of
// two or more zero groups as "::" (IPv4-mapped addresses as "::ffff:a.b.c.d"), then "%scope".
std::string FormatIpAddress(const IpLiteral& address);
