// Parsing and writing the time-source line.
#include "sampling/time_source.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/describe_error.h"
#include "sampling/ip_literal.h"
#include "sampling/keyring.h"
#include "sampling/netlogon.h"
#include "platform/text_numbers.h"

namespace {

constexpr size_t kLineBuffer = 1024;  // message and formatting buffers, terminator included
constexpr uint32_t kInvalidParameter = 87;

struct ProtocolInfo {
  const char* name;
  uint16_t port;
};

ProtocolInfo ProtocolTable(uint32_t protocol) {
  switch (protocol) {
    case kProtocolOv2Udp: return {"OV2-UDP", 9909};
    case kProtocolNtp: return {"NTP", 123};
    case kProtocolOv1: return {"OV1", 0};
    case kProtocolLanman: return {"LANMan", 0};
    case kProtocolTimeUdp: return {"TIME-UDP", 37};
    case kProtocolTimeTcp: return {"TIME-TCP", 37};
    case kProtocolOv2Http: return {"OV2-HTTP", 80};
    case kProtocolOv2Tcp: return {"OV2-TCP", 9909};
    case kProtocolDaytimeUdp: return {"Daytime-UDP", 13};
    case kProtocolDaytimeTcp: return {"Daytime-TCP", 13};
    case kProtocolOv2ClientUdp: return {"OV2-Client-UDP", 9909};
    case kProtocolOv2ClientTcp: return {"OV2-Client-TCP", 9909};
    case kProtocolIcmp: return {"ICMP", 0};
    case kProtocolOv2StatusUdp: return {"OV2-Status-UDP", 9911};
    case kProtocolOv2StatusTcp: return {"OV2-Status-TCP", 9911};
    case kProtocolOv2AuditUdp: return {"OV2-Audit-UDP", 9909};
    case kProtocolOv2AuditTcp: return {"OV2-Audit-TCP", 9909};
    case kProtocolPtp: return {"PTP", 319};
    case kProtocolPtpGeneral: return {"PTP", 320};
    case kProtocolPtpManagement: return {"PTP", 321};
    case kProtocolHyperV: return {"HyperV", 0};
    case kProtocolMixed: return {"mixed", 0};
    case kProtocolAny: return {"any", 0};
    default: return {"", 0};
  }
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool SameText(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool SameText(const std::string& a, const std::string& b) { return SameText(a, b.c_str()) && a.size() == b.size(); }

std::string ToLower(std::string text) {
  for (char& c : text) c = Lower(c);
  return text;
}

std::string ToUpper(std::string text) {
  for (char& c : text) c = Upper(c);
  return text;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  return text.size() >= n && SameText(text.substr(0, n), prefix);
}

std::vector<std::string> Tokenize(const std::string& text) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = text.find_first_not_of(" \t", i);
    if (start == std::string::npos) break;
    size_t end = text.find_first_of(" \t", start);
    if (end == std::string::npos) end = text.size();
    tokens.push_back(text.substr(start, end - start));
    i = end;
  }
  return tokens;
}

// printf into a text limited like a fixed buffer of kLineBuffer characters.
template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char buffer[kLineBuffer];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

// The parse of one line: tokens, the record and the first message written.
class CSpecParser {
 public:
  CSpecParser(TimeSourceSpec& spec, const std::string& text, bool skipKeyringCheck)
      : spec_(spec), tokens_(Tokenize(text.substr(0, text.find('\0')))), skipKeyringCheck_(skipKeyringCheck) {}

  bool Run() {
    while (message_.empty() && next_ < tokens_.size()) Keyword(tokens_[next_++]);
    if (message_.empty()) Finish();
    spec_.errorText = message_;
    return message_.empty();
  }

 private:
  void Fail(const std::string& message, uint32_t code = kInvalidParameter) {
    message_ = message.substr(0, kLineBuffer - 1);
    spec_.errorCode = code;
  }

  // The message prefix followed by the description of code in the rest of the buffer.
  void FailWithDescription(const std::string& prefix, uint32_t code) {
    std::string message = prefix.substr(0, kLineBuffer - 1);
    char description[kLineBuffer];
    DescribeError(code, description, kLineBuffer - message.size());
    Fail(message + description, code);
  }

  bool NextToken(std::string* token) {
    if (next_ >= tokens_.size()) return false;
    *token = tokens_[next_++];
    return true;
  }

  void Keyword(const std::string& word) {
    std::string value;
    if (SameText(word, "enabled")) {
      spec_.enabled = true;
    } else if (SameText(word, "disabled")) {
      spec_.enabled = false;
    } else if (SameText(word, "noredirect")) {
      spec_.allowRedirect = false;
    } else if (SameText(word, "comment")) {
      Comment();
    } else if (SameText(word, "server")) {
      if (!NextToken(&value)) return Fail("Keyword \"server\" not followed by a server name or IP");
      Server(value);
    } else if (SameText(word, "port")) {
      uint16_t port = NextToken(&value) ? uint16_t(StrToUl32(value, 10)) : 0;
      if (port == 0) return Fail("Keyword \"port\" not followed by a valid port number");
      spec_.port = port;
    } else if (SameText(word, "protocol")) {
      if (!NextToken(&value)) return Fail("Keyword \"protocol\" not followed by a protocol name");
      TimeProtocol protocol = ProtocolFromKeyword(value);
      if (protocol == kProtocolAny || protocol == kProtocolUnknown)
        return Fail(Printf("Unknown protocol \"%s\" specified", value.c_str()));
      spec_.protocol = protocol;
    } else if (SameText(word, "key")) {
      if (!NextToken(&value))
        return Fail("The word \"key\" must be followed by a key number or the word \"windows\"");
      Key(value);
    } else if (SameText(word, "samples")) {
      uint32_t samples = NextToken(&value) ? StrToUl32(value, 0) : 0;
      spec_.samples = uint8_t(samples == 0 ? 1 : samples > 32 ? 32 : samples);
    } else if (SameText(word, "delay")) {
      uint32_t delay = NextToken(&value) ? StrToUl32(value, 0) : 0;
      spec_.delayMs = delay < 16 ? 16 : delay > 1024 ? 1024 : delay;
    } else if (SameText(word, "domain")) {
      if (!NextToken(&value)) return Fail("Keyword \"domain\" not followed by a domain name");
      Domain(value);
    } else {
      Fail(Printf("Unknown keyword \"%s\" found in string", word.c_str()));
    }
  }

  void Comment() {
    std::string piece;
    bool first = true;
    while (NextToken(&piece)) {
      if (first && piece[0] == '"') piece.erase(0, 1);
      first = false;
      size_t quote = piece.find('"');
      bool last = quote != std::string::npos;
      if (last) piece.resize(quote);
      if (!piece.empty()) {
        if (!spec_.comment.empty()) spec_.comment += ' ';
        spec_.comment += piece;
      }
      if (last) break;
    }
  }

  void Server(std::string token) {
    if (StartsWithNoCase(token, "http://"))
      token.erase(0, 7);
    else if (StartsWithNoCase(token, "https://"))
      token.erase(0, 8);
    IpLiteral literal;
    if (ParseIpLiteral(token, &literal)) {
      spec_.port = literal.port;
      spec_.server = FormatIpAddress(literal);
    } else if (token.find(':') != std::string::npos) {
      size_t colon = token.rfind(':');
      spec_.port = uint16_t(StrToUl32(token.substr(colon + 1), 10));
      spec_.server = token.substr(0, colon);
    } else {
      spec_.server = token;
      spec_.port = 0;
    }
  }

  void Key(const std::string& token) {
    if (SameText(token, "windows")) {
      spec_.authType = kAuthWindows;
      spec_.keyId = 0;
      return;
    }
    if (StrToUl32(token, 0) == 0) return;
    int32_t number = StrToL32(token, 0);
    if (number >= 1 && number <= 65535) {
      spec_.keyId = uint32_t(number);
      spec_.authType = kAuthKey;
    } else {
      spec_.keyId = 0;
      spec_.authType = kAuthNone;
      Fail(Printf("Key %s not understood", token.c_str()));
    }
  }

  // Drops the two leading backslashes of a controller's name or address.
  static std::string WithoutBackslashes(const std::string& text) {
    return text.size() < 3 ? std::string() : text.substr(2);
  }

  void Domain(const std::string& token) {
    if (!spec_.enabled) {
      spec_.isDomain = true;
      spec_.domain = spec_.server = ToUpper(token);
      return;
    }
    IDomainDirectory& directory = DomainDirectory();
    DomainControllerInfo info;
    uint32_t status = directory.LookupPrimaryController(token, &info);
    if (status != 0)
      return FailWithDescription(Printf("Could not look up domain \"%s\"; ", token.c_str()), status);
    std::string forest = ToLower(info.forestName);
    std::string domainName = ToLower(info.domainName);
    std::string controller = WithoutBackslashes(ToLower(info.controllerName));
    std::string address = WithoutBackslashes(info.controllerAddress);

    MachineDomainFacts self = directory.ThisMachine();
    if (self.joined && self.isPrimaryController &&
        (SameText(token, self.domainName) || directory.IsOwnAddress(address) ||
         (!domainName.empty() && !SameText(domainName, token))))
      return Fail("PDC cannot use itself as a time source");

    spec_.isDomain = true;
    spec_.domain = ToUpper(token);
    spec_.server = controller;
    spec_.comment = Printf("PDC of domain %s in forest %s is %s (%s)", domainName.c_str(), forest.c_str(),
                           controller.c_str(), address.c_str());
  }

  void Finish() {
    if (spec_.port == 0 && spec_.protocol != kProtocolAny) spec_.port = DefaultPort(spec_.protocol);
    if (spec_.server.empty()) return Fail("Server name not specified");
    if (spec_.protocol == kProtocolAny) return Fail("Protocol name not specified");

    if (spec_.authType == kAuthKey && !skipKeyringCheck_) {
      uint32_t digestType = 0;
      if (!KeyExists(spec_.keyId))
        return Fail(Printf("Key %u is not in the keyring", spec_.keyId), kKeyNotInKeyring);
      bool trusted = KeyTrusted(spec_.keyId, &digestType);
      spec_.digestType = digestType;
      if (!trusted) return Fail(Printf("Key %u is in the keyring, but not trusted", spec_.keyId), kKeyNotTrusted);
      if (digestType != 1 && digestType != 2)
        return Fail(Printf("Key %u is in the keyring, but not supported for this protocol", spec_.keyId),
                    kKeyNotSupported);
    }

    if (spec_.authType == kAuthBroadcast || spec_.authType == kAuthWindows) {
      TimeProtocol p = spec_.protocol;
      bool capable = p == kProtocolOv2Udp || p == kProtocolNtp || p == kProtocolOv2Http || p == kProtocolOv2Tcp;
      if (!capable || spec_.authType != kAuthWindows)
        return Fail("Protocol does not support selected authentication type");
      uint32_t status = FetchMachineRid(&spec_.machineRid);
      if (status != 0) return FailWithDescription("Unable to fetch machine RID; ", status);
    }

    if (spec_.port == 0) spec_.port = DefaultPort(spec_.protocol);
  }

  TimeSourceSpec& spec_;
  std::vector<std::string> tokens_;
  size_t next_ = 0;
  bool skipKeyringCheck_;
  std::string message_;
};

}  // namespace

bool ParseTimeSource(TimeSourceSpec& spec, const std::string& text, bool skipKeyringCheck) {
  TimeSourceSpec fresh;
  fresh.sampleTag = spec.sampleTag;
  fresh.fromRedirect = spec.fromRedirect;
  spec = fresh;
  return CSpecParser(spec, text, skipKeyringCheck).Run();
}

std::string FormatTimeSource(const TimeSourceSpec& spec) {
  std::string line = spec.enabled ? "" : "disabled ";
  line += spec.isDomain ? "domain " + spec.domain : "server " + spec.server;
  line += " protocol ";
  line += ProtocolName(spec.protocol);
  if (spec.port != DefaultPort(spec.protocol)) line += " port " + std::to_string(spec.port);
  if (spec.samples > 1)
    line += " samples " + std::to_string(spec.samples) + " delay " + std::to_string(spec.delayMs);
  if (spec.protocol == kProtocolOv2Http && !spec.allowRedirect) line += " noredirect";
  switch (spec.authType) {
    case kAuthBroadcast: line += " key broadcast"; break;
    case kAuthKey: line += " key " + std::to_string(spec.keyId); break;
    case kAuthWindows: line += " key windows"; break;
    default: break;
  }
  if (!spec.comment.empty()) line += " comment \"" + spec.comment + "\"";
  if (line.size() > kLineBuffer - 1) line.resize(kLineBuffer - 1);
  return line;
}

TimeProtocol ProtocolFromKeyword(const std::string& word) {
  if (StartsWithNoCase(word, "ov2")) {
    static const struct {
      const char* suffix;
      TimeProtocol protocol;
    } kSuffixes[] = {
        {"", kProtocolOv2Udp},
        {"-udp", kProtocolOv2Udp},
        {"-tcp", kProtocolOv2Tcp},
        {"-http", kProtocolOv2Http},
        {"-client", kProtocolOv2ClientUdp},
        {"-client-udp", kProtocolOv2ClientUdp},
        {"-client-tcp", kProtocolOv2ClientTcp},
        {"-audit", kProtocolOv2AuditUdp},
        {"-audit-udp", kProtocolOv2AuditUdp},
        {"-audit-tcp", kProtocolOv2AuditTcp},
        {"-status", kProtocolOv2StatusUdp},
        {"-status-udp", kProtocolOv2StatusUdp},
        {"-status-tcp", kProtocolOv2StatusTcp},
    };
    std::string rest = word.substr(3);
    for (const auto& s : kSuffixes)
      if (SameText(rest, s.suffix)) return s.protocol;
    return kProtocolUnknown;
  }
  static const struct {
    const char* keyword;
    TimeProtocol protocol;
  } kKeywords[] = {
      {"ntp", kProtocolNtp},           {"sntp", kProtocolNtp},
      {"ov1", kProtocolOv1},           {"lanman", kProtocolLanman},
      {"time", kProtocolTimeUdp},      {"time-udp", kProtocolTimeUdp},
      {"time-tcp", kProtocolTimeTcp},  {"http", kProtocolOv2Http},
      {"daytime", kProtocolDaytimeUdp}, {"daytime-udp", kProtocolDaytimeUdp},
      {"daytime-tcp", kProtocolDaytimeTcp}, {"icmp", kProtocolIcmp},
      {"ptp", kProtocolPtp},           {"ptpv2", kProtocolPtp},
      {"hyper-v", kProtocolHyperV},    {"hyperv", kProtocolHyperV},
      {"multiple", kProtocolMixed},    {"mixed", kProtocolMixed},
      {"any", kProtocolAny},
  };
  for (const auto& k : kKeywords)
    if (SameText(word, k.keyword)) return k.protocol;
  return kProtocolUnknown;
}

const char* ProtocolName(uint32_t protocol) { return ProtocolTable(protocol).name; }

uint16_t DefaultPort(uint32_t protocol) { return ProtocolTable(protocol).port; }

bool IsStreamProtocol(uint32_t protocol) {
  switch (protocol) {
    case kProtocolTimeTcp:
    case kProtocolOv2Http:
    case kProtocolOv2Tcp:
    case kProtocolDaytimeTcp:
    case kProtocolOv2ClientTcp:
    case kProtocolOv2StatusTcp:
    case kProtocolOv2AuditTcp:
      return true;
    default:
      return false;
  }
}

const char* RoleName(uint32_t role) {
  static const char* const kRoles[] = {"Master Server", "Slave Server", "Indp. Server",       "Full Client",
                                       "Thin Client",   "Ultra Thin",   "Windows Time Agent", "NTP Node",
                                       "PTP Node"};
  return role >= 1 && role <= 9 ? kRoles[role - 1] : "Unknown";
}

const char* LeapName(uint32_t leap) {
  static const char* const kLeaps[] = {"None", "61", "59", "Alarm", "Not provided"};
  return leap <= 4 ? kLeaps[leap] : "Unknown";
}

