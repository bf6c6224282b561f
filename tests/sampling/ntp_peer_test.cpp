// Our digests and NTP packet layout against a real NTP server nobody here wrote: chronyd on
// 127.0.0.1, port OVMON_NTP_PORT, with the keys OVMON_NTP_MD5_KEY ("1 MD5 text") and
// OVMON_NTP_SHA1_KEY ("2 SHA1 HEX:40 digits"), as scripts/test starts it.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sampling/keyring.h"
#include "support/ntp_peer.h"

namespace {

#ifdef _WIN32
typedef SOCKET Socket;
void CloseSocket(Socket s) { closesocket(s); }
const Socket kNoSocket = INVALID_SOCKET;
#else
typedef int Socket;
void CloseSocket(Socket s) { close(s); }
const Socket kNoSocket = -1;
#endif

class NtpPeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string port = NtpPeerPort();
    if (port.empty()) GTEST_SKIP() << kNoNtpPeer;
#ifdef _WIN32
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
#endif
    std::memset(&server_, 0, sizeof server_);
    server_.sin_family = AF_INET;
    server_.sin_port = htons(uint16_t(std::atoi(port.c_str())));
    server_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    // The server's key lines become keyring values: number, then the key text.
    KeyringSource source;
    std::vector<NtpPeerKey> keys;
    std::string missing;
    ASSERT_TRUE(ReadNtpPeerKeys(&keys, &missing)) << missing;
    for (const NtpPeerKey& key : keys) {
      source.keyValues.emplace_back(key.number, key.text);
      source.trustedKeys += key.number + " ";
    }
    InstallKeyring(BuildKeyring(source));
  }

  void TearDown() override {
    InstallKeyring(Keyring());
#ifdef _WIN32
    WSACleanup();
#endif
  }

  // A version 3 client request whose transmit timestamp is unique to this request.
  std::vector<uint8_t> Request() {
    std::vector<uint8_t> packet(72, 0);
    packet[0] = 0x1B;
    uint64_t now = uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count());
    uint32_t seconds = uint32_t(now / 1000000 + 2208988800u);
    uint32_t fraction = uint32_t(((now % 1000000) << 32) / 1000000) + ++counter_;
    for (int i = 0; i < 4; ++i) {
      packet[40 + i] = uint8_t(seconds >> (24 - 8 * i));
      packet[44 + i] = uint8_t(fraction >> (24 - 8 * i));
    }
    return packet;
  }

  // One exchange; the reply (empty after 2 s without one).
  std::vector<uint8_t> Exchange(const std::vector<uint8_t>& request, size_t length) {
    Socket s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_NE(s, kNoSocket);
#ifdef _WIN32
    DWORD timeout = 2000;
#else
    timeval timeout = {2, 0};
#endif
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sendto(s, reinterpret_cast<const char*>(request.data()), int(length), 0, reinterpret_cast<sockaddr*>(&server_),
           sizeof server_);
    std::vector<uint8_t> reply(512);
    int got = int(recv(s, reinterpret_cast<char*>(reply.data()), int(reply.size()), 0));
    CloseSocket(s);
    reply.resize(got > 0 ? size_t(got) : 0);
    return reply;
  }

  void ExpectReplyTo(const std::vector<uint8_t>& request, const std::vector<uint8_t>& reply) {
    ASSERT_GE(reply.size(), 48u);
    EXPECT_EQ(reply[0] & 7, 4) << "server mode";
    EXPECT_EQ(std::memcmp(reply.data() + 24, request.data() + 40, 8), 0) << "originate echoes our transmit time";
  }

  sockaddr_in server_;
  uint32_t counter_ = 0;
};

TEST_F(NtpPeerTest, PlainRequestGetsAReply) {
  std::vector<uint8_t> request = Request();
  std::vector<uint8_t> reply = Exchange(request, 48);
  ExpectReplyTo(request, reply);
  EXPECT_EQ(reply.size(), 48u);
}

TEST_F(NtpPeerTest, KeyedRequestsGetVerifiedReplies) {
  const struct {
    uint32_t key;
    size_t length;
    uint32_t type;
  } cases[] = {{1, 68, 1}, {2, 72, 2}};
  for (const auto& c : cases) {
    std::vector<uint8_t> request = Request();
    size_t length = 0;
    uint32_t type = 0;
    ASSERT_EQ(SignNtp(c.key, request.data(), &length, &type), 0u);
    ASSERT_EQ(length, c.length);
    std::vector<uint8_t> reply = Exchange(request, length);
    ASSERT_EQ(reply.size(), c.length) << "key " << c.key << ": the server accepted our MAC and signed its reply";
    ExpectReplyTo(request, reply);
    type = 0;
    EXPECT_EQ(VerifyNtp(reply.data(), reply.size(), &type), 0u) << "key " << c.key;
    EXPECT_EQ(type, c.type);
    for (size_t at : {size_t(1), size_t(40), size_t(47), size_t(55), reply.size() - 1}) {
      std::vector<uint8_t> changed = reply;
      changed[at] ^= 0x20;
      EXPECT_EQ(VerifyNtp(changed.data(), changed.size(), &type), kDigestMismatch) << "key " << c.key << " byte " << at;
    }
  }
}

TEST_F(NtpPeerTest, BadMacGetsNoReply) {
  std::vector<uint8_t> request = Request();
  size_t length = 0;
  uint32_t type = 0;
  ASSERT_EQ(SignNtp(1, request.data(), &length, &type), 0u);
  request[60] ^= 1;
  EXPECT_TRUE(Exchange(request, length).empty());
}

}  // namespace
