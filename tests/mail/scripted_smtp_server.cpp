#include "scripted_smtp_server.h"

#include <ws2tcpip.h>

CScriptedSmtpServer::CScriptedSmtpServer(std::vector<ScriptStep> script) : script_(std::move(script)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener_, 1);
  int length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread(&CScriptedSmtpServer::Play, this);
}

CScriptedSmtpServer::~CScriptedSmtpServer() {
  if (thread_.joinable()) thread_.join();
  closesocket(listener_);
  WSACleanup();
}

const std::vector<std::string>& CScriptedSmtpServer::Heard() {
  if (thread_.joinable()) thread_.join();
  return heard_;
}

void CScriptedSmtpServer::Play() {
  SOCKET client = accept(listener_, nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  DWORD timeout = 10000;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string pending;
  for (const ScriptStep& step : script_) {
    if (step.kind == ScriptStep::kSend) {
      send(client, step.bytes.data(), static_cast<int>(step.bytes.size()), 0);
      Sleep(5);  // keeps the steps in separate segments
    } else if (step.kind == ScriptStep::kReadLine) {
      size_t end;
      char chunk[4096];
      while ((end = pending.find("\r\n")) == std::string::npos) {
        int got = recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        pending.append(chunk, got);
      }
      if (end == std::string::npos) break;
      heard_.push_back(pending.substr(0, end));
      pending.erase(0, end + 2);
    } else {
      break;
    }
  }
  shutdown(client, SD_BOTH);
  closesocket(client);
}
