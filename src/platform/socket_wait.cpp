// Waiting on one socket with a time limit.
#include "platform/socket_wait.h"

#include <windows.h>

namespace {

enum class Await { kRead, kWrite, kConnect };

// select on one socket; a failing select counts as ready, so that the call that follows
// reports the socket's own error. A failed connection shows in the exception set only.
bool WaitFor(SOCKET socket, uint32_t ms, Await what) {
  fd_set set, failed;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  FD_ZERO(&failed);
  FD_SET(socket, &failed);
  timeval wait = {long(ms / 1000), long(ms % 1000 * 1000)};
  return select(0, what == Await::kRead ? &set : nullptr, what == Await::kRead ? nullptr : &set,
                what == Await::kConnect ? &failed : nullptr, ms == INFINITE ? nullptr : &wait) != 0;
}

}  // namespace

bool WaitReadable(SOCKET socket, uint32_t ms) { return WaitFor(socket, ms, Await::kRead); }

bool WaitWritable(SOCKET socket, uint32_t ms) { return WaitFor(socket, ms, Await::kWrite); }

bool WaitConnected(SOCKET socket, uint32_t ms) { return WaitFor(socket, ms, Await::kConnect); }

bool SetNonBlocking(SOCKET socket, bool on) {
  u_long value = on ? 1 : 0;
  return ioctlsocket(socket, FIONBIO, &value) == 0;
}

uint32_t ConnectionError(SOCKET socket) {
  int error = 0;
  int size = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) {
    int failed = WSAGetLastError();
    return failed ? uint32_t(failed) : uint32_t(WSAEINVAL);
  }
  return uint32_t(error);
}

CDeadline::CDeadline(uint32_t ms) : end_(GetTickCount64() + ms) {}

uint32_t CDeadline::Left() const {
  uint64_t now = GetTickCount64();
  return now >= end_ ? 0 : uint32_t(end_ - now);
}
