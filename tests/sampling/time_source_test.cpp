// The time-source line's grammar: parsing, errors and writing back.
#include "sampling/time_source.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/blank_text.h"
#include "platform/describe_error.h"
#include "sampling/fake_domain.h"
#include "sampling/keyring.h"
#include "sampling/time_source_round_trip.h"

namespace {

TimeSourceSpec Parsed(const std::string& text, bool skipKeyringCheck = true) {
  TimeSourceSpec spec;
  bool ok = ParseTimeSource(spec, text, skipKeyringCheck);
  EXPECT_EQ(ok, spec.errorText.empty()) << text;
  return spec;
}

std::string Describe(uint32_t code) {
  char text[1024];
  return DescribeError(code, text, sizeof text);
}

TEST(TimeSourceGrammar, DefaultsOfAFreshRecord) {
  TimeSourceSpec spec;
  spec.sampleTag = 7;
  spec.fromRedirect = true;
  spec.redirected = true;
  spec.comment = "old";
  spec.machineRid = 5;
  ASSERT_TRUE(ParseTimeSource(spec, "server a protocol ntp", true));
  EXPECT_EQ(spec.sampleTag, 7);       // kept
  EXPECT_TRUE(spec.fromRedirect);     // kept
  EXPECT_FALSE(spec.redirected);
  EXPECT_EQ(spec.comment, "");
  EXPECT_EQ(spec.domain, "");
  EXPECT_EQ(spec.machineRid, 0u);
  EXPECT_TRUE(spec.enabled);
  EXPECT_TRUE(spec.allowRedirect);
  EXPECT_FALSE(spec.isDomain);
  EXPECT_EQ(spec.samples, 1);
  EXPECT_EQ(spec.delayMs, 256u);
  EXPECT_EQ(spec.authType, 0u);
  EXPECT_EQ(spec.keyId, 0u);
  EXPECT_EQ(spec.errorCode, 0u);
}

struct FieldCase {
  const char* text;
  const char* server;
  unsigned port;
  unsigned protocol;
};

TEST(TimeSourceGrammar, ServersPortsAndProtocols) {
  const FieldCase cases[] = {
      {"server 10.0.0.1:1234 protocol ntp", "10.0.0.1", 1234, 1},
      {"server [fe80::1]:123 protocol ntp", "fe80::1", 123, 1},
      {"server [FE80:0:0:0:0:0:0:1] protocol ntp", "fe80::1", 123, 1},
      {"server 2001:db8:0:0:1:0:0:1 protocol ntp", "2001:db8::1:0:0:1", 123, 1},
      {"server fe80::1%4 protocol ntp", "fe80::1%4", 123, 1},
      {"server http://time.example.com:8080 protocol http", "time.example.com", 8080, 6},
      {"server HTTPS://time.example.com protocol ov2-http", "time.example.com", 80, 6},
      {"server time.example.com:99 protocol ntp", "time.example.com", 99, 1},
      {"server 10.1:99 protocol ntp", "10.1", 99, 1},                  // a two-part number is no literal
      {"server 010.0.0.1 protocol ntp", "010.0.0.1", 123, 1},          // does not write back the same
      {"server a:b:c protocol ntp", "a:b", 123, 1},                    // port text "c" reads as 0
      {"server 10.0.0.1:99999 protocol ntp", "10.0.0.1", 34463, 1},    // not a literal port: 16 bits
      {"server host protocol lanman", "host", 0, 3},                   // no default port
      {"server host protocol ntp", "host", 123, 1},
      {"server host protocol sntp", "host", 123, 1},
      {"server host port 5 protocol ov2", "host", 5, 0},
      {"port 5 server host protocol ov2", "host", 9909, 0},            // server resets an earlier port
      {"server 10.0.0.1:77 port 88 protocol ov2", "10.0.0.1", 88, 0},  // a later port overrides
      {"server host protocol ov2-status", "host", 9911, 13},
      {"server host protocol mixed", "host", 0, 253},
      {"server host protocol ptpv2", "host", 319, 17},
      {"server host protocol PTP", "host", 319, 17},
      {"SERVER host PROTOCOL Daytime-TCP", "host", 13, 9},
      {"  server\t\thost   protocol  ntp  ", "host", 123, 1},
      {"server host protocol ntp port 0x10", "host", 123, 1},  // hexadecimal is not decimal: see below
  };
  for (const FieldCase& c : cases) {
    TimeSourceSpec spec;
    bool ok = ParseTimeSource(spec, c.text, true);
    if (std::string(c.text).find("0x10") != std::string::npos) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(spec.errorText, "Keyword \"port\" not followed by a valid port number");
      continue;
    }
    ASSERT_TRUE(ok) << c.text << ": " << spec.errorText;
    EXPECT_EQ(spec.server, c.server) << c.text;
    EXPECT_EQ(spec.port, c.port) << c.text;
    EXPECT_EQ(spec.protocol, c.protocol) << c.text;
  }
}

TEST(TimeSourceGrammar, SamplesDelayAndFlags) {
  EXPECT_EQ(Parsed("server a protocol ntp samples 0").samples, 1);
  EXPECT_EQ(Parsed("server a protocol ntp samples 99").samples, 32);
  EXPECT_EQ(Parsed("server a protocol ntp samples 0x10").samples, 16);
  EXPECT_EQ(Parsed("server a protocol ntp samples 010").samples, 8);
  EXPECT_EQ(Parsed("server a protocol ntp samples -1").samples, 32);
  EXPECT_EQ(Parsed("server a protocol ntp samples").samples, 1);
  EXPECT_EQ(Parsed("server a protocol ntp delay 5").delayMs, 16u);
  EXPECT_EQ(Parsed("server a protocol ntp delay 5000").delayMs, 1024u);
  EXPECT_EQ(Parsed("server a protocol ntp delay 300").delayMs, 300u);
  EXPECT_EQ(Parsed("server a protocol ntp delay").delayMs, 16u);
  EXPECT_FALSE(Parsed("server a protocol ntp disabled").enabled);
  EXPECT_TRUE(Parsed("disabled server a protocol ntp enabled").enabled);
  EXPECT_FALSE(Parsed("server a protocol http noredirect").allowRedirect);
  // "samples" takes the next token whatever it is.
  TimeSourceSpec spec = Parsed("samples server a protocol ntp");
  EXPECT_EQ(spec.errorText, "Unknown keyword \"a\" found in string");
}

TEST(TimeSourceGrammar, Keys) {
  TimeSourceSpec spec = Parsed("server a protocol ntp key 7");
  EXPECT_EQ(spec.authType, 2u);
  EXPECT_EQ(spec.keyId, 7u);
  spec = Parsed("server a protocol ntp key 0x20");
  EXPECT_EQ(spec.keyId, 32u);
  spec = Parsed("server a protocol ntp key 010");
  EXPECT_EQ(spec.keyId, 8u);
  spec = Parsed("server a protocol ntp key 65535");
  EXPECT_EQ(spec.keyId, 65535u);
  // Key 0 and a word that is no number leave the record without a key and without a message.
  for (const char* text : {"server a protocol ntp key 0", "server a protocol ntp key broadcast",
                           "server a protocol ntp key 5 key 0"}) {
    spec = Parsed(text);
    EXPECT_TRUE(spec.errorText.empty()) << text;
    if (std::string(text).find("key 5") != std::string::npos) {
      EXPECT_EQ(spec.keyId, 5u) << "key 0 leaves the earlier key";
    } else {
      EXPECT_EQ(spec.authType, 0u) << text;
      EXPECT_EQ(spec.keyId, 0u) << text;
    }
  }
  for (const char* word : {"70000", "-1", "65536", "4294967297"}) {
    spec = Parsed(std::string("server a protocol ntp key 3 key ") + word);
    EXPECT_EQ(spec.errorText, std::string("Key ") + word + " not understood");
    EXPECT_EQ(spec.errorCode, 87u);
    EXPECT_EQ(spec.authType, 0u);
    EXPECT_EQ(spec.keyId, 0u);
  }
}

struct MessageCase {
  const char* text;
  const char* message;
};

TEST(TimeSourceGrammar, EveryMessageWithCode87) {
  const MessageCase cases[] = {
      {"", "Server name not specified"},
      {"protocol ntp", "Server name not specified"},
      {"server a", "Protocol name not specified"},
      {"server a protocol ntp bogus", "Unknown keyword \"bogus\" found in string"},
      {"server", "Keyword \"server\" not followed by a server name or IP"},
      {"server a protocol ntp port", "Keyword \"port\" not followed by a valid port number"},
      {"server a protocol ntp port 0", "Keyword \"port\" not followed by a valid port number"},
      {"server a protocol ntp port x", "Keyword \"port\" not followed by a valid port number"},
      {"server a protocol ntp port 65536", "Keyword \"port\" not followed by a valid port number"},
      {"server a protocol", "Keyword \"protocol\" not followed by a protocol name"},
      {"server a protocol any", "Unknown protocol \"any\" specified"},
      {"server a protocol ov2-bogus", "Unknown protocol \"ov2-bogus\" specified"},
      {"server a protocol smtp", "Unknown protocol \"smtp\" specified"},
      {"server a protocol ntp key", "The word \"key\" must be followed by a key number or the word \"windows\""},
      {"server a protocol ntp key 70000", "Key 70000 not understood"},
      {"server a protocol ntp domain", "Keyword \"domain\" not followed by a domain name"},
      {"server a protocol time key windows", "Protocol does not support selected authentication type"},
      {"server a protocol ov2-tcp-x key windows", "Unknown protocol \"ov2-tcp-x\" specified"},
  };
  for (const MessageCase& c : cases) {
    TimeSourceSpec spec;
    EXPECT_FALSE(ParseTimeSource(spec, c.text, true)) << c.text;
    EXPECT_EQ(spec.errorText, c.message) << c.text;
    EXPECT_EQ(spec.errorCode, 87u) << c.text;
  }
}

TEST(TimeSourceGrammar, TheFirstMessageEndsTheParseAndKeepsEarlierFields) {
  TimeSourceSpec spec;
  EXPECT_FALSE(ParseTimeSource(spec, "server a samples 4 bogus protocol ntp other", true));
  EXPECT_EQ(spec.errorText, "Unknown keyword \"bogus\" found in string");
  EXPECT_EQ(spec.server, "a");
  EXPECT_EQ(spec.samples, 4);
  EXPECT_EQ(spec.protocol, kProtocolAny);
  EXPECT_EQ(spec.port, 0);
}

TEST(TimeSourceGrammar, LongTokensAreCutToTheMessageBuffer) {
  TimeSourceSpec spec;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ntp " + std::string(2000, 'x'), true));
  EXPECT_EQ(spec.errorText.size(), 1023u);
  EXPECT_EQ(spec.errorText.compare(0, 17, "Unknown keyword \""), 0);
}

TEST(TimeSourceGrammar, Comments) {
  EXPECT_EQ(Parsed("server a protocol ntp comment \"lab  clock\"   one").errorText,
            "Unknown keyword \"one\" found in string");
  EXPECT_EQ(Parsed("server a protocol ntp comment \"lab \t clock\"").comment, "lab clock");
  EXPECT_EQ(Parsed("server a protocol ntp comment no quotes takes all").comment, "no quotes takes all");
  EXPECT_EQ(Parsed("comment \"first\" server a protocol ntp comment second").comment, "first second");
  EXPECT_EQ(Parsed("server a protocol ntp comment \"cut\"here").comment, "cut");
  EXPECT_EQ(Parsed("server a protocol ntp comment \"\"").comment, "");
  EXPECT_EQ(Parsed("server a protocol ntp comment").comment, "");
  EXPECT_EQ(Parsed("server a protocol ntp comment server b").server, "a");
  EXPECT_EQ(Parsed("comment \"x\" disabled server a protocol ntp").enabled, false);
}

TEST(TimeSourceGrammar, KeyringCheck) {
  KeyringSource source;
  source.keyValues = {{"1", "md5secret"}, {"2", "00112233445566778899AABBCCDDEEFF01234567"},
                      {"3", std::string(64, 'b')}, {"4", "notrusted"}};
  source.trustedKeys = "1 2 3";
  InstallKeyring(BuildKeyring(source));
  CFakeNetlogon netlogon;

  TimeSourceSpec spec;
  EXPECT_TRUE(ParseTimeSource(spec, "server a protocol ntp key 2", false));
  EXPECT_EQ(spec.digestType, 2u);
  EXPECT_TRUE(ParseTimeSource(spec, "server a protocol time key 1", false));  // not checked against the protocol
  EXPECT_EQ(spec.digestType, 1u);

  const struct {
    const char* text;
    const char* message;
    uint32_t code;
  } failures[] = {
      {"server a protocol ntp key 9", "Key 9 is not in the keyring", 1169},
      {"server a protocol ntp key 4", "Key 4 is in the keyring, but not trusted", 0x800B0004},
      {"server a protocol ntp key 3", "Key 3 is in the keyring, but not supported for this protocol", 0x800B0008},
  };
  for (const auto& f : failures) {
    EXPECT_FALSE(ParseTimeSource(spec, f.text, false));
    EXPECT_EQ(spec.errorText, f.message);
    EXPECT_EQ(spec.errorCode, f.code);
    EXPECT_TRUE(ParseTimeSource(spec, f.text, true)) << "the editors skip the check";
  }
  // Without the Netlogon functions the keyring counts as empty for this check.
  netlogon.available = false;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ntp key 1", false));
  EXPECT_EQ(spec.errorCode, 1169u);
  InstallKeyring(Keyring());
}

TEST(TimeSourceGrammar, WindowsAuthentication) {
  CFakeDirectory directory;
  CFakeNetlogon netlogon;
  netlogon.rid = 4321;
  for (const char* protocol : {"ov2", "ntp", "http", "ov2-tcp"}) {
    TimeSourceSpec spec;
    ASSERT_TRUE(ParseTimeSource(spec, std::string("server a key windows protocol ") + protocol, true)) << protocol;
    EXPECT_EQ(spec.authType, 3u);
    EXPECT_EQ(spec.keyId, 0u);
    EXPECT_EQ(spec.machineRid, 4321u);
  }
  TimeSourceSpec spec;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ov2-udp key WINDOWS protocol daytime", true));
  EXPECT_EQ(spec.errorText, "Protocol does not support selected authentication type");
  netlogon.ridStatus = netlogon.ridStatusWithoutDomain = 1789;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ntp key windows", true));
  EXPECT_EQ(spec.errorText, "Unable to fetch machine RID; " + Describe(1789));
  EXPECT_EQ(spec.errorCode, 1789u);
  netlogon.available = false;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ntp key windows", true));
  EXPECT_EQ(spec.errorText, "Unable to fetch machine RID; " + Describe(127));
  EXPECT_EQ(spec.errorCode, 127u);
}

TEST(TimeSourceGrammar, DomainSources) {
  CFakeDirectory directory;
  TimeSourceSpec spec;
  ASSERT_TRUE(ParseTimeSource(spec, "domain corp protocol ntp comment \"kept\"", true)) << spec.errorText;
  EXPECT_TRUE(spec.isDomain);
  EXPECT_EQ(spec.domain, "CORP");
  EXPECT_EQ(spec.server, "dc1.corp.example.com");
  EXPECT_EQ(spec.comment,
            "PDC of domain corp.example.com in forest corp.example.com is dc1.corp.example.com (10.1.2.3) kept");
  EXPECT_EQ(directory.lookups, std::vector<std::string>{"corp"});

  // "disabled" before "domain" makes no lookup; after it, the lookup happens.
  directory.lookups.clear();
  ASSERT_TRUE(ParseTimeSource(spec, "disabled domain corp protocol ntp", true));
  EXPECT_TRUE(directory.lookups.empty());
  EXPECT_EQ(spec.server, "CORP");
  EXPECT_EQ(spec.domain, "CORP");
  EXPECT_TRUE(spec.isDomain);
  ASSERT_TRUE(ParseTimeSource(spec, "domain corp disabled protocol ntp", true));
  EXPECT_EQ(directory.lookups.size(), 1u);
  EXPECT_EQ(spec.server, "dc1.corp.example.com");

  // Names and addresses of fewer than three characters become empty.
  directory.controller.controllerName = "\\\\";
  directory.controller.controllerAddress = "\\\\";
  EXPECT_FALSE(ParseTimeSource(spec, "domain corp protocol ntp", true));
  EXPECT_EQ(spec.errorText, "Server name not specified");

  directory.lookupStatus = 1355;
  EXPECT_FALSE(ParseTimeSource(spec, "domain nowhere protocol ntp", true));
  EXPECT_EQ(spec.errorText, "Could not look up domain \"nowhere\"; " + Describe(1355));
  EXPECT_EQ(spec.errorCode, 1355u);
}

TEST(TimeSourceGrammar, PdcCannotUseItself) {
  CFakeDirectory directory;
  directory.controller.domainName = "CORP";
  TimeSourceSpec spec;
  // A member server may use its own domain.
  directory.self = {true, false, "CORP"};
  EXPECT_TRUE(ParseTimeSource(spec, "domain corp protocol ntp", true));
  // On the PDC: its own domain name, one of its own addresses, or another looked-up domain.
  directory.self = {true, true, "CORP"};
  EXPECT_FALSE(ParseTimeSource(spec, "domain corp protocol ntp", true));
  EXPECT_EQ(spec.errorText, "PDC cannot use itself as a time source");
  EXPECT_EQ(spec.errorCode, 87u);
  EXPECT_FALSE(spec.isDomain);
  directory.self = {true, true, "OTHER"};
  directory.controller.domainName = "PARENT";
  EXPECT_FALSE(ParseTimeSource(spec, "domain parent2 protocol ntp", true));
  directory.controller.domainName = "";
  directory.ownAddresses = {"10.1.2.3"};
  EXPECT_FALSE(ParseTimeSource(spec, "domain parent protocol ntp", true));
  directory.ownAddresses.clear();
  EXPECT_TRUE(ParseTimeSource(spec, "domain parent protocol ntp", true));
  directory.controller.domainName = "Parent";
  EXPECT_TRUE(ParseTimeSource(spec, "domain parent protocol ntp", true));
  // Not joined: no refusal.
  directory.self = {false, true, "CORP"};
  EXPECT_TRUE(ParseTimeSource(spec, "domain corp protocol ntp", true));
}

TEST(TimeSourceFormat, Lines) {
  EXPECT_EQ(FormatTimeSource(Parsed("server a protocol ntp")), "server a protocol NTP");
  EXPECT_EQ(FormatTimeSource(Parsed("server a:99 protocol ntp")), "server a protocol NTP port 99");
  EXPECT_EQ(FormatTimeSource(Parsed("server a protocol lanman")), "server a protocol LANMan");
  EXPECT_EQ(FormatTimeSource(Parsed("server a protocol ntp samples 4 delay 100")),
            "server a protocol NTP samples 4 delay 100");
  EXPECT_EQ(FormatTimeSource(Parsed("server a protocol ntp samples 1 delay 100")), "server a protocol NTP");
  EXPECT_EQ(FormatTimeSource(Parsed("disabled server a protocol http noredirect key 12 comment \"x  y\"")),
            "disabled server a protocol OV2-HTTP noredirect key 12 comment \"x y\"");
  EXPECT_EQ(FormatTimeSource(Parsed("disabled domain corp protocol ov2-tcp")), "disabled domain CORP protocol OV2-TCP");
  TimeSourceSpec spec = Parsed("server a protocol ntp");
  spec.authType = kAuthBroadcast;
  EXPECT_EQ(FormatTimeSource(spec), "server a protocol NTP key broadcast");
  spec.authType = kAuthWindows;
  EXPECT_EQ(FormatTimeSource(spec), "server a protocol NTP key windows");
  spec.comment = std::string(2000, 'c');
  EXPECT_EQ(FormatTimeSource(spec).size(), 1023u);
}

TEST(TimeProtocols, EveryDisplayNameParsesBackToItsCode) {
  for (uint32_t code = 0; code < 256; ++code) {
    std::string name = ProtocolName(code);
    if (name.empty()) {
      EXPECT_EQ(DefaultPort(code), 0) << code;
      continue;
    }
    uint32_t expected = (code == 18 || code == 19) ? 17 : code;
    EXPECT_EQ(ProtocolFromKeyword(name), expected) << name;
  }
}

TEST(TimeProtocols, KeywordsNamesAndPorts) {
  const struct {
    const char* keyword;
    uint32_t code;
    const char* name;
    uint16_t port;
  } table[] = {
      {"ov2", 0, "OV2-UDP", 9909},          {"OV2-UDP", 0, "OV2-UDP", 9909},
      {"ntp", 1, "NTP", 123},               {"sntp", 1, "NTP", 123},
      {"ov1", 2, "OV1", 0},                 {"lanman", 3, "LANMan", 0},
      {"time", 4, "TIME-UDP", 37},          {"time-udp", 4, "TIME-UDP", 37},
      {"time-tcp", 5, "TIME-TCP", 37},      {"ov2-http", 6, "OV2-HTTP", 80},
      {"http", 6, "OV2-HTTP", 80},          {"ov2-tcp", 7, "OV2-TCP", 9909},
      {"daytime", 8, "Daytime-UDP", 13},    {"daytime-udp", 8, "Daytime-UDP", 13},
      {"daytime-tcp", 9, "Daytime-TCP", 13}, {"ov2-client", 10, "OV2-Client-UDP", 9909},
      {"ov2-client-udp", 10, "OV2-Client-UDP", 9909}, {"ov2-client-tcp", 11, "OV2-Client-TCP", 9909},
      {"icmp", 12, "ICMP", 0},              {"ov2-status", 13, "OV2-Status-UDP", 9911},
      {"ov2-status-udp", 13, "OV2-Status-UDP", 9911}, {"ov2-status-tcp", 14, "OV2-Status-TCP", 9911},
      {"ov2-audit", 15, "OV2-Audit-UDP", 9909}, {"ov2-audit-udp", 15, "OV2-Audit-UDP", 9909},
      {"ov2-audit-tcp", 16, "OV2-Audit-TCP", 9909}, {"ptp", 17, "PTP", 319},
      {"ptpv2", 17, "PTP", 319},            {"hyper-v", 20, "HyperV", 0},
      {"hyperv", 20, "HyperV", 0},          {"multiple", 253, "mixed", 0},
      {"mixed", 253, "mixed", 0},           {"any", 255, "any", 0},
      {"bogus", 254, "", 0},                {"", 254, "", 0},
      {"ov2-", 254, "", 0},                 {"ov2x", 254, "", 0},
      {"ntpx", 254, "", 0},                 {"Ov2-Client-Tcp", 11, "OV2-Client-TCP", 9909},
  };
  for (const auto& row : table) {
    EXPECT_EQ(ProtocolFromKeyword(row.keyword), row.code) << row.keyword;
    EXPECT_STREQ(ProtocolName(row.code), row.name) << row.code;
    EXPECT_EQ(DefaultPort(row.code), row.port) << row.code;
  }
  EXPECT_EQ(DefaultPort(18), 320);
  EXPECT_EQ(DefaultPort(19), 321);
  EXPECT_STREQ(ProtocolName(18), "PTP");
  EXPECT_STREQ(ProtocolName(21), "");
  for (uint32_t code = 0; code < 256; ++code) {
    bool stream = code == 5 || code == 6 || code == 7 || code == 9 || code == 11 || code == 14 || code == 16;
    EXPECT_EQ(IsStreamProtocol(code), stream) << code;
  }
}

TEST(DisplayTables, RolesAndLeaps) {
  const char* roles[] = {"Unknown",     "Master Server", "Slave Server",       "Indp. Server", "Full Client",
                         "Thin Client", "Ultra Thin",    "Windows Time Agent", "NTP Node",     "PTP Node"};
  for (uint32_t role = 0; role < 10; ++role) EXPECT_STREQ(RoleName(role), roles[role]);
  EXPECT_STREQ(RoleName(10), "Unknown");
  const char* leaps[] = {"None", "61", "59", "Alarm", "Not provided"};
  for (uint32_t leap = 0; leap < 5; ++leap) EXPECT_STREQ(LeapName(leap), leaps[leap]);
  EXPECT_STREQ(LeapName(5), "Unknown");
  EXPECT_STREQ(LeapName(255), "Unknown");
}

// Format of a successful parse parses back to the same fields (with the listed exceptions),
// on generated lines that mix every keyword.
TEST(TimeSourceRoundTrip, GeneratedLines) {
  const char* words[] = {"server", "port", "protocol", "key", "samples", "delay", "comment", "enabled",
                         "disabled", "noredirect", "domain"};
  const char* values[] = {"host", "10.0.0.1:99", "[::1]:5", "fe80::1%3", "http://h:8", "a:b:c", "ntp",
                          "ov2-http", "ov2", "lanman", "7", "0x11", "windows", "0", "99999", "\"quoted",
                          "end\"", "x\"y", "-3", "2001:db8::", "time-tcp", "mixed", "ptp", "c", "d"};
  const size_t wordCount = sizeof words / sizeof *words, valueCount = sizeof values / sizeof *values;
  std::mt19937 random(4);
  int parsed = 0;
  for (int round = 0; round < 20000; ++round) {
    // Mostly keyword-value pairs around a server and a protocol, with stray tokens mixed in.
    std::string line = random() % 4 ? "server host protocol ntp" : "";
    int count = 1 + int(random() % 8);
    for (int i = 0; i < count; ++i) {
      line += random() % 3 == 0 ? "\t " : " ";
      line += words[random() % wordCount];
      if (random() % 5) line += std::string(" ") + values[random() % valueCount];
    }
    std::string why;
    if (!CheckFormatRoundTrip(line, &why)) FAIL() << "line: " << line << "\n" << why;
    TimeSourceSpec spec;
    parsed += ParseTimeSource(spec, line, true);
  }
  EXPECT_GT(parsed, 2000);
}

}  // namespace
