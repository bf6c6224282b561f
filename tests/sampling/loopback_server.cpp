// The loopback UDP and TCP servers a socket test starts in its own process.
#include "loopback_server.h"

#include <string>

CLoopbackServer::CLoopbackServer(Kind kind, const char* address, Behaviour behaviour) {
  if (!Listen(address, kind == kTcp ? SOCK_STREAM : SOCK_DGRAM)) return;
  if (kind == kTcp)
    thread_ = std::thread([this, behaviour] { ServeTcp(behaviour); });
  else
    thread_ = std::thread([this, kind] { ServeUdp(kind); });
}

CLoopbackServer::~CLoopbackServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  if (intruder_ != INVALID_SOCKET) closesocket(intruder_);
}

bool CLoopbackServer::Listen(const char* address, int type) {
  addrinfo hints = {}, *found = nullptr;
  hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
  hints.ai_socktype = type;
  if (getaddrinfo(address, "0", &hints, &found) != 0) return false;
  SOCKET s = socket(found->ai_family, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP);
  bool ok = s != INVALID_SOCKET && bind(s, found->ai_addr, int(found->ai_addrlen)) == 0 &&
            (type != SOCK_STREAM || listen(s, 8) == 0);
  freeaddrinfo(found);
  sockaddr_storage bound = {};
  int length = sizeof bound;
  if (ok && getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
    port_ = ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);  // same offset in both families
    socket_ = s;
    return true;
  }
  if (s != INVALID_SOCKET) closesocket(s);
  return false;
}

// Waits up to 20 ms for the socket; false when the test is over.
bool CLoopbackServer::WaitReadable() {
  while (!stopping_) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_, &set);
    timeval wait = {0, 20000};
    if (select(0, &set, nullptr, nullptr, &wait) > 0) return true;
  }
  return false;
}

void CLoopbackServer::ServeUdp(Kind kind) {
  char buffer[2048];
  sockaddr_storage own = {};
  int ownLength = sizeof own;
  if (kind == kUdpEchoAfterIntruder && getsockname(socket_, reinterpret_cast<sockaddr*>(&own), &ownLength) == 0) {
    reinterpret_cast<sockaddr_in*>(&own)->sin_port = 0;  // same offset in both families
    intruder_ = socket(own.ss_family, SOCK_DGRAM, IPPROTO_UDP);
    bind(intruder_, reinterpret_cast<sockaddr*>(&own), ownLength);
  }
  while (WaitReadable()) {
    sockaddr_storage from;
    int length = sizeof from;
    int n = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0 || kind == kUdpSilent) continue;
    if (kind == kUdpEchoAfterIntruder) {
      const std::string tooLong(200, 'j');
      sendto(intruder_, "forged", 6, 0, reinterpret_cast<sockaddr*>(&from), length);
      sendto(intruder_, tooLong.data(), int(tooLong.size()), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
    sendto(socket_, buffer, n, 0, reinterpret_cast<sockaddr*>(&from), length);
  }
}

void CLoopbackServer::ServeTcp(const Behaviour& behaviour) {
  while (WaitReadable()) {
    SOCKET connection = accept(socket_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) continue;
    behaviour(connection, stopping_);
    closesocket(connection);
  }
}

void SendAll(SOCKET connection, const char* data, int length) {
  for (int sent = 0; sent < length;) {
    int n = send(connection, data + sent, length - sent, 0);
    if (n <= 0) return;
    sent += n;
  }
}

void ReadRequest(SOCKET connection) {
  char buffer[512];
  recv(connection, buffer, sizeof buffer, 0);
}

void HoldOpen(const std::atomic<bool>& stopping) {
  while (!stopping) Sleep(5);
}
