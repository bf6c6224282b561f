// The system clock every timestamp comes from: UTC in 100 ns units since 1601 as precisely as
// the platform allows, the high-resolution counter's figures, and the time published by the
// local time service through its shared counters block.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/start_options.h"
#include "sampling/clock_math.h"

// What the clock may use; tests narrow it.
struct ClockOptions {
  bool usePreciseTime = true;  // false: act as if "GetSystemTimePreciseAsFileTime" were missing
  std::string countersName = "Global\\orvane-provider-counters";
};

class CSystemClock {
 public:
  explicit CSystemClock(const ClockOptions& options = ClockOptions());
  virtual ~CSystemClock();
  CSystemClock(const CSystemClock&) = delete;
  CSystemClock& operator=(const CSystemClock&) = delete;

  // Current UTC: the precise platform time, else the shared block, else the coarse time.
  uint64_t Now();
  // Time adjustment, counter frequency, calibration and the shared block; 0 or a code.
  uint32_t Prepare();
  // Closes the shared block.
  void Close();

  // Whether the high-resolution counter can be used.
  bool CounterUsable() const { return counterUsable_; }
  // Counter ticks per second (1000 when the counter is unusable).
  uint64_t CounterFrequency() const { return frequency_; }
  // Ticks one counter read costs (at least 1).
  uint64_t CounterOverhead() const { return overhead_; }
  // The counter now.
  int64_t ReadCounter() const;
  // NTP precision exponent of the counter.
  int Precision() const { return precision_.exponent; }
  // Figures of the coarse clock, overrides applied.
  const ClockFigures& Figures() const { return figures_; }
  // The coarse clock's step in 100 ns.
  uint64_t CoarseTick() const { return coarseTick_; }
  // Whether the processor's time-stamp counter runs with the high-resolution counter.
  bool TscTracksCounter() const { return tscTracksCounter_; }
  // Whether the time service's block is open and valid.
  bool SharedBlockValid() const;
  // Records the boot options that bear on the platform clock.
  void SetBootOptions(const StartOptions& options) { bootOptions_ = options; }
  // One line on the clock's state, boot options included.
  std::string Describe() const;

 private:
  void QueryAdjustment();
  void Calibrate();
  void MeasureTscTracking();
  void MeasureOverhead();
  void MeasureCoarseTick();
  uint32_t OpenSharedBlock();
  bool ReadSharedTime(uint64_t* time);

  typedef void(WINAPI* PreciseTimeFn)(FILETIME*);
  typedef BOOL(WINAPI* AdjustmentPreciseFn)(PDWORD64, PDWORD64, PBOOL);
  PreciseTimeFn preciseTime_ = nullptr;
  AdjustmentPreciseFn adjustmentPrecise_ = nullptr;
  bool adjustmentPreciseUsable_ = false;
  std::string countersName_;
  uint64_t frequency_ = 1000;
  bool counterUsable_ = false;
  uint64_t overhead_ = 2;
  uint64_t timeIncrement_ = 0;
  uint64_t timeAdjustment_ = 0;
  bool adjustmentDisabled_ = false;
  uint64_t coarseTick_ = 0;
  ClockFigures figures_;
  CounterPrecision precision_;
  bool tscChecked_ = false;
  bool invariantTsc_ = false;
  bool tscTracksCounter_ = false;
  HANDLE sharedMapping_ = nullptr;
  const volatile uint8_t* sharedView_ = nullptr;
  StartOptions bootOptions_;
};

// The process-wide clock.
CSystemClock& SystemClock();
// Local date and time of a Unix time as "ddd MMM dd yyyy hh:mm:ss", at most 63 bytes, UTF-8.
std::string FormatUnixTime(uint32_t seconds);
// Seconds since the system started.
uint32_t UptimeSeconds();
