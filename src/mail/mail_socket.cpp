// The SMTP session's socket: connecting, and sending and receiving with time limits.
#include "mail/mail_socket.h"

#include <algorithm>
#include <climits>

namespace {

const size_t kLargestCall = INT_MAX;

uint32_t LastSocketError() { return static_cast<uint32_t>(WSAGetLastError()); }

}  // namespace

void CMailSocket::StartSession() {
  session_ = CDeadline(limits_.sessionMs);
  sessionStarted_ = true;
}

bool CMailSocket::SessionOver() const { return sessionStarted_ && session_.Left() == 0; }

uint32_t CMailSocket::WaitLimit(uint32_t ms) const { return sessionStarted_ ? std::min(ms, session_.Left()) : ms; }

uint32_t CMailSocket::Create(int family) {
  Close();
  // Made for overlapped I/O, as socket() makes them: Wine honours a receive time-out only on
  // such a socket (Windows on every socket).
  socket_ = WSASocketA(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  return IsOpen() ? 0 : LastSocketError();
}

// The connection is made non-blocking and waited for within the session's time: a host that
// never answers the connection request holds the session no longer than its limit.
uint32_t CMailSocket::Connect(const sockaddr* address, int length) {
  if (!SetNonBlocking(socket_, true)) return LastSocketError();
  uint32_t result = connect(socket_, address, length) == 0 ? 0 : LastSocketError();
  if (result == WSAEWOULDBLOCK) result = AwaitConnection();
  SetNonBlocking(socket_, false);
  return result;
}

uint32_t CMailSocket::AwaitConnection() {
  if (!WaitConnected(socket_, WaitLimit(limits_.sessionMs))) return WSAETIMEDOUT;
  return ConnectionError(socket_);
}

// Sends leave a non-blocking socket, so that a send never waits longer than its wait for room.
uint32_t CMailSocket::SendAll(const char* data, size_t size) {
  if (!SetNonBlocking(socket_, true)) return LastSocketError();
  uint32_t result = SendSome(data, size);
  SetNonBlocking(socket_, false);
  return result;
}

uint32_t CMailSocket::SendSome(const char* data, size_t size) {
  while (size > 0) {
    CDeadline deadline(WaitLimit(limits_.sendMs));
    int sent;
    while ((sent = send(socket_, data, static_cast<int>(std::min(size, kLargestCall)), 0)) == SOCKET_ERROR) {
      if (WSAGetLastError() != WSAEWOULDBLOCK) return LastSocketError();
      if (deadline.Left() == 0 || !WaitWritable(socket_, deadline.Left())) return WSAETIMEDOUT;
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return 0;
}

// A blocking receive bounded by the socket's receive time-out, set for each call. Waiting in
// the receive itself (not in a select before it) is what lets Wine report a peer's reset as
// 10054: Wine reads a reset that arrives while no receive waits as a close.
uint32_t CMailSocket::Receive(char* data, size_t size, size_t* received) {
  DWORD ms = WaitLimit(limits_.receiveMs);
  if (ms == 0) return WSAETIMEDOUT;  // the session is over; a time-out of 0 would wait without end
  if (setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms) != 0)
    return LastSocketError();
  int got = recv(socket_, data, static_cast<int>(std::min(size, kLargestCall)), 0);
  if (got == SOCKET_ERROR) return LastSocketError();
  *received = static_cast<size_t>(got);
  return 0;
}

void CMailSocket::Close() {
  if (!IsOpen()) return;
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
}
