// Building the OV2 HTTP request and reading the server's reply.
#include "sampling/ov2_http.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "sampling/digest.h"
#include "sampling/ip_literal.h"
#include "sampling/keyring.h"
#include "sampling/ov2_packet.h"
#include "sampling/sampler_rules.h"
#include "platform/text_numbers.h"

namespace {

// Codes of this machine's own sockets (Winsock and its resolver).
constexpr uint32_t kFirstSocketCode = 10000;
constexpr uint32_t kLastSocketCode = 11999;

std::mutex g_redirectLock;
std::string g_lastRedirectMessage;

bool SameNoCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
  return true;
}

bool StartsNoCase(const std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  return text.size() >= n && SameNoCase(text.substr(0, n), prefix);
}

// Leading decimal digits after blanks, saturating; 0 when there are none.
uint64_t ReadDecimal64(const std::string& text) {
  size_t i = text.find_first_not_of(" \t");
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    unsigned digit = unsigned(text[i] - '0');
    if (value > (UINT64_MAX - digit) / 10) return UINT64_MAX;
    value = value * 10 + digit;
  }
  return value;
}

// "time-source": 0 for an empty text, one starting with "(" or "Averaged Time", and for a
// text that is no dotted IPv4 address; else the address's bytes in network order.
uint32_t ReadTimeSource(const std::string& value) {
  IpLiteral address;
  if (value.empty() || value[0] == '(' || value == "Averaged Time") return 0;
  if (!ParseIpv4Literal(value, &address) || address.port != 0) return 0;
  uint32_t reference;
  std::memcpy(&reference, address.bytes, 4);
  return reference;
}

// Stores one header line's value by its name (any case); other names are ignored.
void ReadHeader(const std::string& name, const std::string& value, HttpReply* reply) {
  struct Number {
    const char* name;
    uint32_t HttpReply::*field;
  };
  static const Number kNumbers[] = {
      {"serial", &HttpReply::serial},          {"auth-error", &HttpReply::authError},
      {"auth-type", &HttpReply::authType},     {"auth-key", &HttpReply::authKey},
      {"server-serial", &HttpReply::serverSerial}, {"server-role", &HttpReply::serverRole},
  };
  for (const Number& n : kNumbers)
    if (SameNoCase(name, n.name)) reply->*n.field = StrToUl32(value, 0);
  if (SameNoCase(name, "filetime")) reply->filetime = ReadDecimal64(value);
  if (SameNoCase(name, "received")) reply->received = ReadDecimal64(value);
  if (SameNoCase(name, "auth-digest")) reply->authDigest = value;
  if (SameNoCase(name, "location")) reply->location = value;
  if (SameNoCase(name, "leap-status")) reply->leap = uint8_t(StrToUl32(value, 10));
  if (SameNoCase(name, "server-stratum")) reply->stratum = uint8_t(StrToUl32(value, 10));
  if (SameNoCase(name, "time-source")) reply->referenceId = ReadTimeSource(value);
}

// One header line: a name, a colon, and a value without the blanks around it.
void ReadHeaderLine(const std::string& line, HttpReply* reply) {
  size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  size_t start = line.find_first_not_of(" \t", colon + 1);
  size_t end = line.find_last_not_of(" \t");
  std::string value = start == std::string::npos || end < start ? "" : line.substr(start, end - start + 1);
  ReadHeader(line.substr(0, colon), value, reply);
}

uint32_t ReadStatus(const std::string& head) {
  if (!StartsNoCase(head, "HTTP/")) return 0;
  size_t space = head.find(' ');
  return space == std::string::npos ? 0 : StrToUl32(head.substr(space + 1, 10), 10);
}

// A refused redirect: its code, with its text in the sample and as the last redirect message.
uint32_t RefuseRedirect(uint32_t code, const std::string& text, TimeSample* sample) {
  sample->errorText = text;
  std::lock_guard<std::mutex> lock(g_redirectLock);
  g_lastRedirectMessage = text;
  return code;
}

// Where the scheme of a location ends: at a "://" that comes before any path, query or
// fragment ("ftp://host"); npos for a location without one ("host/x?u=ftp://y").
size_t SchemeEnd(const std::string& location) {
  size_t separator = location.find("://");
  return separator != std::string::npos && separator <= location.find_first_of("/\\?#") ? separator
                                                                                         : std::string::npos;
}

// "host[:port][/path][?query]" after the scheme: the host (brackets of an IPv6 literal
// removed) and the port written after the host's last colon (0 when none).
void SplitAuthority(const std::string& target, std::string* host, uint32_t* port) {
  size_t start = target.find_first_not_of("/\\");
  std::string rest = start == std::string::npos ? "" : target.substr(start);
  std::string authority = rest.substr(0, rest.find_first_of("/\\?#"));
  size_t colon = authority.rfind(':');
  size_t bracket = authority.rfind(']');
  if (!authority.empty() && authority[0] == '[' && bracket != std::string::npos) {
    *host = authority.substr(1, bracket - 1);
    colon = authority.find(':', bracket);
  } else {
    *host = authority.substr(0, colon);
  }
  *port = colon == std::string::npos ? 0 : StrToUl32(authority.substr(colon + 1), 10);
}

// The authentication rules of an answer to a source with an authentication type.
uint32_t CheckAuthentication(const HttpReply& reply, const TimeSourceSpec& spec, TimeSample* sample) {
  if (reply.authDigest.empty()) return kHttpDigestMissing;
  if (reply.authType != spec.authType) return kDigestMismatch;
  if (spec.authType != kAuthBroadcast && reply.authKey != spec.keyId) return kDigestMismatch;
  // Without a key there is nothing to check the body with: no proof the source is genuine.
  if (reply.authKey == 0) return kDigestMismatch;
  sample->replyAuth = sample->requestAuth;
  return VerifyHttpBody(reply.authKey, reply.body, reply.authDigest, &sample->digestType);
}

}  // namespace

bool SendsAuthQuery(const TimeSourceSpec& spec) { return spec.authType != 0 && spec.keyId != 0; }

std::string BuildHttpRequest(uint32_t number, bool localRoleIsServer, const TimeSourceSpec& spec) {
  char line[96];
  std::snprintf(line, sizeof line, "GET /%u%c", number, localRoleIsServer ? 's' : 'c');
  std::string request = line;
  if (SendsAuthQuery(spec)) {
    std::snprintf(line, sizeof line, "?auth-type=%u&auth-key=%u", spec.authType, spec.keyId);
    request += line;
  }
  IpLiteral literal;
  bool ipv6 = ParseIpv6Literal(spec.server, &literal);
  request += " HTTP/1.1\r\nUser-Agent: Orvane\r\nAccept: */*\r\nConnection: close\r\nHost: ";
  request += ipv6 ? "[" + spec.server + "]" : spec.server;
  return request + ":" + std::to_string(spec.port) + "\r\n\r\n";
}

HttpReply ParseHttpReply(const char* text, size_t length) {
  std::string all(text, length < kHttpReplyCapacity ? length : kHttpReplyCapacity);
  size_t blank = all.find("\r\n\r\n");
  std::string head = all.substr(0, blank);
  HttpReply reply;
  if (blank != std::string::npos) reply.body = all.substr(blank + 4);
  reply.status = ReadStatus(head);
  for (size_t start = 0; start < head.size();) {
    size_t end = head.find_first_of("\r\n", start);
    if (end == std::string::npos) end = head.size();
    ReadHeaderLine(head.substr(start, end - start), &reply);
    start = end + 1;
  }
  return reply;
}

uint32_t DecideRedirect(const HttpReply& reply, const TimeSourceSpec& spec, TimeSample* sample) {
  sample->role = reply.status;
  sample->sampleTag = spec.sampleTag;
  const std::string& location = reply.location;
  if (location.empty()) return RefuseRedirect(kHttpInvalidResponse, "Redirect without Location: header", sample);
  if (!spec.allowRedirect) return RefuseRedirect(kRedirectFailed, "Redirect disabled by admin", sample);
  if (StartsNoCase(location, "https://"))
    return RefuseRedirect(kHttpInvalidUrl, "Redirect to https unsupported", sample);
  bool http = StartsNoCase(location, "http://");
  size_t scheme = http ? std::string::npos : SchemeEnd(location);
  if (scheme != std::string::npos) {
    std::string name = scheme == 0 ? "{missing protocol}" : location.substr(0, scheme);
    return RefuseRedirect(kHttpProtocolUnknown, "Redirect to " + name + " unsupported", sample);
  }
  std::string host;
  SplitAuthority(http ? location.substr(7) : location, &host, &sample->serial);
  sample->server = host.empty() ? spec.server : host;
  return kRedirectNeeded;
}

uint32_t PeerAuthError(uint32_t value) {
  bool socketCode = value >= kFirstSocketCode && value <= kLastSocketCode;
  bool runCode = value == kRunStopped || value == kRedirectHandled || value == kNoSamplerForProtocol ||
                 value == kConnectTimedOut || value == kRedirectNeeded || value == kExceptionInRun;
  return socketCode || runCode ? kHttpInvalidHeader : value;
}

uint32_t DecideHttpResult(const HttpReply& reply, uint32_t number, const TimeSourceSpec& spec, TimeSample* sample) {
  if (reply.status >= 300 && reply.status <= 307) return DecideRedirect(reply, spec, sample);
  if (reply.authError != 0) return PeerAuthError(reply.authError);
  if (reply.status == 403) return kHttpForbidden;
  if (reply.status == 405) return kHttpInvalidQuery;
  if (reply.status == 404) return kHttpNotFound;
  if (reply.status >= 500 || reply.filetime == 0) return kHttpServerUnusable;
  if (reply.status != 200) return kHttpInvalidHeader;
  if (reply.serial != number) return kHttpSerialNotEchoed;
  if (spec.authType != 0) return CheckAuthentication(reply, spec, sample);
  return 0;
}

void StoreHttpReply(const HttpReply& reply, uint64_t t1, uint64_t t4, const TimeSourceSpec& spec,
                    TimeSample* sample) {
  uint64_t s1 = reply.filetime, s2 = reply.received != 0 ? reply.received : reply.filetime;
  DeltaLatency result = ServerTimeDeltaLatency(t1, t4, s1, s2);
  sample->delta = result.delta;
  sample->latency = result.latency;
  sample->originateTs = NtpTimestampToWire(FileTimeToNtp(t1));
  sample->localReceiveTs = NtpTimestampToWire(FileTimeToNtp(t4));
  sample->serverReceiveTs = NtpTimestampToWire(FileTimeToNtp(s2));
  sample->serverTransmitTs = NtpTimestampToWire(FileTimeToNtp(s1));
  sample->serial = reply.serverSerial;
  sample->role = reply.serverRole;
  sample->leap = reply.leap;
  sample->stratum = reply.stratum;
  sample->referenceId = reply.referenceId;
  sample->sampleTag = spec.sampleTag;
}

std::string LastRedirectMessage() {
  std::lock_guard<std::mutex> lock(g_redirectLock);
  return g_lastRedirectMessage;
}
