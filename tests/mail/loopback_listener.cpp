#include "loopback_listener.h"

#include "platform/socket_wait.h"

CLoopbackListener::CLoopbackListener() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(socket_, 1);
  int length = sizeof address;
  getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

CLoopbackListener::~CLoopbackListener() {
  closesocket(socket_);
  WSACleanup();
}

SOCKET CLoopbackListener::AcceptWithin(uint32_t limitMs) {
  return WaitReadable(socket_, limitMs) ? accept(socket_, nullptr, nullptr) : INVALID_SOCKET;
}
