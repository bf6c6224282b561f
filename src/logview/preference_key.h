// The applet's per-user key, HKEY_CURRENT_USER "Software\Tallowin\Orvane\Monitor CPL", where
// the log viewer keeps its preferences. Every read is bounded and typed: a value of another
// type or size reads as missing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

extern const char kPreferenceKeyPath[];

class CPreferenceKey {
 public:
  enum class Access { kRead, kWrite };
  // Opens the key; for writing it is created when missing.
  explicit CPreferenceKey(Access access);
  // Closes the key.
  ~CPreferenceKey();
  CPreferenceKey(const CPreferenceKey&) = delete;
  CPreferenceKey& operator=(const CPreferenceKey&) = delete;

  // A REG_SZ or REG_EXPAND_SZ text of at most maxBytes, as stored.
  bool ReadText(const char* name, size_t maxBytes, std::string* text) const;
  // A REG_DWORD.
  bool ReadDword(const char* name, uint32_t* value) const;
  // A "True"/"False" text by the settings' first-byte rule; fallback when missing.
  bool ReadBool(const char* name, bool fallback) const;
  // A REG_BINARY of exactly size bytes.
  bool ReadBinary(const char* name, void* data, DWORD size) const;
  // The strings of a UTF-16 REG_MULTI_SZ of at most maxBytes, empty ones left out.
  bool ReadWideList(const char* name, DWORD maxBytes, std::vector<std::wstring>* items) const;

  // A text, REG_EXPAND_SZ when it begins with '%', else REG_SZ.
  void WriteText(const char* name, const std::string& text);
  // A REG_DWORD.
  void WriteDword(const char* name, uint32_t value);
  // "True" or "False".
  void WriteBool(const char* name, bool value);
  // A REG_BINARY.
  void WriteBinary(const char* name, const void* data, DWORD size);
  // A UTF-16 REG_MULTI_SZ.
  void WriteWideList(const char* name, const std::vector<std::wstring>& items);

 private:
  LONG Query(const char* name, DWORD* type, void* data, DWORD* size) const;

  HKEY key_ = nullptr;
};
