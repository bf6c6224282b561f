// The platform services behind Windows (domain secure channel) authentication and behind
// the domain time sources: the Netlogon digest functions, looked up by name, and the
// directory facts about this computer and its domain. Both sit behind narrow interfaces so
// that the success and refusal paths can be tested on machines without a domain (Wine has
// none of the Netlogon digest functions, and no directory).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The Netlogon functions "NetLogonGetTimeServiceParentDomain",
// "I_NetlogonComputeClientDigest", "I_NetlogonComputeServerDigest" and
// "I_NetlogonGetTrustRid", found in netapi32.dll or logoncli.dll.
class INetlogon {
 public:
  virtual ~INetlogon() = default;
  // Looks the functions up on the first call; true when the three digest functions exist.
  virtual bool DigestFunctionsAvailable() = 0;
  // True when the trust-RID function exists (looked up with the others).
  virtual bool TrustRidAvailable() = 0;
  // The time service's parent domain, asked of server (empty: this computer).
  virtual uint32_t GetTimeServiceParentDomain(const std::string& server, std::string* domain) = 0;
  // The client digests of data with the current and the previous machine password.
  virtual uint32_t ComputeClientDigest(const std::string& domain, const uint8_t* data, size_t length,
                                       uint8_t newDigest[16], uint8_t oldDigest[16]) = 0;
  // This computer's account RID in domain (empty: no domain named).
  virtual uint32_t GetTrustRid(const std::string& domain, uint32_t* rid) = 0;
};

// A domain's primary controller as the directory reports it (texts as received).
struct DomainControllerInfo {
  std::string forestName;
  std::string domainName;
  std::string controllerName;     // with its two leading backslashes
  std::string controllerAddress;  // with its two leading backslashes
};

// This computer's place in its domain.
struct MachineDomainFacts {
  bool joined = false;             // the primary domain has a security identifier
  bool isPrimaryController = false;
  std::string domainName;          // the primary domain's name ("" when none)
};

class IDomainDirectory {
 public:
  virtual ~IDomainDirectory() = default;
  // Locates the primary domain controller of domain (PDC and IP address required).
  virtual uint32_t LookupPrimaryController(const std::string& domain, DomainControllerInfo* info) = 0;
  // Whether this computer is joined and is its domain's primary controller.
  virtual MachineDomainFacts ThisMachine() = 0;
  // Whether an address text names one of this computer's own addresses.
  virtual bool IsOwnAddress(const std::string& address) = 0;
};

// The process-wide services: the platform's, unless a test installed its own.
INetlogon& Netlogon();
IDomainDirectory& DomainDirectory();
// Installs a replacement (nullptr restores the platform's). For tests.
void SetNetlogonForTesting(INetlogon* netlogon);
void SetDomainDirectoryForTesting(IDomainDirectory* directory);

// The platform implementations (Win32 build: the real functions; elsewhere: none available).
INetlogon& PlatformNetlogon();
IDomainDirectory& PlatformDomainDirectory();
