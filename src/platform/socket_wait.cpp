#include "platform/socket_wait.h"

#include <windows.h>

namespace {

// select on one socket for reading or writing; a failing select counts as ready, so that the
// call that follows reports the socket's own error.
bool WaitFor(SOCKET socket, uint32_t ms, bool write) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait = {long(ms / 1000), long(ms % 1000 * 1000)};
  return select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, ms == INFINITE ? nullptr : &wait) != 0;
}

}  // namespace

bool WaitReadable(SOCKET socket, uint32_t ms) { return WaitFor(socket, ms, false); }

bool WaitWritable(SOCKET socket, uint32_t ms) { return WaitFor(socket, ms, true); }

CDeadline::CDeadline(uint32_t ms) : end_(GetTickCount64() + ms) {}

uint32_t CDeadline::Left() const {
  uint64_t now = GetTickCount64();
  return now >= end_ ? 0 : uint32_t(end_ - now);
}
