// Sockets on 127.0.0.1 at a free port, for the test peers that run inside a test.
#pragma once
#include <winsock2.h>

#include <cstdint>

// A socket of type (SOCK_STREAM or SOCK_DGRAM) bound to a free port on 127.0.0.1, which
// *port receives. The socket library must be started.
SOCKET BindLoopback(int type, uint16_t* port);

class CLoopbackListener {
 public:
  // Starts the socket library and listens.
  CLoopbackListener();
  // Closes the listener and releases the socket library.
  ~CLoopbackListener();
  CLoopbackListener(const CLoopbackListener&) = delete;
  CLoopbackListener& operator=(const CLoopbackListener&) = delete;

  uint16_t Port() const { return port_; }
  // The first client that connects within limitMs; INVALID_SOCKET when none came.
  SOCKET AcceptWithin(uint32_t limitMs);

 private:
  SOCKET socket_ = INVALID_SOCKET;
  uint16_t port_ = 0;
};
