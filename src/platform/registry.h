// Registry primitives shared by every part that keeps settings: the functions below work on
// HKEY_LOCAL_MACHINE, open and close their key and leave the registry result as the thread's
// last error (subkeys follow BuildSettingsKeyPath, "" is the Parameters key); CRegistryKey is one
// open key below any root, such as the per-user key of the applet's preferences.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_schema.h"

// Boolean by the first-byte rule; missing or unreadable gives fallback, over 16 bytes gives true.
bool ReadRegistryBool(const std::string& subkey, const char* name, bool fallback);
// 32-bit number, no type check; missing or longer than 4 bytes gives fallback.
uint32_t ReadRegistryDword(const std::string& subkey, const char* name, uint32_t fallback);
// Text of any type up to maxBytes; missing, unreadable or longer gives fallback.
std::string ReadRegistryString(const std::string& subkey, const char* name, const std::string& fallback,
                               size_t maxBytes = 4096);
// The most bytes a value is read with unless the caller allows fewer (the product stores nothing near it).
constexpr size_t kMaxRegistryValueBytes = 1 << 20;
// Raw bytes and type of a value; false when missing, unreadable or longer than maxBytes (nothing
// of it is then read, and the last error is ERROR_MORE_DATA).
bool ReadRegistryBinary(const std::string& subkey, const char* name, std::string* data, DWORD* type = nullptr,
                        size_t maxBytes = kMaxRegistryValueBytes);
// String list (REG_MULTI_SZ); clears *items first; false when missing or unreadable.
bool ReadRegistryList(const std::string& subkey, const char* name, std::vector<std::string>* items);
// The "Service Installed" style flag: a number of up to 4 bytes, else its text, else fallback.
bool ReadRegistryFlag(const std::string& subkey, const char* name, bool fallback);
// True when the value exists (of any type).
bool RegistryValueExists(const std::string& subkey, const char* name);
// True when the key can be opened for reading.
bool RegistryKeyExists(const std::string& subkey);

// Stores a value of the given type; absent data or length 0 deletes the value instead.
bool WriteRegistryValue(const std::string& subkey, const char* name, DWORD type, const void* data, DWORD length);
// "True" or "False" as REG_SZ.
bool WriteRegistryBool(const std::string& subkey, const char* name, bool value);
// REG_DWORD.
bool WriteRegistryDword(const std::string& subkey, const char* name, uint32_t value);
// REG_SZ with its terminator (an empty text is one zero byte).
bool WriteRegistryString(const std::string& subkey, const char* name, const std::string& text);
// REG_MULTI_SZ from items (leading spaces stripped, empty items skipped).
bool WriteRegistryList(const std::string& subkey, const char* name, const std::vector<std::string>& items);
// Deletes a value.
bool DeleteRegistryValue(const std::string& subkey, const char* name);
// Deletes a key and everything below it.
bool DeleteRegistryKey(const std::string& subkey);

// Loads one schema value from key (its own subkey unless another is given) into its field:
// missing gives fallback, numbers are clamped, an empty list gives fallback. False when a stored
// text was too long to take (the field then holds fallback).
bool LoadRegistryField(const RegistryValue& value, const RegistryField& fallback, const std::string& key);
// Writes one schema value with its field's encoding.
bool SaveRegistryField(const RegistryValue& value);

// One open key below a root, closed on scope exit. Every read is bounded by the caller and leaves
// the registry result as the thread's last error; a key that did not open reads as missing and
// ignores writes.
class CRegistryKey {
 public:
  enum class Access { kRead, kCreate, kModify };
  // Opens root\path (kCreate: created when missing, for reading and writing).
  CRegistryKey(HKEY root, const std::string& path, Access access);
  // Closes the key.
  ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // The open key, or null.
  HKEY Handle() const { return key_; }
  // The result of opening the key.
  LONG Result() const { return result_; }

  // Reads at most *size bytes and the value's type; the registry result.
  LONG Query(const char* name, void* data, DWORD* size, DWORD* type) const;
  // Boolean by the first-byte rule; missing or unreadable gives fallback, over 16 bytes gives true.
  bool ReadBool(const char* name, bool fallback) const;
  // A REG_SZ or REG_EXPAND_SZ text of at most maxBytes, as stored; false for any other.
  bool ReadText(const char* name, size_t maxBytes, std::string* text) const;
  // A REG_DWORD of four bytes; false for any other.
  bool ReadDword(const char* name, uint32_t* value) const;
  // A REG_BINARY of exactly size bytes; false for any other.
  bool ReadBinary(const char* name, void* data, DWORD size) const;
  // Appends the strings of a UTF-16 REG_MULTI_SZ of at most maxBytes, empty ones left out;
  // false (nothing appended) for any other type or a longer value.
  bool ReadWideList(const char* name, DWORD maxBytes, std::vector<std::wstring>* items) const;

  // Stores a value of the given type; the registry result.
  LONG Write(const char* name, DWORD type, const void* data, DWORD length);
  // A text with its terminator, REG_SZ or REG_EXPAND_SZ.
  LONG WriteText(const char* name, const std::string& text, DWORD type = REG_SZ);
  // "True" or "False" as REG_SZ.
  LONG WriteBool(const char* name, bool value);
  // A REG_DWORD.
  LONG WriteDword(const char* name, uint32_t value);
  // A UTF-16 REG_MULTI_SZ of the non-empty items (an empty list is two terminators).
  LONG WriteWideList(const char* name, const std::vector<std::wstring>& items);

 private:
  HKEY key_ = nullptr;
  LONG result_;
};
