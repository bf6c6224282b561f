// ovmonsvc.exe itself, in its own process: in a console until its stop event, and as a real
// service of Wine's service control manager, installed, started, stopped and removed. Both read
// the real registry of the test prefix, which this program cleans afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/service_signals.h"
#include "platform/named_objects.h"
#include "platform/registry.h"
#include "sampling/network.h"
#include "service/event_source.h"
#include "service/fleet.h"
#include "service/service_events.h"
#include "service/service_host.h"
#include "support/temp_folder.h"

namespace {

// The program beside the build's other outputs, as a Windows path.
std::string ServiceProgram() {
  std::string path = "Z:" OVMON_SERVICE_PROGRAM;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Waits until the service stores a check: "Check Results" appears in the Parameters key.
bool WaitForCheckResults() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tallowin\\Orvane Monitor\\Parameters", 0, nullptr, 0,
                      KEY_NOTIFY | KEY_QUERY_VALUE, nullptr, &key, nullptr))
    return false;
  HANDLE changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  bool found = false;
  for (int round = 0; round < 100 && !found; ++round) {
    RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
    found = RegQueryValueExA(key, "Check Results", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    if (!found && WaitForSingleObject(changed, 60000) != WAIT_OBJECT_0) break;
  }
  CloseHandle(changed);
  RegCloseKey(key);
  return found;
}

class ServiceProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FleetRunning()) GTEST_SKIP() << "no OV2 fleet (scripts/test starts one)";
    folder = EmptyTempFolder("service-program");
    ConfigureFleetCheck(folder, folder + "orvanem.log");
  }
  void TearDown() override { DeleteRegistryKey("\\"); }
  std::string folder;
};

TEST_F(ServiceProgramTest, TheConsoleRunChecksAtStartAndEndsOnItsStopEvent) {
  std::string command = "\"" + ServiceProgram() + "\" -console";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      << GetLastError();
  EXPECT_TRUE(WaitForCheckResults());
  EXPECT_TRUE(IsServiceRunning());
  EXPECT_EQ(RescanAndWait(60000), 0u) << "a second check, as Rescan Now asks for it";
  HANDLE stop = OpenGlobalEvent(kConsoleStopEventName, EVENT_MODIFY_STATE);
  ASSERT_NE(stop, nullptr);
  SetEvent(stop);
  CloseHandle(stop);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_FALSE(IsServiceRunning());
  EXPECT_EQ(RescanAndWait(60000), DWORD(ERROR_SERVICE_NOT_ACTIVE));
}

TEST_F(ServiceProgramTest, TheServiceManagerInstallsStartsStopsAndRemovesIt) {
  ASSERT_EQ(InstallService(ServiceProgram()), 0u);
  EXPECT_TRUE(ReadRegistryFlag("", "Service Installed", false));
  // Event Viewer finds the events' texts and categories in the program.
  DWORD type = 0;
  std::string messages;
  EXPECT_TRUE(ReadRegistryBinary(kEventSourceKey, "EventMessageFile", &messages, &type));
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(messages, ServiceProgram() + '\0');
  EXPECT_EQ(ReadRegistryString(kEventSourceKey, "CategoryMessageFile", ""), ServiceProgram());
  EXPECT_EQ(ReadRegistryDword(kEventSourceKey, "CategoryCount", 0), kEventCategoryCount);
  EXPECT_EQ(ReadRegistryDword(kEventSourceKey, "TypesSupported", 0), 7u);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  ASSERT_NE(manager, nullptr);
  SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
  ASSERT_NE(service, nullptr);
  ASSERT_TRUE(StartServiceA(service, 0, nullptr)) << GetLastError();
  // A rescan at once after the start, as a script runs it, waits for the start instead of failing.
  EXPECT_EQ(RescanAndWait(60000), 0u);
  EXPECT_TRUE(WaitForCheckResults());
  SERVICE_STATUS_PROCESS status = {};
  DWORD size = 0;
  ASSERT_TRUE(QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &size));
  EXPECT_EQ(status.dwCurrentState, DWORD(SERVICE_RUNNING));
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
  ASSERT_NE(process, nullptr);
  SERVICE_STATUS stopping;
  EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &stopping));
  EXPECT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0);
  CloseHandle(process);
  ASSERT_TRUE(QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &size));
  EXPECT_EQ(status.dwCurrentState, DWORD(SERVICE_STOPPED));
  EXPECT_EQ(status.dwWin32ExitCode, DWORD(NO_ERROR));
  CloseServiceHandle(service);

  EXPECT_EQ(RemoveService(), 0u);
  EXPECT_EQ(OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_FALSE(RegistryValueExists("", "Service Installed"));
  EXPECT_FALSE(RegistryKeyExists(kEventSourceKey));
  CloseServiceHandle(manager);
}

// The message table in the program formats every event ID with its inserts as the service's own
// text log writes it, and names every category.
TEST(ServiceMessages, EveryEventFormatsWithItsInsertsFromTheProgram) {
  HMODULE program = LoadLibraryExA(ServiceProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << GetLastError();
  auto format = [program](DWORD id, const std::vector<std::string>& inserts) {
    std::vector<DWORD_PTR> arguments;
    for (const std::string& insert : inserts) arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
    arguments.push_back(0);
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  program, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  reinterpret_cast<char*>(&text), 0, reinterpret_cast<va_list*>(arguments.data()));
    std::string formatted = length ? std::string(text, length) : "(none: " + std::to_string(GetLastError()) + ")";
    if (text) LocalFree(text);
    return formatted;
  };
  for (const ServiceEventInfo& info : ServiceEventTable()) {
    ServiceEvent event{info.kind, {}, info.level};
    for (uint32_t n = 1; n <= info.inserts; ++n) event.inserts.push_back("<insert " + std::to_string(n) + " 50%>");
    EXPECT_EQ(format(info.id, event.inserts), FormatEventText(event) + "\r\n") << info.id;
  }
  const char* const kCategories[] = {"Service", "Check", "Alert", "Storage"};
  for (DWORD category = 1; category <= kEventCategoryCount; ++category)
    EXPECT_EQ(format(category, {}), std::string(kCategories[category - 1]) + "\r\n");
  FreeLibrary(program);
}

}  // namespace
