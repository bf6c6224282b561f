// Receive timestamps from the network stack: finding the arrival counter among the control
// messages of a receive-message call, and how long the reply waited before it was read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Walks control messages in the Windows 64-bit layout (8-byte length, 4-byte level, 4-byte
// type, data at 16, each aligned to 8) for level 0xFFFF type 0x300A with 8 bytes of data.
bool FindArrivalCounter(const uint8_t* control, size_t length, int64_t* arrival);

// 100 ns to take off a time read at counter now for a reply that arrived at counter arrival:
// the read overhead plus the age; 0 when the arrival is unknown, later than now or the
// counter is unusable.
uint64_t ArrivalCorrection(int64_t arrival, int64_t now, uint64_t frequency, uint64_t overheadTicks,
                           bool counterUsable);

// The median of counter readings' differences (the lower middle of an even count); 0 for none.
uint64_t MedianTicks(std::vector<int64_t> ticks);

// A correction never moves a reply's arrival before its request's send time: takes back as
// much of it as T4 fell below T1.
void KeepArrivalAfterSend(uint64_t sendTime, uint64_t* receiveTime, uint64_t* correction);
