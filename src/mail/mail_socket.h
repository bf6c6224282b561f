// The connected socket of one SMTP session. Every receive and send waits with a time limit,
// and no wait outlasts the session's own limit, on Windows and Wine alike.
#pragma once
#include <winsock2.h>

#include <cstddef>
#include <cstdint>

#include "platform/socket_wait.h"

// How long a session may wait, in milliseconds.
struct MailTimeLimits {
  uint32_t sendMs = 1000;       // the longest one send waits for room
  uint32_t receiveMs = 60000;   // the longest one receive waits for data
  uint32_t sessionMs = 120000;  // the longest a whole session takes
};

class CMailSocket {
 public:
  CMailSocket() = default;
  ~CMailSocket() { Close(); }
  CMailSocket(const CMailSocket&) = delete;
  CMailSocket& operator=(const CMailSocket&) = delete;

  // Sets the limits that the next session and every wait use.
  void SetLimits(const MailTimeLimits& limits) { limits_ = limits; }
  // Starts a session: from now on no wait ends later than its limit from now.
  void StartSession();
  // Whether the session's time has run out.
  bool SessionOver() const;
  // The session's limit in milliseconds.
  uint32_t SessionLimitMs() const { return limits_.sessionMs; }

  // Makes a stream socket of the family (closing any open one); 0 or the socket error.
  uint32_t Create(int family);
  // Connects the socket; 0, the error, or 10060 when the session's time ran out first.
  uint32_t Connect(const sockaddr* address, int length);
  // Sends every byte; 0, the socket error, or 10060 when no room came in time.
  uint32_t SendAll(const char* data, size_t size);
  // Receives up to size bytes; *received 0 means the peer closed. 0, the socket error, or
  // 10060 when nothing came in time.
  uint32_t Receive(char* data, size_t size, size_t* received);
  // Closes the socket.
  void Close();
  // Whether a socket is open.
  bool IsOpen() const { return socket_ != INVALID_SOCKET; }

 private:
  // The wait of one call: its own limit, cut to the time the session has left.
  uint32_t WaitLimit(uint32_t ms) const;
  // Waits for a connection begun without blocking; 0 or its error.
  uint32_t AwaitConnection();
  // SendAll on the socket made non-blocking.
  uint32_t SendSome(const char* data, size_t size);

  SOCKET socket_ = INVALID_SOCKET;
  MailTimeLimits limits_;
  CDeadline session_{0};
  bool sessionStarted_ = false;
};
