// The named objects shared with the service, against the real (Wine) kernel objects.
#include "monitor/service_signals.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/activity_section.h"
#include "platform/named_objects.h"
#include "platform/stop_event.h"
#include "sampling/machine_role.h"
#include "support/registry_sandbox.h"
#include "support/tray_stand_in.h"

namespace {

// An event as the service creates it.
struct ServiceEvent {
  explicit ServiceEvent(const char* name, bool signalled = false)
      : handle(CreateEventA(nullptr, TRUE, signalled, (std::string("Global\\") + name).c_str())) {}
  ~ServiceEvent() { CloseHandle(handle); }
  bool Set() const { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }
  HANDLE handle;
};

TEST(ServiceSignals, SignalsReachTheServiceOnlyWhileItRuns) {
  EXPECT_FALSE(SignalService(true));  // service stopped: the caller reports it
  EXPECT_FALSE(SignalService(false));
  EXPECT_FALSE(IsServiceRunning());
  EXPECT_FALSE(IsScanInProgress());
  ServiceEvent settings("ovmon-cpl-event"), trigger("ovmon-trigger-event"), working("ovmon-working-signal");
  EXPECT_TRUE(SignalService(true));
  EXPECT_TRUE(settings.Set());
  EXPECT_FALSE(trigger.Set());
  EXPECT_TRUE(SignalService(false));
  EXPECT_TRUE(trigger.Set());
  EXPECT_TRUE(IsServiceRunning());
  EXPECT_FALSE(IsScanInProgress());
  SetEvent(working.handle);
  EXPECT_TRUE(IsScanInProgress());
}

TEST(ServiceSignals, AcknowledgeStopsTheRinging) {
  HANDLE ringing = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "Global\\ovmon-audio-alert-ringing");
  HANDLE acknowledged = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "Global\\ovmon-audio-alert-ack");
  ASSERT_NE(ringing, nullptr);  // made when the program loaded
  ASSERT_NE(acknowledged, nullptr);
  SetEvent(ringing);
  AcknowledgeAudioAlert();
  EXPECT_NE(WaitForSingleObject(ringing, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(acknowledged, 0), WAIT_OBJECT_0);
  CloseHandle(ringing);
  CloseHandle(acknowledged);
  EXPECT_NE(StopEvent(), nullptr);  // the stop event exists from load on
}

TEST(ServiceSignals, ActivitySectionKeepsAnotherProcessesValues) {
  // The tray component made the section first and marked slot 3.
  HANDLE other = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 256, "Global\\orvane-activity");
  ASSERT_NE(other, nullptr);
  auto* slots = static_cast<volatile LONG*>(MapViewOfFile(other, FILE_MAP_ALL_ACCESS, 0, 0, 256));
  slots[3] = 2;
  MarkActivity(kActivityNtpRequest);  // closed: no store
  EXPECT_EQ(slots[kActivityNtpRequest], 0);
  ASSERT_TRUE(OpenActivitySection());
  EXPECT_EQ(slots[3], 2);
  MarkActivity(kActivityNtpRequest);
  MarkActivity(kActivityHttpReply);
  EXPECT_EQ(slots[kActivityNtpRequest], 5);
  EXPECT_EQ(ActivityValue(kActivityHttpReply), 5u);
  CloseActivitySection();
  MarkActivity(kActivityOv2Reply);
  EXPECT_EQ(slots[kActivityOv2Reply], 0);
  UnmapViewOfFile(const_cast<LONG*>(slots));
  CloseHandle(other);
}

TEST(ServiceSignals, ActivitySectionCreatedHereStartsZeroed) {
  ASSERT_TRUE(OpenActivitySection());
  for (uint32_t slot = 0; slot < 64; ++slot) EXPECT_EQ(ActivityValue(static_cast<ActivitySlot>(slot)), 0u);
  CloseActivitySection();
}

TEST(ServiceSignals, DriftFileIsCreatedAndKept) {
  ASSERT_TRUE(OpenDriftFile());
  char directory[MAX_PATH];
  GetSystemDirectoryA(directory, MAX_PATH);
  std::string path = std::string(directory) + "\\drift.ovex";
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(OpenDriftFile());  // a second open replaces the first handle
  CloseDriftFile();
}

TEST(MachineRole, StandaloneMachineUnderWine) {
  CRegistrySandbox sandbox;  // no product service installed, no server service set to start
  const LocalMachineRole& role = DetectLocalMachineRole();
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  GetComputerNameA(computer, &size);
  EXPECT_EQ(role.computerName, std::string(computer).substr(0, 15));
  EXPECT_FALSE(role.domainName.empty());
  EXPECT_FALSE(role.joined);
  EXPECT_EQ(role.networkRole, kRoleStandalone);
  EXPECT_EQ(role.productRole, 0u);
  EXPECT_EQ(&DetectLocalMachineRole(), &role);  // detected once
}

TEST(TrayChannel, CommandAndAnswer) {
  CRegistrySandbox sandbox;
  const struct {
    std::string answer;
    uint32_t result;
  } cases[] = {
      {std::string("\0\0\0\0", 4), 0},
      {std::string("\x07\0\0\0", 4), 7},
      {std::string("\0\0", 2), 0xFFFFFFFFu},  // a short answer is no acceptance
      {std::string(), 10060},                  // no answer: the receive times out
  };
  for (const auto& c : cases) {
    CTrayStandIn tray(c.answer);
    tray.Register();
    EXPECT_EQ(PingTrayIcon("noop"), c.result) << c.answer.size();
    Sleep(10);
    EXPECT_EQ(tray.Heard(), "noop");  // the text alone: no terminator, no length
  }
}

}  // namespace
