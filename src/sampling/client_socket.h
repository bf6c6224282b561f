// The client socket of the samplers: open by name with the IPv6 retry, bind, connect,
// timeouts, one datagram or stream exchange with its send and receive times, and the
// command channel to the local companion program built on it.
#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket_wait.h"

// One address the resolver gave.
struct ResolvedAddress {
  sockaddr_storage address = {};
  int length = 0;
};

// Resolves host and port text for a family (AF_UNSPEC for any) and transport; 0 or a code.
typedef uint32_t (*AddressResolver)(const std::string& host, const std::string& port, int family, bool stream,
                                    std::vector<ResolvedAddress>* results);
// Makes Open use resolver (nullptr: the system's getaddrinfo).
void SetAddressResolver(AddressResolver resolver);

// The times of one exchange, in 100 ns since 1601.
struct ExchangeResult {
  uint32_t length = 0;      // reply bytes received
  uint64_t sendTime = 0;    // the local time just before the request's send call
  uint64_t sendCall = 0;    // how long that call took, a counter read included (0 without the counter)
  uint64_t receiveTime = 0; // T4, when the reply arrived as well as the receive tells
  uint64_t correction = 0;  // how long the reply waited before it was read; 0 when unknown
  bool waiting = false;     // the first read after the send found the reply: it may have waited
};

// T1 and T4 of an exchange, and how long its reply waited before it was read.
struct ExchangeMoments {
  uint64_t sent = 0;
  uint64_t received = 0;
  uint64_t correction = 0;
};

// The moments of an exchange: T1 the send call's start plus the share of the call that passes
// before the datagram leaves, as measured for this platform where it was (MeasuredSendShare),
// else share (the sampler's own rule); T4 as the receive found it, a reply that was already
// waiting at the first read moved to the middle of the time it can have waited, given that the
// server held the request for hold (100 ns; 0 when the server does not say).
ExchangeMoments Moments(const ExchangeResult& result, double share, uint64_t hold);

// Receives one datagram on a non-blocking socket within timeoutMs: bytes or SOCKET_ERROR (10060
// when nothing came), its source address (length 16 or 28), and in times T4, the correction
// taken off it and whether the first read found it. With the stack's receive timestamps T4 is
// the arrival they give; without them the receive polls while a reply is due, and T4 is the
// arrival its reads bracket.
int ReceiveWithTimestamp(SOCKET socket, char* buffer, int capacity, uint32_t timeoutMs, sockaddr_storage* source,
                         int* sourceLength, ExchangeResult* times);

class CClientSocket {
 public:
  CClientSocket() = default;
  // Closes the socket.
  virtual ~CClientSocket();
  CClientSocket(const CClientSocket&) = delete;
  CClientSocket& operator=(const CClientSocket&) = delete;

  // Resolves host and opens a socket to it (family AF_INET, AF_INET6 or AF_UNSPEC); 0 or a code.
  uint32_t Open(const std::string& host, uint16_t port, bool stream, int family);
  // Binds to a local address text (empty: any) and port (0: any); reads the bound port back.
  uint32_t Bind(const std::string& localAddress, uint16_t localPort);
  // Starts the time the receive timeout grants to the connection and the exchange after it
  // together, and connects a stream socket within it (a datagram socket returns 0): 0, the
  // connection's error, 12002 when the host did not answer in time, or 10004 at once when
  // the stop event is set.
  uint32_t Connect();
  // Send timeout in ms; remembered when set.
  uint32_t SetSendTimeout(uint32_t ms);
  // Receive timeout in ms, which bounds each exchange (with its connection; set after the
  // connection, the exchange alone) whatever the socket option does; remembered when set
  // (never set: 55 ms).
  uint32_t SetRecvTimeout(uint32_t ms);
  // Sends request and receives into reply the first datagram from the address and port it
  // went to (others are dropped) within the receive timeout; its times in result.
  uint32_t ExchangeDatagram(const void* request, uint32_t length, void* reply, uint32_t capacity,
                            ExchangeResult* result);
  // Sends request and reads until the peer closes, reply is full, an error, the stop event, or
  // the receive timeout (which bounds the whole reply) has passed.
  uint32_t ExchangeStream(const void* request, uint32_t length, void* reply, uint32_t capacity,
                          ExchangeResult* result);
  // Closes the socket.
  void Close();
  // Sends stream data to file instead of keeping it (nullptr: keep it in the reply buffer).
  void SetFile(HANDLE file) { file_ = file; }

  // The socket handle, INVALID_SOCKET when closed.
  SOCKET Handle() const { return socket_; }
  // The resolved server address and its length.
  const sockaddr_storage& RemoteAddress() const { return remoteAddress_; }
  int RemoteAddressLength() const { return remoteLength_; }
  // Source of the last datagram received (the remote address of a stream socket).
  const sockaddr_storage& PeerAddress() const { return peerAddress_; }
  uint16_t PeerPort() const { return peerPort_; }
  // The bound address and port.
  const sockaddr_storage& LocalAddress() const { return localAddress_; }
  uint16_t LocalPort() const { return localPort_; }
  uint16_t RemotePort() const { return remotePort_; }
  bool IsIPv6() const { return isIPv6_; }
  bool IsStream() const { return isStream_; }
  uint32_t SendTimeoutMs() const { return sendTimeoutMs_; }
  uint32_t RecvTimeoutMs() const { return recvTimeoutMs_; }
  const std::string& HostName() const { return hostName_; }
  const std::string& PortText() const { return portText_; }

 private:
  void ClearAddresses();
  uint32_t CreateFor(const ResolvedAddress& address);
  uint32_t AwaitConnection(const CDeadline& deadline);
  CDeadline TakeDeadline();
  uint32_t SendRequest(const char* request, uint32_t length, const CDeadline& deadline, ExchangeResult* result);
  uint32_t ReceiveReply(char* reply, uint32_t capacity, const CDeadline& deadline, ExchangeResult* result);
  uint32_t ReceiveStream(char* reply, uint32_t capacity, const CDeadline& deadline, ExchangeResult* result);

  SOCKET socket_ = INVALID_SOCKET;
  HANDLE file_ = nullptr;
  sockaddr_storage localAddress_ = {};
  int localLength_ = 0;
  uint16_t localPort_ = 0;
  sockaddr_storage remoteAddress_ = {};
  int remoteLength_ = 0;
  uint16_t remotePort_ = 0;
  sockaddr_storage peerAddress_ = {};
  int peerLength_ = 0;
  uint16_t peerPort_ = 0;
  bool isIPv6_ = false;
  bool isStream_ = false;
  uint32_t sendTimeoutMs_ = 0;
  uint32_t recvTimeoutMs_ = 0;
  std::optional<CDeadline> deadline_;  // started by Connect for the exchange after it
  std::string hostName_;
  std::string portText_;
};

// A command channel to the local companion program: one socket and the last command sent.
class COV2Command {
 public:
  // The socket the commands go through (open it first).
  CClientSocket& Socket() { return socket_; }
  // Sends text with a 500 ms send timeout and records the send time; 0 or the socket error.
  uint32_t Send(const std::string& text);
  // The last command text and when it left (100 ns since 1601).
  const std::string& Command() const { return command_; }
  uint64_t SendTime() const { return sendTime_; }

 private:
  CClientSocket socket_;
  std::string command_;
  uint64_t sendTime_ = 0;
};
