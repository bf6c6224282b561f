// This computer's own addresses and the tests on them, the host-name character rule and the
// name cache of the resolver. No platform calls.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sampling/ip_literal.h"

// The interface addresses of this computer, without the unspecified and loopback addresses.
struct LocalAddresses {
  std::vector<std::array<uint8_t, 4>> ipv4;
  std::vector<std::array<uint8_t, 16>> ipv6;
};

// Adds address to its family's list once; the unspecified and loopback addresses are left out.
void AddLocalAddress(LocalAddresses* lists, const IpLiteral& address);
// 127.0.0.1, 169.254.x.x and ::1 are local; otherwise the address must be in its family's list.
bool IsLocalIp(const IpLiteral& address, const LocalAddresses& lists);
// Non-empty and only letters, digits and "-", ".", "_", ":", "%".
bool IsHostNameText(const std::string& text);

// Resolved IPv4 names and when they were stored, with its own lock.
class CNameCache {
 public:
  // The address for name (any case) while stored + lifetime x 60 s is later than now (seconds);
  // a lifetime of 0 turns the cache off. Expired entries are removed.
  bool Lookup(const std::string& name, uint64_t now, uint32_t lifetimeMinutes, IpLiteral* address);
  // Stores address for name at now.
  void Store(const std::string& name, const IpLiteral& address, uint64_t now);
  // Forgets every entry.
  void Clear();
  // Entries held.
  size_t Size();

 private:
  struct Entry {
    IpLiteral address;
    uint64_t stored = 0;
  };
  std::mutex lock_;
  std::map<std::string, Entry> entries_;
};
