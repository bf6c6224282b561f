// LoadKeyring against registry fixtures in a private HKLM, and the platform's Netlogon layer
// as Wine provides it (without the digest functions).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "monitor/settings.h"
#include "sampling/digest.h"
#include "sampling/fake_domain.h"
#include "sampling/installed_product.h"
#include "sampling/keyring.h"
#include "sampling/time_source.h"
#include "support/registry_sandbox.h"

namespace {

const char kSha1Hex[] = "00112233445566778899AABBCCDDEEFF01234567";
const char kClientKeys[] = "Software\\Tallowin\\Orvane Client\\Keyring\\Keys";
const char kClientConf[] = "Software\\Tallowin\\Orvane Client\\Keyring\\Conf";

class KeyringRegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { InstallKeyring(Keyring()); }
  CRegistrySandbox sandbox_;
  CFakeNetlogon netlogon_;
};

TEST_F(KeyringRegistryTest, KeysConfAndTrustFromTheRegistry) {
  std::string almost = kSha1Hex;
  almost[5] = 'x';
  SetStringValue(kClientKeys, "1", "plainsecret # the lab key");
  SetStringValue(kClientKeys, "2", kSha1Hex);
  SetStringValue(kClientKeys, "3", almost.c_str());
  SetStringValue(kClientKeys, "0", "zerokey");
  SetStringValue(kClientKeys, "70000", "bigkey");
  SetStringValue(kClientKeys, "4", "abc");  // a short MD5 key
  SetStringValue(kClientKeys, "5", "untrusted");
  SetStringValue(kClientKeys, "6", "00112233445566778899");
  SetStringValue(kClientKeys, "7", std::string(300, 'q').c_str());  // over 256 bytes of data
  SetStringValue(kClientConf, "", "6,3 2,2");
  SetStringValue(kClientConf, "TrustedKey", "1 2 3 4 6 7");
  SetDwordValue(kClientConf, "BroadcastKey", 2);
  SetStringValue(kClientConf, "ptpSync", "0x1");
  LoadKeyring("\\\\Software\\Tallowin\\Orvane Client");

  uint32_t type = 0;
  EXPECT_TRUE(KeyExists(1));
  EXPECT_TRUE(KeyTrusted(1, &type));
  EXPECT_EQ(type, kDigestMd5);
  KeyEntry key;
  ASSERT_EQ(FetchKey(1, &key), 0u);
  EXPECT_EQ(key.text, "plainsecret");
  EXPECT_TRUE(KeyTrusted(2, &type));
  EXPECT_EQ(type, kDigestSha1);
  ASSERT_EQ(FetchKey(2, &key), 0u);
  EXPECT_EQ(key.bytes.size(), 20u);
  EXPECT_TRUE(KeyTrusted(3, &type));
  EXPECT_EQ(type, kDigestMd5);
  ASSERT_EQ(FetchKey(3, &key), 0u);
  EXPECT_EQ(key.bytes, almost);
  EXPECT_FALSE(KeyExists(0u));
  EXPECT_FALSE(KeyExists(4));
  EXPECT_FALSE(KeyExists(7));
  EXPECT_TRUE(KeyTrusted(6, &type));
  EXPECT_EQ(type, kDigestSha256);
  EXPECT_EQ(FetchKey(5, &key), kKeyNotTrusted);

  // An untrusted key fails a keyed exchange before anything is sent.
  uint8_t packet[72] = {0x1B};
  size_t length = 0;
  EXPECT_EQ(SignNtp(5, packet, &length, &type), kKeyNotTrusted);
  TimeSourceSpec spec;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ntp key 5", false));
  EXPECT_EQ(spec.errorCode, 0x800B0004u);
}

TEST_F(KeyringRegistryTest, ProductKeyForms) {
  SetStringValue("Software\\Tallowin\\Orvane Monitor\\Keyring\\Keys", "11", "monitorkey");
  SetStringValue("Software\\Tallowin\\Orvane Monitor\\Keyring\\Conf", "TrustedKey", "11");
  SetStringValue("Software\\Tallowin\\Orvane Monitor\\Parameters\\Sub\\Keyring\\Keys", "12", "parameterskey");
  SetStringValue("Software\\Tallowin\\Orvane Monitor\\Parameters\\Sub\\Keyring\\Conf", "TrustedKey", "12");
  KeyEntry key;
  LoadKeyring("");
  EXPECT_EQ(FetchKey(11, &key), 0u);
  EXPECT_EQ(FetchKey(12, &key), kKeyNotInKeyring);
  LoadKeyring("Sub");
  EXPECT_EQ(FetchKey(12, &key), 0u);
  EXPECT_EQ(FetchKey(11, &key), kKeyNotInKeyring);
  // A reload without any keyring leaves only the built-in key.
  LoadKeyring("\\\\Software\\Nowhere");
  EXPECT_EQ(FetchKey(12, &key), kKeyNotInKeyring);
  EXPECT_EQ(FetchKey(kBuiltInKeyNumber, &key), 0u);
}

TEST_F(KeyringRegistryTest, InstalledProductKey) {
  EXPECT_EQ(GetInstalledProductKey(), "");
  SetStringValue("System\\CurrentControlSet\\Services\\Orvane Server", "DisplayName", "server");
  EXPECT_EQ(GetInstalledProductKey(), "\\\\Software\\Tallowin\\Orvane Server");
  SetStringValue("System\\CurrentControlSet\\Services\\Orvane Client", "DisplayName", "client");
  EXPECT_EQ(GetInstalledProductKey(), "\\\\Software\\Tallowin\\Orvane Client");
}

TEST_F(KeyringRegistryTest, LoadSettingsLoadsTheInstalledProductsKeyring) {
  SetStringValue("System\\CurrentControlSet\\Services\\Orvane Server", "DisplayName", "server");
  SetStringValue("Software\\Tallowin\\Orvane Server\\Keyring\\Keys", "9", "serverkey");
  SetStringValue("Software\\Tallowin\\Orvane Server\\Keyring\\Conf", "TrustedKey", "9");
  SetStringValue(kClientKeys, "8", "clientkey");  // the client is not installed
  SetStringValue(kClientConf, "TrustedKey", "8");
  CMonitorSettings settings;
  LoadSettings(&settings);
  KeyEntry key;
  ASSERT_EQ(FetchKey(9, &key), 0u);
  EXPECT_EQ(key.text, "serverkey");
  EXPECT_EQ(FetchKey(8, &key), kKeyNotInKeyring);
}

TEST(PlatformNetlogon, WineHasNoDigestFunctions) {
  // The platform's own layer: Wine's netapi32 lacks the Netlogon digest functions.
  INetlogon& netlogon = PlatformNetlogon();
  if (GetProcAddress(LoadLibraryA("netapi32.dll"), "I_NetlogonComputeClientDigest"))
    GTEST_SKIP() << "this system has the Netlogon digest functions";
  EXPECT_FALSE(netlogon.DigestFunctionsAvailable());
  uint8_t data[8] = {}, digest[16] = {};
  EXPECT_EQ(WindowsDigestCheck(data, 8, digest), kNetlogonUnavailable);
  uint32_t rid = 0;
  EXPECT_EQ(FetchMachineRid(&rid), kNetlogonUnavailable);
  EXPECT_FALSE(KeyExists(1));
  EXPECT_TRUE(KeyExists(kBuiltInKeyNumber));
  TimeSourceSpec spec;
  EXPECT_FALSE(ParseTimeSource(spec, "server a protocol ntp key windows", true));
  EXPECT_EQ(spec.errorCode, 127u);
  EXPECT_EQ(spec.errorText.rfind("Unable to fetch machine RID; ", 0), 0u);
}

TEST(PlatformDirectory, LooksUpWithoutADomain) {
  // No directory under Wine: the lookup fails with the platform's code and a message.
  DomainControllerInfo info;
  uint32_t status = PlatformDomainDirectory().LookupPrimaryController("NOWHERE", &info);
  EXPECT_NE(status, 0u);
  TimeSourceSpec spec;
  EXPECT_FALSE(ParseTimeSource(spec, "domain nowhere protocol ntp", true));
  EXPECT_EQ(spec.errorCode, status);
  EXPECT_EQ(spec.errorText.rfind("Could not look up domain \"nowhere\"; ", 0), 0u);
  EXPECT_FALSE(PlatformDomainDirectory().ThisMachine().isPrimaryController);
}

TEST(PlatformDirectory, OwnAddresses) {
  IDomainDirectory& directory = PlatformDomainDirectory();
  EXPECT_TRUE(directory.IsOwnAddress("127.0.0.1"));
  EXPECT_TRUE(directory.IsOwnAddress("169.254.1.1"));
  EXPECT_TRUE(directory.IsOwnAddress("::1"));
  EXPECT_FALSE(directory.IsOwnAddress("203.0.113.77"));  // documentation range
  EXPECT_FALSE(directory.IsOwnAddress("127.0.0.2"));
  EXPECT_FALSE(directory.IsOwnAddress("localhost"));
  EXPECT_FALSE(directory.IsOwnAddress(""));
  // The adapters' IPv4 addresses as the older adapter list reports them count as own.
  ULONG size = 0;
  GetAdaptersInfo(nullptr, &size);
  std::vector<uint64_t> storage(size / sizeof(uint64_t) + 1);
  auto* info = reinterpret_cast<IP_ADAPTER_INFO*>(storage.data());
  int checked = 0;
  if (size && GetAdaptersInfo(info, &size) == NO_ERROR) {
    for (IP_ADAPTER_INFO* adapter = info; adapter; adapter = adapter->Next)
      for (IP_ADDR_STRING* ip = &adapter->IpAddressList; ip; ip = ip->Next) {
        std::string text = ip->IpAddress.String;
        if (text.empty() || text == "0.0.0.0") continue;
        EXPECT_TRUE(directory.IsOwnAddress(text)) << text;
        ++checked;
      }
  }
  if (checked == 0) GTEST_SKIP() << "no adapter has an IPv4 address";
}

}  // namespace
