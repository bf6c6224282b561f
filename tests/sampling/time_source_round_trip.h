// The round-trip property of the time-source grammar, shared by the unit test and the fuzz
// target: when a line parses, the formatted record parses back to the same fields.
//
// Exceptions, where the formatted line cannot carry a field:
// - a delay with a single sample (the delay is written only with a sample count above 1);
// - "noredirect" on a protocol other than OV2-HTTP (written only for OV2-HTTP);
// - runs of blanks inside a comment (collapsed by the first parse already);
// - a domain source that is enabled: parsing it again asks the directory again and replaces
//   the comment with the PDC description; and the server of a domain source (the line
//   carries the domain, not a server given after it);
// - a server text with a colon that is not a canonical address literal: written back bare,
//   its last colon reads as a port separator;
// - a formatted line cut at 1023 characters.
// The broadcast key type (1) is never produced by the parser.
#pragma once
#include <sstream>
#include <string>

#include "sampling/ip_literal.h"
#include "sampling/time_source.h"

inline bool RoundTripExempt(const TimeSourceSpec& spec, const std::string& formatted) {
  if (formatted.size() >= 1023) return true;
  if (spec.isDomain && spec.enabled) return true;
  if (!spec.isDomain && spec.server.find(':') != std::string::npos) {
    IpLiteral literal;
    if (!ParseIpLiteral(spec.server, &literal) || FormatIpAddress(literal) != spec.server || literal.port != 0)
      return true;
  }
  return false;
}

// False (with the differences in *why) when the property fails for line.
inline bool CheckFormatRoundTrip(const std::string& line, std::string* why) {
  TimeSourceSpec first;
  if (!ParseTimeSource(first, line, true)) return true;
  std::string formatted = FormatTimeSource(first);
  if (RoundTripExempt(first, formatted)) return true;
  TimeSourceSpec second;
  std::ostringstream out;
  if (!ParseTimeSource(second, formatted, true)) {
    out << "formatted line \"" << formatted << "\" fails: " << second.errorText;
    *why = out.str();
    return false;
  }
  auto field = [&](const char* name, const auto& a, const auto& b) {
    if (!(a == b)) out << name << ": " << +a << " became " << +b << "\n";
  };
  auto text = [&](const char* name, const std::string& a, const std::string& b) {
    if (a != b) out << name << ": \"" << a << "\" became \"" << b << "\"\n";
  };
  if (!first.isDomain) text("server", first.server, second.server);
  text("comment", first.comment, second.comment);
  text("domain", first.domain, second.domain);
  field("enabled", first.enabled, second.enabled);
  field("isDomain", first.isDomain, second.isDomain);
  if (first.protocol == kProtocolOv2Http) field("allowRedirect", first.allowRedirect, second.allowRedirect);
  field("port", first.port, second.port);
  field("protocol", first.protocol, second.protocol);
  field("samples", first.samples, second.samples);
  if (first.samples > 1) field("delayMs", first.delayMs, second.delayMs);
  field("authType", first.authType, second.authType);
  field("keyId", first.keyId, second.keyId);
  field("digestType", first.digestType, second.digestType);
  field("machineRid", first.machineRid, second.machineRid);
  field("errorCode", first.errorCode, second.errorCode);
  if (FormatTimeSource(second) != formatted) out << "formatted again: \"" << FormatTimeSource(second) << "\"\n";
  *why = "formatted line \"" + formatted + "\"\n" + out.str();
  return out.str().empty();
}
