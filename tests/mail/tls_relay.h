// A TCP relay on loopback between the engine and a real TLS server. It reshapes what the
// server sends the way networks and servers sometimes do, and keeps what the client sent.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "support/loopback_listener.h"

class CTlsRelay {
 public:
  enum Mode {
    kPass,          // every byte as it comes
    kSplit,         // the server's bytes in segments of 16 bytes
    kJoinFinished,  // from the server's ChangeCipherSpec on, held until its first application
                    // record, then all in one send: the last handshake message carries data
    kHugeRecord,    // after the server's Finished, a record header claiming 65535 bytes and
                    // 20000 bytes instead of anything the server sends
    kSwallow,       // nothing more from the server reaches the client
  };

  // Relays the first client of a free loopback port to 127.0.0.1:serverPort.
  CTlsRelay(uint16_t serverPort, Mode mode);
  // Waits for the relay to end (either side gone) and closes everything.
  ~CTlsRelay();
  CTlsRelay(const CTlsRelay&) = delete;
  CTlsRelay& operator=(const CTlsRelay&) = delete;

  uint16_t Port() const { return listener_.Port(); }
  // Every byte the client sent, once the relay has ended.
  const std::string& ClientBytes();
  // Whether the server's Finished and its first application record left in one send.
  bool Joined() const { return joined_; }

 private:
  void Run();
  void Relay(SOCKET client, SOCKET server);
  bool FromServer(SOCKET client, const char* data, size_t size);
  bool ForwardRecords(SOCKET client);

  uint16_t serverPort_;
  Mode mode_;
  CLoopbackListener listener_;
  std::string clientBytes_;
  std::string held_;        // server bytes not yet forwarded
  bool sawCipherChange_ = false;
  bool sawFinished_ = false;
  std::atomic<bool> joined_{false};
  std::thread thread_;
};
