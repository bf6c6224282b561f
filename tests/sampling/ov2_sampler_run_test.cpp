// Sampling runs over OV2 (UDP and TCP) and OV2 HTTP against the loopback OV2 test server
// (tools/ov2_server.py) and nginx in front of it, as scripts/test starts them: the server
// serves this clock moved by OVMON_OV2_OFFSET_MS, signs with the keys of OVMON_OV2_KEYS and
// misbehaves on purpose on the ports after its base ports, one behaviour a port, in the order
// of its OV2_MODES and HTTP_MODES lists. The keys reach the keyring through the registry.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/stop_event.h"
#include "sampling/fake_domain.h"
#include "sampling/keyring.h"
#include "sampling/network.h"
#include "sampling/ntp_time.h"
#include "sampling/ov2_http.h"
#include "sampling/time_sampler.h"
#include "support/registry_sandbox.h"
#include "support/test_io.h"

namespace {

const char kKeys[] = "Software\\Tallowin\\Orvane Monitor\\Keyring\\Keys";
const char kConf[] = "Software\\Tallowin\\Orvane Monitor\\Keyring\\Conf";
const int64_t kMillisecond = 10000;

// tools/ov2_server.py's OV2_MODES, in port order.
enum Ov2Mode {
  kGood, kWrongEcho, kShort, kClockNotSet, kNoS2, kOldVersion, kReferenceZero, kUnsigned, kWrongKey,
  kBadDigest, kTwoSegments, kSilent,
};
// Its HTTP_MODES, in port order.
enum HttpMode {
  kHttpGood, kNoFiletime, kWrongSerial, kAuthError, kStatus403, kStatus404, kStatus405, kStatus500, kStatus418,
  kRedirect, kRedirectHttps, kRedirectFtp, kRedirectNoLocation, kRedirectAgain, kHttpBadDigest, kNoDigest,
  kWrongAuthKey, kClosed, kAuthError1237, kAuthError10060,
};

class Ov2SamplerRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("OVMON_OV2_UDP_PORT").empty()) GTEST_SKIP() << "no OV2 test server (scripts/test starts one)";
    ASSERT_EQ(NetStartup(), 0u);
    std::istringstream pairs(Env("OVMON_OV2_KEYS"));
    std::string pair, trusted;
    while (pairs >> pair) {
      size_t colon = pair.find(':');
      SetStringValue(kKeys, pair.substr(0, colon).c_str(), pair.substr(colon + 1).c_str());
      trusted += pair.substr(0, colon) + " ";
    }
    SetStringValue(kConf, "TrustedKey", trusted.c_str());
    LoadKeyring("");
    settings_.recvTimeoutMs = 2000;
    settings_.sendTimeoutMs = 500;
    offset_ = int64_t(std::atof(Env("OVMON_OV2_OFFSET_MS").c_str()) * kMillisecond);
  }
  void TearDown() override {
    InstallKeyring(Keyring());
    if (StopEvent()) ResetEvent(StopEvent());
  }

  static int Port(const char* base, int mode) { return std::atoi(Env(base).c_str()) + mode; }
  // A source of the OV2 server on a behaviour's port: protocol "ov2" (UDP), "ov2-tcp" or "http".
  static TimeSourceSpec Spec(const std::string& protocol, int mode, const std::string& extra = "") {
    const char* base = protocol == "http" ? "OVMON_OV2_HTTP_PORT" : protocol == "ov2" ? "OVMON_OV2_UDP_PORT"
                                                                                        : "OVMON_OV2_TCP_PORT";
    return Line("server 127.0.0.1 port " + std::to_string(Port(base, mode)) + " protocol " + protocol + " " + extra);
  }
  // Parsed as the editors do: without the keyring's protocol check, so SHA256 and SHA512 keys pass.
  static TimeSourceSpec Line(const std::string& line) {
    TimeSourceSpec spec;
    EXPECT_TRUE(ParseTimeSource(spec, line, true)) << line << ": " << spec.errorText;
    return spec;
  }
  uint32_t Run(const TimeSourceSpec& spec, SampleSet* results) { return RunTimeSource(spec, settings_, results); }

  // The served offset, within what the path's delay leaves open (half the round trip) and the
  // little that the send call and the server's own timestamps add; the latency is the round
  // trip T1 to T4 less the time the server held the request, never more.
  void ExpectOffset(const TimeSample& sample) {
    EXPECT_LE(std::llabs(sample.delta - offset_), sample.latency / 2 + 2 * kMillisecond)
        << "delta " << sample.delta << " latency " << sample.latency;
    EXPECT_GE(sample.latency, 0);
    EXPECT_LT(sample.latency, 1000 * kMillisecond);
    uint64_t t1 = NtpTimestampValue(sample.originateTs), t4 = NtpTimestampValue(sample.localReceiveTs);
    ASSERT_LE(t1, t4);
    int64_t roundTrip = int64_t(((t4 - t1) * 10000000) >> 32);  // at most one 100 ns unit short
    // When the server held the request longer than T1 to T4 (the send call's share of T1 taken
    // too late on a loaded machine), the latency is the size of that shortfall, still no larger.
    uint64_t t2 = NtpTimestampValue(sample.serverReceiveTs), t3 = NtpTimestampValue(sample.serverTransmitTs);
    int64_t hold = t2 && t3 > t2 ? int64_t(((t3 - t2) * 10000000) >> 32) : 0;
    EXPECT_LE(sample.latency, std::max(roundTrip, hold - roundTrip) + 1) << "round trip " << roundTrip;
  }
  // One good sample of the server: its clock ahead by the served offset, its fields as served.
  void ExpectServed(const TimeSample& sample, TimeProtocol protocol) {
    EXPECT_EQ(sample.errorCode, 0u);
    EXPECT_EQ(sample.protocol, protocol);
    EXPECT_EQ(sample.server, "127.0.0.1");
    EXPECT_EQ(FormatIpAddress(sample.address), "127.0.0.1");
    ExpectOffset(sample);
    EXPECT_EQ(sample.serial, 0xC0FFEEu);
    EXPECT_EQ(sample.role, 1u);
    EXPECT_EQ(sample.stratum, 1);
    EXPECT_EQ(sample.leap, 0);
    EXPECT_NE(sample.receiveTime, 0u);
  }

  CRegistrySandbox sandbox_;
  CFakeNetlogon netlogon_;  // Wine has no Netlogon functions; the stand-in domain's password is "current"
  SamplerSettings settings_;
  int64_t offset_ = 0;
};

TEST_F(Ov2SamplerRunTest, OneGoodSamplePerProtocol) {
  const struct {
    const char* protocol;
    TimeProtocol code;
    int base;
    std::string reference;
  } cases[] = {{"ov2", kProtocolOv2Udp, Port("OVMON_OV2_UDP_PORT", 0), std::string("GPS\0", 4)},
               {"ov2-tcp", kProtocolOv2Tcp, Port("OVMON_OV2_TCP_PORT", 0), std::string("GPS\0", 4)},
               {"http", kProtocolOv2Http, Port("OVMON_OV2_HTTP_PORT", 0), "\x0A\x01\x02\x03"}};
  for (const auto& c : cases) {
    TimeSourceSpec spec = Spec(c.protocol, kGood);
    spec.sampleTag = 5;
    SampleSet results;
    ASSERT_EQ(Run(spec, &results), 0u) << c.protocol;
    ASSERT_EQ(results.size(), 1u) << c.protocol;
    const TimeSample& sample = results[0];
    ExpectServed(sample, c.code);
    EXPECT_EQ(sample.address.port, c.base) << c.protocol;
    EXPECT_EQ(sample.requestAuth, 0);
    EXPECT_EQ(sample.replyAuth, 0);
    EXPECT_EQ(sample.sampleTag, 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&sample.referenceId), 4), c.reference) << c.protocol;
  }
}

TEST_F(Ov2SamplerRunTest, KeyedFormsAcceptedAndOneChangedByteRejected) {
  for (const char* protocol : {"ov2", "ov2-tcp", "http"}) {
    for (uint32_t key = 1; key <= 4; ++key) {
      std::string keyed = "key " + std::to_string(key);
      SampleSet results;
      ASSERT_EQ(Run(Spec(protocol, kGood, keyed), &results), 0u) << protocol << " " << keyed;
      ASSERT_EQ(results.size(), 1u);
      ExpectServed(results[0], results[0].protocol);
      EXPECT_EQ(results[0].requestAuth, 2);
      EXPECT_EQ(results[0].replyAuth, 2) << protocol << " " << keyed;
      EXPECT_EQ(results[0].digestType, key) << "keys 1 to 4 are MD5, SHA1, SHA256 and SHA512";
      int badDigest = std::string(protocol) == "http" ? int(kHttpBadDigest) : int(kBadDigest);
      results.clear();
      EXPECT_EQ(Run(Spec(protocol, badDigest, keyed), &results), kDigestMismatch) << protocol << " " << keyed;
      EXPECT_TRUE(results.empty());
    }
  }
}

TEST_F(Ov2SamplerRunTest, WindowsAuthentication) {
  for (const char* protocol : {"ov2", "ov2-tcp"}) {
    SampleSet results;
    ASSERT_EQ(Run(Spec(protocol, kGood, "key windows"), &results), 0u) << protocol;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].requestAuth, 3);
    EXPECT_EQ(results[0].replyAuth, 3);
    netlogon_.currentPassword = netlogon_.previousPassword = "not the domain's";
    results.clear();
    EXPECT_EQ(Run(Spec(protocol, kGood, "key windows"), &results), kDigestMismatch) << protocol;
    netlogon_.currentPassword = "current";
  }
}

TEST_F(Ov2SamplerRunTest, Ov2Misbehaviours) {
  settings_.recvTimeoutMs = 300;
  const struct {
    Ov2Mode mode;
    const char* extra;
    uint32_t code;
  } cases[] = {
      {kWrongEcho, "", 13913},      {kShort, "", 10060},          {kClockNotSet, "", 1901},
      {kUnsigned, "key 1", 86},     {kWrongKey, "key 2", 86},     {kSilent, "", 10060},
  };
  for (const char* protocol : {"ov2", "ov2-tcp"}) {
    for (const auto& c : cases) {
      SampleSet results;
      EXPECT_EQ(Run(Spec(protocol, c.mode, c.extra), &results), c.code) << protocol << " mode " << c.mode;
      EXPECT_TRUE(results.empty());
    }
  }
}

TEST_F(Ov2SamplerRunTest, Ov2OddButGoodReplies) {
  for (const char* protocol : {"ov2", "ov2-tcp"}) {
    SampleSet results;
    ASSERT_EQ(Run(Spec(protocol, kNoS2), &results), 0u);
    ASSERT_EQ(Run(Spec(protocol, kOldVersion), &results), 0u);
    ASSERT_EQ(Run(Spec(protocol, kReferenceZero), &results), 0u);
    ASSERT_EQ(results.size(), 3u) << protocol;
    EXPECT_EQ(results[0].serverReceiveTs, results[0].serverTransmitTs) << "without S2 the one time stands for both";
    ExpectOffset(results[0]);
    EXPECT_EQ(results[1].leap, 4) << "an older server's leap byte is not read";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&results[2].referenceId), 4), "OV2 ");
  }
}

TEST_F(Ov2SamplerRunTest, TcpReplyInTwoSegmentsArrivesWithTheFirst) {
  SampleSet results;
  ASSERT_EQ(Run(Spec("ov2-tcp", kTwoSegments), &results), 0u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].replyLength, 115u);
  // The second segment follows 200 ms later: a T4 taken at the first keeps the latency small.
  EXPECT_LT(results[0].latency, 100 * kMillisecond);
  ExpectOffset(results[0]);
}

TEST_F(Ov2SamplerRunTest, HttpMisbehaviours) {
  const struct {
    HttpMode mode;
    const char* extra;
    uint32_t code;
    const char* text;  // the redirect message, when one is refused
  } cases[] = {
      {kNoFiletime, "", 1901, nullptr},
      {kWrongSerial, "", 0x80090310, nullptr},
      {kAuthError, "", 1326, nullptr},
      {kStatus403, "", 5, nullptr},
      {kStatus404, "", 12028, nullptr},
      {kStatus405, "", 12154, nullptr},
      {kStatus500, "", 1901, nullptr},
      {kStatus418, "", 12153, nullptr},
      {kRedirectHttps, "", 12005, "Redirect to https unsupported"},
      {kRedirectFtp, "", 12008, "Redirect to ftp unsupported"},
      {kRedirectNoLocation, "", 12152, "Redirect without Location: header"},
      {kRedirect, "noredirect", 12156, "Redirect disabled by admin"},
      {kRedirectAgain, "", 12156, nullptr},
      {kNoDigest, "key 1", 1746, nullptr},
      {kWrongAuthKey, "key 1", kDigestMismatch, nullptr},
      {kClosed, "", 10054, nullptr},
      {kAuthError1237, "", 12153, nullptr},
      {kAuthError10060, "", 12153, nullptr},
  };
  for (const auto& c : cases) {
    SampleSet results;
    EXPECT_EQ(Run(Spec("http", c.mode, c.extra), &results), c.code) << "mode " << c.mode;
    EXPECT_TRUE(results.empty()) << "mode " << c.mode;
    if (c.text) {
      EXPECT_EQ(LastRedirectMessage(), c.text) << "mode " << c.mode;
    }
  }
}

// A server's auth-error that is one of the run's own codes fails the attempt, which is traced
// and not tried again at once; a redirect that fails at its target traces the server asked
// with the address that answered.
TEST_F(Ov2SamplerRunTest, PeerCodesAndFailedRedirectsAreTraced) {
  std::vector<std::string> lines;
  settings_.trace = [&](const std::string& line) { lines.push_back(line); };
  const std::string failed = "Could not obtain time sample from 127.0.0.1 (127.0.0.1) using OV2-HTTP (unauthenticated)";
  const struct {
    HttpMode mode;
    uint32_t code;
    std::vector<std::string> lines;
  } cases[] = {
      {kAuthError1237, 12153, {failed}},
      {kAuthError10060, 12153, {failed}},
      {kRedirectAgain, kRedirectFailed, {failed, failed}},  // the target's line, then the attempt's
  };
  for (const auto& c : cases) {
    lines.clear();
    SampleSet results;
    EXPECT_EQ(Run(Spec("http", c.mode, "samples 3"), &results), c.code) << "mode " << c.mode;
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(lines, c.lines) << "mode " << c.mode;
  }
}

TEST_F(Ov2SamplerRunTest, RedirectFollowedOnceIntoTheSameList) {
  // The server's own 302, nginx's 302 and 301: each attempt's samples come from the good server.
  const int good = Port("OVMON_OV2_HTTP_PORT", kHttpGood);
  for (int port : {Port("OVMON_OV2_HTTP_PORT", kRedirect), Port("OVMON_NGINX_PORT", 0), Port("OVMON_NGINX_PORT", 1)}) {
    SampleSet results;
    TimeSourceSpec spec = Line("server 127.0.0.1:" + std::to_string(port) + " protocol http samples 2 delay 16");
    ASSERT_EQ(Run(spec, &results), 0u) << port;
    ASSERT_EQ(results.size(), 2u) << port;
    for (const TimeSample& sample : results) {
      ExpectServed(sample, kProtocolOv2Http);
      EXPECT_EQ(sample.address.port, good) << port;
    }
  }
}

TEST_F(Ov2SamplerRunTest, ThroughNginxAsAProxy) {
  SampleSet results;
  ASSERT_EQ(Run(Line("server 127.0.0.1:" + std::to_string(Port("OVMON_NGINX_PORT", 2)) + " protocol http key 2"),
                &results),
            0u);
  ASSERT_EQ(results.size(), 1u);
  ExpectServed(results[0], kProtocolOv2Http);
  EXPECT_EQ(results[0].replyAuth, 2) << "the body nginx passed on still matches its digest";
}

}  // namespace
