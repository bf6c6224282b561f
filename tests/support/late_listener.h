// A loopback port that leaves connection requests unanswered for a while, for the tests of
// clients that must not wait on such a host without end.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "support/loopback_listener.h"

class CLateListener {
 public:
  // A listener that answers connection requests only after answerAfterMs (INFINITE: never):
  // until then the queue of its connections not yet accepted is full.
  explicit CLateListener(uint32_t answerAfterMs);
  // Closes every connection and the listener.
  ~CLateListener();
  CLateListener(const CLateListener&) = delete;
  CLateListener& operator=(const CLateListener&) = delete;

  uint16_t Port() const { return listener_.Port(); }

 private:
  void FillQueue();
  void AnswerAfter(uint32_t ms);

  CLoopbackListener listener_;
  std::vector<SOCKET> clients_;
  std::vector<SOCKET> accepted_;
  HANDLE done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread thread_;
};
