// Programmable stand-ins for the Netlogon functions and the domain directory, installed
// for the lifetime of the object.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "sampling/digest.h"
#include "sampling/netlogon.h"

class CFakeNetlogon : public INetlogon {
 public:
  CFakeNetlogon() { SetNetlogonForTesting(this); }
  ~CFakeNetlogon() override { SetNetlogonForTesting(nullptr); }

  bool available = true;
  bool ridAvailable = true;
  // Parent-domain answers by server asked ("" is this computer).
  uint32_t parentStatus = 0;
  std::string parentDomain = "CORP";
  uint32_t parentStatusForLocal = 0;
  std::string parentDomainForLocal;
  uint32_t digestStatus = 0;
  std::string currentPassword = "current", previousPassword = "previous";
  uint32_t ridStatus = 0;             // for a named domain
  uint32_t ridStatusWithoutDomain = 0;
  uint32_t rid = 1104;
  std::vector<std::string> calls;     // what was asked, in order

  // The digest the fake domain controller makes of data with a password.
  static void Digest(const std::string& password, const uint8_t* data, size_t length, uint8_t out[16]) {
    uint8_t full[kMaxDigestLength];
    KeyedDigest(kDigestMd5, reinterpret_cast<const uint8_t*>(password.data()), password.size(), data, length, full);
    std::memcpy(out, full, 16);
  }

  bool DigestFunctionsAvailable() override { return available; }
  bool TrustRidAvailable() override { return ridAvailable; }
  uint32_t GetTimeServiceParentDomain(const std::string& server, std::string* domain) override {
    calls.push_back("parent(" + server + ")");
    *domain = server.empty() ? parentDomain : parentDomainForLocal;
    return server.empty() ? parentStatus : parentStatusForLocal;
  }
  uint32_t ComputeClientDigest(const std::string& domain, const uint8_t* data, size_t length, uint8_t newDigest[16],
                               uint8_t oldDigest[16]) override {
    calls.push_back("digest(" + domain + ")");
    if (digestStatus != 0) return digestStatus;
    Digest(currentPassword, data, length, newDigest);
    Digest(previousPassword, data, length, oldDigest);
    return 0;
  }
  uint32_t GetTrustRid(const std::string& domain, uint32_t* value) override {
    calls.push_back("rid(" + domain + ")");
    uint32_t status = domain.empty() ? ridStatusWithoutDomain : ridStatus;
    if (status == 0) *value = rid;
    return status;
  }
};

class CFakeDirectory : public IDomainDirectory {
 public:
  CFakeDirectory() { SetDomainDirectoryForTesting(this); }
  ~CFakeDirectory() override { SetDomainDirectoryForTesting(nullptr); }

  uint32_t lookupStatus = 0;
  DomainControllerInfo controller{"Corp.Example.COM", "CORP.example.com", "\\\\DC1.Corp.Example.com",
                                  "\\\\10.1.2.3"};
  MachineDomainFacts self;
  std::vector<std::string> ownAddresses;
  std::vector<std::string> lookups;

  uint32_t LookupPrimaryController(const std::string& domain, DomainControllerInfo* info) override {
    lookups.push_back(domain);
    if (lookupStatus == 0) *info = controller;
    return lookupStatus;
  }
  MachineDomainFacts ThisMachine() override { return self; }
  bool IsOwnAddress(const std::string& address) override {
    for (const std::string& own : ownAddresses)
      if (own == address) return true;
    return false;
  }
};
