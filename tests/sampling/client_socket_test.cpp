// CClientSocket against loopback servers started by the test itself, over UDP and TCP,
// IPv4 and IPv6; replies from another port; the stop event, the file sink, the IPv6 retry and
// the command channel; a host that leaves the connection request unanswered.
#include "sampling/client_socket.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "loopback_server.h"
#include "platform/stop_event.h"
#include "sampling/network.h"
#include "sampling/sampler_rules.h"
#include "sampling/system_clock.h"
#include "support/late_listener.h"
#include "support/loopback_listener.h"

namespace {

class SocketTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(NetStartup(), 0u);
    SystemClock().Prepare();
  }
  static void TearDownTestSuite() { NetCleanup(); }
  void SetUp() override {
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    InstallStopEvent(stop_);
  }
  void TearDown() override {
    InstallStopEvent(nullptr);
    CloseHandle(stop_);
    SetAddressResolver(nullptr);
  }

  // Opens client to address:port, binds it anywhere, connects a stream, 250 ms receive timeout.
  void OpenTo(const char* address, uint16_t port, bool stream) {
    ASSERT_EQ(client_.Open(address, port, stream, AF_UNSPEC), 0u) << address;
    ASSERT_EQ(client_.Bind("", 0), 0u);
    ASSERT_EQ(client_.SetRecvTimeout(250), 0u);
    ASSERT_EQ(client_.Connect(), 0u);
  }

  uint32_t Exchange(const std::string& request, bool stream) {
    reply_.assign(64, '\0');
    uint32_t code = stream ? client_.ExchangeStream(request.data(), uint32_t(request.size()), &reply_[0], 64, &result_)
                           : client_.ExchangeDatagram(request.data(), uint32_t(request.size()), &reply_[0], 64, &result_);
    reply_.resize(result_.length);
    return code;
  }

  HANDLE stop_ = nullptr;
  CClientSocket client_;
  ExchangeResult result_;
  std::string reply_;
};

// Every family and transport: a good exchange, and a server that never answers.
class SocketFamilyTest : public SocketTest, public ::testing::WithParamInterface<std::tuple<const char*, bool>> {};

void ReplyAndClose(SOCKET connection, const std::atomic<bool>&) {
  ReadRequest(connection);
  SendAll(connection, "time reply", 10);
}

void ReadAndHold(SOCKET connection, const std::atomic<bool>& stopping) {
  ReadRequest(connection);
  HoldOpen(stopping);
}

TEST_P(SocketFamilyTest, ExchangeAndTimeout) {
  const char* address = std::get<0>(GetParam());
  bool stream = std::get<1>(GetParam());
  bool ipv6 = std::string(address) == "::1";
  {
    CLoopbackServer server(stream ? CLoopbackServer::kTcp : CLoopbackServer::kUdpEcho, address, ReplyAndClose);
    ASSERT_TRUE(server.Ok()) << address;
    OpenTo(address, server.Port(), stream);
    EXPECT_EQ(client_.IsIPv6(), ipv6);
    EXPECT_NE(client_.LocalPort(), 0);
    ASSERT_EQ(Exchange("time request", stream), 0u);
    EXPECT_EQ(reply_, stream ? "time reply" : "time request");
    EXPECT_EQ(client_.PeerPort(), server.Port());
    EXPECT_NE(result_.sendTime, 0u);
    EXPECT_GE(result_.receiveTime, result_.sendTime);
  }
  CLoopbackServer silent(stream ? CLoopbackServer::kTcp : CLoopbackServer::kUdpSilent, address, ReadAndHold);
  ASSERT_TRUE(silent.Ok());
  OpenTo(address, silent.Port(), stream);
  EXPECT_EQ(Exchange("anyone there?", stream), uint32_t(WSAETIMEDOUT));
  EXPECT_EQ(result_.length, 0u);
  client_.Close();
}

INSTANTIATE_TEST_SUITE_P(LoopbackServers, SocketFamilyTest,
                         ::testing::Combine(::testing::Values("127.0.0.1", "::1"), ::testing::Bool()));

// Without the stack's timestamps the receive polls for the reply: T4 is where its reads bracket
// the arrival, no later than the read that took it returned and never before the request's send.
TEST_F(SocketTest, DatagramWithoutStackTimestampsBracketsTheArrival) {
  if (ReceiveTimestampCapabilities() != 0) GTEST_SKIP() << "this stack gives receive timestamps";
  CLoopbackServer echo(CLoopbackServer::kUdpEcho, "127.0.0.1");
  ASSERT_TRUE(echo.Ok());
  OpenTo("127.0.0.1", echo.Port(), false);
  for (int round = 0; round < 5; ++round) {
    ASSERT_EQ(Exchange("time request", false), 0u);
    uint64_t after = SystemClock().Now();
    EXPECT_EQ(reply_, "time request") << "the socket polls and still delivers the datagram whole";
    EXPECT_GE(result_.receiveTime, result_.sendTime);
    EXPECT_LE(result_.receiveTime + result_.correction, after) << "the read that took it ended before this";
    EXPECT_GT(result_.correction, 0u) << "the read itself took time after the reply was there";
  }
}

// Another port of the server's host that answers first, with a datagram of the reply's size and
// one too long for the buffer, is not the server: both are dropped and the echo is taken.
TEST_F(SocketTest, DatagramsFromAnotherPortAreDropped) {
  for (const char* address : {"127.0.0.1", "::1"}) {
    CLoopbackServer echo(CLoopbackServer::kUdpEchoAfterIntruder, address);
    ASSERT_TRUE(echo.Ok()) << address;
    OpenTo(address, echo.Port(), false);
    ASSERT_EQ(Exchange("time request", false), 0u) << address;
    EXPECT_EQ(reply_, "time request") << address;
    EXPECT_EQ(client_.PeerPort(), echo.Port()) << address;
    client_.Close();
  }
}

TEST_F(SocketTest, StreamReplyInTwoSegmentsTakesTheFirstArrival) {
  uint64_t secondSent = 0;
  CLoopbackServer server(CLoopbackServer::kTcp, "127.0.0.1", [&](SOCKET c, const std::atomic<bool>&) {
    ReadRequest(c);
    SendAll(c, "first ", 6);
    Sleep(300);
    secondSent = SystemClock().Now();
    SendAll(c, "second", 6);
  });
  ASSERT_TRUE(server.Ok());
  OpenTo("127.0.0.1", server.Port(), true);
  ASSERT_EQ(client_.SetRecvTimeout(5000), 0u);
  ASSERT_EQ(Exchange("request", true), 0u);
  EXPECT_EQ(reply_, "first second");
  EXPECT_LT(result_.receiveTime, secondSent);
}

// The receive timeout bounds the whole stream reply: a peer that sends a byte now and then,
// each well within the timeout, cannot hold the exchange until the buffer is full.
TEST_F(SocketTest, TricklingPeerIsCutAtTheReceiveTimeout) {
  CLoopbackServer server(CLoopbackServer::kTcp, "127.0.0.1", [](SOCKET c, const std::atomic<bool>& stopping) {
    ReadRequest(c);
    while (!stopping && send(c, "x", 1, 0) == 1) Sleep(150);
  });
  ASSERT_TRUE(server.Ok());
  OpenTo("127.0.0.1", server.Port(), true);
  ASSERT_EQ(client_.SetRecvTimeout(400), 0u);
  EXPECT_EQ(Exchange("request", true), 0u);
  EXPECT_FALSE(reply_.empty());
  EXPECT_LT(reply_.size(), 64u) << "the read ended at the timeout, not when the buffer was full";
  client_.Close();
}

// The socket's own time-out option is never read back: a socket whose receive timeout was
// never set still gives up on a silent server (after the settings' default 55 ms).
TEST_F(SocketTest, AReceiveWithoutATimeoutSetStillEnds) {
  for (bool stream : {false, true}) {
    CLoopbackServer silent(stream ? CLoopbackServer::kTcp : CLoopbackServer::kUdpSilent, "127.0.0.1", ReadAndHold);
    ASSERT_TRUE(silent.Ok());
    ASSERT_EQ(client_.Open("127.0.0.1", silent.Port(), stream, AF_UNSPEC), 0u);
    ASSERT_EQ(client_.Connect(), 0u) << stream;
    EXPECT_EQ(Exchange("anyone there?", stream), uint32_t(WSAETIMEDOUT)) << stream;
    client_.Close();
  }
}

TEST_F(SocketTest, PeerClosingWithoutDataIsAReset) {
  CLoopbackServer server(CLoopbackServer::kTcp, "127.0.0.1", [](SOCKET c, const std::atomic<bool>&) { ReadRequest(c); });
  ASSERT_TRUE(server.Ok());
  OpenTo("127.0.0.1", server.Port(), true);
  EXPECT_EQ(Exchange("request", true), uint32_t(WSAECONNRESET));
}

TEST_F(SocketTest, StopEventSetOrMissingEndsTheStreamRead) {
  for (bool missing : {false, true}) {
    CLoopbackServer server(CLoopbackServer::kTcp, "127.0.0.1", [](SOCKET c, const std::atomic<bool>& stopping) {
      ReadRequest(c);
      SendAll(c, "partial", 7);
      HoldOpen(stopping);  // never closes: only the stop event ends the read
    });
    ASSERT_TRUE(server.Ok());
    if (missing)
      InstallStopEvent(nullptr);
    else
      SetEvent(stop_);
    OpenTo("127.0.0.1", server.Port(), true);
    ASSERT_EQ(client_.SetRecvTimeout(10000), 0u);  // a read that went on would time out
    EXPECT_EQ(Exchange("request", true), 0u) << missing;
    EXPECT_EQ(reply_, "partial") << missing;
    client_.Close();
  }
}

// A connection request that the host leaves unanswered ends at the receive timeout with its
// own code, or at once at a stop; a refused one ends with its error, not at the timeout. (With
// the stop set, a refusal only counts once the socket knows it: Linux refuses a loopback
// connection at once, Windows only after trying the request again for about 2 s.)
TEST_F(SocketTest, ConnectionEndsAtTheTimeoutAStopOrARefusal) {
  CLateListener unanswered(INFINITE);
  uint16_t refusing = 0;
  {
    CLoopbackListener closed;  // its port is free again once it is gone
    refusing = closed.Port();
  }
  const struct Case {
    const char* what;
    uint16_t port;
    bool stopped;
    uint32_t timeoutMs;
    uint32_t code;
  } cases[] = {
      {"unanswered", unanswered.Port(), false, 300, kConnectTimedOut},
      {"unanswered, stopped", unanswered.Port(), true, 15000, WSAEINTR},
      {"refused", refusing, false, 15000, WSAECONNREFUSED},
  };
  for (const Case& c : cases) {
    if (c.stopped)
      SetEvent(stop_);
    else
      ResetEvent(stop_);
    ASSERT_EQ(client_.Open("127.0.0.1", c.port, true, AF_UNSPEC), 0u) << c.what;
    ASSERT_EQ(client_.SetRecvTimeout(c.timeoutMs), 0u);
    EXPECT_EQ(client_.Connect(), c.code) << c.what;
    client_.Close();
  }
}

TEST_F(SocketTest, StreamDataGoesToTheFile) {
  std::string big(5000, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + i % 26);
  CLoopbackServer server(CLoopbackServer::kTcp, "127.0.0.1", [&](SOCKET c, const std::atomic<bool>&) {
    ReadRequest(c);
    SendAll(c, big.data(), int(big.size()));
  });
  ASSERT_TRUE(server.Ok());
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  std::string file = std::string(path) + "ovmon-stream-" + std::to_string(GetCurrentProcessId()) + ".bin";
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  OpenTo("127.0.0.1", server.Port(), true);
  client_.SetFile(handle);
  ASSERT_EQ(Exchange("request", true), 0u);  // a 64-byte buffer, reused for every chunk
  EXPECT_EQ(result_.length, big.size());
  std::string written(big.size() + 10, '\0');
  DWORD read = 0;
  SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
  ReadFile(handle, &written[0], DWORD(written.size()), &read, nullptr);
  written.resize(read);
  EXPECT_EQ(written, big);
  CloseHandle(handle);
}

// A resolver that knows the name only as an IPv6 address.
uint32_t Ipv6OnlyResolver(const std::string& host, const std::string& port, int family, bool,
                          std::vector<ResolvedAddress>* results) {
  if (host != "v6only.test" || family != AF_INET6) return WSAHOST_NOT_FOUND;
  ResolvedAddress address;
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.address);
  v6->sin6_family = AF_INET6;
  v6->sin6_port = htons(uint16_t(std::stoi(port)));
  v6->sin6_addr.s6_addr[15] = 1;
  address.length = sizeof(sockaddr_in6);
  results->push_back(address);
  return 0;
}

TEST_F(SocketTest, NameOnlyInIpv6IsReachedThroughTheRetry) {
  ASSERT_TRUE(Ipv4Usable());
  ASSERT_TRUE(Ipv6Usable());
  CLoopbackServer server(CLoopbackServer::kUdpEcho, "::1");
  ASSERT_TRUE(server.Ok());
  SetAddressResolver(Ipv6OnlyResolver);
  EXPECT_EQ(client_.Open("v6only.test", server.Port(), false, AF_INET), uint32_t(WSAHOST_NOT_FOUND));
  OpenTo("v6only.test", server.Port(), false);
  EXPECT_TRUE(client_.IsIPv6());
  ASSERT_EQ(Exchange("over six", false), 0u);
  EXPECT_EQ(reply_, "over six");
}

TEST_F(SocketTest, ClosedSocketsAndBadBinds) {
  char reply[8];
  EXPECT_EQ(client_.ExchangeDatagram("x", 1, reply, 8, &result_), uint32_t(WSAENOTSOCK));
  EXPECT_EQ(client_.ExchangeStream("x", 1, reply, 8, &result_), uint32_t(WSAENOTSOCK));
  EXPECT_EQ(client_.Bind("", 0), uint32_t(WSAENOTSOCK));
  ASSERT_EQ(client_.Open("127.0.0.1", 9, false, AF_UNSPEC), 0u);
  EXPECT_EQ(client_.Bind("::1", 0), uint32_t(WSAEAFNOSUPPORT));
  EXPECT_EQ(client_.Bind("no such host!", 0), uint32_t(WSAEADDRNOTAVAIL));
  EXPECT_EQ(client_.Bind("127.0.0.1", 0), 0u);
  EXPECT_EQ(client_.Connect(), 0u);  // nothing to do for datagrams
  ASSERT_EQ(client_.Open("127.0.0.1", 9, true, AF_UNSPEC), 0u);
  EXPECT_EQ(client_.ExchangeStream("x", 1, nullptr, 0, &result_), uint32_t(WSAEFAULT));
}

TEST_F(SocketTest, CommandChannelSendsAndRecordsTheTime) {
  CLoopbackServer server(CLoopbackServer::kUdpEcho, "127.0.0.1");
  ASSERT_TRUE(server.Ok());
  COV2Command command;
  EXPECT_EQ(command.Send("STATUS"), uint32_t(WSAENOTSOCK));
  ASSERT_EQ(command.Socket().Open("127.0.0.1", server.Port(), false, AF_INET), 0u);
  uint64_t before = SystemClock().Now();
  ASSERT_EQ(command.Send("STATUS"), 0u);
  EXPECT_EQ(command.Command(), "STATUS");
  EXPECT_GE(command.SendTime(), before);
  EXPECT_EQ(command.Socket().SendTimeoutMs(), 500u);
  char echo[16] = {};
  ASSERT_EQ(command.Socket().SetRecvTimeout(2000), 0u);
  EXPECT_EQ(recv(command.Socket().Handle(), echo, sizeof echo, 0), 6);
  EXPECT_STREQ(echo, "STATUS");
}

TEST_F(SocketTest, LocalNamesAndAddresses) {
  struct Case {
    std::string text;
    bool local;
  } cases[] = {
      {"", true},
      {LocalHostName(), true},
      {"127.0.0.1", true},
      {"169.254.1.1", true},
      {"::1", true},
      {"[::1]:123", true},
      {"127.0.0.2", false},
      {"203.0.113.77", false},
      {"10.1", false},
      {"not-this-machine.example", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsLocalName(c.text), c.local) << c.text;
  LocalAddresses own = LocalInterfaceAddresses();
  for (const auto& bytes : own.ipv4) {
    IpLiteral address;
    address.family = 4;
    memcpy(address.bytes, bytes.data(), 4);
    EXPECT_TRUE(IsLocalAddress(address)) << FormatIpAddress(address);
  }
}

TEST_F(SocketTest, ResolveNameTakesLiteralsFirstAndCachesNames) {
  EXPECT_EQ(FormatIpAddress(ResolveName("192.0.2.1")), "192.0.2.1");
  EXPECT_EQ(FormatIpAddress(ResolveName("::1")), "::1");
  EXPECT_EQ(ResolveName("bad name!").family, 0);
  EXPECT_EQ(ResolveName("").family, 0);
  IpLiteral local = ResolveName("localhost");
  EXPECT_EQ(FormatIpAddress(local), "127.0.0.1");
  SetNameCacheLifetime(5);
  ResolveName("localhost");
  EXPECT_EQ(FormatIpAddress(ResolveName("LOCALHOST")), "127.0.0.1");
  SetNameCacheLifetime(0);
  ClearNameCache();
}

}  // namespace
