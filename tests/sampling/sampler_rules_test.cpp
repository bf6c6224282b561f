// The run's rules apart from sockets: authentication description, counts, family, source
// port, and the attempt loop with its pauses, stop, results and exceptions.
#include "sampling/sampler_rules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sampling/keyring.h"

namespace {

TEST(SamplerRules, AuthDescription) {
  const struct {
    uint32_t authType, keyId, digestType;
    const char* text;
  } cases[] = {
      {kAuthNone, 0, 0, "unauthenticated"},
      {kAuthNone, 7, 1, "unauthenticated"},
      {kAuthKey, 0, 1, "unauthenticated"},
      {kAuthKey, 7, 1, "MD5 key 7"},
      {kAuthKey, 65535, 2, "SHA1 key 65535"},
      {kAuthKey, 3, 3, "SHA256 key 3"},
      {kAuthKey, 3, 4, "SHA512 key 3"},
      {kAuthKey, 3, 9, "unknown key 3"},
      {kAuthKey, 3, 0, "unauthenticated key 3"},
      {kAuthBroadcast, 0, 0, "bcast/mcast auth"},
      {kAuthBroadcast, 4, 0, "bcast/mcast auth key 4"},
      {kAuthWindows, 0, 1, "Windows auth"},
      {kAuthWindows, 1104, 1, "Windows auth key 1104"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AuthDescription(c.authType, c.keyId, c.digestType), c.text) << c.authType << " " << c.keyId;
}

// A keyed attempt names the digest its key has, whether the exchange worked or not; the time
// source's digest type (0 when it was parsed without the keyring) stands only where no key signed.
TEST(SamplerRules, AttemptAuthDescription) {
  const struct {
    const char* name;
    uint32_t specAuth, specDigest;
    uint8_t requestAuth, replyAuth;
    uint32_t sampleDigest;
    const char* text;
  } cases[] = {
      {"keyed and answered", kAuthKey, 1, kAuthKey, kAuthKey, 2, "SHA1 key 7"},
      {"keyed, digest mismatch", kAuthKey, 0, kAuthKey, kAuthKey, 2, "SHA1 key 7"},
      {"keyed, no answer", kAuthKey, 0, kAuthKey, 0, 2, "SHA1 key 7"},
      {"keyring refused before signing", kAuthKey, 1, kAuthKey, 0, 0, "MD5 key 7"},
      {"Windows authentication", kAuthWindows, 1, kAuthWindows, 0, 1, "Windows auth key 7"},
      {"unauthenticated", kAuthNone, 0, kAuthNone, 0, 0, "unauthenticated"},
  };
  for (const auto& c : cases) {
    TimeSourceSpec spec;
    spec.authType = c.specAuth;
    spec.keyId = 7;
    spec.digestType = c.specDigest;
    TimeSample sample;
    sample.requestAuth = c.requestAuth;
    sample.replyAuth = c.replyAuth;
    sample.digestType = c.sampleDigest;
    EXPECT_EQ(AttemptAuthDescription(spec, sample), c.text) << c.name;
  }
}

TEST(SamplerRules, CountsAndDelays) {
  const struct {
    uint8_t samples;
    uint32_t count;
    uint32_t delay, delayMs;
  } cases[] = {{0, 1, 0, 256}, {1, 1, 5, 16}, {4, 4, 16, 16}, {32, 32, 1024, 1024}, {33, 32, 5000, 1024},
               {255, 32, 300, 300}};
  for (const auto& c : cases) {
    TimeSourceSpec spec;
    spec.samples = c.samples;
    spec.delayMs = c.delay;
    EXPECT_EQ(SampleCount(spec), c.count) << int(c.samples);
    EXPECT_EQ(SampleDelayMs(spec), c.delayMs) << c.delay;
  }
}

TEST(SamplerRules, ForcedFamily) {
  const struct {
    const char* server;
    const char* comment;
    int family;
  } cases[] = {
      {"10.0.0.1", "", 4},         {"fe80::1", "", 6},          {"10.0.0.1", "IPV6 please", 4},
      {"ntp.example", "", 0},      {"ntp.example", "via ipv6", 6}, {"ntp.example", "lab IPv4 only", 4},
      {"ntp.example", "ipv4 and IPV6", 6}, {"10.1", "", 0},
  };
  for (const auto& c : cases) {
    TimeSourceSpec spec;
    spec.server = c.server;
    spec.comment = c.comment;
    EXPECT_EQ(ForcedFamily(spec), c.family) << c.server << " / " << c.comment;
  }
}

TEST(SamplerRules, SourcePorts) {
  SourcePorts ports{9000, 9123, 9037};
  const struct {
    TimeProtocol protocol;
    uint16_t port;
  } cases[] = {{kProtocolOv2Udp, 9000}, {kProtocolOv2Tcp, 9000}, {kProtocolNtp, 9123}, {kProtocolTimeUdp, 9037},
               {kProtocolTimeTcp, 9037}, {kProtocolOv2Http, 0},   {kProtocolDaytimeUdp, 0}, {kProtocolPtp, 0}};
  for (const auto& c : cases) EXPECT_EQ(SourcePort(c.protocol, ports), c.port) << int(c.protocol);
}

// A scripted run: each attempt returns the next code; the log records "P" for a pause and
// the attempt's code for each attempt.
struct Script {
  explicit Script(std::vector<uint32_t> scripted) : codes(std::move(scripted)) {}

  std::vector<uint32_t> codes;
  bool stopAtPause = false;
  size_t throwAt = 99;
  std::string log;
  size_t next = 0;

  uint32_t Run(uint32_t count, SampleSet* results) {
    return RunAttempts(
        count,
        [this] {
          log += "P ";
          return !stopAtPause;
        },
        [this](TimeSample* sample) -> uint32_t {
          if (next == throwAt) throw std::runtime_error("fault");
          uint32_t code = codes.at(next);
          sample->serial = uint32_t(++next);
          log += std::to_string(code) + " ";
          return code;
        },
        results);
  }
};

TEST(SamplerRules, AttemptLoop) {
  const struct {
    const char* name;
    uint32_t count;
    std::vector<uint32_t> codes;
    const char* log;
    uint32_t result;
    std::vector<uint32_t> kept;  // attempt numbers whose samples are in the list
  } cases[] = {
      {"three good samples", 3, {0, 0, 0}, "0 P 0 P 0 ", 0, {1, 2, 3}},
      {"unreachable: no pauses", 3, {10060, 10060, 10060}, "10060 10060 10060 ", 10060, {}},
      {"second attempt times out", 3, {0, 10060, 0}, "0 P 10060 P 0 ", 0, {1, 3}},
      {"early timeouts, then success", 3, {10060, 0, 0}, "10060 0 P 0 ", 0, {2, 3}},
      {"a hard failure ends the attempts", 2, {1901, 0}, "1901 ", 1901, {}},
      {"a failure after a success", 3, {0, 13, 0}, "0 P 13 ", 0, {1}},
      {"last failure's code", 3, {10060, 10060, 5}, "10060 10060 5 ", 5, {}},
      {"handled redirect counts as success", 2, {1237, 0}, "1237 P 0 ", 0, {2}},
      {"a connection that timed out is not tried again", 3, {12002, 0, 0}, "12002 ", 12002, {}},
      {"a stopped attempt stops the run, samples or not", 3, {0, 1115, 0}, "0 P 1115 ", 1115, {1}},
  };
  for (const auto& c : cases) {
    Script script(c.codes);
    SampleSet results;
    EXPECT_EQ(script.Run(c.count, &results), c.result) << c.name;
    EXPECT_EQ(script.log, c.log) << c.name;
    std::vector<uint32_t> kept;
    for (const TimeSample& sample : results) kept.push_back(sample.serial);
    EXPECT_EQ(kept, c.kept) << c.name;
  }
}

TEST(SamplerRules, StopDuringAPause) {
  Script script({0, 0, 0});
  script.stopAtPause = true;
  SampleSet results;
  EXPECT_EQ(script.Run(3, &results), kRunStopped) << "even after a sample";
  EXPECT_EQ(script.log, "0 P ");
  EXPECT_EQ(results.size(), 1u);
}

TEST(SamplerRules, ExceptionsBecomeACode) {
  Script first({0});
  first.throwAt = 0;
  SampleSet results;
  EXPECT_EQ(first.Run(2, &results), kExceptionInRun);
  EXPECT_TRUE(results.empty());
  Script later({0, 0});
  later.throwAt = 1;
  EXPECT_EQ(later.Run(3, &results), 0u) << "a run that has samples returns 0";
  EXPECT_EQ(results.size(), 1u);
}

}  // namespace

namespace {

TEST(SamplerRedirect, WhenToFollow) {
  TimeSourceSpec spec;
  spec.protocol = kProtocolOv2Http;
  TimeSample sample;
  sample.server = "other.example";
  EXPECT_TRUE(FollowsRedirect(spec, sample, kRedirectNeeded));
  EXPECT_FALSE(FollowsRedirect(spec, sample, 12152));
  TimeSample noTarget;
  EXPECT_FALSE(FollowsRedirect(spec, noTarget, kRedirectNeeded));
  TimeSourceSpec already = spec;
  already.redirected = true;
  EXPECT_FALSE(FollowsRedirect(already, sample, kRedirectNeeded)) << "a redirect is followed once";
  TimeSourceSpec ntp = spec;
  ntp.protocol = kProtocolNtp;
  EXPECT_FALSE(FollowsRedirect(ntp, sample, kRedirectNeeded));
}

TEST(SamplerRedirect, OneShotSpec) {
  TimeSourceSpec spec;
  ASSERT_TRUE(ParseTimeSource(spec, "server time.example:8080 protocol http samples 5 delay 40 key 7", true));
  spec.sampleTag = 3;
  TimeSample sample;
  sample.server = "other.example";
  sample.serial = 8181;
  sample.role = 302;
  TimeSourceSpec next = RedirectSpec(spec, sample);
  EXPECT_TRUE(next.redirected);
  EXPECT_TRUE(next.fromRedirect);
  EXPECT_EQ(next.server, "other.example");
  EXPECT_EQ(next.port, 8181);
  EXPECT_EQ(next.protocol, kProtocolOv2Http);
  EXPECT_EQ(next.samples, 1);
  EXPECT_EQ(next.authType, kAuthKey);
  EXPECT_EQ(next.keyId, 7u);
  EXPECT_EQ(next.delayMs, 40u);
  EXPECT_EQ(next.sampleTag, 3);
  EXPECT_EQ(next.comment, "time.example:8080");
  EXPECT_EQ(next.errorCode, 302u);

  spec.port = 80;
  sample.serial = 0;
  next = RedirectSpec(spec, sample);
  EXPECT_EQ(next.port, 80) << "no port named: the time source's";
  EXPECT_EQ(next.comment, "time.example");
}

TEST(SamplerRedirect, Outcome) {
  const struct {
    uint32_t code, outcome;
  } cases[] = {{0, kRedirectHandled}, {12028, 12028},           {12153, 12153}, {12154, 12154},
               {0x80090310, 0x80090310}, {0x80096010, 0x80096010}, {5, 5},         {1746, 1746},
               {1901, 1901},        {kRedirectNeeded, kRedirectFailed}, {10061, kRedirectFailed},
               {10060, kRedirectFailed}, {kRunStopped, kRedirectFailed}};
  for (const auto& c : cases) EXPECT_EQ(RedirectOutcome(c.code), c.outcome) << c.code;
}

}  // namespace
