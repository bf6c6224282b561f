// The keyring the reply fuzz targets sign and verify with: key 1 MD5 and key 2 SHA1, trusted.
#pragma once
#include "sampling/keyring.h"

// Installs the keys on the first call; later calls do nothing.
inline void InstallFuzzKeys() {
  static const bool installed = [] {
    KeyringSource source;
    source.keyValues = {{"1", "testMD5key"}, {"2", "00112233445566778899AABBCCDDEEFF01234567"}};
    source.trustedKeys = "1 2";
    InstallKeyring(BuildKeyring(source));
    return true;
  }();
  (void)installed;
}
