// This computer's own addresses, the host-name rule and the tests on them.
#include "sampling/local_addresses.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool IsLoopbackOrAny4(const uint8_t* b) {
  static const uint8_t kAny[4] = {0, 0, 0, 0}, kLoopback[4] = {127, 0, 0, 1};
  return std::memcmp(b, kAny, 4) == 0 || std::memcmp(b, kLoopback, 4) == 0;
}

bool IsLoopbackOrAny6(const uint8_t* b) {
  static const uint8_t kAny[16] = {}, kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  return std::memcmp(b, kAny, 16) == 0 || std::memcmp(b, kLoopback, 16) == 0;
}

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

void AddLocalAddress(LocalAddresses* lists, const IpLiteral& address) {
  if (address.family == 4 && !IsLoopbackOrAny4(address.bytes)) {
    std::array<uint8_t, 4> bytes;
    std::memcpy(bytes.data(), address.bytes, 4);
    if (std::find(lists->ipv4.begin(), lists->ipv4.end(), bytes) == lists->ipv4.end()) lists->ipv4.push_back(bytes);
  } else if (address.family == 6 && !IsLoopbackOrAny6(address.bytes)) {
    std::array<uint8_t, 16> bytes;
    std::memcpy(bytes.data(), address.bytes, 16);
    if (std::find(lists->ipv6.begin(), lists->ipv6.end(), bytes) == lists->ipv6.end()) lists->ipv6.push_back(bytes);
  }
}

bool IsLocalIp(const IpLiteral& address, const LocalAddresses& lists) {
  const uint8_t* b = address.bytes;
  if (address.family == 4) {
    if ((b[0] == 127 && b[1] == 0 && b[2] == 0 && b[3] == 1) || (b[0] == 169 && b[1] == 254)) return true;
    for (const auto& own : lists.ipv4)
      if (std::memcmp(own.data(), b, 4) == 0) return true;
    return false;
  }
  if (address.family == 6) {
    static const uint8_t kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    if (std::memcmp(b, kLoopback, 16) == 0) return true;
    for (const auto& own : lists.ipv6)
      if (std::memcmp(own.data(), b, 16) == 0) return true;
  }
  return false;
}

bool IsHostNameText(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && !std::strchr("-._:%", c)) return false;
  }
  return true;
}

bool CNameCache::Lookup(const std::string& name, uint64_t now, uint32_t lifetimeMinutes, IpLiteral* address) {
  if (lifetimeMinutes == 0) return false;
  std::lock_guard<std::mutex> guard(lock_);
  const uint64_t lifetime = uint64_t(lifetimeMinutes) * 60;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.stored + lifetime > now)
      ++it;
    else
      it = entries_.erase(it);
  }
  auto found = entries_.find(Lower(name));
  if (found == entries_.end()) return false;
  *address = found->second.address;
  return true;
}

void CNameCache::Store(const std::string& name, const IpLiteral& address, uint64_t now) {
  std::lock_guard<std::mutex> guard(lock_);
  entries_[Lower(name)] = Entry{address, now};
}

void CNameCache::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.clear();
}

size_t CNameCache::Size() {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_.size();
}
