// The Windows layer of mail composition: registry counter and content types, the mail
// file on disk, the clock. HKLM is mapped onto a private key for each test.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/content_type.h"
#include "mail/mail_clock.h"
#include "mail/mail_composer.h"
#include "platform/host_name.h"
#include "sample_message.h"
#include "support/registry_sandbox.h"
#include "support/test_io.h"
#include "text_shape.h"

namespace {

const char kCounterKey[] = "Software\\Classes\\Tln\\TLServiceSMTP";

std::string TempFolder() {
  char folder[MAX_PATH + 1];
  GetTempPathA(sizeof folder, folder);
  return folder;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WithoutDateLine(const std::string& text) {
  size_t date = text.find("\r\nDate: ");
  if (date == std::string::npos) return text;
  return text.substr(0, date) + text.substr(text.find("\r\n", date + 2));
}

class MailWin32 : public ::testing::Test {
 protected:
  CRegistrySandbox sandbox_;
};

TEST_F(MailWin32, NextMessageIdCountsFromOneAndWrapsPastZero) {
  EXPECT_EQ(NextMessageId(), 1u);
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(GetRawValue(kCounterKey, "NextMessageId", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(NextMessageId(), 2u);
  SetDwordValue(kCounterKey, "NextMessageId", 41);
  EXPECT_EQ(NextMessageId(), 42u);
  SetDwordValue(kCounterKey, "NextMessageId", 0xFFFFFFFF);
  EXPECT_EQ(NextMessageId(), 1u);
  SetStringValue(kCounterKey, "NextMessageId", "7");
  EXPECT_EQ(NextMessageId(), 1u);
}

TEST_F(MailWin32, ContentTypeForNameReadsTheRegistryThenBuiltIns) {
  SetStringValue("Software\\Classes\\.txt", "Content Type", "text/plain");
  SetStringValue("Software\\Classes\\.ov", "Content Type", "application/x-registered");
  SetStringValue("Software\\Classes\\.bad", "Content Type", "text/plain\r\nBcc: x@y");
  SetDwordValue("Software\\Classes\\.num", "Content Type", 5);
  const struct {
    const char* name;
    const char* type;
  } cases[] = {
      {"report.txt", "text/plain"},
      {"drift.ov", "application/x-registered"},
      {"audit.OVAD", "application/x-ov-audit-data"},
      {"data.xyz", "application/octet-stream"},
      {"README", "application/octet-stream"},
      {"x.bad", "application/octet-stream"},
      {"x.num", "application/octet-stream"},
  };
  for (const auto& c : cases) EXPECT_EQ(ContentTypeForName(c.name), c.type) << c.name;
}

TEST_F(MailWin32, WriteMailFileRefusesBadInputWithoutWriting) {
  CSMTPMessage m = SampleMessage(1, false);
  std::string path = TempFolder() + "ovmon-refused.mail";
  DeleteFileA(path.c_str());
  m.fileHeader.messageNumber = 0;
  EXPECT_EQ(m.WriteMailFile(&path), "Cannot save mail file; error 87: missing message ID");
  m.fileHeader.messageNumber = 42;
  m.subject = "Alert\r\nBcc: x@y";
  std::string empty;
  EXPECT_EQ(m.WriteMailFile(&empty), "error 87; line break in subject");
  EXPECT_EQ(empty, "");
  m.subject = "Alert";
  std::string shortPath = "C:";
  EXPECT_EQ(m.WriteMailFile(&shortPath), "Could not create mail file; error 87: bad path");
  std::string relative = "mail\\x.mail";
  EXPECT_EQ(m.WriteMailFile(&relative),
            "Could not create mail file; error 87: missing drive letter");
  EXPECT_FALSE(FileExists(path));
  std::string missingFolder = TempFolder() + "ovmon-no-such-folder\\x.mail";
  std::string error = m.WriteMailFile(&missingFolder);
  EXPECT_THAT(error, ::testing::StartsWith("error 3: "));
  EXPECT_THAT(error, ::testing::EndsWith(" \"" + missingFolder + "\""));
}

TEST_F(MailWin32, WriteMailFileCreatesATemporaryFileWithTheComposedMail) {
  CSMTPMessage m = SampleMessage(2, false);
  std::string path;
  ASSERT_EQ(m.WriteMailFile(&path), "");
  EXPECT_THAT(path, ::testing::StartsWith(TempFolder() + "tlm"));
  std::string written = ReadFileText(path);
  DeleteFileA(path.c_str());
  MailComposition c;
  c.localTime = LocalMailTime(0);
  c.zone = CurrentMailTimeZone();
  c.hostName = OfficialHostName();
  c.mailer = MailerString();
  EXPECT_EQ(WithoutDateLine(written), WithoutDateLine(ComposeMailFile(m, c)));
  EXPECT_THAT(written, ::testing::HasSubstr("\r\nDate: " + FormatMailDate(0).substr(0, 5)));
}

TEST_F(MailWin32, WriteMailFileTruncatesAnOlderLongerFile) {
  CSMTPMessage m = SampleMessage(0, false);
  std::string path = TempFolder() + "ovmon-truncate.mail";
  WriteFileText(path, std::string(100000, 'Z'));
  ASSERT_EQ(m.WriteMailFile(&path), "");
  std::string written = ReadFileText(path);
  DeleteFileA(path.c_str());
  EXPECT_LT(written.size(), 2000u);
  EXPECT_EQ(written.find('Z'), std::string::npos);
  EXPECT_THAT(written, ::testing::EndsWith("See status (https://example.com/status).\r\n"));
}

TEST_F(MailWin32, WriteMailFileAttachesReadableFilesAndDeletesThoseHandedOver) {
  std::string folder = TempFolder();
  std::string kept = folder + "ovmon-report.txt", handed = folder + "ovmon-drift.ov";
  WriteFileText(kept, "report text");
  WriteFileText(handed, std::string("\x00\x01\x02", 3));
  WriteFileText(folder + "ovmon-empty.bin", "");
  CSMTPMessage m = SampleMessage(1, false);
  m.attachments = {{kept, "report.txt", false},
                   {folder + "ovmon-missing.bin", "missing.bin", true},
                   {folder + "ovmon-empty.bin", "empty.bin", false},
                   {handed, "drift.ov", true}};
  std::string path = folder + "ovmon-attach.mail";
  ASSERT_EQ(m.WriteMailFile(&path), "");
  std::string written = ReadFileText(path);
  DeleteFileA(path.c_str());
  DeleteFileA((folder + "ovmon-empty.bin").c_str());
  EXPECT_TRUE(FileExists(kept));
  EXPECT_FALSE(FileExists(handed));
  DeleteFileA(kept.c_str());
  EXPECT_THAT(written, ::testing::HasSubstr("Content-Type: application/octet-stream\r\n"
                                            "Content-Disposition: attachment;\r\n"
                                            "\tfilename=\"report.txt\"; size=11\r\n\r\n"
                                            "cmVwb3J0IHRleHQ=\r\n\r\n"));
  EXPECT_THAT(written, ::testing::HasSubstr("Content-Type: application/x-ov-audit-drift-data\r\n"
                                            "Content-Disposition: attachment;\r\n"
                                            "\tfilename=\"drift.ov\"; size=3\r\n\r\nAAEC\r\n\r\n"
                                            "-------=_Mixed_Part_=-------\r\n\r\n"));
  EXPECT_THAT(written, ::testing::Not(::testing::HasSubstr("missing.bin")));
  EXPECT_THAT(written, ::testing::Not(::testing::HasSubstr("empty.bin")));
}

TEST_F(MailWin32, ClockGivesTheLocalTimeOfASecondCount) {
  MailLocalTime local = LocalMailTime(1700000000);  // 2023-11-14 22:13:20 UTC, a Tuesday
  EXPECT_EQ(local.year, 2023);
  EXPECT_EQ(local.month, 11);
  EXPECT_TRUE((local.day == 14 && local.dayOfWeek == 2) ||
              (local.day == 15 && local.dayOfWeek == 3));
  EXPECT_EQ(local.second, 20);
  EXPECT_TRUE(HasShape(FormatMailDate(0), "Aaa, ## Aaa #### ##:##:## ~####")) << FormatMailDate(0);
  EXPECT_FALSE(OfficialHostName().empty());
}

}  // namespace
