// Loading and saving the settings record against the real (Wine) registry.
#include "monitor/settings.h"

#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "monitor/data_store.h"
#include "monitor/old_settings.h"
#include "monitor/settings_schema.h"
#include "monitor/summary_record.h"
#include "platform/access_lists.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "support/registry_sandbox.h"

namespace {

const std::string kParams = BuildSettingsKeyPath("");
const std::string kSmtp = BuildSettingsKeyPath(kSmtpKey);
const std::string kManager = "Software\\Tallowin\\Orvane Manager\\Parameters";

std::string SystemDirectory() {
  char path[MAX_PATH];
  GetSystemDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\";
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A private data folder so tests never share summary files.
std::string PrivateFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "ovmon-" + std::to_string(GetCurrentProcessId()) + "-" + name + "\\";
}

class SettingsTest : public ::testing::Test {
 protected:
  CMonitorSettings Load() {
    CMonitorSettings s;
    LoadSettings(&s);
    return s;
  }
  std::string Value(const std::string& key, const char* name) {
    DWORD type = 0;
    std::string data;
    return GetRawValue(key.c_str(), name, &type, &data) ? data : "<missing>";
  }
  CRegistrySandbox sandbox_;
};

TEST_F(SettingsTest, EmptyRegistryGivesDefaults) {
  CMonitorSettings s = Load();
  CMonitorSettings d;
  EXPECT_EQ(s.checkFrequency, 720u);
  EXPECT_EQ(s.singleLimit, 1000u);
  EXPECT_TRUE(s.singleTest);
  EXPECT_EQ(s.retentionDays, 30u);
  EXPECT_EQ(s.audioRepeatInterval, 3000u);
  EXPECT_EQ(s.mailServer, "127.0.0.1");
  EXPECT_EQ(s.mailPort, 25);
  EXPECT_EQ(s.mailFormat, 1u);
  EXPECT_EQ(s.referenceClockType, 2u);
  EXPECT_EQ(s.logging, d.logging);
  EXPECT_EQ(s.discovery, d.discovery);
  EXPECT_EQ(s.mailSenderName, "Orvane Monitor");
  EXPECT_EQ(s.mailSenderAddress.rfind("ovmonitor@", 0), 0u) << s.mailSenderAddress;
  // The default data folder has its doubled backslash folded, is stored and exists.
  EXPECT_EQ(s.dataFolder, SystemDirectory() + "OVMonitorData\\");
  EXPECT_EQ(Value(kParams, "Data Folder"), s.dataFolder + '\0');
  EXPECT_TRUE(FolderExists(s.dataFolder));
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(s.mailQueueFolder, std::string(windows) + "\\TLServiceSMTP\\Orvane Monitor\\");
  EXPECT_EQ(Value(kSmtp, "Queue"), s.mailQueueFolder + '\0');
  EXPECT_TRUE(FolderExists(s.mailQueueFolder));
}

TEST_F(SettingsTest, LoadRulesClampValues) {
  const struct {
    const char* subkey;
    const char* name;
    DWORD stored;
    uint32_t CMonitorSettings::*field;
    uint32_t expected;
  } cases[] = {
      {kSummariesKey, "Retention (days)", 0, &CMonitorSettings::retentionDays, 1},
      {kSummariesKey, "Retention (days)", 5000, &CMonitorSettings::retentionDays, 1825},
      {kSummariesKey, "Retention (records)", 0, &CMonitorSettings::retentionRecords, 1},
      {kSummariesKey, "Retention (records)", 12000, &CMonitorSettings::retentionRecords, 9999},
      {kAudioKey, "Repeat Interval (milliseconds)", 10, &CMonitorSettings::audioRepeatInterval, 1000},
      {kAudioKey, "Repeat Interval (milliseconds)", 20000000, &CMonitorSettings::audioRepeatInterval, 14400000},
      {kSmtpKey, "Format", 7, &CMonitorSettings::mailFormat, 2},
      {kSmtpKey, "Security", 4, &CMonitorSettings::mailSecurity, 3},
      {kSmtpKey, "Log Level", 6, &CMonitorSettings::mailLogLevel, 5},
      {"", "Check Frequency (minutes)", 5, &CMonitorSettings::checkFrequency, 5},
  };
  for (const auto& c : cases) {
    SetDwordValue(BuildSettingsKeyPath(c.subkey).c_str(), c.name, c.stored);
    EXPECT_EQ(Load().*c.field, c.expected) << c.name << " " << c.stored;
  }
  const std::string text = BuildSettingsKeyPath(kTextLogKey);
  SetDwordValue(text.c_str(), "Log Level", 9);
  SetDwordValue(text.c_str(), "Max Archives", 0);
  EXPECT_EQ(Load().logging.textLogLevel, 5u);
  EXPECT_EQ(Load().logging.textMaxArchives, 1u);
  SetDwordValue(text.c_str(), "Max Archives", 400);
  EXPECT_EQ(Load().logging.textMaxArchives, 366u);
}

TEST_F(SettingsTest, DataFolderIsNormalisedAndWrittenBackOnlyWhenFolded) {
  std::string base = PrivateFolder("data");
  std::string forward = base + "a/b";
  for (char& c : forward)
    if (c == '\\') c = '/';
  SetStringValue(kParams.c_str(), "Data Folder", forward.c_str());
  CMonitorSettings s = Load();
  EXPECT_EQ(s.dataFolder, base + "a\\b\\");
  EXPECT_TRUE(FolderExists(s.dataFolder));
  EXPECT_EQ(Value(kParams, "Data Folder"), forward + '\0');  // not written back

  std::string doubled = base + "c\\\\d";
  SetStringValue(kParams.c_str(), "Data Folder", doubled.c_str());
  EXPECT_EQ(Load().dataFolder, base + "c\\d\\");
  EXPECT_EQ(Value(kParams, "Data Folder"), base + "c\\d\\" + '\0');

  SetStringValue(kParams.c_str(), "Data Folder", "\\\\server\\share\\data");
  EXPECT_EQ(Load().dataFolder, "\\\\server\\share\\data\\");  // a network path keeps its leading pair
}

CMonitorSettings Customised() {
  CMonitorSettings s;
  s.dnsLookupsEnabled = true;
  s.singleLimit = 2500;
  s.totalTest = false;
  s.checkFrequency = 15;
  s.scale = 2;
  s.summariesEnabled = true;
  s.summariesLevel = 1;
  s.retentionDays = 90;
  s.dataFolder = PrivateFolder("roundtrip");
  s.mailEnabled = true;
  s.appletPopup = true;
  s.audioEnabled = true;
  s.audioFileName = "C:\\sounds\\alert.wav";
  s.audioRepeatInterval = 5000;
  s.mailServer = "smtp.example.com";
  s.mailPort = 587;
  s.mailFormat = 2;
  s.mailSecurity = 1;
  s.mailLogLevel = 4;
  s.mailUserName = "alice";
  s.mailPassword = "s3cret with spaces";
  s.mailQueueFolder = PrivateFolder("queue");
  s.mailSenderAddress = "monitor@example.com";
  s.mailSenderName = "Clock Monitor";
  s.mailTo = {{"ops@example.com", "Ops Team"}, {"boss@example.com", ""}};
  s.mailCc = {{"cc@example.com", "Copy"}};
  s.mailBcc = {{"audit@example.com", ""}};
  s.referenceClocks = {"ntp:time.example.com", "ov2:10.0.0.1"};
  s.referenceClockType = 3;
  s.referenceClockAnalyze = false;
  s.logging = {4, 1048576, 10, 1, 2};
  s.discovery.udpRecvTimeout = 250;
  s.discovery.ipv6MulticastEnabled = true;
  s.discovery.ipv4BroadcastCustomList = {"10.0.0.255", "10.1.0.255"};
  return s;
}

TEST_F(SettingsTest, SaveThenLoadGivesTheSameRecordAndStableBytes) {
  CMonitorSettings original = Customised();
  SaveSettings(original);
  CMonitorSettings loaded = Load();
  EXPECT_TRUE(loaded == original);
  EXPECT_EQ(loaded.mailTo, original.mailTo);
  EXPECT_EQ(loaded.mailPassword, original.mailPassword);

  const std::string product = BuildSettingsKeyPath("\\");
  SaveSettings(loaded);
  std::string first = ExportKeyTree(product.c_str());
  std::string firstPassword = ReadScrambledPassword();
  SaveSettings(Load());
  std::string second = ExportKeyTree(product.c_str());
  // The password is scrambled with a fresh seed on every save: compare what it reads back as.
  auto withoutPassword = [](std::string tree) {
    size_t at = tree.find("\\Logs and Alerts\\SMTP|Password");
    return at == std::string::npos ? tree : tree.erase(at, tree.find('\n', at) - at);
  };
  EXPECT_EQ(withoutPassword(first), withoutPassword(second));
  EXPECT_EQ(ReadScrambledPassword(), firstPassword);
}

// A value of a plain field unlike its default and within its limits; n tells fields apart.
void ChangeField(const RegistryField& field, const RegistryLimits& limits, size_t n) {
  std::visit(
      [&](auto* value) {
        using T = std::remove_pointer_t<decltype(value)>;
        if constexpr (std::is_same_v<T, bool>)
          *value = !*value;
        else if constexpr (std::is_same_v<T, std::string>)
          *value = "changed " + std::to_string(n);
        else if constexpr (std::is_same_v<T, std::vector<std::string>>)
          *value = {"first " + std::to_string(n), "second"};
        else
          *value = static_cast<T>(ClampToLimits(uint32_t(limits.low + 1000 + n), limits));
      },
      field);
}

// Every field of the record (and of its discovery settings) a value unlike its default.
void ChangeEveryValue(CMonitorSettings* s) {
  std::vector<SettingsValue> schema = SettingsSchema(*s);
  for (size_t n = 0; n < schema.size(); ++n) {
    const SettingsValue& v = schema[n];
    if (auto plain = std::get_if<RegistryField>(&v.field)) ChangeField(*plain, v.limits, n);
    if (auto list = std::get_if<MailboxesField>(&v.field)) **list = {{"to" + std::to_string(n) + "@example.com", "A"}};
    if (auto sender = std::get_if<MailSenderField>(&v.field)) {
      *sender->address = "sender@example.com";
      *sender->name = "Sender";
    }
    if (auto secret = std::get_if<MailPasswordField>(&v.field)) *secret->password = "pa55 word";
    if (auto folder = std::get_if<FolderField>(&v.field)) *folder->folder = PrivateFolder(v.name);
  }
  std::vector<RegistryValue> discovery = DiscoverySchema(s->discovery);
  for (size_t n = 0; n < discovery.size(); ++n) ChangeField(discovery[n].field, discovery[n].limits, n);
}

// One line per value, its name and its listed texts, for the messages of a failed comparison.
std::string ListedLine(const std::string& name, const std::vector<std::string>& texts) {
  std::string line = name + " =";
  for (const std::string& text : texts) line += " [" + text + "]";
  return line;
}

std::vector<std::string> Listed(CMonitorSettings s) {
  std::vector<std::string> lines;
  for (const SettingsValue& v : SettingsSchema(s))
    lines.push_back(ListedLine(std::string(v.subkey) + "|" + v.name, SettingsValueTexts(v)));
  for (const RegistryValue& v : DiscoverySchema(s.discovery)) lines.push_back(ListedLine(v.name, RegistryFieldTexts(v.field)));
  return lines;
}

TEST_F(SettingsTest, EverySchemaValueRoundTrips) {
  CMonitorSettings saved = Load();
  ChangeEveryValue(&saved);
  std::vector<std::string> defaults = Listed(CMonitorSettings()), changed = Listed(saved);
  ASSERT_EQ(defaults.size(), changed.size());
  for (size_t i = 0; i < changed.size(); ++i) EXPECT_NE(changed[i], defaults[i]);  // each value really changed
  SaveSettings(saved);
  CMonitorSettings loaded = Load();
  EXPECT_EQ(Listed(loaded), changed);
  EXPECT_TRUE(loaded == saved);
}

// The values of the record and of its discovery settings kept in plain fields, in schema order.
std::vector<RegistryValue> PlainValues(CMonitorSettings& s) {
  std::vector<RegistryValue> values = DiscoverySchema(s.discovery);
  for (const SettingsValue& v : SettingsSchema(s))
    if (auto plain = std::get_if<RegistryField>(&v.field)) values.push_back({v.subkey, v.name, *plain, v.limits});
  return values;
}

// A stored number outside a value's limits loads as the nearest limit.
TEST_F(SettingsTest, StoredNumbersClampToTheirSchemaLimits) {
  CMonitorSettings record;
  std::vector<RegistryValue> values = PlainValues(record);
  int clamped = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const RegistryValue& v = values[i];
    for (auto [stored, expected] : {std::pair{v.limits.low - 1, v.limits.low}, std::pair{v.limits.high + 1, v.limits.high}}) {
      if (expected == 0 || expected == UINT32_MAX) continue;  // no limit on that side
      ++clamped;
      SetDwordValue(BuildSettingsKeyPath(v.subkey).c_str(), v.name, stored);
      CMonitorSettings loaded = Load();
      EXPECT_EQ(RegistryFieldTexts(PlainValues(loaded)[i].field), std::vector<std::string>{std::to_string(expected)})
          << v.subkey << "|" << v.name << " stored as " << stored;
      DeleteRegistryValue(v.subkey, v.name);
    }
  }
  EXPECT_EQ(clamped, 16);  // every limit the load rules name
}

TEST_F(SettingsTest, PasswordForms) {
  std::string longest(127, 'k');
  WriteScrambledPassword(longest);
  EXPECT_EQ(ReadScrambledPassword(), longest);
  std::string stored;
  DWORD type = 0;
  ASSERT_TRUE(GetRawValue(kSmtp.c_str(), "Password", &type, &stored));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(stored.size(), 136u);
  EXPECT_EQ(stored.find(longest.substr(0, 8)), std::string::npos);  // not stored in clear

  WriteScrambledPassword(std::string(128, 'z'));  // cut to 127 so that it reads back
  EXPECT_EQ(ReadScrambledPassword(), std::string(127, 'z'));

  SetStringValue(kSmtp.c_str(), "Password", "plain text");
  EXPECT_EQ(ReadScrambledPassword(), "plain text");
  SetRawValue(kSmtp.c_str(), "Password", REG_BINARY, "short", 5);
  EXPECT_EQ(ReadScrambledPassword(), "");
  SetDwordValue(kSmtp.c_str(), "Password", 1);
  EXPECT_EQ(ReadScrambledPassword(), "");
}

// The key of the mail password is for SYSTEM and Administrators alone, whoever saves it; the
// folders the settings create get the guarded list (Wine keeps only part of a file's list: the
// list given is checked as written, and what Wine keeps of it on the folder).
TEST_F(SettingsTest, TheMailPasswordKeyAndTheFoldersCarryTheirAccessLists) {
  CMonitorSettings s = Load();
  s.mailPassword = "s3cret";
  SaveSettings(s);
  EXPECT_EQ(RegistryKeyAccessText(kSmtpKey), "D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)");

  std::string folder = PrivateFolder("guarded") + "data\\";
  WriteRegistryString("", "Data Folder", folder);
  ASSERT_TRUE(FolderExists(Load().dataFolder));
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                  nullptr, &descriptor),
            DWORD(ERROR_SUCCESS));
  char* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                    DACL_SECURITY_INFORMATION, &text, nullptr));
  EXPECT_NE(std::string(text).find("(A;OICI;FA;;;SY)"), std::string::npos) << text;
  LocalFree(text);
  LocalFree(descriptor);
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(GuardedFileAttributes()->lpSecurityDescriptor,
                                                                    SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                                    nullptr));
  EXPECT_EQ(std::string(text), "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
  LocalFree(text);
}

TEST(MailConfigured, ServerSenderAndARecipientInAnyList) {
  CMonitorSettings settings;
  EXPECT_FALSE(IsMailConfigured(settings));
  settings.mailServer = "smtp.example.com";
  settings.mailSenderAddress = "monitor@example.com";
  EXPECT_FALSE(IsMailConfigured(settings));
  settings.mailBcc.push_back({"ops@example.com", "Ops"});
  EXPECT_TRUE(IsMailConfigured(settings));
  settings.mailServer.clear();
  EXPECT_FALSE(IsMailConfigured(settings));
}

TEST(DefaultSenderDomain, KeepsWhatFollowsTheFirstDotOfLongNames) {
  EXPECT_EQ(DefaultSenderDomain("host.corp.example"), "corp.example");
  EXPECT_EQ(DefaultSenderDomain("host.a.b.c"), "a.b.c");
  EXPECT_EQ(DefaultSenderDomain("host.example"), "host.example");
  EXPECT_EQ(DefaultSenderDomain("host"), "host");
}

TEST_F(SettingsTest, OldCheckResultsAreConverted) {
  uint8_t old[kOldSummarySize] = {};
  uint32_t time = 1650000000, status = 1;
  std::memcpy(old + 20, &time, 4);
  std::memcpy(old + 16, &status, 4);
  SetRawValue(kParams.c_str(), "Check Results", REG_BINARY, old, sizeof old);
  Load();
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(GetRawValue(kParams.c_str(), "Check Results", &type, &data));
  ASSERT_EQ(data.size(), kSummarySize);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  SummaryRecord record = DecodeSummary(reinterpret_cast<const uint8_t*>(data.data()));
  EXPECT_EQ(record.tag, kConvertedSummaryTag);
  EXPECT_EQ(record.time, time);
  EXPECT_EQ(record.status, 1u);
  // A current-layout record is left alone.
  SetRawValue(kParams.c_str(), "Check Results", REG_BINARY, data.data(), 328);
  Load();
  ASSERT_TRUE(GetRawValue(kParams.c_str(), "Check Results", &type, &data));
  EXPECT_EQ(DecodeSummary(reinterpret_cast<const uint8_t*>(data.data())).tag, kConvertedSummaryTag);
}

// An older "Settings" block with every field the conversion reads.
std::string OldBlock() {
  std::string b(kOldSettingsSize, '\0');
  b[1] = 1;   // single test
  b[2] = 0;   // total test
  b[3] = 1;   // slave test
  b[4] = 1;   // mail on
  b[5] = 1;   // summaries
  b[6] = 0;   // event log
  b[7] = 1;   // popup
  auto word = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  word(8, 6);
  word(12, 60);
  word(16, 111);
  word(20, 222);
  word(24, 333);
  std::strcpy(&b[28], "mail.example.com");
  std::strcpy(&b[156], "Old Monitor <old@example.com>");
  std::strcpy(&b[284], "<a@example.com>\r\nB <b@example.com>\r\n");
  b[412] = 5;
  b[414] = 0;
  b[415] = 0;
  b[416] = 1;
  b[545] = 2;
  std::strcpy(&b[546], "timeserver.example.com");
  return b;
}

TEST_F(SettingsTest, OldSettingsBlockBecomesIndividualValues) {
  std::string folder = PrivateFolder("history");
  SetStringValue(kParams.c_str(), "Data Folder", folder.c_str());
  std::string block = OldBlock();
  SetRawValue(kParams.c_str(), "Settings", REG_BINARY, block.data(), static_cast<DWORD>(block.size()));
  SetStringValue(kParams.c_str(), "Include NTP Servers in Scan", "True");
  SetStringValue(kParams.c_str(), "Broadcast Addresses", "");
  SetRawValue(kParams.c_str(), "Broadcast Addresses", REG_MULTI_SZ, "10.9.9.255\0\0", 12);
  const std::string history = BuildSettingsKeyPath("History");
  uint8_t old[kOldSummarySize] = {};
  for (uint32_t time : {1600000000u, 1600000600u}) {
    std::memcpy(old + 20, &time, 4);
    SetRawValue(history.c_str(), std::to_string(time).c_str(), REG_BINARY, old, sizeof old);
  }

  CMonitorSettings s = Load();
  EXPECT_EQ(Value(kParams, "Settings"), "<missing>");
  EXPECT_EQ(Value(kParams, "Include NTP Servers in Scan"), "<missing>");
  EXPECT_FALSE(KeyExists(history.c_str()));
  for (uint32_t time : {1600000000u, 1600000600u})
    EXPECT_NE(GetFileAttributesA(CMonitorStore(folder).SummaryPath(time).c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_TRUE(s.singleTest);
  EXPECT_FALSE(s.totalTest);
  EXPECT_TRUE(s.summariesEnabled);
  EXPECT_FALSE(s.eventLogEnabled);
  EXPECT_TRUE(s.appletPopup);
  EXPECT_EQ(s.summariesFrequency, 6u);
  EXPECT_EQ(s.checkFrequency, 60u);
  EXPECT_EQ(s.singleLimit, 111u);
  EXPECT_EQ(s.totalLimit, 222u);
  EXPECT_EQ(s.slaveLimit, 333u);
  EXPECT_EQ(s.logging.eventLogLevel, 3u);
  EXPECT_EQ(s.summariesLevel, 1u);
  EXPECT_FALSE(s.sortByVariance);
  EXPECT_EQ(s.mailFormat, 2u);
  EXPECT_EQ(s.mailServer, "mail.example.com");
  EXPECT_EQ(s.mailSenderAddress, "old@example.com");
  EXPECT_EQ(s.mailSenderName, "Old Monitor");
  EXPECT_EQ(s.mailTo, (std::vector<Mailbox>{{"a@example.com", ""}, {"b@example.com", "B"}}));
  EXPECT_TRUE(s.mailEnabled);
  EXPECT_EQ(s.referenceClockType, 3u);
  EXPECT_EQ(s.referenceClocks, std::vector<std::string>{"timeserver.example.com"});
  EXPECT_EQ(s.discovery.ipv4BroadcastCustomList, std::vector<std::string>{"10.9.9.255"});
  EXPECT_EQ(Value(kParams, "Broadcast Addresses"), "<missing>");
}

// A stored text too long for its field loads as the default but is not overwritten by it.
TEST_F(SettingsTest, TextsTooLongToTakeStayAsStoredUntilChanged) {
  const std::string longFolder = "C:\\" + std::string(300, 'd') + "\\";
  const std::string longSound = "C:\\" + std::string(300, 's') + ".wav";
  const std::string longServer(5000, 'm');
  SetStringValue(kParams.c_str(), "Data Folder", longFolder.c_str());
  SetStringValue(BuildSettingsKeyPath(kAudioKey).c_str(), "Filename", longSound.c_str());
  SetStringValue(kSmtp.c_str(), "Server", longServer.c_str());
  SetStringValue(kSmtp.c_str(), "Queue", longFolder.c_str());

  CMonitorSettings s = Load();
  EXPECT_EQ(s.dataFolder, SystemDirectory() + "OVMonitorData\\");
  EXPECT_EQ(s.audioFileName, "");
  EXPECT_EQ(s.mailServer, "127.0.0.1");
  EXPECT_EQ(Value(kParams, "Data Folder"), longFolder + '\0');  // not replaced by the load
  EXPECT_EQ(Value(kSmtp, "Queue"), longFolder + '\0');
  SaveSettings(s);
  EXPECT_EQ(Value(kParams, "Data Folder"), longFolder + '\0');
  EXPECT_EQ(Value(BuildSettingsKeyPath(kAudioKey), "Filename"), longSound + '\0');
  EXPECT_EQ(Value(kSmtp, "Server"), longServer + '\0');
  EXPECT_EQ(Value(kSmtp, "Queue"), longFolder + '\0');

  // What the user sets is written.
  s.audioFileName = "C:\\Windows\\Media\\chimes.wav";
  s.mailServer = "mail.example.com";
  SaveSettings(s);
  EXPECT_EQ(Value(BuildSettingsKeyPath(kAudioKey), "Filename"), s.audioFileName + '\0');
  EXPECT_EQ(Value(kSmtp, "Server"), s.mailServer + '\0');
  EXPECT_EQ(Value(kParams, "Data Folder"), longFolder + '\0');
}

// Old records without a valid time each get a file of their own; a subkey whose records cannot
// all be written stays, so that nothing is lost.
TEST_F(SettingsTest, OldHistoryIsDeletedOnlyWhenEveryRecordWasWritten) {
  const std::string history = BuildSettingsKeyPath("History");
  uint8_t old[kOldSummarySize] = {};
  auto oldHistory = [&](uint32_t records) {
    std::string block = OldBlock();
    SetRawValue(kParams.c_str(), "Settings", REG_BINARY, block.data(), static_cast<DWORD>(block.size()));
    for (uint32_t i = 0; i < records; ++i) {
      old[16] = uint8_t(i);  // status, to tell the records apart
      SetRawValue(history.c_str(), ("early" + std::to_string(i)).c_str(), REG_BINARY, old, sizeof old);
    }
  };
  std::string folder = PrivateFolder("early");
  SetStringValue(kParams.c_str(), "Data Folder", folder.c_str());
  oldHistory(3);
  Load();
  EXPECT_FALSE(KeyExists(history.c_str()));
  std::vector<SummaryRecord> listed;
  EXPECT_EQ(CMonitorStore(folder).ListSummaries(kSummariesAll, &listed), 3u);
  std::vector<uint32_t> statuses;
  for (const SummaryRecord& record : listed) statuses.push_back(record.status);
  std::sort(statuses.begin(), statuses.end());
  EXPECT_EQ(statuses, (std::vector<uint32_t>{0, 1, 2}));

  // A data folder that cannot be written (a file stands in its place): the old records stay.
  CreateDirectoryA(PrivateFolder("blocked").c_str(), nullptr);
  std::string blocked = PrivateFolder("blocked") + "file";
  std::ofstream(blocked) << "not a folder";
  oldHistory(2);
  SetStringValue(kParams.c_str(), "Data Folder", (blocked + "\\").c_str());
  Load();
  EXPECT_TRUE(KeyExists(history.c_str()));
}

TEST(DecodeOldSettings, ReferenceTypeAndMailRules) {
  const struct {
    uint8_t code;
    const char* text;
    uint32_t type;
    size_t entries;
  } cases[] = {{0, "", 4, 0}, {2, "", 2, 0}, {3, "", 2, 0}, {3, "ref", 3, 1}, {1, "ref", 1, 0}, {9, "", 1, 0}};
  for (const auto& c : cases) {
    std::string b(kOldSettingsSize, '\0');
    b[545] = static_cast<char>(c.code);
    std::strcpy(&b[546], c.text);
    OldSettings s = DecodeOldSettings(b);
    EXPECT_EQ(s.referenceClockType, c.type) << int(c.code) << c.text;
    EXPECT_EQ(s.referenceClocks.size(), c.entries) << int(c.code) << c.text;
  }
  std::string b = OldBlock();
  b[284] = '\0';  // no recipients: mail stays off
  EXPECT_FALSE(DecodeOldSettings(b).MailEnabled());
  EXPECT_TRUE(DecodeOldSettings(OldBlock()).MailEnabled());
  EXPECT_EQ(DecodeOldSettings("short").checkFrequency, 0u);  // a short block reads as zero-padded
}

TEST_F(SettingsTest, OldBroadcastListComesFromTheManagerWhenItIsUsed) {
  std::string block = OldBlock();
  block[415] = 1;
  SetRawValue(kParams.c_str(), "Settings", REG_BINARY, block.data(), static_cast<DWORD>(block.size()));
  SetRawValue(kManager.c_str(), "IPv4 Broadcast Custom List", REG_MULTI_SZ, "192.0.2.255\0\0", 13);
  CMonitorSettings s = Load();
  EXPECT_TRUE(s.discovery.useManagerSettings);
  EXPECT_EQ(Value(kParams, "IPv4 Broadcast Custom List"), std::string("192.0.2.255\0\0", 13));

  block[415] = 0;  // nothing anywhere: the single all-ones entry
  SetRawValue(kParams.c_str(), "Settings", REG_BINARY, block.data(), static_cast<DWORD>(block.size()));
  EXPECT_EQ(Load().discovery.ipv4BroadcastCustomList, std::vector<std::string>{"255.255.255.255"});
}

TEST_F(SettingsTest, DiscoveryFromTheManagerAndItsLoadRules) {
  SetDwordValue(kParams.c_str(), "UDP Recv Timeout (milliseconds)", 1);
  SetDwordValue(kParams.c_str(), "UDP Send Timeout (milliseconds)", 0);
  SetRawValue(kParams.c_str(), "IPv4 Broadcast Custom List", REG_MULTI_SZ, "\0\0", 2);
  CMonitorSettings s = Load();
  EXPECT_EQ(s.discovery.udpRecvTimeout, 2u);
  EXPECT_EQ(s.discovery.udpSendTimeout, 1u);
  EXPECT_EQ(s.discovery.ipv4BroadcastCustomList, std::vector<std::string>{"255.255.255.255"});

  SetStringValue(kParams.c_str(), "Use Manager Settings", "True");
  SetDwordValue(kManager.c_str(), "UDP Recv Timeout (milliseconds)", 20000);
  SetStringValue(kManager.c_str(), "IPv4 Multicast Address NTP", "224.0.1.9");
  s = Load();
  EXPECT_EQ(s.discovery.udpRecvTimeout, 15000u);
  EXPECT_EQ(s.discovery.ipv4MulticastAddressNTP, "224.0.1.9");
  SaveSettings(s);
  EXPECT_EQ(Value(kParams, "UDP Recv Timeout (milliseconds)"), "<missing>");
  EXPECT_EQ(Value(kParams, "UDP Send Timeout (milliseconds)"), "<missing>");
  EXPECT_EQ(Value(kParams, "IPv4 Broadcast Custom List"), "<missing>");
  EXPECT_EQ(Value(kManager, "IPv4 Multicast Address NTP"), std::string("224.0.1.9") + '\0');
  EXPECT_EQ(Value(kParams, "Use Manager Settings"), std::string("True", 5));
}

}  // namespace
