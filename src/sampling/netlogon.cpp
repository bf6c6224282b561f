// Domain secure-channel authentication of time requests and replies.
#include "sampling/netlogon.h"

#include <atomic>

namespace {
std::atomic<INetlogon*> g_netlogonOverride{nullptr};
std::atomic<IDomainDirectory*> g_directoryOverride{nullptr};
}  // namespace

INetlogon& Netlogon() {
  INetlogon* netlogon = g_netlogonOverride.load();
  return netlogon ? *netlogon : PlatformNetlogon();
}

IDomainDirectory& DomainDirectory() {
  IDomainDirectory* directory = g_directoryOverride.load();
  return directory ? *directory : PlatformDomainDirectory();
}

void SetNetlogonForTesting(INetlogon* netlogon) { g_netlogonOverride.store(netlogon); }

void SetDomainDirectoryForTesting(IDomainDirectory* directory) { g_directoryOverride.store(directory); }
