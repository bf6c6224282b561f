// CClientSocket: one exchange with a time source over UDP, TCP or HTTP, with its time stamps.
#include "sampling/client_socket.h"

#include <atomic>
#include <string>

#include "platform/socket_wait.h"
#include "platform/stop_event.h"
#include "sampling/clock_math.h"
#include "sampling/network.h"
#include "sampling/receive_timestamp.h"
#include "sampling/sampler_rules.h"
#include "sampling/system_clock.h"

namespace {

uint32_t SystemResolver(const std::string& host, const std::string& port, int family, bool stream,
                        std::vector<ResolvedAddress>* results) {
  addrinfo hints = {};
  hints.ai_family = family;
  hints.ai_socktype = stream ? SOCK_STREAM : SOCK_DGRAM;
  hints.ai_protocol = stream ? IPPROTO_TCP : IPPROTO_UDP;
  addrinfo* found = nullptr;
  int code = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
  if (code != 0) return uint32_t(code);
  for (addrinfo* r = found; r; r = r->ai_next) {
    if (r->ai_addrlen > sizeof(sockaddr_storage)) continue;
    ResolvedAddress address;
    memcpy(&address.address, r->ai_addr, r->ai_addrlen);
    address.length = int(r->ai_addrlen);
    results->push_back(address);
  }
  freeaddrinfo(found);
  return 0;
}

std::atomic<AddressResolver> g_resolver{nullptr};

uint32_t Resolve(const std::string& host, const std::string& port, int family, bool stream,
                 std::vector<ResolvedAddress>* results) {
  results->clear();
  AddressResolver resolver = g_resolver;
  return (resolver ? resolver : SystemResolver)(host, port, family, stream, results);
}

// The last socket error, or fallback when the system gives none.
uint32_t SocketError(uint32_t fallback) {
  int code = WSAGetLastError();
  return code ? uint32_t(code) : fallback;
}

// 100 ns for counter ticks spent between two reads plus the cost of a read.
uint64_t SendDuration(CSystemClock& clock, int64_t before, int64_t after) {
  if (!clock.CounterUsable() || after < before) return 0;
  return TicksTo100ns(clock.CounterOverhead() + uint64_t(after - before), clock.CounterFrequency());
}

uint32_t SetTimeout(SOCKET socket, int option, uint32_t ms) {
  if (socket == INVALID_SOCKET) return WSAENOTSOCK;
  DWORD value = ms;
  if (setsockopt(socket, SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value) != 0)
    return SocketError(WSAEINVAL);
  return 0;
}

const int kControlBufferSize = 112;
// How long a receive without the stack's timestamps polls before it waits: replies of near
// servers arrive within it.
const uint32_t kPollWindowMs = 20;
// The receive timeout of a socket whose own was never set (the network settings' default).
const uint32_t kDefaultReceiveTimeoutMs = 55;

uint32_t ReceiveTimeoutOrDefault(uint32_t ms) { return ms ? ms : kDefaultReceiveTimeoutMs; }

// What a receive that looked for a reply found: bytes or SOCKET_ERROR (the socket's error
// set), where its reads bracket the reply's arrival, and when the read that took it returned.
struct FoundReply {
  int received = SOCKET_ERROR;
  uint64_t arrival = 0;
  uint64_t readTime = 0;
  bool first = false;  // the first read found it
};

// Calls read (a receive on the non-blocking socket) while the reply is due, each read's start
// noted, so that the reply's arrival lies between the start of the read that found it and the
// start of the empty one before; after the poll window it waits for the rest of the time and
// takes the start of the read after the wait. 10060 when nothing came in time.
template <typename Read>
FoundReply PollForReply(SOCKET socket, uint32_t timeoutMs, const Read& read) {
  CSystemClock& clock = SystemClock();
  CDeadline deadline(timeoutMs);
  uint32_t window = timeoutMs < kPollWindowMs ? timeoutMs : kPollWindowMs;
  uint64_t empty = 0;
  for (bool polling = true;;) {
    uint64_t begun = clock.Now();
    int received = read();
    if (received != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK)
      return {received, BracketedArrival(begun, polling ? empty : 0), clock.Now(), empty == 0};
    empty = begun;
    uint32_t left = deadline.Left();
    if (left == 0) break;
    if (timeoutMs - left < window) continue;
    polling = false;
    if (!WaitReadable(socket, left)) break;
  }
  WSASetLastError(WSAETIMEDOUT);
  return FoundReply();
}

// The times a receive found into an exchange's result (none when it failed).
void StoreFound(const FoundReply& found, ExchangeResult* times) {
  bool good = found.received != SOCKET_ERROR;
  times->receiveTime = good ? found.arrival : 0;
  times->correction = good ? found.readTime - found.arrival : 0;
  times->waiting = good && found.first;
}

// One datagram within the timeout, on a non-blocking socket without the stack's timestamps.
int ReceiveWithoutTimestamp(SOCKET socket, char* buffer, int capacity, uint32_t timeoutMs, sockaddr_storage* source,
                            int* sourceLength, ExchangeResult* times) {
  int length = *sourceLength;
  FoundReply found = PollForReply(socket, timeoutMs, [&] {
    *sourceLength = length;
    return recvfrom(socket, buffer, capacity, 0, reinterpret_cast<sockaddr*>(source), sourceLength);
  });
  StoreFound(found, times);
  return found.received;
}

// One datagram within the timeout with the stack's arrival counter taken off the time of reading.
int ReceiveWithStackTimestamp(SOCKET socket, char* buffer, int capacity, uint32_t timeoutMs, sockaddr_storage* source,
                              int* sourceLength, ExchangeResult* times) {
  if (!WaitReadable(socket, timeoutMs)) {
    WSASetLastError(WSAETIMEDOUT);
    return SOCKET_ERROR;
  }
  CSystemClock& clock = SystemClock();
  alignas(8) uint8_t control[kControlBufferSize] = {};
  WSABUF data = {ULONG(capacity), buffer};
  WSAMSG message = {};
  message.name = reinterpret_cast<sockaddr*>(source);
  message.namelen = *sourceLength;
  message.lpBuffers = &data;
  message.dwBufferCount = 1;
  message.Control = {ULONG(sizeof control), reinterpret_cast<char*>(control)};
  DWORD bytes = 0;
  int received = ReceiveMessageFunction()(socket, &message, &bytes, nullptr, nullptr) == 0 ? int(bytes) : SOCKET_ERROR;
  int64_t now = clock.ReadCounter();
  times->receiveTime = clock.Now();
  int64_t arrival = 0;
  if (received != SOCKET_ERROR && FindArrivalCounter(control, message.Control.len, &arrival)) {
    times->correction =
        ArrivalCorrection(arrival, now, clock.CounterFrequency(), clock.CounterOverhead(), clock.CounterUsable());
    times->receiveTime -= times->correction;
  }
  return received;
}

// The socket non-blocking for as long as this lives, blocking again after.
class CNonBlocking {
 public:
  explicit CNonBlocking(SOCKET socket) : socket_(socket), on_(SetNonBlocking(socket, true)) {}
  ~CNonBlocking() { SetNonBlocking(socket_, false); }
  CNonBlocking(const CNonBlocking&) = delete;
  CNonBlocking& operator=(const CNonBlocking&) = delete;
  bool On() const { return on_; }

 private:
  SOCKET socket_;
  bool on_;
};

// Connection events of one socket on an event object, the socket non-blocking while they are
// selected; blocking again, with nothing selected, when it goes.
class CConnectionEvents {
 public:
  explicit CConnectionEvents(SOCKET socket) : socket_(socket), event_(WSACreateEvent()) {
    selected_ = event_ != WSA_INVALID_EVENT && WSAEventSelect(socket_, event_, FD_CONNECT) == 0;
  }
  ~CConnectionEvents() {
    if (selected_) WSAEventSelect(socket_, nullptr, 0);
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
    SetNonBlocking(socket_, false);
  }
  CConnectionEvents(const CConnectionEvents&) = delete;
  CConnectionEvents& operator=(const CConnectionEvents&) = delete;

  bool Selected() const { return selected_; }
  // Waits until the connection is made or refused, the stop event is set (a missing one stops
  // nothing here), or the deadline passes: 0, its error, 10004, or 12002. At a stop, an outcome
  // the socket already knows still counts.
  uint32_t Wait(const CDeadline& deadline) {
    HANDLE stop = StopEvent();
    HANDLE handles[2] = {event_, stop};
    for (;;) {
      DWORD woken = WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, deadline.Left());
      if (woken == WAIT_OBJECT_0 + 1) return WaitConnected(socket_, 0) ? ConnectionError(socket_) : WSAEINTR;
      if (woken != WAIT_OBJECT_0) return woken == WAIT_TIMEOUT ? kConnectTimedOut : GetLastError();
      WSANETWORKEVENTS events = {};
      if (WSAEnumNetworkEvents(socket_, event_, &events) != 0) return SocketError(WSAEINVAL);
      if (events.lNetworkEvents & FD_CONNECT) return uint32_t(events.iErrorCode[FD_CONNECT_BIT]);
    }
  }

 private:
  SOCKET socket_;
  WSAEVENT event_;
  bool selected_ = false;
};

}  // namespace

void SetAddressResolver(AddressResolver resolver) { g_resolver = resolver; }

ExchangeMoments Moments(const ExchangeResult& result, double share, uint64_t hold) {
  double measured = MeasuredSendShare();
  ExchangeMoments moments;
  moments.sent = DepartureTime(result.sendTime, result.sendCall, measured > 0 ? measured : share);
  moments.received = result.waiting ? WaitingReplyArrival(moments.sent, hold, result.receiveTime) : result.receiveTime;
  moments.correction = result.correction + (result.receiveTime - moments.received);
  return moments;
}

int ReceiveWithTimestamp(SOCKET socket, char* buffer, int capacity, uint32_t timeoutMs, sockaddr_storage* source,
                         int* sourceLength, ExchangeResult* times) {
  times->receiveTime = times->correction = 0;
  times->waiting = false;
  *source = sockaddr_storage();
  *sourceLength = int(sizeof(sockaddr_storage));
  bool stamped = ReceiveTimestampCapabilities() != 0 && ReceiveMessageFunction();
  int received = (stamped ? ReceiveWithStackTimestamp : ReceiveWithoutTimestamp)(socket, buffer, capacity, timeoutMs,
                                                                                  source, sourceLength, times);
  *sourceLength = source->ss_family == AF_INET ? int(sizeof(sockaddr_in)) : int(sizeof(sockaddr_in6));
  return received;
}

CClientSocket::~CClientSocket() { Close(); }

void CClientSocket::ClearAddresses() {
  localAddress_ = remoteAddress_ = peerAddress_ = sockaddr_storage();
  localLength_ = remoteLength_ = peerLength_ = 0;
  localPort_ = remotePort_ = peerPort_ = 0;
  isIPv6_ = false;
}

uint32_t CClientSocket::Open(const std::string& host, uint16_t port, bool stream, int family) {
  Close();
  ClearAddresses();
  hostName_ = host;
  portText_ = std::to_string(port);
  remotePort_ = port;
  isStream_ = stream;
  int tried = family != AF_UNSPEC ? family : Ipv4Usable() ? AF_INET : Ipv6Usable() ? AF_INET6 : AF_UNSPEC;
  std::vector<ResolvedAddress> results;
  uint32_t code = Resolve(host, portText_, tried, stream, &results);
  if (code != 0 && family == AF_UNSPEC && tried == AF_INET && Ipv6Usable())
    code = Resolve(host, portText_, AF_INET6, stream, &results);
  if (code != 0) return code;
  uint32_t last = WSAHOST_NOT_FOUND;
  for (const ResolvedAddress& address : results) {
    if (family != AF_UNSPEC && address.address.ss_family != family) continue;
    last = CreateFor(address);
    if (last == 0) return 0;
  }
  return last;
}

uint32_t CClientSocket::CreateFor(const ResolvedAddress& address) {
  int family = address.address.ss_family;
  if (family != AF_INET && family != AF_INET6) return WSAEAFNOSUPPORT;
  socket_ = socket(family, isStream_ ? SOCK_STREAM : SOCK_DGRAM, isStream_ ? IPPROTO_TCP : IPPROTO_UDP);
  if (socket_ == INVALID_SOCKET) return SocketError(WSAEAFNOSUPPORT);
  isIPv6_ = family == AF_INET6;
  remoteLength_ = isIPv6_ ? int(sizeof(sockaddr_in6)) : int(sizeof(sockaddr_in));
  memcpy(&remoteAddress_, &address.address, size_t(remoteLength_));
  if (isStream_) {
    peerAddress_ = remoteAddress_;
    peerLength_ = remoteLength_;
    FromSocketAddress(reinterpret_cast<const sockaddr*>(&peerAddress_), &peerPort_);
  } else {
    EnableReceiveTimestamps(socket_);
  }
  return 0;
}

uint32_t CClientSocket::Bind(const std::string& localAddress, uint16_t localPort) {
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  IpLiteral address;
  if (localAddress.empty()) {
    address.family = isIPv6_ ? 6 : 4;  // the any address
  } else {
    address = ResolveName(localAddress);
    if (address.family == 0) return WSAEADDRNOTAVAIL;
    if (address.family != (isIPv6_ ? 6 : 4)) return WSAEAFNOSUPPORT;
  }
  sockaddr_storage local;
  int length = ToSocketAddress(address, localPort, &local);
  if (bind(socket_, reinterpret_cast<sockaddr*>(&local), length) != 0) return SocketError(WSAEINVAL);
  localLength_ = int(sizeof localAddress_);
  if (getsockname(socket_, reinterpret_cast<sockaddr*>(&localAddress_), &localLength_) != 0)
    return SocketError(WSAEINVAL);
  FromSocketAddress(reinterpret_cast<const sockaddr*>(&localAddress_), &localPort_);
  return 0;
}

uint32_t CClientSocket::Connect() {
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  deadline_.emplace(ReceiveTimeoutOrDefault(recvTimeoutMs_));
  if (!isStream_) return 0;
  CConnectionEvents events(socket_);
  if (!events.Selected()) return SocketError(WSAEINVAL);
  if (connect(socket_, reinterpret_cast<const sockaddr*>(&remoteAddress_), remoteLength_) == 0) return 0;
  uint32_t code = SocketError(WSAECONNREFUSED);
  return code == WSAEWOULDBLOCK ? events.Wait(*deadline_) : code;
}

// The time Connect started for this exchange, or a fresh one.
CDeadline CClientSocket::TakeDeadline() {
  CDeadline deadline = deadline_ ? *deadline_ : CDeadline(ReceiveTimeoutOrDefault(recvTimeoutMs_));
  deadline_.reset();
  return deadline;
}

uint32_t CClientSocket::SetSendTimeout(uint32_t ms) {
  uint32_t code = SetTimeout(socket_, SO_SNDTIMEO, ms);
  if (code == 0) sendTimeoutMs_ = ms;
  return code;
}

uint32_t CClientSocket::SetRecvTimeout(uint32_t ms) {
  uint32_t code = SetTimeout(socket_, SO_RCVTIMEO, ms);
  if (code != 0) return code;
  recvTimeoutMs_ = ms;
  if (deadline_) deadline_.emplace(ReceiveTimeoutOrDefault(ms));  // set after the connection: the exchange's own
  return 0;
}

// Sends all of a request on the non-blocking socket (a datagram, or on a stream every byte,
// waiting for room within the deadline), timing the first send call.
uint32_t CClientSocket::SendRequest(const char* request, uint32_t length, const CDeadline& deadline,
                                    ExchangeResult* result) {
  CSystemClock& clock = SystemClock();
  result->sendTime = clock.Now();
  for (uint32_t sent = 0;;) {
    int64_t before = clock.ReadCounter();
    int n = isStream_ ? send(socket_, request + sent, int(length - sent), 0)
                      : sendto(socket_, request, int(length), 0, reinterpret_cast<const sockaddr*>(&remoteAddress_),
                               remoteLength_);
    int64_t after = clock.ReadCounter();
    if (result->sendCall == 0) result->sendCall = SendDuration(clock, before, after);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
      if (WaitWritable(socket_, deadline.Left()) && deadline.Left() > 0) continue;
      return WSAETIMEDOUT;
    }
    if (n == SOCKET_ERROR) {
      uint32_t code = SocketError(isStream_ ? WSAENOTCONN : WSAENOTSOCK);
      return code == WSAEINVAL && isIPv6_ && !isStream_ ? WSAENETUNREACH : code;
    }
    sent += uint32_t(n);
    if (!isStream_ || sent >= length) return 0;
  }
}

uint32_t CClientSocket::ExchangeDatagram(const void* request, uint32_t length, void* reply, uint32_t capacity,
                                         ExchangeResult* result) {
  *result = ExchangeResult();
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  CDeadline deadline = TakeDeadline();
  CNonBlocking nonBlocking(socket_);
  if (!nonBlocking.On()) return SocketError(WSAEINVAL);
  uint32_t code = SendRequest(static_cast<const char*>(request), length, deadline, result);
  if (code == 0) code = ReceiveReply(static_cast<char*>(reply), capacity, deadline, result);
  if (code == 0 && result->receiveTime == 0) result->receiveTime = SystemClock().Now();
  KeepArrivalAfterSend(result->sendTime, &result->receiveTime, &result->correction);
  return code;
}

// The first datagram from the address and port the request went to; another sender's is
// dropped and the wait goes on, within the same deadline.
uint32_t CClientSocket::ReceiveReply(char* reply, uint32_t capacity, const CDeadline& deadline,
                                     ExchangeResult* result) {
  uint16_t port = 0;
  IpLiteral remote = FromSocketAddress(reinterpret_cast<const sockaddr*>(&remoteAddress_), &port);
  for (;;) {
    int received = ReceiveWithTimestamp(socket_, reply, int(capacity), deadline.Left(), &peerAddress_, &peerLength_,
                                        result);
    uint32_t error = received == SOCKET_ERROR ? SocketError(WSAETIMEDOUT) : 0;
    IpLiteral source = FromSocketAddress(reinterpret_cast<const sockaddr*>(&peerAddress_), &port);
    bool fromRemote = SameEndpoint(source, remote);
    if (fromRemote) peerPort_ = port;
    if (error == 0 && fromRemote) {
      result->length = uint32_t(received);
      return 0;
    }
    if (error != 0 && (error != WSAEMSGSIZE || fromRemote)) return error;
    result->receiveTime = result->correction = 0;
    result->waiting = false;
    if (deadline.Left() == 0) return WSAETIMEDOUT;
  }
}

uint32_t CClientSocket::ExchangeStream(const void* request, uint32_t length, void* reply, uint32_t capacity,
                                       ExchangeResult* result) {
  *result = ExchangeResult();
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  if (!reply || capacity == 0) return WSAEFAULT;
  CDeadline deadline = TakeDeadline();
  CNonBlocking nonBlocking(socket_);
  if (!nonBlocking.On()) return SocketError(WSAEINVAL);
  uint32_t code = SendRequest(static_cast<const char*>(request), length, deadline, result);
  if (code == 0) code = ReceiveStream(static_cast<char*>(reply), capacity, deadline, result);
  if (code == 0 && result->receiveTime == 0) result->receiveTime = SystemClock().Now();
  return code;
}

// Reads on the non-blocking socket. The deadline bounds the whole reply, not each read: a
// peer that trickles bytes cannot hold the run. The first bytes are polled for, as a datagram
// reply is, for their arrival time.
uint32_t CClientSocket::ReceiveStream(char* reply, uint32_t capacity, const CDeadline& deadline,
                                      ExchangeResult* result) {
  uint32_t fill = 0, lastError = 0;
  uint64_t total = 0;
  while (fill < capacity) {
    auto read = [&] { return recv(socket_, reply + fill, int(capacity - fill), 0); };
    int n;
    if (total == 0) {
      FoundReply found = PollForReply(socket_, deadline.Left(), read);
      n = found.received;
      StoreFound(found, result);
    } else {
      n = WaitReadable(socket_, deadline.Left()) ? read() : (WSASetLastError(WSAETIMEDOUT), SOCKET_ERROR);
    }
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK && deadline.Left() > 0) continue;
    if (n == SOCKET_ERROR) {
      lastError = SocketError(WSAECONNRESET);
      break;
    }
    if (n == 0) break;
    total += uint32_t(n);
    if (file_) {
      DWORD written = 0;
      if (!WriteFile(file_, reply, DWORD(n), &written, nullptr) || written != DWORD(n))
        return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    } else {
      fill += uint32_t(n);
    }
    if (StopRequested() || deadline.Left() == 0) break;
  }
  if (total == 0) return lastError ? lastError : WSAECONNRESET;
  result->length = total > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(total);
  return 0;
}

void CClientSocket::Close() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

uint32_t COV2Command::Send(const std::string& text) {
  SOCKET socket = socket_.Handle();
  if (socket == INVALID_SOCKET) return WSAENOTSOCK;
  socket_.SetSendTimeout(500);
  CSystemClock& clock = SystemClock();
  int64_t before = clock.ReadCounter();
  int sent = socket_.IsStream()
                 ? send(socket, text.data(), int(text.size()), 0)
                 : sendto(socket, text.data(), int(text.size()), 0,
                          reinterpret_cast<const sockaddr*>(&socket_.RemoteAddress()), socket_.RemoteAddressLength());
  int64_t after = clock.ReadCounter();
  if (sent == SOCKET_ERROR) return SocketError(WSAENOTSOCK);
  command_ = text;
  sendTime_ = clock.Now() + SendDuration(clock, before, after);
  return 0;
}
