// Builds without Windows have no Netlogon functions and no directory.
#include "sampling/keyring.h"
#include "sampling/netlogon.h"

namespace {

class CNoNetlogon : public INetlogon {
 public:
  bool DigestFunctionsAvailable() override { return false; }
  bool TrustRidAvailable() override { return false; }
  uint32_t GetTimeServiceParentDomain(const std::string&, std::string*) override { return kNetlogonUnavailable; }
  uint32_t ComputeClientDigest(const std::string&, const uint8_t*, size_t, uint8_t*, uint8_t*) override {
    return kNetlogonUnavailable;
  }
  uint32_t GetTrustRid(const std::string&, uint32_t*) override { return kNetlogonUnavailable; }
};

class CNoDirectory : public IDomainDirectory {
 public:
  uint32_t LookupPrimaryController(const std::string&, DomainControllerInfo*) override { return kNoSuchDomain; }
  MachineDomainFacts ThisMachine() override { return MachineDomainFacts(); }
  bool IsOwnAddress(const std::string&) override { return false; }
};

}  // namespace

INetlogon& PlatformNetlogon() {
  static CNoNetlogon netlogon;
  return netlogon;
}

IDomainDirectory& PlatformDomainDirectory() {
  static CNoDirectory directory;
  return directory;
}
