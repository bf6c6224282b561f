// The cost of reading the clock and of one datagram round trip on loopback, as the samplers
// pay it: Now() with the platform's precise time and through a time service's counters
// block, and ExchangeDatagram against a UDP echo running in this process.
// Prints the median over many runs, in nanoseconds per call.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sampling/client_socket.h"
#include "sampling/critical_timing.h"
#include "sampling/network.h"
#include "sampling/system_clock.h"

namespace {

int64_t Counter() {
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  return value.QuadPart;
}

// Median nanoseconds per call of body over runs runs of calls calls.
double MedianNsPerCall(int runs, int calls, const std::function<void()>& body) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> perCall;
  for (int run = 0; run < runs; ++run) {
    int64_t start = Counter();
    for (int i = 0; i < calls; ++i) body();
    int64_t ticks = Counter() - start;
    perCall.push_back(double(ticks) * 1e9 / double(frequency.QuadPart) / calls);
  }
  std::sort(perCall.begin(), perCall.end());
  return perCall[perCall.size() / 2];
}

volatile uint64_t g_sink;

// A counters block as the time service publishes it, under a private name.
class CCountersBlock {
 public:
  explicit CCountersBlock(const std::string& name) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(kCountersBlockSize),
                                  name.c_str());
    view_ = mapping_ ? static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
    if (!view_) return;
    uint32_t valid = 1, index = 3;
    int64_t counter = Counter();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t time = (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    memcpy(view_ + kCountersCounterOffset + 8 * index, &counter, 8);
    memcpy(view_ + kCountersTimeOffset + 8 * index, &time, 8);
    memcpy(view_ + kCountersIndexOffset, &index, 4);
    memcpy(view_ + kCountersValidOffset, &valid, 4);
  }
  ~CCountersBlock() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
  }
  bool Ok() const { return view_ != nullptr; }

 private:
  HANDLE mapping_ = nullptr;
  uint8_t* view_ = nullptr;
};

// A UDP echo on 127.0.0.1 in a thread of its own; ends when its socket is closed.
class CUdpEcho {
 public:
  CUdpEcho() {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port_ = ntohs(address.sin_port);
    DWORD timeout = 200;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    thread_ = std::thread([this] {
      char buffer[512];
      while (!stop_) {
        sockaddr_in from;
        int fromLength = sizeof from;
        int n = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n > 0) sendto(socket_, buffer, n, 0, reinterpret_cast<sockaddr*>(&from), fromLength);
      }
    });
  }
  ~CUdpEcho() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    closesocket(socket_);
  }
  uint16_t Port() const { return port_; }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 31;
  CSystemClock& clock = SystemClock();
  clock.Prepare();
  std::printf("counter %llu Hz, read overhead %llu ticks, precision %d\n",
              (unsigned long long)clock.CounterFrequency(), (unsigned long long)clock.CounterOverhead(),
              clock.Precision());

  double precise = MedianNsPerCall(runs, 100000, [&] { g_sink = clock.Now(); });
  std::printf("Now(), precise platform time:      %8.1f ns per call (median of %d runs)\n", precise, runs);

  std::string name = "Local\\ovmon-bench-counters-" + std::to_string(GetCurrentProcessId());
  CCountersBlock block(name);
  ClockOptions options;
  options.usePreciseTime = false;
  options.countersName = name;
  CSystemClock sharedClock(options);
  if (block.Ok() && sharedClock.Prepare() == 0) {
    double shared = MedianNsPerCall(runs, 20000, [&] { g_sink = sharedClock.Now(); });
    std::printf("Now(), time service counters block: %8.1f ns per call (median of %d runs)\n", shared, runs);
    CCriticalTimingScope timing;  // as a sampler calls it, inside its own timing-critical section
    double nested = MedianNsPerCall(runs, 100000, [&] { g_sink = sharedClock.Now(); });
    std::printf("  ... inside a timing-critical section: %8.1f ns per call (median of %d runs)\n", nested, runs);
  }

  if (NetStartup() != 0) return 1;
  CUdpEcho echo;
  CClientSocket client;
  if (echo.Port() == 0 || client.Open("127.0.0.1", echo.Port(), false, AF_INET) != 0 || client.Bind("", 0) != 0 ||
      client.SetRecvTimeout(1000) != 0)
    return 1;
  char request[48] = {0x23}, reply[64];
  ExchangeResult result;
  int failures = 0;
  double exchange = MedianNsPerCall(runs, 500, [&] {
    if (client.ExchangeDatagram(request, sizeof request, reply, sizeof reply, &result) != 0) ++failures;
  });
  std::printf("ExchangeDatagram, 48 bytes to a loopback UDP echo: %8.1f ns per round trip (median of %d runs, "
              "%d failed)\n",
              exchange, runs, failures);
  client.Close();
  NetCleanup();
  return failures == 0 ? 0 : 1;
}
