// The registry schema of the settings record: every value the record keeps, in the order a save
// writes them, with its subkey, name, encoding, load limits and the field that holds it. Load,
// save and ovmonctl's listing all walk it; a value's default is what CMonitorSettings starts with.
#pragma once
#include <string>
#include <variant>
#include <vector>

#include "mail/mailbox.h"
#include "monitor/settings.h"
#include "platform/registry_schema.h"

// The sender: "From" as one mailbox text, held as address and display name.
struct MailSenderField {
  std::string* address;
  std::string* name;
};
// The mail password, stored scrambled; a listing shows only whether it is set.
struct MailPasswordField {
  std::string* password;
};
// Which folder a FolderField holds: the data folder is loaded before anything else.
enum class FolderKind { kData, kMailQueue };
// A folder that its own load step defaults, normalises and creates.
struct FolderField {
  std::string* folder;
  FolderKind kind;
};
// A list of mailboxes, stored as a list of mailbox texts.
using MailboxesField = std::vector<Mailbox>*;

// The field a value of the record is kept in.
using SettingsField = std::variant<RegistryField, MailboxesField, MailSenderField, MailPasswordField, FolderField>;

// One value of the record.
struct SettingsValue {
  const char* subkey;  // as BuildSettingsKeyPath takes it
  const char* name;
  SettingsField field;
  RegistryLimits limits = {};
};

// The Parameters key as a subkey argument.
extern const char kParametersKey[];
// The name of the scrambled mail password in kSmtpKey.
extern const char kPasswordValue[];

// The record's values in save order (the network discovery values, saved last, are
// DiscoverySchema's), over the fields of settings.
std::vector<SettingsValue> SettingsSchema(CMonitorSettings& settings);
// The value whose field is field (a member of the record the schema was made over); null when none is.
const SettingsValue* FindSettingsValue(const std::vector<SettingsValue>& schema, const void* field);
// What ovmonctl lists for a value: one text per line (a list gives one per item, the password
// only "(set)" or "(not set)").
std::vector<std::string> SettingsValueTexts(const SettingsValue& value);
