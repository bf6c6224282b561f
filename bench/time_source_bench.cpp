// Samples time sources the way the test dialog does and prints every sample: the label given
// with the source, then delta, latency and the receive correction in microseconds. A source
// written "plain <port> <count>" is instead an NTP server on 127.0.0.1 asked count times in the
// plainest way: one sendto and one blocking recvfrom, T1 and T4 read right before and after the
// two calls, the yardstick the samplers' corrections must beat. bench/time_sources.sh runs it
// under Wine beside chronyd's own client and compares the medians.
//   time_source_bench.exe <label>=<time-source line> ... <label>=plain <port> <count> ...
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "sampling/critical_timing.h"
#include "sampling/network.h"
#include "sampling/ntp_time.h"
#include "sampling/system_clock.h"
#include "sampling/time_sampler.h"

namespace {

void Print(const std::string& label, int64_t delta, int64_t latency, uint64_t correction) {
  std::printf("%s %.1f %.1f %.1f\n", label.c_str(), delta / 10.0, latency / 10.0, correction / 10.0);
}

// One plain exchange on a fresh socket, as the samplers open one per sample; false when it failed.
bool PlainExchange(const std::string& label, uint16_t port) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in server = {};
  server.sin_family = AF_INET;
  server.sin_port = htons(port);
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sockaddr_in any = {};
  any.sin_family = AF_INET;
  DWORD timeout = 1000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any);
  uint8_t request[48] = {0x1B}, reply[72] = {};
  CSystemClock& clock = SystemClock();
  int received;
  uint64_t t1, t4;
  {
    CCriticalTimingScope timing;  // as a sampler's exchange runs
    t1 = clock.Now();
    StoreNtpTimestamp(FileTimeToNtp(t1), request + 40);
    sendto(s, reinterpret_cast<char*>(request), sizeof request, 0, reinterpret_cast<sockaddr*>(&server), sizeof server);
    received = recvfrom(s, reinterpret_cast<char*>(reply), sizeof reply, 0, nullptr, nullptr);
    t4 = clock.Now();
  }
  closesocket(s);
  if (received < 48) return false;
  DeltaLatency result = ComputeDeltaLatency(FileTimeToNtp(t1), LoadNtpTimestamp(reply + 32),
                                            LoadNtpTimestamp(reply + 40), FileTimeToNtp(t4));
  Print(label, result.delta, result.latency, 0);
  return true;
}

// "plain <port> <count>": count plain exchanges 16 ms apart; 0 or 1 when any failed.
int RunPlain(const std::string& label, const std::string& words) {
  std::istringstream in(words);
  std::string plain;
  int port = 0, count = 0;
  in >> plain >> port >> count;
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0) Sleep(16);
    failed += !PlainExchange(label, uint16_t(port));
  }
  if (failed) std::fprintf(stderr, "%s: %d of %d exchanges failed\n", label.c_str(), failed, count);
  return failed != 0;
}

}  // namespace

int main(int argc, char** argv) {
  SystemClock().Prepare();
  CriticalTiming().Prepare();
  if (NetStartup() != 0) return 2;
  SamplerSettings settings;
  settings.recvTimeoutMs = 1000;
  settings.sendTimeoutMs = 500;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    size_t equals = argument.find('=');
    std::string label = argument.substr(0, equals);
    std::string line = equals == std::string::npos ? "" : argument.substr(equals + 1);
    if (line.compare(0, 6, "plain ") == 0) {
      status |= RunPlain(label, line);
      continue;
    }
    TimeSourceSpec spec;
    if (equals == std::string::npos || !ParseTimeSource(spec, line, true)) {
      std::fprintf(stderr, "not a time source: %s %s\n", argv[i], spec.errorText.c_str());
      return 2;
    }
    SampleSet results;
    uint32_t code = RunTimeSource(spec, settings, &results);
    if (code != 0) std::fprintf(stderr, "%s: code %u\n", label.c_str(), code);
    status |= code != 0;
    for (const TimeSample& sample : results) Print(label, sample.delta, sample.latency, sample.receiveCorrection);
  }
  return status;
}
