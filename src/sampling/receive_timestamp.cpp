// Reading a reply's arrival time from the socket's control messages.
#include "sampling/receive_timestamp.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "sampling/clock_math.h"

namespace {

const size_t kHeaderSize = 16;
const int32_t kSocketLevel = 0xFFFF;
const int32_t kArrivalTimestamp = 0x300A;

}  // namespace

bool FindArrivalCounter(const uint8_t* control, size_t length, int64_t* arrival) {
  size_t offset = 0;
  while (control && offset <= length && length - offset >= kHeaderSize) {
    uint64_t messageLength = 0;
    int32_t level = 0, type = 0;
    std::memcpy(&messageLength, control + offset, 8);
    std::memcpy(&level, control + offset + 8, 4);
    std::memcpy(&type, control + offset + 12, 4);
    if (messageLength < kHeaderSize || messageLength > length - offset) return false;
    if (level == kSocketLevel && type == kArrivalTimestamp && messageLength - kHeaderSize >= 8) {
      std::memcpy(arrival, control + offset + kHeaderSize, 8);
      return true;
    }
    offset += size_t((messageLength + 7) & ~uint64_t(7));
  }
  return false;
}

uint64_t ArrivalCorrection(int64_t arrival, int64_t now, uint64_t frequency, uint64_t overheadTicks,
                           bool counterUsable) {
  if (!counterUsable || arrival == 0 || arrival > now) return 0;
  return TicksTo100ns(overheadTicks, frequency) + TicksTo100ns(uint64_t(now) - uint64_t(arrival), frequency);
}

void KeepArrivalAfterSend(uint64_t sendTime, uint64_t* receiveTime, uint64_t* correction) {
  if (*receiveTime >= sendTime) return;
  uint64_t back = std::min(sendTime - *receiveTime, *correction);
  *receiveTime += back;
  *correction -= back;
}

uint64_t DepartureTime(uint64_t callStart, uint64_t callDuration, double share) {
  return callStart + uint64_t(double(callDuration) * share);
}

uint64_t BracketedArrival(uint64_t foundAt, uint64_t emptyAt) {
  return emptyAt == 0 || emptyAt >= foundAt ? foundAt : emptyAt + (foundAt - emptyAt) / 2;
}

uint64_t WaitingReplyArrival(uint64_t departure, uint64_t hold, uint64_t foundAt) {
  uint64_t earliest = departure + hold;
  return earliest >= foundAt ? foundAt : BracketedArrival(foundAt, earliest);
}

bool SameEndpoint(const IpLiteral& source, const IpLiteral& remote) {
  size_t length = remote.family == 4 ? 4 : 16;
  return remote.family != 0 && source.family == remote.family && source.port == remote.port &&
         std::memcmp(source.bytes, remote.bytes, length) == 0;
}
