// The scripted loopback SMTP server: accepting, replying by script and recording.
#include "scripted_smtp_server.h"

#include "platform/socket_wait.h"

CScriptedSmtpServer::CScriptedSmtpServer(std::vector<ScriptStep> script) : script_(std::move(script)) {
  thread_ = std::thread(&CScriptedSmtpServer::Play, this);
}

CScriptedSmtpServer::~CScriptedSmtpServer() {
  if (thread_.joinable()) thread_.join();
}

const std::vector<std::string>& CScriptedSmtpServer::Heard() {
  if (thread_.joinable()) thread_.join();
  return heard_;
}

bool CScriptedSmtpServer::ReadLine(SOCKET client, std::string* pending) {
  size_t end;
  char chunk[4096];
  while ((end = pending->find("\r\n")) == std::string::npos) {
    int got = recv(client, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    pending->append(chunk, got);
  }
  heard_.push_back(pending->substr(0, end));
  pending->erase(0, end + 2);
  return true;
}

void CScriptedSmtpServer::RepeatUntilGone(SOCKET client, const ScriptStep& step) {
  CDeadline limit(kStepLimitMs);
  while (limit.Left() > 0 && send(client, step.bytes.data(), static_cast<int>(step.bytes.size()), 0) > 0) {
    if (step.pauseMs > 0) Sleep(step.pauseMs);
  }
}

void CScriptedSmtpServer::HoldUntilGone(SOCKET client) {
  char chunk[4096];
  CDeadline limit(kStepLimitMs);
  while (WaitReadable(client, limit.Left()) && recv(client, chunk, sizeof chunk, 0) > 0) {
  }
}

void CScriptedSmtpServer::Play() {
  SOCKET client = listener_.AcceptWithin(kStepLimitMs);
  if (client == INVALID_SOCKET) return;
  DWORD timeout = kStepLimitMs;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string pending;
  char chunk[4096];
  bool playing = true;
  for (const ScriptStep& step : script_) {
    if (!playing) break;
    switch (step.kind) {
      case ScriptStep::kSend:
        send(client, step.bytes.data(), static_cast<int>(step.bytes.size()), 0);
        Sleep(5);  // keeps the steps in separate segments
        break;
      case ScriptStep::kReadLine:
        playing = ReadLine(client, &pending);
        break;
      case ScriptStep::kReadAny:
        playing = recv(client, chunk, sizeof chunk, 0) > 0;
        break;
      case ScriptStep::kRepeat:
        RepeatUntilGone(client, step);
        break;
      case ScriptStep::kHold:
        HoldUntilGone(client);
        break;
      case ScriptStep::kReset: {
        // Time for the client to be waiting in its receive: Wine reads a reset that arrives
        // before the receive as an orderly close.
        Sleep(200);
        linger abort = {1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        closesocket(client);
        return;
      }
      case ScriptStep::kClose:
        playing = false;
        break;
    }
  }
  shutdown(client, SD_BOTH);
  closesocket(client);
}
