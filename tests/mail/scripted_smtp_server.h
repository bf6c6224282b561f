// A one-connection TCP server on loopback that plays a script, for the replies
// no real SMTP server gives on demand.
#pragma once
#include <winsock2.h>

#include <string>
#include <thread>
#include <vector>

struct ScriptStep {
  enum Kind { kSend, kReadLine, kClose } kind;
  std::string bytes;  // sent for kSend
};

// Sends bytes (each step one send call, so a reply can arrive in many segments).
inline ScriptStep Say(std::string bytes) { return {ScriptStep::kSend, std::move(bytes)}; }
// Waits for one line from the client and records it.
inline ScriptStep Hear() { return {ScriptStep::kReadLine, {}}; }
// Closes the connection.
inline ScriptStep Hang() { return {ScriptStep::kClose, {}}; }

class CScriptedSmtpServer {
 public:
  // Listens on 127.0.0.1 at a free port and plays the script for the first client.
  explicit CScriptedSmtpServer(std::vector<ScriptStep> script);
  // Waits for the script to end (or the client to go) and closes everything.
  ~CScriptedSmtpServer();

  unsigned short Port() const { return port_; }
  // The lines heard so far, once the script has ended.
  const std::vector<std::string>& Heard();

 private:
  void Play();

  std::vector<ScriptStep> script_;
  std::vector<std::string> heard_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::thread thread_;
};
