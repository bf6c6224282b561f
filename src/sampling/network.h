// The process-wide network state: socket library start-up, this computer's names and
// addresses, receive-timestamp capabilities, and name resolution with its cache.
#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format off
#include <mswsock.h>
// clang-format on

#include <cstdint>
#include <string>

#include "sampling/ip_literal.h"
#include "sampling/local_addresses.h"

// Receive-timestamp capability bits found by the start-up probe.
constexpr uint32_t kTimestampOption = 0x01;      // socket option 0x3009 works
constexpr uint32_t kTimestampControlRx = 0x10;   // SIO_TIMESTAMPING with receive timestamps
constexpr uint32_t kTimestampControlTx = 0x20;   // ... and transmit timestamps too

// Socket library 2.2 (once), the receive-message function, the interface lists and the
// receive-timestamp probe; 0 or the socket library's code.
uint32_t NetStartup();
// Forgets the functions, lists and capabilities and shuts the socket library down.
void NetCleanup();
// Rebuilds the lists of this computer's addresses and the family flags.
void RefreshLocalInterfaces();
// A copy of this computer's addresses (built on first use).
LocalAddresses LocalInterfaceAddresses();
// Whether an IPv4 (IPv6) datagram socket can be created.
bool Ipv4Usable();
bool Ipv6Usable();
// This computer's host name.
std::string LocalHostName();
// The capability bits of the receive-timestamp probe.
uint32_t ReceiveTimestampCapabilities();
// The share of a send call that passes before its datagram leaves, where it was measured for
// this platform and the stack gives no timestamps: under Wine 2/3, as the kernel's arrival time
// at a loopback chronyd shows (the call's first request to the Wine server comes before the
// datagram leaves, a shorter one after it; 0.64 to 0.75 on a quiet machine, lower when a reply
// lands before the call has returned). 0 where nothing was measured.
double MeasuredSendShare();
// The receive-message extension function, or nullptr.
LPFN_WSARECVMSG ReceiveMessageFunction();
// Turns receive timestamps on new datagram sockets on (the default) or off.
void SetReceiveTimestamps(bool on);
// Asks the stack for receive timestamps on a new datagram socket; failures are ignored.
void EnableReceiveTimestamps(SOCKET socket);
// Minutes a resolved IPv4 name stays in the cache; 0 (the default) turns the cache off.
void SetNameCacheLifetime(uint32_t minutes);
// Forgets every cached name.
void ClearNameCache();

// Empty, this computer's host or DNS name (any case), or a literal of one of its addresses.
bool IsLocalName(const std::string& text);
// 127.0.0.1, 169.254.x.x, ::1 or an address of this computer.
bool IsLocalAddress(const IpLiteral& address);
// IPv4 literal, cached name, IPv6 literal, else the resolver; family 0 when not found.
IpLiteral ResolveName(const std::string& text);

// The socket address of address and port; returns its length (16 or 28), 0 for family 0.
int ToSocketAddress(const IpLiteral& address, uint16_t port, sockaddr_storage* socketAddress);
// The address and port of a socket address; family 0 for other families.
IpLiteral FromSocketAddress(const sockaddr* socketAddress, uint16_t* port);
