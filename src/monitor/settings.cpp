// LoadSettings and SaveSettings over the registry schema, with the values' special rules.
#include "monitor/settings.h"

#include <windows.h>

#include <cstdlib>

#include "monitor/password_scramble.h"
#include "monitor/settings_schema.h"
#include "monitor/settings_upgrade.h"
#include "platform/access_lists.h"
#include "platform/guarded_files.h"
#include "platform/host_name.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "sampling/installed_product.h"
#include "sampling/keyring.h"

namespace {

std::string TextKey(const SettingsValue& value) { return std::string(value.subkey) + "|" + value.name; }

// A text value; one too long for its field gives fallback and is noted as not taken.
std::string LoadText(CMonitorSettings* s, const SettingsValue& value, const std::string& fallback) {
  std::string text = ReadRegistryString(value.subkey, value.name, fallback, value.limits.maxBytes);
  if (GetLastError() == ERROR_MORE_DATA) s->untakenTexts[TextKey(value)] = text;
  return text;
}

// Writes a text, unless it stands in for a stored one the load could not take and is unchanged.
void SaveText(const CMonitorSettings& s, const SettingsValue& value, const std::string& text) {
  auto untaken = s.untakenTexts.find(TextKey(value));
  if (untaken != s.untakenTexts.end() && untaken->second == text) return;
  WriteRegistryString(value.subkey, value.name, text);
}

// A directory from the system with one trailing backslash.
std::string SystemDirectory() {
  char path[MAX_PATH] = "";
  GetSystemDirectoryA(path, MAX_PATH);
  return WithTrailingBackslash(path);
}

std::string WindowsDirectory() {
  char path[MAX_PATH] = "";
  GetWindowsDirectoryA(path, MAX_PATH);
  return WithTrailingBackslash(path);
}

// A folder too long to take is replaced by the default in the record only: the stored one stays.
std::string LoadDataFolder(CMonitorSettings* s, const SettingsValue& value) {
  std::string stored = LoadText(s, value, "");
  std::string folder = stored.empty() ? SystemDirectory() + "\\OVMonitorData\\" : stored;
  bool collapsed = false;
  folder = NormaliseFolderText(folder, &collapsed);
  if (s->untakenTexts.count(TextKey(value)))
    s->untakenTexts[TextKey(value)] = folder;
  else if (stored.empty() || collapsed)
    WriteRegistryString(value.subkey, value.name, folder);
  CreateGuardedFolder(folder);
  return folder;
}

std::string LoadQueueFolder(CMonitorSettings* s, const SettingsValue& value) {
  std::string folder = LoadText(s, value, "");
  if (folder.empty()) folder = WindowsDirectory() + "TLServiceSMTP\\" + kProductTitle + "\\";
  for (char& c : folder)
    if (c == '/') c = '\\';
  folder = WithTrailingBackslash(folder);
  CreateGuardedFolder(folder);
  if (s->untakenTexts.count(TextKey(value)))
    s->untakenTexts[TextKey(value)] = folder;
  else
    WriteRegistryString(value.subkey, value.name, folder);
  return folder;
}

// "From" as address and display name; an empty address becomes this machine's default sender.
void LoadMailSender(CMonitorSettings* s, const SettingsValue& value, const MailSenderField& sender) {
  Mailbox from = ParseMailbox(LoadText(s, value, ""));
  *sender.address = from.address;
  *sender.name = from.name;
  if (!from.address.empty()) return;
  *sender.address = "ovmonitor@" + DefaultSenderDomain(OfficialHostName());
  *sender.name = kProductTitle;
  auto untaken = s->untakenTexts.find(TextKey(value));
  if (untaken != s->untakenTexts.end()) untaken->second = FormatMailbox(*sender.address, *sender.name);
}

// Loads one value of the schema into the record; the data folder has been loaded before.
class CValueLoader {
 public:
  CValueLoader(CMonitorSettings* settings, const SettingsValue& value, const SettingsField& fallback)
      : s_(settings), value_(value), fallback_(fallback) {}

  void operator()(const RegistryField& field) const {
    if (!LoadRegistryField({value_.subkey, value_.name, field, value_.limits}, std::get<RegistryField>(fallback_),
                           value_.subkey))
      s_->untakenTexts[TextKey(value_)] = *std::get<std::string*>(field);
  }
  void operator()(MailboxesField list) const {
    std::vector<std::string> texts;
    ReadRegistryList(value_.subkey, value_.name, &texts);
    *list = ParseMailboxList(texts);
  }
  void operator()(const MailSenderField& sender) const { LoadMailSender(s_, value_, sender); }
  void operator()(const MailPasswordField& secret) const { *secret.password = ReadScrambledPassword(); }
  void operator()(const FolderField& folder) const {
    if (folder.kind == FolderKind::kMailQueue) *folder.folder = LoadQueueFolder(s_, value_);
  }

 private:
  CMonitorSettings* s_;
  const SettingsValue& value_;
  const SettingsField& fallback_;
};

// Writes one value of the schema from the record.
class CValueSaver {
 public:
  CValueSaver(const CMonitorSettings& settings, const SettingsValue& value) : s_(settings), value_(value) {}

  void operator()(const RegistryField& field) const {
    if (auto text = std::get_if<std::string*>(&field))
      SaveText(s_, value_, **text);
    else
      SaveRegistryField({value_.subkey, value_.name, field, value_.limits});
  }
  void operator()(MailboxesField list) const {
    WriteRegistryList(value_.subkey, value_.name, FormatMailboxList(*list));
  }
  void operator()(const MailSenderField& sender) const {
    SaveText(s_, value_, FormatMailbox(*sender.address, *sender.name));
  }
  void operator()(const MailPasswordField& secret) const { WriteScrambledPassword(*secret.password); }
  void operator()(const FolderField& folder) const { SaveText(s_, value_, *folder.folder); }

 private:
  const CMonitorSettings& s_;
  const SettingsValue& value_;
};

// The scrambler's seed: a running value plus the tick count, never one of the unusable seeds.
uint32_t NextPasswordSeed() {
  static uint32_t running = 0;
  do {
    running += GetTickCount();
  } while (IsUnusableSeed(running));
  return running;
}

}  // namespace

std::string DefaultSenderDomain(const std::string& officialName) {
  size_t firstDot = officialName.find('.');
  if (firstDot == std::string::npos || officialName.find('.', firstDot + 1) == std::string::npos)
    return officialName;
  return officialName.substr(firstDot + 1);
}

void WriteScrambledPassword(const std::string& password) {
  uint32_t seed = NextPasswordSeed();
  uint32_t filler = static_cast<uint32_t>(std::rand()) * static_cast<uint32_t>(std::rand()) *
                    static_cast<uint32_t>(std::rand());
  std::string stored = ScramblePassword(password, seed, filler);
  GuardSecretKey(kSmtpKey);  // the password's key: SYSTEM and Administrators alone may read it
  WriteRegistryValue(kSmtpKey, kPasswordValue, REG_BINARY, stored.data(), static_cast<DWORD>(stored.size()));
  SecureZeroMemory(&stored[0], stored.size());
}

std::string ReadScrambledPassword() {
  std::string stored;
  DWORD type = REG_NONE;
  if (!ReadRegistryBinary(kSmtpKey, kPasswordValue, &stored, &type)) return std::string();
  std::string password;
  if (type == REG_SZ)
    password = stored.substr(0, stored.find('\0'));
  else if (type == REG_BINARY)
    password = UnscramblePassword(reinterpret_cast<const unsigned char*>(stored.data()), stored.size());
  if (!stored.empty()) SecureZeroMemory(&stored[0], stored.size());
  return password;
}

void LoadSettings(CMonitorSettings* s) {
  s->untakenTexts.clear();
  CMonitorSettings defaults;
  std::vector<SettingsValue> fallbacks = SettingsSchema(defaults);
  std::vector<SettingsValue> values = SettingsSchema(*s);
  for (const SettingsValue& value : values) {
    auto folder = std::get_if<FolderField>(&value.field);
    if (folder && folder->kind == FolderKind::kData) *folder->folder = LoadDataFolder(s, value);
  }
  ConvertOldCheckResults();
  ConvertOldSettingsLayout(s->dataFolder);
  for (size_t i = 0; i < values.size(); ++i) std::visit(CValueLoader(s, values[i], fallbacks[i].field), values[i].field);
  LoadNetworkDiscoverySettings(&s->discovery);
  LoadKeyring(GetInstalledProductKey());
}

void SaveSettings(const CMonitorSettings& s) {
  GuardSecretKey(kSmtpKey);  // the mail password's key: SYSTEM and Administrators alone may read it
  CMonitorSettings saved = s;
  for (const SettingsValue& value : SettingsSchema(saved)) std::visit(CValueSaver(s, value), value.field);
  SaveNetworkDiscoverySettings(s.discovery);
}

void SaveSettingsFields(CMonitorSettings& s, const std::vector<const void*>& fields) {
  std::vector<SettingsValue> schema = SettingsSchema(s);
  for (const void* field : fields)
    if (const SettingsValue* value = FindSettingsValue(schema, field)) std::visit(CValueSaver(s, *value), value->field);
}
