// CMRU: adding, bounding and storing the recently opened files per user.
#include "logview/recent_files.h"

#include "logview/log_files.h"
#include "logview/viewer_preferences.h"
#include "platform/registry.h"

namespace {

const char kValueName[] = "LogView MRU";
const DWORD kMaxValueBytes = 64 * 1024;  // ten paths need a tenth of this

std::string ToAnsi(const std::wstring& text) {
  int size = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(length > 0 ? length : 0, '\0');
  if (length > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), size, &ansi[0], length, nullptr, nullptr);
  return ansi;
}

std::wstring ToWide(const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

}  // namespace

void CMRU::Load() {
  std::vector<std::wstring> stored;
  CRegistryKey(HKEY_CURRENT_USER, kPreferenceKeyPath, CRegistryKey::Access::kRead).ReadWideList(kValueName, kMaxValueBytes, &stored);
  for (const std::wstring& entry : stored)
    if (entries_.size() < kMaxCount) entries_.push_back(ToAnsi(entry));
}

void CMRU::Save() const {
  std::vector<std::wstring> wide;
  for (const std::string& entry : entries_) wide.push_back(ToWide(entry));
  CRegistryKey(HKEY_CURRENT_USER, kPreferenceKeyPath, CRegistryKey::Access::kCreate).WriteWideList(kValueName, wide);
}

void CMRU::Add(const std::string& path) { AddRecentFile(&entries_, path, kMaxCount); }
