// The run around a sampler: socket per attempt (a stream connection for HTTP), an HTTP
// redirect followed once into the same result list, with a stand-in HTTP sampler; and stream
// sources whose host never answers the connection request.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/stop_event.h"
#include "sampling/loopback_server.h"
#include "sampling/time_sampler.h"
#include "support/late_listener.h"

namespace {

void HoldConnection(SOCKET, const std::atomic<bool>& stopping) { HoldOpen(stopping); }

// Redirects every first-hand exchange to target; a redirected exchange ends with code
// (a sample when 0) or redirects again when code is 12160.
class CRedirectingSampler : public CTimeSampler {
 public:
  CRedirectingSampler(uint16_t targetPort, uint32_t code) : CTimeSampler(TestSettings()), port_(targetPort), code_(code) {}

  uint32_t SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) override {
    EXPECT_TRUE(socket.IsStream());
    seen.push_back(spec);
    if (!spec.redirected || code_ == kRedirectNeeded) {
      sample->server = "127.0.0.1";
      sample->serial = port_;
      sample->role = 302;
      return sample->errorCode = kRedirectNeeded;
    }
    sample->serial = socket.RemotePort();
    return sample->errorCode = code_;
  }

  std::vector<TimeSourceSpec> seen;

 private:
  static SamplerSettings TestSettings() {
    SamplerSettings settings;
    settings.recvTimeoutMs = 2000;
    return settings;
  }
  uint16_t port_;
  uint32_t code_;
};

class TimeSamplerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(first_.Ok());
    ASSERT_TRUE(target_.Ok());
  }
  TimeSourceSpec Spec(const std::string& extra) {
    TimeSourceSpec spec;
    EXPECT_TRUE(ParseTimeSource(spec, "server 127.0.0.1 protocol http port " + std::to_string(first_.Port()) + extra,
                                true));
    return spec;
  }
  CLoopbackServer first_{CLoopbackServer::kTcp, "127.0.0.1", HoldConnection};
  CLoopbackServer target_{CLoopbackServer::kTcp, "127.0.0.1", HoldConnection};
};

TEST_F(TimeSamplerTest, RedirectFollowedIntoTheSameList) {
  CRedirectingSampler sampler(target_.Port(), 0);
  SampleSet results;
  ASSERT_EQ(sampler.Sample(Spec(" samples 2 delay 16"), &results), 0u);
  ASSERT_EQ(results.size(), 2u) << "each attempt's redirect gives one sample of the target";
  for (const TimeSample& sample : results) {
    EXPECT_EQ(sample.server, "127.0.0.1");
    EXPECT_EQ(sample.serial, target_.Port()) << "the exchange went to the target";
    EXPECT_EQ(sample.address.port, target_.Port());
    EXPECT_EQ(sample.protocol, kProtocolOv2Http);
  }
  ASSERT_EQ(sampler.seen.size(), 4u);
  const TimeSourceSpec& followed = sampler.seen[1];
  EXPECT_TRUE(followed.redirected);
  EXPECT_EQ(followed.port, target_.Port());
  EXPECT_EQ(followed.errorCode, 302u);
  EXPECT_EQ(followed.comment, "127.0.0.1:" + std::to_string(first_.Port()));
}

TEST_F(TimeSamplerTest, RedirectOutcomes) {
  const struct {
    uint32_t targetCode, result;
  } cases[] = {{kRedirectNeeded, kRedirectFailed}, {5, 5}, {1901, 1901}, {10054, kRedirectFailed}};
  for (const auto& c : cases) {
    CRedirectingSampler sampler(target_.Port(), c.targetCode);
    SampleSet results;
    EXPECT_EQ(sampler.Sample(Spec(" samples 2"), &results), c.result) << c.targetCode;
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(sampler.seen.size(), 2u) << "a failed redirect ends the run";
  }
}

// A host that never answers the connection request (its queue of connections is full): each
// stream protocol's run ends at the receive timeout with the code of its own, after one
// attempt, not retried as a lost datagram is.
TEST(BlackHoledSource, ConnectionTimesOutOnce) {
  CLateListener blackHole(INFINITE);
  SamplerSettings settings;
  settings.recvTimeoutMs = 300;
  std::vector<std::string> lines;
  settings.trace = [&](const std::string& line) { lines.push_back(line); };
  for (const char* protocol : {"ov2-tcp", "http"}) {
    TimeSourceSpec spec;
    ASSERT_TRUE(ParseTimeSource(spec, "server 127.0.0.1 port " + std::to_string(blackHole.Port()) + " protocol " +
                                          protocol + " samples 3",
                                true));
    lines.clear();
    SampleSet results;
    EXPECT_EQ(RunTimeSource(spec, settings, &results), kConnectTimedOut) << protocol;
    EXPECT_TRUE(results.empty());
    ASSERT_EQ(lines.size(), 1u) << protocol;
    EXPECT_EQ(lines[0].rfind("Could not obtain time sample from 127.0.0.1 (127.0.0.1) using ", 0), 0u) << lines[0];
  }
}

// The stop event ends the wait for the connection at once, with the run's stop code; only the
// stop can end it in a test's time, the receive timeout being the longest there is.
TEST(BlackHoledSource, StopEndsTheConnectionAtOnce) {
  CLateListener blackHole(INFINITE);
  HANDLE previous = StopEvent(), stop = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  InstallStopEvent(stop);
  SamplerSettings settings;
  settings.recvTimeoutMs = 15000;
  TimeSourceSpec spec;
  ASSERT_TRUE(ParseTimeSource(spec, "server 127.0.0.1 port " + std::to_string(blackHole.Port()) +
                                        " protocol ov2-tcp samples 32",
                              true));
  SampleSet results;
  EXPECT_EQ(RunTimeSource(spec, settings, &results), kRunStopped);
  EXPECT_TRUE(results.empty());
  InstallStopEvent(previous);
  CloseHandle(stop);
}

}  // namespace
