// The summary record's byte layout, its decoding and the older layout's conversion.
#include "monitor/summary_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

template <typename T>
void Put(uint8_t* bytes, size_t offset, T value) {
  std::memcpy(bytes + offset, &value, sizeof value);  // the tests run on little-endian machines
}

template <typename T>
T Get(const SummaryBytes& bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

TEST(SummaryRecord, EncodeDecodeKeepsEveryByte) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    SummaryBytes bytes;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    EXPECT_EQ(EncodeSummary(DecodeSummary(bytes.data())), bytes);
  }
}

TEST(SummaryRecord, FieldOffsets) {
  SummaryRecord r;
  r.status = 3;
  r.time = 1700000000;
  r.referenceTime = 0x0102030405060708;
  r.counts = {10, 1, 2, 3, 4};
  r.worst[3] = -5;
  r.addresses[5].family = 2;
  r.addresses[5].ipv4 = 0x0100007F;
  SummaryBytes bytes = EncodeSummary(r);
  EXPECT_EQ(Get<uint32_t>(bytes, 4), 3u);
  EXPECT_EQ(Get<uint32_t>(bytes, 8), 1700000000u);
  EXPECT_EQ(Get<int64_t>(bytes, 20), 0x0102030405060708);
  EXPECT_EQ(Get<uint32_t>(bytes, 52), 10u);
  EXPECT_EQ(Get<uint32_t>(bytes, 68), 4u);
  EXPECT_EQ(Get<int64_t>(bytes, 152), -5);
  EXPECT_EQ(Get<uint16_t>(bytes, 160 + 5 * 28), 2);
  EXPECT_EQ(Get<uint32_t>(bytes, 164 + 5 * 28), 0x0100007Fu);
}

TEST(ConvertOldSummary, MapsEveryField) {
  uint8_t old[kOldSummarySize] = {};
  old[0] = 1;  // single test
  old[2] = 7;  // slave test, any nonzero
  Put<uint32_t>(old, 4, 1000);
  Put<uint32_t>(old, 8, 750);
  Put<uint32_t>(old, 12, 500);
  Put<uint32_t>(old, 16, 1);            // status
  Put<uint32_t>(old, 20, 1600000000);   // time
  for (uint32_t i = 0; i < 5; ++i) Put<uint32_t>(old, 24 + 4 * i, 100 + i);
  for (int64_t i = 0; i < 5; ++i) Put<int64_t>(old, 48 + 8 * i, -1000 - i);
  Put<int64_t>(old, 88, 133000000000000000);
  for (int64_t i = 0; i < 6; ++i) Put<int64_t>(old, 96 + 8 * i, 5000 + i);
  for (uint32_t i = 0; i < 6; ++i) Put<uint32_t>(old, 148 + 4 * i, 0x0A000001 + i);
  old[172] = 9;
  Put<uint32_t>(old, 180, 2);  // minutes

  SummaryBytes bytes = EncodeSummary(ConvertOldSummary(old));
  EXPECT_EQ(Get<uint32_t>(bytes, 0), kConvertedSummaryTag);
  EXPECT_EQ(Get<uint32_t>(bytes, 4), 1u);
  EXPECT_EQ(Get<uint32_t>(bytes, 8), 1600000000u);
  EXPECT_EQ(Get<uint32_t>(bytes, 12), 2u);
  EXPECT_EQ(Get<int64_t>(bytes, 20), 133000000000000000);
  EXPECT_EQ(bytes[28], 1);
  EXPECT_EQ(bytes[32], 1);
  EXPECT_EQ(bytes[33], 0);
  EXPECT_EQ(bytes[34], 1);
  EXPECT_EQ(Get<uint32_t>(bytes, 36), 1000u);
  EXPECT_EQ(Get<uint32_t>(bytes, 40), 750u);
  EXPECT_EQ(Get<uint32_t>(bytes, 44), 500u);
  for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(Get<uint32_t>(bytes, 52 + 4 * i), 100 + i);
  for (int64_t i = 0; i < 5; ++i) EXPECT_EQ(Get<int64_t>(bytes, 72 + 8 * i), -1000 - i);
  for (int64_t i = 0; i < 6; ++i) EXPECT_EQ(Get<int64_t>(bytes, 112 + 8 * i), 5000 + i);
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(Get<uint16_t>(bytes, 160 + 28 * i), 2);
    EXPECT_EQ(Get<uint16_t>(bytes, 162 + 28 * i), 0);
    EXPECT_EQ(Get<uint32_t>(bytes, 164 + 28 * i), 0x0A000001 + i);
  }
  // Unused fields stay zero.
  EXPECT_EQ(Get<uint32_t>(bytes, 16), 0u);
  EXPECT_EQ(Get<uint32_t>(bytes, 48), 0u);
  EXPECT_EQ(bytes[35], 0);
}

// "Check Results" and "Check Results (alert)" read the same everywhere: the two layouts give their
// record, any other size no check at all (a zero record), whatever its bytes.
TEST(SummaryFromValue, OnlyTheTwoKnownSizesGiveARecord) {
  SummaryRecord record;
  record.time = 1700000000;
  record.status = 1;
  record.worst[2] = -42;
  SummaryBytes encoded = EncodeSummary(record);
  std::string stored(encoded.begin(), encoded.end());
  std::string old(kOldSummarySize, '\0');
  Put<uint32_t>(reinterpret_cast<uint8_t*>(old.data()), 16, 3);
  Put<uint32_t>(reinterpret_cast<uint8_t*>(old.data()), 20, 1600000000);
  SummaryRecord converted = ConvertOldSummary(reinterpret_cast<const uint8_t*>(old.data()));
  SummaryRecord allOnes = DecodeSummary(reinterpret_cast<const uint8_t*>(std::string(kSummarySize, '\xFF').data()));
  struct Case {
    const char* what;
    std::string value;
    SummaryRecord expected;
    uint32_t time, status, tag;
  } cases[] = {
      {"328 bytes", stored, record, 1700000000, 1, 0},
      {"328 bytes of 0xFF", std::string(kSummarySize, '\xFF'), allOnes, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
      {"432 bytes", old, converted, 1600000000, 3, kConvertedSummaryTag},
      {"empty", "", {}, 0, 0, 0},
      {"one byte", "\x01", {}, 0, 0, 0},
      {"327 bytes", stored.substr(0, 327), {}, 0, 0, 0},
      {"329 bytes", stored + "x", {}, 0, 0, 0},
      {"431 bytes", old.substr(0, 431), {}, 0, 0, 0},
      {"433 bytes", old + "x", {}, 0, 0, 0},
      {"4096 bytes", std::string(4096, '\xFF'), {}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SummaryRecord read = SummaryFromValue(c.value);
    EXPECT_TRUE(read == c.expected) << c.what;
    EXPECT_EQ(read.time, c.time) << c.what;
    EXPECT_EQ(read.status, c.status) << c.what;
    EXPECT_EQ(read.tag, c.tag) << c.what;
  }
}

}  // namespace
