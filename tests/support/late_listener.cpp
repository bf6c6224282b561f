// A loopback port that answers connection requests late.
#include "support/late_listener.h"

#include "platform/socket_wait.h"

namespace {

const size_t kMostQueued = 8;
const uint32_t kAnswerWaitMs = 300;

}  // namespace

CLateListener::CLateListener(uint32_t answerAfterMs) {
  FillQueue();
  thread_ = std::thread([this, answerAfterMs] { AnswerAfter(answerAfterMs); });
}

CLateListener::~CLateListener() {
  SetEvent(done_);
  thread_.join();
  for (SOCKET socket : clients_) closesocket(socket);
  for (SOCKET socket : accepted_) closesocket(socket);
  CloseHandle(done_);
}

// Connects clients of its own until one goes unanswered: the queue is full then.
void CLateListener::FillQueue() {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(listener_.Port());
  for (bool answered = true; answered && clients_.size() < kMostQueued;) {
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long nonBlocking = 1;
    ioctlsocket(client, FIONBIO, &nonBlocking);
    connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    answered = WaitConnected(client, kAnswerWaitMs);
    clients_.push_back(client);
  }
}

// From ms on, accepts every connection until the listener is destroyed.
void CLateListener::AnswerAfter(uint32_t ms) {
  if (WaitForSingleObject(done_, ms) != WAIT_TIMEOUT) return;
  while (WaitForSingleObject(done_, 0) == WAIT_TIMEOUT) {
    SOCKET accepted = listener_.AcceptWithin(50);
    if (accepted != INVALID_SOCKET) accepted_.push_back(accepted);
  }
}
