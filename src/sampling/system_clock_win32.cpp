// CSystemClock: the precise system time, its calibration and its overrides.
#include "sampling/system_clock.h"

#include <cpuid.h>
#include <x86intrin.h>

#include <cstdio>

#include "platform/registry.h"
#include "sampling/critical_timing.h"

namespace {

const uint64_t kUnixEpochIn100ns = 116444736000000000ull;
// The code when the system reports no counter frequency and gives no reason.
const uint32_t kNoFrequencyCode = 607;

uint64_t FileTimeValue(const FILETIME& time) {
  return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t CoarseTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

template <typename Fn>
Fn FindFunction(const char* module, const char* name) {
  HMODULE handle = GetModuleHandleA(module);
  if (!handle) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

// Whether the processor says its time-stamp counter runs at a constant rate.
bool ProcessorHasInvariantTsc() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0x80000000u, &eax, &ebx, &ecx, &edx) || eax < 0x80000007u) return false;
  if (!__get_cpuid(0x80000007u, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 8)) != 0;
}

// "Critical Timing Override Updates Per Second (float)": decimal text or a whole number.
bool ReadUpdatesOverride(double* value) {
  std::string data;
  DWORD type = 0;
  if (!ReadRegistryBinary("", "Critical Timing Override Updates Per Second (float)", &data, &type)) return false;
  if (type == REG_DWORD && data.size() == 4) {
    *value = double(uint32_t(uint8_t(data[0])) | uint32_t(uint8_t(data[1])) << 8 |
                    uint32_t(uint8_t(data[2])) << 16 | uint32_t(uint8_t(data[3])) << 24);
    return true;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  while (!data.empty() && data.back() == '\0') data.pop_back();
  return ParseUpdatesPerSecond(data, value);
}

ClockOverrides ReadClockOverrides() {
  ClockOverrides overrides;
  overrides.hasUpdatesPerSecond = ReadUpdatesOverride(&overrides.updatesPerSecond);
  const char* change = "Critical Timing Override Change Per Update (hectos)";
  const char* minimum = "Critical Timing Override Clock One Minum (ticks)";
  overrides.hasChangePerUpdate = RegistryValueExists("", change);
  if (overrides.hasChangePerUpdate) overrides.changePerUpdate = ReadRegistryDword("", change, 0);
  overrides.hasClockOneMinimum = RegistryValueExists("", minimum);
  if (overrides.hasClockOneMinimum) overrides.clockOneMinimum = ReadRegistryDword("", minimum, 0);
  return overrides;
}

// A code for a failure the system described with code (1064 when it gave none).
uint32_t FailureCode(DWORD code) { return code ? code : ERROR_EXCEPTION_IN_SERVICE; }

}  // namespace

CSystemClock::CSystemClock(const ClockOptions& options) : countersName_(options.countersName) {
  if (options.usePreciseTime)
    preciseTime_ = FindFunction<PreciseTimeFn>("kernel32.dll", "GetSystemTimePreciseAsFileTime");
  adjustmentPrecise_ = FindFunction<AdjustmentPreciseFn>("kernelbase.dll", "GetSystemTimeAdjustmentPrecise");
  adjustmentPreciseUsable_ =
      adjustmentPrecise_ && FindFunction<void*>("kernelbase.dll", "SetSystemTimeAdjustmentPrecise") != nullptr;
}

CSystemClock::~CSystemClock() { Close(); }

uint64_t CSystemClock::Now() {
  if (preciseTime_) {
    FILETIME now;
    preciseTime_(&now);
    return FileTimeValue(now);
  }
  uint64_t time = 0;
  if (sharedView_ && ReadSharedTime(&time)) return time;
  return CoarseTime();
}

bool CSystemClock::ReadSharedTime(uint64_t* time) {
  CCriticalTimingScope timing;
  CountersEntry entry;
  if (!ReadNewestEntry(sharedView_, &entry)) return false;
  int64_t now = ReadCounter();
  *time = InterpolateSharedTime(entry, now,
                                SharedTimeDivisor(timeAdjustment_, timeIncrement_, frequency_, overhead_, true));
  return true;
}

int64_t CSystemClock::ReadCounter() const {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

bool CSystemClock::SharedBlockValid() const {
  CountersEntry entry;
  return sharedView_ && ReadNewestEntry(sharedView_, &entry);
}

uint32_t CSystemClock::Prepare() {
  if (SharedBlockValid()) return 0;
  QueryAdjustment();
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
    DWORD code = GetLastError();
    OutputDebugStringA("Could not query system performance frequency");
    frequency_ = 1000;
    counterUsable_ = false;
    overhead_ = 1;
    precision_ = PrecisionFromFrequency(frequency_);
    return code ? code : kNoFrequencyCode;
  }
  frequency_ = uint64_t(frequency.QuadPart);
  counterUsable_ = true;
  Calibrate();
  return OpenSharedBlock();
}

void CSystemClock::QueryAdjustment() {
  if (adjustmentPreciseUsable_) {
    DWORD64 adjustment = 0, increment = 0;
    BOOL disabled = FALSE;
    if (adjustmentPrecise_(&adjustment, &increment, &disabled)) {
      timeAdjustment_ = adjustment;
      timeIncrement_ = increment;
      adjustmentDisabled_ = disabled != FALSE;
      return;
    }
    adjustmentPreciseUsable_ = false;
  }
  DWORD adjustment = 0, increment = 0;
  BOOL disabled = FALSE;
  if (!GetSystemTimeAdjustment(&adjustment, &increment, &disabled)) {
    OutputDebugStringA("Could not query system time adjustment");
    return;
  }
  timeAdjustment_ = adjustment;
  timeIncrement_ = increment;
  adjustmentDisabled_ = disabled != FALSE;
}

void CSystemClock::Calibrate() {
  CCriticalTimingScope timing;
  if (!tscChecked_) {
    invariantTsc_ = ProcessorHasInvariantTsc();
    if (counterUsable_) MeasureTscTracking();
    tscChecked_ = true;
  }
  MeasureOverhead();
  MeasureCoarseTick();
  figures_ = ApplyClockOverrides(DerivedClockFigures(coarseTick_), ReadClockOverrides());
  precision_ = PrecisionFromFrequency(frequency_);
}

void CSystemClock::MeasureTscTracking() {
  HANDLE thread = GetCurrentThread();
  DWORD_PTR previous = SetThreadAffinityMask(thread, 1);
  double total = 0;
  const int kRounds = 10;
  for (int round = 0; round < kRounds; ++round) {
    int64_t counterBefore = ReadCounter();
    uint64_t tscBefore = __rdtsc();
    Sleep(1);
    int64_t counterAfter = ReadCounter();
    uint64_t tscAfter = __rdtsc();
    double tscDelta = double(tscAfter - tscBefore) / 1024.0;
    double counterDelta = double(counterAfter - counterBefore);
    total += tscDelta > counterDelta ? tscDelta - counterDelta : counterDelta - tscDelta;
  }
  if (previous) SetThreadAffinityMask(thread, previous);
  tscTracksCounter_ = total / kRounds < 10;
}

void CSystemClock::MeasureOverhead() {
  if (!counterUsable_) {
    overhead_ = 1;
    return;
  }
  uint64_t total = 0;
  int counted = 0;
  for (int round = 0; round < 10; ++round) {
    ReadCounter();
    int64_t second = ReadCounter();
    int64_t third = ReadCounter();
    if (third > second) {
      total += uint64_t(third - second);
      ++counted;
    }
  }
  overhead_ = counted ? total / counted : 1;
  if (overhead_ < 1) overhead_ = 1;
}

void CSystemClock::MeasureCoarseTick() {
  uint64_t start = CoarseTime(), first = start;
  while (first == start) first = CoarseTime();
  uint64_t second = first;
  while (second == first) second = CoarseTime();
  coarseTick_ = second > first ? second - first : 1;
}

uint32_t CSystemClock::OpenSharedBlock() {
  Close();
  sharedMapping_ = OpenFileMappingA(FILE_MAP_READ, FALSE, countersName_.c_str());
  if (!sharedMapping_) {
    DWORD code = GetLastError();
    OutputDebugStringA("Could not open high-precision counters backing store");
    return FailureCode(code);
  }
  const void* view = MapViewOfFile(sharedMapping_, FILE_MAP_READ, 0, 0, kCountersBlockSize);
  if (!view) {
    DWORD code = GetLastError();
    OutputDebugStringA("Could not map counters into process memory");
    Close();
    return FailureCode(code);
  }
  sharedView_ = static_cast<const volatile uint8_t*>(view);
  return 0;
}

void CSystemClock::Close() {
  if (sharedView_) UnmapViewOfFile(const_cast<const uint8_t*>(sharedView_));
  sharedView_ = nullptr;
  if (sharedMapping_) CloseHandle(sharedMapping_);
  sharedMapping_ = nullptr;
}

std::string CSystemClock::Describe() const {
  char text[320];
  std::snprintf(text, sizeof text,
                "counter %s at %llu Hz, read overhead %llu ticks, precision %d, clock step %llu x 100 ns, "
                "%.0f updates per second, invariant TSC %s (tracks counter %s), shared counters %s, "
                "DisableDynamicTick %s, UsePlatformClock %s, HypervisorLaunchType %s",
                counterUsable_ ? "usable" : "unusable", (unsigned long long)frequency_,
                (unsigned long long)overhead_, precision_.exponent, (unsigned long long)coarseTick_,
                figures_.updatesPerSecond, invariantTsc_ ? "yes" : "no", tscTracksCounter_ ? "yes" : "no",
                SharedBlockValid() ? "in use" : "absent", bootOptions_.disableDynamicTick ? "on" : "off",
                bootOptions_.usePlatformClock ? "on" : "off", bootOptions_.hypervisorLaunchType ? "on" : "off");
  return text;
}

CSystemClock& SystemClock() {
  static CSystemClock clock;
  return clock;
}

std::string FormatUnixTime(uint32_t seconds) {
  uint64_t value = uint64_t(seconds) * 10000000ull + kUnixEpochIn100ns;
  FILETIME utc = {DWORD(value), DWORD(value >> 32)};
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&utc, &universal)) return std::string();
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) local = universal;
  wchar_t wide[64];
  char date[192] = "";
  if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, &local, L"ddd MMM dd yyyy", wide, 64) > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, date, sizeof date, nullptr, nullptr);
  return ComposeClockText(date, local.wHour, local.wMinute, local.wSecond);
}

uint32_t UptimeSeconds() {
  typedef ULONGLONG(WINAPI * TickCount64Fn)();
  static TickCount64Fn tickCount64 = FindFunction<TickCount64Fn>("kernel32.dll", "GetTickCount64");
  if (tickCount64) return uint32_t(tickCount64() / 1000);
  LARGE_INTEGER counter, frequency;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return GetTickCount() / 1000;
  QueryPerformanceCounter(&counter);
  return uint32_t(counter.QuadPart / frequency.QuadPart);
}
