// The tray component's stand-in: one loopback UDP socket that answers one command.
#include "support/tray_stand_in.h"

#include "support/loopback_listener.h"
#include "support/registry_sandbox.h"

CTrayStandIn::CTrayStandIn(std::string answer) : answer_(std::move(answer)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  socket_ = BindLoopback(SOCK_DGRAM, &port_);
  thread_ = std::thread([this] { Serve(); });
}

CTrayStandIn::~CTrayStandIn() {
  closesocket(socket_);
  thread_.join();
  WSACleanup();
}

void CTrayStandIn::Register() const {
  SetDwordValue("Software\\Tallowin\\Orvane System Tray Icon\\Parameters", "ExtensionFlags", port_);
}

void CTrayStandIn::Serve() {
  char buffer[64];
  sockaddr_in from = {};
  int length = sizeof from;
  int got = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
  if (got <= 0) return;
  heard_.assign(buffer, got);
  if (!answer_.empty())
    sendto(socket_, answer_.data(), static_cast<int>(answer_.size()), 0, reinterpret_cast<sockaddr*>(&from), length);
}
