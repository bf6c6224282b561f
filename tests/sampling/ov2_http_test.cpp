// The OV2 HTTP exchange as data: the request text, the reading of a reply, the order in
// which its result is decided, authentication of the body, and redirect targets.
#include "sampling/ov2_http.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "sampling/digest.h"
#include "sampling/keyring.h"
#include "sampling/ntp_time.h"
#include "sampling/sampler_rules.h"

namespace {

const uint32_t kNumber = 4242;
const char kBody[] = "Orvane time for request 4242\r\n";

TimeSourceSpec Source(const std::string& server = "time.example.com", uint16_t port = 80) {
  TimeSourceSpec spec;
  spec.server = server;
  spec.port = port;
  spec.protocol = kProtocolOv2Http;
  return spec;
}

TimeSourceSpec Keyed(uint32_t authType, uint32_t keyId) {
  TimeSourceSpec spec = Source();
  spec.authType = authType;
  spec.keyId = keyId;
  return spec;
}

HttpReply Parse(const std::string& text) { return ParseHttpReply(text.data(), text.size()); }

std::string HexDigest(uint32_t keyNumber, const std::string& body) {
  KeyEntry key;
  EXPECT_EQ(FetchKey(keyNumber, &key), 0u);
  uint8_t digest[kMaxDigestLength];
  size_t length = KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(),
                              body.data(), body.size(), digest);
  std::string hex;
  for (size_t i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

TEST(HttpRequest, Text) {
  struct Case {
    TimeSourceSpec spec;
    bool server;
    std::string text;
  } const cases[] = {
      {Source(), true, "GET /4242s HTTP/1.1\r\nUser-Agent: Orvane\r\nAccept: */*\r\nConnection: close\r\n"
                       "Host: time.example.com:80\r\n\r\n"},
      {Source("10.0.0.1", 8080), false, "GET /4242c HTTP/1.1\r\nUser-Agent: Orvane\r\nAccept: */*\r\n"
                                        "Connection: close\r\nHost: 10.0.0.1:8080\r\n\r\n"},
      {Keyed(2, 7), true, "GET /4242s?auth-type=2&auth-key=7 HTTP/1.1\r\nUser-Agent: Orvane\r\nAccept: */*\r\n"
                          "Connection: close\r\nHost: time.example.com:80\r\n\r\n"},
      {Keyed(3, 0), true, "GET /4242s HTTP/1.1\r\nUser-Agent: Orvane\r\nAccept: */*\r\nConnection: close\r\n"
                          "Host: time.example.com:80\r\n\r\n"},  // no key, no query
      {Source("fe80::1", 80), true, "GET /4242s HTTP/1.1\r\nUser-Agent: Orvane\r\nAccept: */*\r\n"
                                    "Connection: close\r\nHost: [fe80::1]:80\r\n\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildHttpRequest(kNumber, c.server, c.spec), c.text);
  EXPECT_TRUE(SendsAuthQuery(Keyed(2, 7)));
  EXPECT_FALSE(SendsAuthQuery(Keyed(3, 0)));
  EXPECT_FALSE(SendsAuthQuery(Keyed(0, 7)));
}

TEST(HttpReplyParse, HeaderLines) {
  HttpReply reply = Parse(
      "HTTP/1.1 200 OK\r\nFileTime: 133000000000000001\r\nRECEIVED:\t 133000000000000000\r\n"
      "serial: 0x10\r\nauth-ERROR:0\r\nAuth-Type: 2\r\nAuth-Key: 010\r\nServer-Serial: 0xC0FFEE\r\n"
      "Server-Role: 3\r\nAuth-Digest:  abc123 \r\nLocation: http://x/\r\nLeap-Status: 2\r\n"
      "Server-Stratum: 016\r\nTime-Source: 10.1.2.3\r\nX-Other: 9\r\nno colon here\r\n\r\nbody: not a header\r\n");
  EXPECT_EQ(reply.status, 200u);
  EXPECT_EQ(reply.filetime, 133000000000000001ull);
  EXPECT_EQ(reply.received, 133000000000000000ull);
  EXPECT_EQ(reply.serial, 16u) << "automatic base: hexadecimal";
  EXPECT_EQ(reply.authError, 0u);
  EXPECT_EQ(reply.authType, 2u);
  EXPECT_EQ(reply.authKey, 8u) << "automatic base: octal";
  EXPECT_EQ(reply.serverSerial, 0xC0FFEEu);
  EXPECT_EQ(reply.serverRole, 3u);
  EXPECT_EQ(reply.authDigest, "abc123");
  EXPECT_EQ(reply.location, "http://x/");
  EXPECT_EQ(reply.leap, 2);
  EXPECT_EQ(reply.stratum, 16) << "decimal, not octal";
  EXPECT_EQ(std::memcmp(&reply.referenceId, "\x0A\x01\x02\x03", 4), 0);
  EXPECT_EQ(reply.body, "body: not a header\r\n");
}

TEST(HttpReplyParse, StatusBodyAndLimits) {
  struct Case {
    const char* name;
    std::string text;
    uint32_t status;
    uint64_t filetime;
    std::string body;
    uint8_t leap;
  } const cases[] = {
      {"status in any case", "http/1.0 404 Not Found\r\n\r\n", 404, 0, "", 4},
      {"not HTTP", "XTTP/1.1 200 OK\r\nFiletime: 5\r\n\r\nb", 0, 5, "b", 4},
      {"no blank line: all headers, no body", "HTTP/1.1 200 OK\r\nfiletime: 7\r\nleap-status: 1\r\n", 200, 7, "", 1},
      {"bare LF lines", "HTTP/1.1 200 OK\nfiletime: 8\n\nbody", 200, 8, "", 4},
      {"an overflowing time saturates", "HTTP/1.1 200 OK\r\nfiletime: 99999999999999999999999\r\n\r\n", 200,
       UINT64_MAX, "", 4},
      {"a header past 4095 bytes is not read",
       "HTTP/1.1 200 OK\r\nX-Pad: " + std::string(4070, 'x') + "\r\nfiletime: 9\r\n\r\n", 200, 0, "", 4},
      {"the body is cut at 4095 bytes", "HTTP/1.1 200 OK\r\n\r\n" + std::string(5000, 'b'), 200, 0,
       std::string(4095 - 19, 'b'), 4},
  };
  for (const Case& c : cases) {
    HttpReply reply = Parse(c.text);
    EXPECT_EQ(reply.status, c.status) << c.name;
    EXPECT_EQ(reply.filetime, c.filetime) << c.name;
    EXPECT_EQ(reply.body, c.body) << c.name;
    EXPECT_EQ(reply.leap, c.leap) << c.name;
  }
}

TEST(HttpReplyParse, TimeSourceForms) {
  struct Case {
    const char* value;
    uint32_t reference;  // bytes in network order, read as a host number here
  } const cases[] = {
      {"", 0}, {"(local clock)", 0}, {"Averaged Time", 0}, {"10.1.2.3", 0x0302010A},
      {"192.168.0.1 ", 0x0100A8C0}, {"ntp.example.com", 0}, {"10.1", 0},
  };
  for (const Case& c : cases) {
    HttpReply reply = Parse(std::string("HTTP/1.1 200 OK\r\ntime-source: ") + c.value + "\r\n\r\n");
    uint32_t expected = c.reference;
    EXPECT_EQ(std::memcmp(&reply.referenceId, &expected, 4), 0) << c.value;
  }
}

class HttpResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyringSource source;
    source.keyValues = {{"1", "testMD5key"}, {"2", "00112233445566778899AABBCCDDEEFF01234567"}};
    source.trustedKeys = "1 2";
    InstallKeyring(BuildKeyring(source));
  }
  void TearDown() override { InstallKeyring(Keyring()); }

  // A good answer to request kNumber, with extra header lines.
  static std::string Answer(const std::string& status, const std::string& extra) {
    return "HTTP/1.1 " + status + "\r\nfiletime: 133000000000000000\r\nserial: 4242\r\n" + extra + "\r\n" + kBody;
  }
  std::string Signed(uint32_t type, uint32_t key, const std::string& digest) {
    return Answer("200 OK", "auth-type: " + std::to_string(type) + "\r\nauth-key: " + std::to_string(key) +
                                "\r\nauth-digest: " + digest + "\r\n");
  }
};

TEST_F(HttpResultTest, DecidedInOrder) {
  std::string good1 = HexDigest(1, kBody), good2 = HexDigest(2, kBody);
  std::string bad1 = good1, upper2 = good2;
  bad1[5] = bad1[5] == '0' ? '1' : '0';
  for (char& digit : upper2) digit = char(std::toupper(digit));
  struct Case {
    const char* name;
    std::string reply;
    TimeSourceSpec spec;
    uint32_t code;
    uint8_t replyAuth;
    uint32_t digestType;
  } const cases[] = {
      {"good", Answer("200 OK", ""), Source(), 0, 0, 0},
      {"auth-error before everything but a redirect", Answer("404 Not Found", "auth-error: 0x52e\r\n"), Source(),
       1326, 0, 0},
      {"auth-error 1237 is no success without a sample", Answer("200 OK", "auth-error: 1237\r\n"), Source(),
       kHttpInvalidHeader, 0, 0},
      {"auth-error 10060 is no lost datagram", Answer("200 OK", "auth-error: 10060\r\n"), Source(),
       kHttpInvalidHeader, 0, 0},
      {"auth-error 1115 is no stop", Answer("200 OK", "auth-error: 1115\r\n"), Source(), kHttpInvalidHeader, 0, 0},
      {"auth-error 12160 is no redirect", Answer("200 OK", "auth-error: 12160\r\n"), Source(), kHttpInvalidHeader,
       0, 0},
      {"auth-error 12002 is no connection time-out", Answer("200 OK", "auth-error: 12002\r\n"), Source(),
       kHttpInvalidHeader, 0, 0},
      {"auth-error of a socket: not this machine's", Answer("200 OK", "auth-error: 11001\r\n"), Source(),
       kHttpInvalidHeader, 0, 0},
      {"auth-error: a digest the server refused", Answer("200 OK", "auth-error: 0x80096010\r\n"), Source(),
       kDigestMismatch, 0, 0},
      {"403", Answer("403 Forbidden", ""), Source(), kHttpForbidden, 0, 0},
      {"405", Answer("405 Method Not Allowed", ""), Source(), kHttpInvalidQuery, 0, 0},
      {"404 without a time", "HTTP/1.1 404 Not Found\r\n\r\n", Source(), kHttpNotFound, 0, 0},
      {"500", Answer("500 Internal Server Error", ""), Source(), kHttpServerUnusable, 0, 0},
      {"200 without filetime", "HTTP/1.1 200 OK\r\nserial: 4242\r\n\r\n", Source(), kHttpServerUnusable, 0, 0},
      {"filetime 0 is no time", "HTTP/1.1 200 OK\r\nfiletime: 0\r\nserial: 4242\r\n\r\n", Source(),
       kHttpServerUnusable, 0, 0},
      {"204", Answer("204 No Content", ""), Source(), kHttpInvalidHeader, 0, 0},
      {"308 is no redirect here", Answer("308 Permanent Redirect", "location: http://x/\r\n"), Source(),
       kHttpInvalidHeader, 0, 0},
      {"not HTTP but timed", "filetime: 5\r\nserial: 4242\r\n\r\n", Source(), kHttpInvalidHeader, 0, 0},
      {"serial not echoed", "HTTP/1.1 200 OK\r\nfiletime: 5\r\nserial: 4243\r\n\r\n", Source(),
       kHttpSerialNotEchoed, 0, 0},
      {"serial missing", "HTTP/1.1 200 OK\r\nfiletime: 5\r\n\r\n", Source(), kHttpSerialNotEchoed, 0, 0},
      {"keyed, MD5", Signed(2, 1, good1), Keyed(2, 1), 0, 2, kDigestMd5},
      {"keyed, SHA1, upper-case digits", Signed(2, 2, upper2), Keyed(2, 2), 0, 2, kDigestSha1},
      {"keyed, no digest", Answer("200 OK", "auth-type: 2\r\nauth-key: 1\r\n"), Keyed(2, 1), kHttpDigestMissing, 0,
       0},
      {"keyed, unsigned answer", Answer("200 OK", ""), Keyed(2, 1), kHttpDigestMissing, 0, 0},
      {"keyed, another type", Signed(1, 1, good1), Keyed(2, 1), kDigestMismatch, 0, 0},
      {"keyed, another key", Signed(2, 2, good2), Keyed(2, 1), kDigestMismatch, 0, 0},
      {"keyed, digest changed", Signed(2, 1, bad1), Keyed(2, 1), kDigestMismatch, 2, kDigestMd5},
      {"keyed, one digit of digest", Signed(2, 1, "a"), Keyed(2, 1), kDigestMismatch, 2, kDigestMd5},
      {"broadcast: any key the server names", Signed(1, 2, good2), Keyed(1, 1), 0, 1, kDigestSha1},
      {"Windows: key 0 proves nothing", Signed(3, 0, "00"), Keyed(3, 0), kDigestMismatch, 0, 0},
      {"key not in the keyring", Signed(2, 9, "00"), Keyed(2, 9), kKeyNotInKeyring, 2, 0},
  };
  for (const Case& c : cases) {
    TimeSample sample;
    sample.requestAuth = SendsAuthQuery(c.spec) ? uint8_t(c.spec.authType) : 0;
    EXPECT_EQ(DecideHttpResult(Parse(c.reply), kNumber, c.spec, &sample), c.code) << c.name;
    EXPECT_EQ(sample.replyAuth, c.replyAuth) << c.name;
    EXPECT_EQ(sample.digestType, c.digestType) << c.name;
  }
}

TEST_F(HttpResultTest, GoodSampleFields) {
  HttpReply reply = Parse(Answer("200 OK", "received: 132999999999999990\r\nserver-serial: 0x2A\r\n"
                                           "server-role: 2\r\nleap-status: 1\r\nserver-stratum: 3\r\n"));
  TimeSourceSpec spec = Source();
  spec.sampleTag = 9;
  TimeSample sample;
  StoreHttpReply(reply, 132999999999999000ull, 133000000000001000ull, spec, &sample);
  EXPECT_EQ(sample.delta, -5) << "((S1 - T4) + (S2 - T1)) / 2, truncated toward zero";
  EXPECT_EQ(sample.latency, 2000 - 10);
  EXPECT_EQ(sample.serial, 42u);
  EXPECT_EQ(sample.role, 2u);
  EXPECT_EQ(sample.leap, 1);
  EXPECT_EQ(sample.stratum, 3);
  EXPECT_EQ(sample.sampleTag, 9);
  EXPECT_EQ(NtpTimestampValue(sample.serverTransmitTs), FileTimeToNtp(133000000000000000ull));
  // Without "received" the one time stands for both.
  StoreHttpReply(Parse(Answer("200 OK", "")), 132999999999999000ull, 133000000000001000ull, spec, &sample);
  EXPECT_EQ(sample.delta, 0);
  EXPECT_EQ(sample.latency, 2000);
  EXPECT_EQ(sample.leap, 4) << "not provided";
}

TEST(HttpRedirect, Targets) {
  struct Case {
    const char* name;
    std::string location;
    bool allowed;
    uint32_t code;
    std::string server;
    uint32_t port;
    std::string text;
  } const cases[] = {
      {"http, host, port and path", "http://time2.example.com:8080/time", true, kRedirectNeeded,
       "time2.example.com", 8080, ""},
      {"scheme in any case, no port", "HTTP://time2.example.com/time", true, kRedirectNeeded, "time2.example.com", 0,
       ""},
      {"no scheme", "time2.example.com:81", true, kRedirectNeeded, "time2.example.com", 81, ""},
      {"backslashes", "\\\\time2.example.com\\time", true, kRedirectNeeded, "time2.example.com", 0, ""},
      {"empty host: the source's own", "http://:8081/time", true, kRedirectNeeded, "time.example.com", 8081, ""},
      {"empty host, no port", "http://", true, kRedirectNeeded, "time.example.com", 0, ""},
      {"a colon in the path is no port", "http://time2.example.com/a:99", true, kRedirectNeeded,
       "time2.example.com", 0, ""},
      {"IPv6 literal with port", "http://[fe80::1]:8080/", true, kRedirectNeeded, "fe80::1", 8080, ""},
      {"another scheme's text in the query", "http://h/x?u=ftp://y", true, kRedirectNeeded, "h", 0, ""},
      {"a query right after the host", "http://h:8080?u=ftp://y:99", true, kRedirectNeeded, "h", 8080, ""},
      {"relative, another scheme in the query", "/time?u=ftp://y", true, kRedirectNeeded, "time", 0, ""},
      {"https", "HTTPS://time2.example.com/", true, kHttpInvalidUrl, "", 0, "Redirect to https unsupported"},
      {"another scheme", "ftp://time2.example.com/", true, kHttpProtocolUnknown, "", 0, "Redirect to ftp unsupported"},
      {"empty scheme", "://time2.example.com/", true, kHttpProtocolUnknown, "", 0,
       "Redirect to {missing protocol} unsupported"},
      {"no location", "", true, kHttpInvalidResponse, "", 0, "Redirect without Location: header"},
      {"redirect not allowed", "http://time2.example.com/", false, kRedirectFailed, "", 0,
       "Redirect disabled by admin"},
  };
  for (const Case& c : cases) {
    TimeSourceSpec spec = Source();
    spec.allowRedirect = c.allowed;
    spec.sampleTag = 3;
    HttpReply reply = Parse("HTTP/1.1 302 Found\r\n" + (c.location.empty() ? "" : "Location: " + c.location + "\r\n") +
                            "\r\n");
    TimeSample sample;
    EXPECT_EQ(DecideHttpResult(reply, kNumber, spec, &sample), c.code) << c.name;
    EXPECT_EQ(sample.server, c.server) << c.name;
    EXPECT_EQ(sample.serial, c.port) << c.name;
    EXPECT_EQ(sample.errorText, c.text) << c.name;
    EXPECT_EQ(sample.role, 302u) << c.name;
    EXPECT_EQ(sample.sampleTag, 3) << c.name;
    if (!c.text.empty()) {
      EXPECT_EQ(LastRedirectMessage(), c.text) << c.name;
    }
  }
  // Every status from 300 to 307 is a redirect.
  for (uint32_t status : {300u, 301u, 307u}) {
    TimeSample sample;
    HttpReply reply = Parse("HTTP/1.1 " + std::to_string(status) + " R\r\nLocation: http://h/\r\n\r\n");
    EXPECT_EQ(DecideHttpResult(reply, kNumber, Source(), &sample), kRedirectNeeded) << status;
    EXPECT_EQ(sample.role, status);
  }
}

}  // namespace
