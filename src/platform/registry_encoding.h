// The settings' registry encodings as pure functions: key paths, booleans, flags,
// string lists and folder texts. The Win32 reads and writes are in registry.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The product title, which names the product key below Software\Tallowin.
extern const char kProductTitle[];

// Turns a subkey argument (empty, a name, "\", "\sub\key" or "\\root\path") into a key path below HKLM.
std::string BuildSettingsKeyPath(const std::string& subkey);
// The boolean rule on up to 16 bytes of a value of any type (first byte decides).
bool DecodeRegistryBool(const unsigned char* data, size_t size);
// The "Service Installed" rule for a value read as 4 bytes.
bool DecodeFlagNumber(uint32_t value);
// The "Service Installed" rule for a value read as text.
bool DecodeFlagText(const std::string& text);
// Splits a REG_MULTI_SZ block into items, skipping leading spaces and empty items;
// a block without its final terminator still yields its last item.
std::vector<std::string> DecodeStringList(const char* data, size_t size);
// A REG_MULTI_SZ block: items with leading spaces stripped, empty items skipped, an extra
// zero byte at the end (an empty list is two zero bytes).
std::string EncodeStringList(const std::vector<std::string>& items);
// The path with a trailing backslash, added when missing (an empty path becomes a lone one).
std::string WithTrailingBackslash(std::string path);
// Folder text with '/' as '\' and a trailing '\'; doubled backslashes become one except
// the leading pair of a network path. Sets *collapsed when a doubled backslash was removed.
std::string NormaliseFolderText(std::string text, bool* collapsed);
