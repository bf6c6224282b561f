// Loopback servers a socket test starts in its own process: a UDP echo (or a silent UDP
// port, or an echo that another port of the same host answers first) and a TCP server that
// runs one behaviour per accepted connection.
#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class CLoopbackServer {
 public:
  // What a TCP server does with one accepted connection; stopping says the test is over.
  typedef std::function<void(SOCKET connection, const std::atomic<bool>& stopping)> Behaviour;
  // kUdpEchoAfterIntruder: before each echo a second socket of the server's host sends the
  // client "forged" and then 200 bytes, from a port of its own.
  enum Kind { kUdpEcho, kUdpSilent, kUdpEchoAfterIntruder, kTcp };

  // A server on address ("127.0.0.1" or "::1") and a free port.
  CLoopbackServer(Kind kind, const char* address, Behaviour behaviour = nullptr);
  // Stops the thread and closes the socket.
  ~CLoopbackServer();
  CLoopbackServer(const CLoopbackServer&) = delete;
  CLoopbackServer& operator=(const CLoopbackServer&) = delete;

  // Whether the server is up, and its port.
  bool Ok() const { return socket_ != INVALID_SOCKET; }
  uint16_t Port() const { return port_; }

 private:
  bool Listen(const char* address, int type);
  bool WaitReadable();
  void ServeUdp(Kind kind);
  void ServeTcp(const Behaviour& behaviour);

  SOCKET socket_ = INVALID_SOCKET;
  SOCKET intruder_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// Sends all of text on a connection.
void SendAll(SOCKET connection, const char* data, int length);
// Reads whatever the client sent first (its request).
void ReadRequest(SOCKET connection);
// Waits until the test stops the server.
void HoldOpen(const std::atomic<bool>& stopping);
