// The History page with a long history: writes 1 000, 3 000 and 9 999 summaries, opens the real
// sheet, and times from a second thread, as a user would feel them:
//   raw      ListSummaries over the folder (open, read and close every file), the floor;
//   first    switching to History until the list is full and the newest selected;
//   return   back from Status to History until the listing has ended (nothing changed);
//   toggle   checking, then unchecking "Only show alerts" (the slower of the two);
//   stall    the longest time the sheet took to answer a message during all of it.
// Runs in a Wine prefix of its own (bench/history.sh): it writes the Monitor's real key.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "applet/launch.h"
#include "monitor/data_store.h"
#include "pages/history_page.h"
#include "pages/pages_resource.h"
#include "platform/registry.h"
#include "ui/basic_dialog.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

std::string WriteHistory(int records) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "ovmon-history-bench-" + std::to_string(records) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  CMonitorStore store(folder);
  for (int i = 0; i < records; ++i) {
    SummaryRecord record;
    record.time = 1700000000u + static_cast<uint32_t>(i) * 60;
    record.status = i % 3 ? 3 : 1;
    store.WriteSummary(&record);
  }
  return folder;
}

struct Figures {
  double raw = 0, first = 0, back = 0, toggle = 0, stall = 0;
};

// Answers how long the sheet takes to answer one message, every few milliseconds, keeping the longest.
class CStallProbe {
 public:
  explicit CStallProbe(HWND sheet) : sheet_(sheet), thread_([this] { Probe(); }) {}
  ~CStallProbe() {
    stop_ = true;
    thread_.join();
  }
  double Longest() const { return longest_; }

 private:
  void Probe() {
    while (!stop_) {
      LARGE_INTEGER sent = Now();
      DWORD_PTR result = 0;
      SendMessageTimeoutA(sheet_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
      longest_ = std::max(longest_.load(), Milliseconds(sent, Now()));
      Sleep(5);
    }
  }
  HWND sheet_;
  std::atomic<bool> stop_{false};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

HWND WaitForSheet(DWORD thread) {
  for (;;) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) {
          if (!GetWindow(window, GW_OWNER) && IsWindowVisible(window) && PropSheet_GetCurrentPageHwnd(window)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(5);
  }
}

LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, 60000, &result);
  return static_cast<LRESULT>(result);
}

// Waits until the page's listing has ended and the list holds count items with the last selected.
void WaitListed(HWND page, int count) {
  HWND list = GetDlgItem(page, IDC_HISTORY_LIST);
  auto* history = static_cast<CHistory*>(AttachedDialog(page));
  while (!(history->Listed() && Ask(list, LVM_GETITEMCOUNT) == count &&
           Ask(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == count - 1))
    Sleep(1);
}

void Drive(DWORD sheetThread, int records, int alerts, Figures* figures) {
  HWND sheet = WaitForSheet(sheetThread);
  CStallProbe probe(sheet);
  LARGE_INTEGER start = Now();
  Ask(sheet, PSM_SETCURSEL, 1, 0);
  HWND page = reinterpret_cast<HWND>(Ask(sheet, PSM_GETCURRENTPAGEHWND));
  WaitListed(page, records);
  figures->first = Milliseconds(start, Now());

  Ask(sheet, PSM_SETCURSEL, 0, 0);
  start = Now();
  Ask(sheet, PSM_SETCURSEL, 1, 0);
  WaitListed(page, records);
  figures->back = Milliseconds(start, Now());

  HWND box = GetDlgItem(page, IDC_HISTORY_ALERTS_ONLY);
  for (int count : {alerts, records}) {
    start = Now();
    Ask(box, BM_CLICK);
    WaitListed(page, count);
    figures->toggle = std::max(figures->toggle, Milliseconds(start, Now()));
  }
  figures->stall = probe.Longest();
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

Figures Measure(int records) {
  Figures figures;
  std::string folder = WriteHistory(records);
  WriteRegistryString("", "Data Folder", folder);
  std::vector<SummaryRecord> listed;
  LARGE_INTEGER start = Now();
  CMonitorStore(folder).ListSummaries(kSummariesAll, &listed);
  figures.raw = Milliseconds(start, Now());
  int alerts = static_cast<int>(std::count_if(listed.begin(), listed.end(),
                                              [](const SummaryRecord& r) { return r.status != 3; }));
  std::thread driver(Drive, GetCurrentThreadId(), records, alerts, &figures);
  RunAppletSheet();
  driver.join();
  return figures;
}

}  // namespace

int main() {
  std::printf("%8s %10s %10s %7s %10s %10s %10s\n", "records", "raw ms", "first ms", "ratio", "return ms",
              "toggle ms", "stall ms");
  for (int records : {1000, 3000, 9999}) {
    Figures f = Measure(records);
    std::printf("%8d %10.0f %10.0f %7.2f %10.0f %10.0f %10.0f\n", records, f.raw, f.first, f.first / f.raw, f.back,
                f.toggle, f.stall);
  }
  return 0;
}
