// The loopback relay between the engine and a real TLS server, reshaping what passes.
#include "tls_relay.h"

#include <ws2tcpip.h>

#include <algorithm>

#include "platform/socket_wait.h"

namespace {

const int kLimitMs = 20000;
const size_t kRecordHeader = 5;
const uint8_t kChangeCipherSpec = 0x14;
const uint8_t kHandshake = 0x16;
const uint8_t kApplicationData = 0x17;

bool SendAll(SOCKET socket, const char* data, size_t size) {
  while (size > 0) {
    int sent = send(socket, data, static_cast<int>(size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// The length of the complete record at the front of bytes, 0 when it is not complete yet.
size_t CompleteRecord(const std::string& bytes) {
  if (bytes.size() < kRecordHeader) return 0;
  size_t length = kRecordHeader + (static_cast<uint8_t>(bytes[3]) << 8 | static_cast<uint8_t>(bytes[4]));
  return bytes.size() >= length ? length : 0;
}

SOCKET ConnectTo(uint16_t port) {
  SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return server;
  closesocket(server);
  return INVALID_SOCKET;
}

}  // namespace

CTlsRelay::CTlsRelay(uint16_t serverPort, Mode mode) : serverPort_(serverPort), mode_(mode) {
  thread_ = std::thread(&CTlsRelay::Run, this);
}

CTlsRelay::~CTlsRelay() {
  if (thread_.joinable()) thread_.join();
}

const std::string& CTlsRelay::ClientBytes() {
  if (thread_.joinable()) thread_.join();
  return clientBytes_;
}

void CTlsRelay::Run() {
  SOCKET client = listener_.AcceptWithin(kLimitMs);
  if (client == INVALID_SOCKET) return;
  BOOL noDelay = TRUE;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  SOCKET server = ConnectTo(serverPort_);
  if (server != INVALID_SOCKET) {
    Relay(client, server);
    closesocket(server);
  }
  shutdown(client, SD_BOTH);
  closesocket(client);
}

void CTlsRelay::Relay(SOCKET client, SOCKET server) {
  CDeadline limit(kLimitMs);
  char chunk[16384];
  while (limit.Left() > 0) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(client, &readable);
    FD_SET(server, &readable);
    timeval wait = {0, 50000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
    if (FD_ISSET(client, &readable)) {
      int got = recv(client, chunk, sizeof chunk, 0);
      if (got <= 0 || !SendAll(server, chunk, static_cast<size_t>(got))) return;
      clientBytes_.append(chunk, static_cast<size_t>(got));
    }
    if (FD_ISSET(server, &readable)) {
      int got = recv(server, chunk, sizeof chunk, 0);
      if (got <= 0 || !FromServer(client, chunk, static_cast<size_t>(got))) return;
    }
  }
}

bool CTlsRelay::FromServer(SOCKET client, const char* data, size_t size) {
  if (mode_ == kPass) return SendAll(client, data, size);
  if (mode_ == kSwallow) return true;
  if (mode_ == kSplit) {
    for (size_t at = 0; at < size; at += 16) {
      if (!SendAll(client, data + at, std::min<size_t>(16, size - at))) return false;
      Sleep(1);
    }
    return true;
  }
  held_.append(data, size);
  return ForwardRecords(client);
}

// Walks the complete records held: before the server's ChangeCipherSpec each leaves at once;
// after it, kJoinFinished holds them until an application record completes the batch, and
// kHugeRecord replaces everything after the Finished by one oversized record.
bool CTlsRelay::ForwardRecords(SOCKET client) {
  size_t batch = 0;
  for (size_t length; (length = CompleteRecord(held_.substr(batch))) > 0;) {
    uint8_t type = static_cast<uint8_t>(held_[batch]);
    if (sawFinished_ && mode_ == kHugeRecord) {
      std::string huge = std::string("\x17\x03\x03\xFF\xFF", kRecordHeader) + std::string(20000, '\0');
      held_.clear();
      mode_ = kSwallow;
      return SendAll(client, huge.data(), huge.size());
    }
    if (sawCipherChange_ && type == kHandshake) sawFinished_ = true;
    if (type == kChangeCipherSpec) sawCipherChange_ = true;
    batch += length;
    bool holding = mode_ == kJoinFinished && sawCipherChange_ && !joined_;
    if (holding && type == kApplicationData) joined_ = sawFinished_;
    if (holding && type != kApplicationData) continue;
    if (!SendAll(client, held_.data(), batch)) return false;
    held_.erase(0, batch);
    batch = 0;
  }
  return true;
}
