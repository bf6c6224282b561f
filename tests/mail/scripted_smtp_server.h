// A one-connection TCP server on loopback that plays a script, for the replies
// no real SMTP server gives on demand.
#pragma once
#include <winsock2.h>

#include <string>
#include <thread>
#include <vector>

#include "support/loopback_listener.h"

struct ScriptStep {
  enum Kind { kSend, kReadLine, kReadAny, kRepeat, kHold, kClose, kReset } kind;
  std::string bytes;  // sent for kSend and kRepeat
  int pauseMs = 0;    // between two sends of kRepeat
};

// Sends bytes (each step one send call, so a reply can arrive in many segments).
inline ScriptStep Say(std::string bytes) { return {ScriptStep::kSend, std::move(bytes)}; }
// Waits for one line from the client and records it.
inline ScriptStep Hear() { return {ScriptStep::kReadLine, {}}; }
// Waits for any bytes from the client (a TLS client hello) and drops them.
inline ScriptStep Take() { return {ScriptStep::kReadAny, {}}; }
// Sends bytes again and again, pauseMs apart, until the client goes.
inline ScriptStep Repeat(std::string bytes, int pauseMs) { return {ScriptStep::kRepeat, std::move(bytes), pauseMs}; }
// Says nothing until the client goes.
inline ScriptStep Hold() { return {ScriptStep::kHold, {}}; }
// Closes the connection.
inline ScriptStep Hang() { return {ScriptStep::kClose, {}}; }
// Resets the connection (a TCP RST instead of an orderly close).
inline ScriptStep Reset() { return {ScriptStep::kReset, {}}; }

class CScriptedSmtpServer {
 public:
  // Listens on 127.0.0.1 at a free port and plays the script for the first client. No step
  // outlasts kStepLimitMs: a client that hangs fails its test instead of hanging it.
  explicit CScriptedSmtpServer(std::vector<ScriptStep> script);
  // Waits for the script to end (or the client to go) and closes everything.
  ~CScriptedSmtpServer();

  static const int kStepLimitMs = 20000;

  unsigned short Port() const { return listener_.Port(); }
  // The lines heard so far, once the script has ended.
  const std::vector<std::string>& Heard();

 private:
  void Play();
  bool ReadLine(SOCKET client, std::string* pending);
  void RepeatUntilGone(SOCKET client, const ScriptStep& step);
  void HoldUntilGone(SOCKET client);

  std::vector<ScriptStep> script_;
  std::vector<std::string> heard_;
  CLoopbackListener listener_;
  std::thread thread_;
};
