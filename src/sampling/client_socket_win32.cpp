#include "sampling/client_socket.h"

#include <atomic>
#include <string>

#include "platform/socket_wait.h"
#include "platform/stop_event.h"
#include "sampling/clock_math.h"
#include "sampling/network.h"
#include "sampling/receive_timestamp.h"
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
// How long a datagram receive without the stack's timestamps polls before it waits: replies of
// near servers arrive within it.
const uint64_t kPollWindowMs = 20;
// How often a connection under way looks at the stop event.
const uint32_t kStopCheckMs = 100;

// Waits for a connection begun without blocking, looking at the stop event between waits
// (a missing event stops nothing here); 0, its error, or 10004 when a stop came first.
uint32_t AwaitConnection(SOCKET socket) {
  HANDLE stop = StopEvent();
  while (!WaitConnected(socket, kStopCheckMs)) {
    if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return WSAEINTR;
  }
  return ConnectionError(socket);
}

// The socket's receive timeout in ms (0: it waits without end).
DWORD ReceiveTimeoutMs(SOCKET socket) {
  DWORD ms = 0;
  int length = sizeof ms;
  return getsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&ms), &length) == 0 ? ms : 0;
}

// One receive on a non-blocking socket: polls while the reply is due, so that T4 is read as
// soon as the receive that finds the datagram returns, less that receive's calibrated cost;
// after the poll window it waits for the rest of the timeout and takes T4 when it is read.
int PolledReceive(SOCKET socket, char* buffer, int capacity, sockaddr_storage* source, int* sourceLength,
                  uint64_t* receiveTime, uint64_t* correction) {
  CSystemClock& clock = SystemClock();
  DWORD timeoutMs = ReceiveTimeoutMs(socket);
  uint64_t window = timeoutMs != 0 && timeoutMs < kPollWindowMs ? timeoutMs : kPollWindowMs;
  uint64_t start = GetTickCount64(), elapsed = 0;
  for (;;) {
    int received = recvfrom(socket, buffer, capacity, 0, reinterpret_cast<sockaddr*>(source), sourceLength);
    *receiveTime = clock.Now();
    if (received != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK) {
      if (received != SOCKET_ERROR && clock.CounterUsable())
        *correction = TicksTo100ns(ReceiveCallTicks(), clock.CounterFrequency());
      *receiveTime -= *correction;
      return received;
    }
    elapsed = GetTickCount64() - start;
    if (elapsed >= window) break;
  }
  if (!WaitReadable(socket, timeoutMs == 0 ? INFINITE : timeoutMs > elapsed ? DWORD(timeoutMs - elapsed) : 0)) {
    WSASetLastError(WSAETIMEDOUT);
    return SOCKET_ERROR;
  }
  int received = recvfrom(socket, buffer, capacity, 0, reinterpret_cast<sockaddr*>(source), sourceLength);
  *receiveTime = clock.Now();
  return received;
}

// A receive without the stack's timestamps; the socket is blocking again afterwards.
int ReceiveWithoutTimestamp(SOCKET socket, char* buffer, int capacity, sockaddr_storage* source, int* sourceLength,
                            uint64_t* receiveTime, uint64_t* correction) {
  if (!SetNonBlocking(socket, true)) {
    int received = recvfrom(socket, buffer, capacity, 0, reinterpret_cast<sockaddr*>(source), sourceLength);
    *receiveTime = SystemClock().Now();
    return received;
  }
  int received = PolledReceive(socket, buffer, capacity, source, sourceLength, receiveTime, correction);
  int error = WSAGetLastError();
  SetNonBlocking(socket, false);
  WSASetLastError(error);
  return received;
}

}  // namespace

void SetAddressResolver(AddressResolver resolver) { g_resolver = resolver; }

int ReceiveWithTimestamp(SOCKET socket, char* buffer, int capacity, sockaddr_storage* source, int* sourceLength,
                         uint64_t* receiveTime, uint64_t* correction) {
  CSystemClock& clock = SystemClock();
  *correction = 0;
  *sourceLength = int(sizeof(sockaddr_storage));
  LPFN_WSARECVMSG receiveMessage = ReceiveMessageFunction();
  int received;
  if (ReceiveTimestampCapabilities() == 0 || !receiveMessage) {
    received = ReceiveWithoutTimestamp(socket, buffer, capacity, source, sourceLength, receiveTime, correction);
  } else {
    alignas(8) uint8_t control[kControlBufferSize] = {};
    WSABUF data = {ULONG(capacity), buffer};
    WSAMSG message = {};
    message.name = reinterpret_cast<sockaddr*>(source);
    message.namelen = *sourceLength;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = {ULONG(sizeof control), reinterpret_cast<char*>(control)};
    DWORD bytes = 0;
    received = receiveMessage(socket, &message, &bytes, nullptr, nullptr) == 0 ? int(bytes) : SOCKET_ERROR;
    int64_t now = clock.ReadCounter();
    *receiveTime = clock.Now();
    int64_t arrival = 0;
    if (received != SOCKET_ERROR && FindArrivalCounter(control, message.Control.len, &arrival)) {
      *correction = ArrivalCorrection(arrival, now, clock.CounterFrequency(), clock.CounterOverhead(),
                                      clock.CounterUsable());
      *receiveTime -= *correction;
    }
  }
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

// The connection request waits as long as the system retries it, but no longer than the stop
// event lets it: a host that never answers cannot hold the run past a stop.
uint32_t CClientSocket::Connect() {
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  if (!isStream_) return 0;
  if (!SetNonBlocking(socket_, true)) return SocketError(WSAEINVAL);
  uint32_t code = connect(socket_, reinterpret_cast<const sockaddr*>(&remoteAddress_), remoteLength_) == 0
                      ? 0
                      : SocketError(WSAECONNREFUSED);
  if (code == WSAEWOULDBLOCK) code = AwaitConnection(socket_);
  SetNonBlocking(socket_, false);
  return code;
}

uint32_t CClientSocket::SetSendTimeout(uint32_t ms) {
  uint32_t code = SetTimeout(socket_, SO_SNDTIMEO, ms);
  if (code == 0) sendTimeoutMs_ = ms;
  return code;
}

uint32_t CClientSocket::SetRecvTimeout(uint32_t ms) {
  uint32_t code = SetTimeout(socket_, SO_RCVTIMEO, ms);
  if (code == 0) recvTimeoutMs_ = ms;
  return code;
}

uint32_t CClientSocket::ExchangeDatagram(const void* request, uint32_t length, void* reply, uint32_t capacity,
                                         ExchangeResult* result) {
  *result = ExchangeResult();
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  CSystemClock& clock = SystemClock();
  result->sendTime = clock.Now();
  int64_t before = clock.ReadCounter();
  int sent = sendto(socket_, static_cast<const char*>(request), int(length), 0,
                    reinterpret_cast<const sockaddr*>(&remoteAddress_), remoteLength_);
  int64_t after = clock.ReadCounter();
  if (sent == SOCKET_ERROR) {
    uint32_t code = SocketError(WSAENOTSOCK);
    return code == WSAEINVAL && isIPv6_ ? WSAENETUNREACH : code;
  }
  result->sendTime += SendDuration(clock, before, after);
  int received = ReceiveWithTimestamp(socket_, static_cast<char*>(reply), int(capacity), &peerAddress_,
                                      &peerLength_, &result->receiveTime, &result->correction);
  uint32_t code = received == SOCKET_ERROR ? SocketError(WSAETIMEDOUT) : 0;
  if (code == 0) {
    result->length = uint32_t(received);
    FromSocketAddress(reinterpret_cast<const sockaddr*>(&peerAddress_), &peerPort_);
  }
  if (result->receiveTime == 0) result->receiveTime = clock.Now();
  KeepArrivalAfterSend(result->sendTime, &result->receiveTime, &result->correction);
  return code;
}

uint32_t CClientSocket::ExchangeStream(const void* request, uint32_t length, void* reply, uint32_t capacity,
                                       ExchangeResult* result) {
  *result = ExchangeResult();
  if (socket_ == INVALID_SOCKET) return WSAENOTSOCK;
  if (!reply || capacity == 0) return WSAEFAULT;
  result->sendTime = SystemClock().Now();
  const char* data = static_cast<const char*>(request);
  for (uint32_t sent = 0; sent < length;) {
    int n = send(socket_, data + sent, int(length - sent), 0);
    if (n == SOCKET_ERROR) return SocketError(WSAENOTCONN);
    sent += uint32_t(n);
  }
  uint32_t code = ReceiveStream(static_cast<char*>(reply), capacity, result);
  if (result->receiveTime == 0) result->receiveTime = SystemClock().Now();
  return code;
}

uint32_t CClientSocket::ReceiveStream(char* reply, uint32_t capacity, ExchangeResult* result) {
  uint32_t fill = 0, lastError = 0;
  uint64_t total = 0;
  // The receive timeout bounds the whole reply, not each read: a peer that trickles bytes
  // cannot hold the run, and every wait is bounded whatever the socket option does.
  CDeadline deadline(recvTimeoutMs_);
  auto timeLeft = [&] { return recvTimeoutMs_ == 0 ? INFINITE : deadline.Left(); };
  while (fill < capacity) {
    if (!WaitReadable(socket_, timeLeft())) {
      lastError = WSAETIMEDOUT;
      break;
    }
    int n = recv(socket_, reply + fill, int(capacity - fill), 0);
    if (n == SOCKET_ERROR) {
      lastError = SocketError(WSAECONNRESET);
      break;
    }
    if (n == 0) break;
    if (total == 0) result->receiveTime = SystemClock().Now();
    total += uint32_t(n);
    if (file_) {
      DWORD written = 0;
      if (!WriteFile(file_, reply, DWORD(n), &written, nullptr) || written != DWORD(n))
        return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    } else {
      fill += uint32_t(n);
    }
    if (StopRequested() || timeLeft() == 0) break;
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
