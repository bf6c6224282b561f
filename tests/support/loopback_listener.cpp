// Loopback sockets at free ports for the peers that run inside a test.
#include "support/loopback_listener.h"

#include "platform/socket_wait.h"

SOCKET BindLoopback(int type, uint16_t* port) {
  SOCKET bound = socket(AF_INET, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return bound;
}

CLoopbackListener::CLoopbackListener() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  socket_ = BindLoopback(SOCK_STREAM, &port_);
  listen(socket_, 1);
}

CLoopbackListener::~CLoopbackListener() {
  closesocket(socket_);
  WSACleanup();
}

SOCKET CLoopbackListener::AcceptWithin(uint32_t limitMs) {
  return WaitReadable(socket_, limitMs) ? accept(socket_, nullptr, nullptr) : INVALID_SOCKET;
}
