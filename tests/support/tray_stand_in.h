// A stand-in for the tray component: one UDP socket on loopback that answers one command
// datagram with a fixed answer (none when empty), on a thread of its own.
#pragma once
#include <winsock2.h>

#include <cstdint>
#include <string>
#include <thread>

class CTrayStandIn {
 public:
  // Listens on a free loopback port; answers the first datagram with answer.
  explicit CTrayStandIn(std::string answer);
  // Closes the socket and waits for the thread.
  ~CTrayStandIn();
  CTrayStandIn(const CTrayStandIn&) = delete;
  CTrayStandIn& operator=(const CTrayStandIn&) = delete;

  // The port it listens on.
  uint16_t Port() const { return port_; }
  // The datagram it heard (after it answered).
  const std::string& Heard() const { return heard_; }
  // Points the applet's tray channel at this stand-in (the tray's registry port value).
  void Register() const;

 private:
  void Serve();

  std::string answer_;
  std::string heard_;
  SOCKET socket_;
  uint16_t port_ = 0;
  std::thread thread_;
};
