// Waits on one socket with a time limit, for network code whose waits must not depend on the
// socket's own time-out options: those bound one call, not a whole exchange, and Wine ignores
// SO_RCVTIMEO on a socket made without overlapped I/O.
#pragma once
#include <winsock2.h>

#include <cstdint>

// Waits up to ms (INFINITE: without end) until the socket has data, a close or an error to
// collect; false when the time ran out first.
bool WaitReadable(SOCKET socket, uint32_t ms);
// Waits up to ms until the socket has room to send (or an error to collect); false when the
// time ran out first.
bool WaitWritable(SOCKET socket, uint32_t ms);
// Waits up to ms until a connection begun on the non-blocking socket is made or has failed;
// false when the time ran out first.
bool WaitConnected(SOCKET socket, uint32_t ms);

// Switches the socket between blocking and non-blocking calls; false when it cannot.
bool SetNonBlocking(SOCKET socket, bool on);
// How a connection begun without blocking ended, once WaitConnected said it has: 0, or its error.
uint32_t ConnectionError(SOCKET socket);

// A point in time some milliseconds from now, on the system's tick count.
class CDeadline {
 public:
  // The deadline ms from now.
  explicit CDeadline(uint32_t ms);
  // Milliseconds left; 0 once it has passed.
  uint32_t Left() const;

 private:
  uint64_t end_;
};
