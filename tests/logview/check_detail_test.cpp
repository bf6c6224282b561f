// A check's detail file shown in Notepad, or the message that there is none.
#include "logview/check_detail.h"

#include <gtest/gtest.h>

#include <fstream>

#include "logview/notepad.h"
#include "monitor/data_store.h"
#include "support/temp_folder.h"

namespace {

// Reads and closes the first message box shown on this thread, once its modal loop runs.
struct MessageBoxCatcher {
  static std::string text;
  static HHOOK hook;
  static HWND box;
  static void CALLBACK Read(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    char title[64] = "", message[256] = "";
    GetWindowTextA(box, title, sizeof title);
    GetDlgItemTextA(box, 0xFFFF, message, sizeof message);
    text = std::string(title) + "|" + message;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && !box) {
      box = reinterpret_cast<HWND>(wParam);
      SetTimer(nullptr, 0, 1, Read);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
  }
  MessageBoxCatcher() {
    box = nullptr;
    hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxCatcher() { UnhookWindowsHookEx(hook); }
};
std::string MessageBoxCatcher::text;
HHOOK MessageBoxCatcher::hook;
HWND MessageBoxCatcher::box;

TEST(CheckDetail, OpensNotepadOrSaysThereIsNone) {
  std::string folder = EmptyTempFolder("detail");
  std::ofstream(folder + "1700000100.dat") << "detail";
  std::string opened;
  CNotepad notepad([&](SHELLEXECUTEINFOA* info) {
    opened = info->lpParameters;
    return TRUE;
  });
  CMonitorStore store(folder);
  EXPECT_TRUE(ShowCheckDetail(store, 1700000100, &notepad));
  EXPECT_EQ(opened, store.DetailPath(1700000100));
  MessageBoxCatcher catcher;
  EXPECT_FALSE(ShowCheckDetail(store, 1700000300, &notepad));
  EXPECT_EQ(MessageBoxCatcher::text, "Orvane Monitor|No detailed data file exists for this summary record.");
}

}  // namespace
