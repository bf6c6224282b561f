// Encoding and decoding the 328-byte summary record and converting the older layout.
#include "monitor/summary_record.h"

#include <cstring>

namespace {

// Little-endian field access at fixed offsets.
class CByteCursor {
 public:
  explicit CByteCursor(uint8_t* bytes) : bytes_(bytes) {}
  template <typename T>
  void Put(size_t offset, T value) {
    for (size_t i = 0; i < sizeof(T); ++i)
      bytes_[offset + i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
  }

 private:
  uint8_t* bytes_;
};

template <typename T>
T Get(const uint8_t* bytes, size_t offset) {
  uint64_t value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<uint64_t>(bytes[offset + i]) << (8 * i);
  return static_cast<T>(value);
}

}  // namespace

SummaryBytes EncodeSummary(const SummaryRecord& r) {
  SummaryBytes bytes{};
  CByteCursor out(bytes.data());
  out.Put(0, r.tag);
  out.Put(4, r.status);
  out.Put(8, r.time);
  out.Put(12, r.limitUnit);
  out.Put(16, r.reserved16);
  out.Put(20, r.referenceTime);
  out.Put(28, r.oldLayoutFlag);
  std::memcpy(&bytes[29], r.reserved29.data(), 3);
  out.Put(32, r.singleTest);
  out.Put(33, r.totalTest);
  out.Put(34, r.slaveTest);
  out.Put(35, r.checkFlags);
  out.Put(36, r.singleLimit);
  out.Put(40, r.totalLimit);
  out.Put(44, r.slaveLimit);
  out.Put(48, r.unansweredMachines);
  for (size_t i = 0; i < 5; ++i) out.Put(52 + 4 * i, r.counts[i]);
  for (size_t i = 0; i < 5; ++i) out.Put(72 + 8 * i, r.averages[i]);
  out.Put(112, r.slowestClock);
  out.Put(120, r.fastestClock);
  for (size_t i = 0; i < 4; ++i) out.Put(128 + 8 * i, r.worst[i]);
  for (size_t i = 0; i < 6; ++i) {
    size_t slot = 160 + 28 * i;
    out.Put(slot, r.addresses[i].family);
    out.Put(slot + 2, r.addresses[i].port);
    out.Put(slot + 4, r.addresses[i].ipv4);
    std::memcpy(&bytes[slot + 8], r.addresses[i].rest.data(), 20);
  }
  return bytes;
}

SummaryRecord DecodeSummary(const uint8_t* b) {
  SummaryRecord r;
  r.tag = Get<uint32_t>(b, 0);
  r.status = Get<uint32_t>(b, 4);
  r.time = Get<uint32_t>(b, 8);
  r.limitUnit = Get<uint32_t>(b, 12);
  r.reserved16 = Get<uint32_t>(b, 16);
  r.referenceTime = Get<int64_t>(b, 20);
  r.oldLayoutFlag = b[28];
  std::memcpy(r.reserved29.data(), b + 29, 3);
  r.singleTest = b[32];
  r.totalTest = b[33];
  r.slaveTest = b[34];
  r.checkFlags = b[35];
  r.singleLimit = Get<uint32_t>(b, 36);
  r.totalLimit = Get<uint32_t>(b, 40);
  r.slaveLimit = Get<uint32_t>(b, 44);
  r.unansweredMachines = Get<uint32_t>(b, 48);
  for (size_t i = 0; i < 5; ++i) r.counts[i] = Get<uint32_t>(b, 52 + 4 * i);
  for (size_t i = 0; i < 5; ++i) r.averages[i] = Get<int64_t>(b, 72 + 8 * i);
  r.slowestClock = Get<int64_t>(b, 112);
  r.fastestClock = Get<int64_t>(b, 120);
  for (size_t i = 0; i < 4; ++i) r.worst[i] = Get<int64_t>(b, 128 + 8 * i);
  for (size_t i = 0; i < 6; ++i) {
    size_t slot = 160 + 28 * i;
    r.addresses[i].family = Get<uint16_t>(b, slot);
    r.addresses[i].port = Get<uint16_t>(b, slot + 2);
    r.addresses[i].ipv4 = Get<uint32_t>(b, slot + 4);
    std::memcpy(r.addresses[i].rest.data(), b + slot + 8, 20);
  }
  return r;
}

SummaryRecord ConvertOldSummary(const uint8_t* old) {
  SummaryRecord r;
  r.tag = kConvertedSummaryTag;
  r.status = Get<uint32_t>(old, 16);
  r.time = Get<uint32_t>(old, 20);
  r.limitUnit = Get<uint32_t>(old, 180);
  r.referenceTime = Get<int64_t>(old, 88);
  r.oldLayoutFlag = old[172] != 0;
  r.singleTest = old[0] != 0;
  r.totalTest = old[1] != 0;
  r.slaveTest = old[2] != 0;
  r.singleLimit = Get<uint32_t>(old, 4);
  r.totalLimit = Get<uint32_t>(old, 8);
  r.slaveLimit = Get<uint32_t>(old, 12);
  for (size_t i = 0; i < 5; ++i) r.counts[i] = Get<uint32_t>(old, 24 + 4 * i);
  for (size_t i = 0; i < 5; ++i) r.averages[i] = Get<int64_t>(old, 48 + 8 * i);
  // The six 64-bit values at 112 (slowest, fastest, four worst variances) come in one run.
  r.slowestClock = Get<int64_t>(old, 96);
  r.fastestClock = Get<int64_t>(old, 104);
  for (size_t i = 0; i < 4; ++i) r.worst[i] = Get<int64_t>(old, 112 + 8 * i);
  for (size_t i = 0; i < 6; ++i) {
    r.addresses[i].family = 2;
    r.addresses[i].ipv4 = Get<uint32_t>(old, 148 + 4 * i);
  }
  return r;
}

SummaryRecord SummaryFromValue(const std::string& value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(value.data());
  if (value.size() == kSummarySize) return DecodeSummary(bytes);
  if (value.size() == kOldSummarySize) return ConvertOldSummary(bytes);
  return SummaryRecord{};
}
