// Sampling runs over NTP against a real server nobody here wrote: chronyd on 127.0.0.1,
// port OVMON_NTP_PORT, serving its own clock at stratum 8 with the keys OVMON_NTP_MD5_KEY
// (number 1) and OVMON_NTP_SHA1_KEY (number 2), as scripts/test starts it. The keys reach
// the keyring through the registry, as they do in the applet; a key chronyd does not know
// gets no reply.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/stop_event.h"
#include "sampling/fake_domain.h"
#include "sampling/keyring.h"
#include "sampling/network.h"
#include "sampling/ntp_time.h"
#include "sampling/time_sampler.h"
#include "support/ntp_peer.h"
#include "support/registry_sandbox.h"

namespace {

const char kKeys[] = "Software\\Tallowin\\Orvane Monitor\\Keyring\\Keys";
const char kConf[] = "Software\\Tallowin\\Orvane Monitor\\Keyring\\Conf";
const char kParameters[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";
const int64_t kOneSecond = 10000000;

// A UDP port on loopback (127.0.0.1 or ::1) that this test holds open (so nothing else
// takes it) until closed.
class CHeldPort {
 public:
  explicit CHeldPort(int family = AF_INET) {
    socket_ = socket(family, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_storage address = {};
    int length = family == AF_INET6 ? int(sizeof(sockaddr_in6)) : int(sizeof(sockaddr_in));
    address.ss_family = uint16_t(family);
    if (family == AF_INET)
      reinterpret_cast<sockaddr_in*>(&address)->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    else
      reinterpret_cast<sockaddr_in6*>(&address)->sin6_addr = in6addr_loopback;
    bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);  // same place in both forms
  }
  ~CHeldPort() { Close(); }
  void Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  uint16_t Port() const { return port_; }
  SOCKET Handle() const { return socket_; }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  uint16_t port_ = 0;
};

// A UDP peer on 127.0.0.1 that answers the n-th request (counting from 0) with what its
// script returns for it; an empty answer sends nothing. An intruder's script, when given,
// answers first from another port of the same host.
class CScriptedPeer {
 public:
  typedef std::function<std::vector<uint8_t>(int n, const uint8_t* request, int length)> Script;
  explicit CScriptedPeer(Script script, int family = AF_INET, Script intruder = nullptr)
      : held_(family), intruderPort_(family), script_(std::move(script)), intruder_(std::move(intruder)) {
    thread_ = std::thread([this] { Serve(); });
  }
  ~CScriptedPeer() {
    stopping_ = true;
    thread_.join();
  }
  uint16_t Port() const { return held_.Port(); }

  // A good stratum 2 reply whose server clock runs offset100ns ahead of the request's T1.
  static std::vector<uint8_t> Reply(const uint8_t* request, int64_t offset100ns) {
    std::vector<uint8_t> reply(48, 0);
    reply[0] = 0x1C;
    reply[1] = 2;
    reply[12] = 10;
    uint64_t t1 = LoadNtpTimestamp(request + 40);
    uint64_t serverTime = t1 + uint64_t((static_cast<__int128>(offset100ns) << 32) / kOneSecond);
    StoreNtpTimestamp(serverTime - (60ull << 32), reply.data() + 16);
    std::memcpy(reply.data() + 24, request + 40, 8);
    StoreNtpTimestamp(serverTime, reply.data() + 32);
    StoreNtpTimestamp(serverTime, reply.data() + 40);
    return reply;
  }

 private:
  void Serve() {
    SOCKET s = held_.Handle();
    for (int n = 0; !stopping_;) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(s, &readable);
      timeval wait = {0, 20000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
      uint8_t request[512];
      sockaddr_storage from = {};
      int fromLength = sizeof from;
      int got = recvfrom(s, reinterpret_cast<char*>(request), sizeof request, 0, reinterpret_cast<sockaddr*>(&from),
                         &fromLength);
      if (got < 48) continue;
      if (intruder_) Answer(intruderPort_.Handle(), intruder_(n, request, got), from, fromLength);
      Answer(s, script_(n++, request, got), from, fromLength);
    }
  }
  static void Answer(SOCKET s, const std::vector<uint8_t>& answer, const sockaddr_storage& to, int toLength) {
    if (!answer.empty())
      sendto(s, reinterpret_cast<const char*>(answer.data()), int(answer.size()), 0,
             reinterpret_cast<const sockaddr*>(&to), toLength);
  }

  CHeldPort held_;
  CHeldPort intruderPort_;
  Script script_;
  Script intruder_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

class NtpSamplerRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = NtpPeerPort();
    if (port_.empty()) GTEST_SKIP() << kNoNtpPeer;
    ASSERT_EQ(NetStartup(), 0u);
    // chronyd's key lines become the Monitor's keyring values, and key 3 one it lacks.
    std::vector<NtpPeerKey> keys;
    std::string missing, trusted = "3";
    ASSERT_TRUE(ReadNtpPeerKeys(&keys, &missing)) << missing;
    for (const NtpPeerKey& key : keys) {
      SetStringValue(kKeys, key.number.c_str(), key.text.c_str());
      trusted += " " + key.number;
    }
    SetStringValue(kKeys, "3", "notChronysKey");
    SetStringValue(kConf, "TrustedKey", trusted.c_str());
    LoadKeyring("");
    settings_.recvTimeoutMs = 2000;
    settings_.sendTimeoutMs = 500;
  }
  void TearDown() override {
    InstallKeyring(Keyring());
    if (StopEvent()) ResetEvent(StopEvent());
  }

  // Parses a time-source line as the test dialog does, keyring check included.
  TimeSourceSpec Spec(const std::string& line) {
    TimeSourceSpec spec;
    EXPECT_TRUE(ParseTimeSource(spec, line, false)) << line << ": " << spec.errorText;
    return spec;
  }
  std::string Server() const { return "server 127.0.0.1 port " + port_ + " protocol ntp "; }

  void ExpectGoodSample(const TimeSample& sample) {
    EXPECT_EQ(sample.errorCode, 0u);
    EXPECT_EQ(sample.server, "127.0.0.1");
    EXPECT_EQ(sample.protocol, kProtocolNtp);
    EXPECT_EQ(FormatIpAddress(sample.address), "127.0.0.1");
    EXPECT_EQ(sample.address.port, std::atoi(port_.c_str()));
    EXPECT_EQ(sample.version, 3);
    EXPECT_EQ(sample.mode, 4);
    EXPECT_EQ(sample.stratum, 8);
    EXPECT_EQ(sample.leap, 0);
    // chronyd serves the clock we read: delta near 0, latency a loopback round trip.
    EXPECT_LT(std::llabs(sample.delta), kOneSecond / 2);
    EXPECT_GT(sample.latency, 0);
    EXPECT_LT(sample.latency, kOneSecond / 2);
    uint64_t t1 = NtpTimestampValue(sample.originateTs), t2 = NtpTimestampValue(sample.serverReceiveTs);
    uint64_t t3 = NtpTimestampValue(sample.serverTransmitTs), t4 = NtpTimestampValue(sample.localReceiveTs);
    EXPECT_LE(t1, t4);
    EXPECT_LE(t2, t3);
    EXPECT_NE(sample.referenceTs, 0u);
    EXPECT_NE(sample.receiveTime, 0u);
    EXPECT_EQ(FileTimeToNtp(sample.receiveTime), t4);
  }

  CRegistrySandbox sandbox_;
  CFakeNetlogon netlogon_;  // Wine has no Netlogon functions; the keyring check wants them
  SamplerSettings settings_;
  std::string port_;
};

TEST_F(NtpSamplerRunTest, PlainRunOfSeveralSamples) {
  TimeSourceSpec spec = Spec(Server() + "samples 4 delay 16");
  spec.sampleTag = 7;
  SampleSet results;
  ASSERT_EQ(RunTimeSource(spec, settings_, &results), 0u);
  ASSERT_EQ(results.size(), 4u);
  for (const TimeSample& sample : results) {
    ExpectGoodSample(sample);
    EXPECT_EQ(sample.requestAuth, 0);
    EXPECT_EQ(sample.replyAuth, 0);
    EXPECT_EQ(sample.sampleTag, 7);
  }
  EXPECT_LT(NtpTimestampValue(results[0].originateTs), NtpTimestampValue(results[3].originateTs));
}

TEST_F(NtpSamplerRunTest, KeyedRuns) {
  const struct {
    uint32_t key;
    uint32_t digestType;
  } cases[] = {{1, 1}, {2, 2}};
  for (const auto& c : cases) {
    TimeSourceSpec spec = Spec(Server() + "samples 2 delay 16 key " + std::to_string(c.key));
    SampleSet results;
    ASSERT_EQ(RunTimeSource(spec, settings_, &results), 0u) << "key " << c.key;
    ASSERT_EQ(results.size(), 2u);
    for (const TimeSample& sample : results) {
      ExpectGoodSample(sample);
      EXPECT_EQ(sample.requestAuth, 2);
      EXPECT_EQ(sample.replyAuth, 2) << "key " << c.key;
      EXPECT_EQ(sample.digestType, c.digestType);
      EXPECT_EQ(sample.role, c.key);
    }
  }
}

TEST_F(NtpSamplerRunTest, UnknownKeyTimesOutOnEveryAttempt) {
  settings_.recvTimeoutMs = 300;
  SampleSet results;
  EXPECT_EQ(RunTimeSource(Spec(Server() + "samples 2 key 3"), settings_, &results), 10060u);
  EXPECT_TRUE(results.empty());
}

TEST_F(NtpSamplerRunTest, KeyMissingFromTheKeyringSendsNothing) {
  TimeSourceSpec spec = Spec(Server() + "samples 2");
  spec.authType = kAuthKey;
  spec.keyId = 4;
  SampleSet results;
  EXPECT_EQ(RunTimeSource(spec, settings_, &results), kKeyNotInKeyring);
  EXPECT_TRUE(results.empty());
}

TEST_F(NtpSamplerRunTest, ClosedPort) {
  CHeldPort held;
  uint16_t port = held.Port();
  held.Close();
  settings_.recvTimeoutMs = 300;
  SampleSet results;
  uint32_t code = RunTimeSource(Spec("server 127.0.0.1 protocol ntp samples 2 port " + std::to_string(port)),
                                settings_, &results);
  EXPECT_TRUE(code == uint32_t(WSAECONNRESET) || code == uint32_t(WSAETIMEDOUT)) << code;
  EXPECT_TRUE(results.empty());
}

TEST_F(NtpSamplerRunTest, StopEventEndsTheRunBetweenSamples) {
  ASSERT_TRUE(StopEvent());
  SetEvent(StopEvent());
  SampleSet results;
  EXPECT_EQ(RunTimeSource(Spec(Server() + "samples 3 delay 16"), settings_, &results), 1115u);
  ASSERT_EQ(results.size(), 1u) << "the first exchange goes before any pause";
  ExpectGoodSample(results[0]);
}

TEST_F(NtpSamplerRunTest, SettingsComeFromTheRegistry) {
  // The NTP source port is bound: one that another socket holds fails the run.
  SetDwordValue(kParameters, "UDP Recv Timeout (milliseconds)", 2000);
  SampleSet results;
  ASSERT_EQ(RunTimeSource(Spec(Server()), &results), 0u);
  ASSERT_EQ(results.size(), 1u);
  ExpectGoodSample(results[0]);
  CHeldPort held;
  SetDwordValue(kParameters, "Send Port NTP", held.Port());
  results.clear();
  EXPECT_EQ(RunTimeSource(Spec(Server()), &results), uint32_t(WSAEADDRINUSE));
  EXPECT_TRUE(results.empty());
}

TEST_F(NtpSamplerRunTest, ServerClockAheadAndBehind) {
  // chronyd serves our own clock; a scripted peer shows the sign and size of delta.
  for (int64_t offset : {10 * kOneSecond, -100 * kOneSecond}) {
    CScriptedPeer peer([offset](int, const uint8_t* request, int) { return CScriptedPeer::Reply(request, offset); });
    SampleSet results;
    ASSERT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp port " + std::to_string(peer.Port())), settings_,
                            &results),
              0u);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_LE(results[0].delta, offset) << offset;
    EXPECT_GT(results[0].delta, offset - kOneSecond / 2) << offset;
    EXPECT_GE(results[0].latency, 0);
    EXPECT_EQ(results[0].stratum, 2);
  }
}

TEST_F(NtpSamplerRunTest, RepliesChronydNeverSends) {
  const struct {
    const char* name;
    std::function<void(std::vector<uint8_t>*)> change;
    uint32_t code;
  } cases[] = {
      {"120 bytes: too long for the reply buffer", [](std::vector<uint8_t>* r) { r->resize(120); },
       uint32_t(WSAEMSGSIZE)},
      {"stale: another request's originate", [](std::vector<uint8_t>* r) { (*r)[31] ^= 1; }, 13},
      {"kiss RATE", [](std::vector<uint8_t>* r) {
         (*r)[1] = 0;
         std::memcpy(r->data() + 12, "RATE", 4);
       }, 5},
      {"kiss INIT", [](std::vector<uint8_t>* r) {
         (*r)[1] = 0;
         std::memcpy(r->data() + 12, "INIT", 4);
       }, 1901},
      {"our own request reflected", [](std::vector<uint8_t>* r) { (*r)[0] = 0x1B; }, 1901},
  };
  for (const auto& c : cases) {
    CScriptedPeer peer([&c](int, const uint8_t* request, int) {
      std::vector<uint8_t> reply = CScriptedPeer::Reply(request, 0);
      c.change(&reply);
      return reply;
    });
    SampleSet results;
    EXPECT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp samples 3 port " + std::to_string(peer.Port())),
                            settings_, &results),
              c.code)
        << c.name;
    EXPECT_TRUE(results.empty()) << c.name;
  }
}

// Request numbers are no secret: a host that sees our port can answer first, here with a reply
// that echoes the request and says the clock is 100 s off. Only the server's own port counts.
TEST_F(NtpSamplerRunTest, AReplyFromAnotherPortIsDroppedAndTheServersTaken) {
  auto forged = [](int, const uint8_t* request, int) { return CScriptedPeer::Reply(request, 100 * kOneSecond); };
  auto server = [](int, const uint8_t* request, int) { return CScriptedPeer::Reply(request, 0); };
  CScriptedPeer peer(server, AF_INET, forged);
  SampleSet results;
  ASSERT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp samples 3 delay 16 port " + std::to_string(peer.Port())),
                          settings_, &results),
            0u);
  ASSERT_EQ(results.size(), 3u);
  for (const TimeSample& sample : results) {
    EXPECT_LT(std::llabs(sample.delta), kOneSecond / 2) << "the forged reply's 100 s";
    EXPECT_EQ(sample.address.port, peer.Port());
  }
  CScriptedPeer silent([](int, const uint8_t*, int) { return std::vector<uint8_t>(); }, AF_INET, forged);
  settings_.recvTimeoutMs = 300;
  results.clear();
  EXPECT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp port " + std::to_string(silent.Port())), settings_,
                          &results),
            10060u)
      << "only the intruder answered";
  EXPECT_TRUE(results.empty());
}

TEST_F(NtpSamplerRunTest, ASilentAttemptInTheMiddle) {
  CScriptedPeer peer([](int n, const uint8_t* request, int) {
    return n == 1 ? std::vector<uint8_t>() : CScriptedPeer::Reply(request, 0);
  });
  settings_.recvTimeoutMs = 300;
  SampleSet results;
  EXPECT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp samples 3 delay 16 port " + std::to_string(peer.Port())),
                          settings_, &results),
            0u);
  EXPECT_EQ(results.size(), 2u);
}

// Every attempt leaves one trace line: what was sampled and how, or why it failed.
TEST_F(NtpSamplerRunTest, EachAttemptTracesOneLine) {
  std::vector<std::string> lines;
  settings_.trace = [&](const std::string& line) { lines.push_back(line); };
  CScriptedPeer peer([](int n, const uint8_t* request, int) {
    return n == 1 ? std::vector<uint8_t>() : CScriptedPeer::Reply(request, 0);
  });
  settings_.recvTimeoutMs = 300;
  SampleSet results;
  ASSERT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp samples 3 delay 16 port " + std::to_string(peer.Port())),
                          settings_, &results),
            0u);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Time sample from 127.0.0.1 (127.0.0.1) using NTPv3 (unauthenticated): delta ", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[1], "Could not obtain time sample from 127.0.0.1 (127.0.0.1) using NTP (unauthenticated)");
  EXPECT_EQ(lines[2].rfind("Time sample from 127.0.0.1", 0), 0u);

  lines.clear();
  ASSERT_EQ(RunTimeSource(Spec(Server() + "samples 1 key 2"), settings_, &results), 0u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("using NTPv3 (SHA1 key 2): delta "), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(", leap None, NTPv3 stratum 8, ref 127.127.1.1"), std::string::npos) << lines[0];

  // A keyed attempt that fails (chronyd does not answer a key it lacks) names the digest of the
  // key it was signed with, though the line was parsed without the keyring and knows none.
  lines.clear();
  TimeSourceSpec unchecked;
  ASSERT_TRUE(ParseTimeSource(unchecked, Server() + "samples 1 key 3", true));
  EXPECT_EQ(RunTimeSource(unchecked, settings_, &results), 10060u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Could not obtain time sample from 127.0.0.1 (127.0.0.1) using NTP (MD5 key 3)");
}

TEST_F(NtpSamplerRunTest, Ipv6Server) {
  CScriptedPeer peer([](int, const uint8_t* request, int) { return CScriptedPeer::Reply(request, 0); }, AF_INET6);
  SampleSet results;
  ASSERT_EQ(RunTimeSource(Spec("server [::1]:" + std::to_string(peer.Port()) + " protocol ntp"), settings_, &results),
            0u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].server, "::1");
  EXPECT_EQ(FormatIpAddress(results[0].address), "::1");
  EXPECT_EQ(results[0].address.port, peer.Port());
}

TEST_F(NtpSamplerRunTest, WindowsAuthentication) {
  // A domain time server: it answers a request carrying our machine RID with the digest the
  // domain controller makes from the machine password (the fake Netlogon's "current").
  std::atomic<uint32_t> ridSeen{0};
  CScriptedPeer peer([&ridSeen](int, const uint8_t* request, int length) {
    if (length != 68) return std::vector<uint8_t>();
    ridSeen = uint32_t(request[48]) | request[49] << 8 | request[50] << 16 | uint32_t(request[51]) << 24;
    std::vector<uint8_t> reply = CScriptedPeer::Reply(request, 0);
    reply.resize(68);
    std::memcpy(reply.data() + 48, request + 48, 4);
    CFakeNetlogon::Digest("current", reply.data(), 48, reply.data() + 52);
    return reply;
  });
  SampleSet results;
  ASSERT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp key windows port " + std::to_string(peer.Port())),
                          settings_, &results),
            0u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(ridSeen.load(), netlogon_.rid);
  EXPECT_EQ(results[0].requestAuth, 3);
  EXPECT_EQ(results[0].replyAuth, 3);
  EXPECT_EQ(results[0].role, netlogon_.rid);
  netlogon_.currentPassword = "changed";
  netlogon_.previousPassword = "changed too";
  results.clear();
  EXPECT_EQ(RunTimeSource(Spec("server 127.0.0.1 protocol ntp key windows port " + std::to_string(peer.Port())),
                          settings_, &results),
            kDigestMismatch);
  EXPECT_TRUE(results.empty());
}

TEST_F(NtpSamplerRunTest, ProtocolsWithoutASampler) {
  for (const char* protocol : {"time", "daytime", "icmp", "ptp"}) {
    SampleSet results;
    EXPECT_EQ(RunTimeSource(Spec(std::string("server 127.0.0.1 protocol ") + protocol), settings_, &results),
              kNoSamplerForProtocol)
        << protocol;
    EXPECT_TRUE(results.empty());
  }
}

}  // namespace
