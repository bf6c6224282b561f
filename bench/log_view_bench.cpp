// The log viewer's refresh of a full-size service log (524287 bytes) in the real rich edit
// control under Wine, against the floor: a raw read of the same file and the same bytes set as
// plain text into the same kind of control (class, style, size, limits), fresh as the refresh
// makes it, the previous one destroyed. Alternating rounds; prints the median of each and their
// ratio.
//   log_view_bench.exe [rounds [bytes]]
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/sample_log.h"
#include "logview/log_rtf.h"
#include "logview/log_viewer.h"
#include "logview/logview_resource.h"
#include "platform/module.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

template <typename Work>
double Time(Work work) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

std::string ReadWhole(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string bytes(kLogTailBytes, '\0');
  DWORD read = 0;
  ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// A top-level rich edit control of this thread with the class, style, size and limits of text.
HWND ControlLike(HWND text) {
  RECT rect;
  GetWindowRect(text, &rect);
  DWORD style = (static_cast<DWORD>(GetWindowLongPtrA(text, GWL_STYLE)) & ~WS_CHILD) | WS_POPUP;
  HWND control = CreateWindowExA(0, "RichEdit20A", "", style, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
  SendMessageA(control, EM_EXLIMITTEXT, 0, 0xFFFFE);
  SendMessageA(control, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTICODEPAGE, 0);
  return control;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
  size_t size = argc > 2 ? std::clamp<size_t>(strtoul(argv[2], nullptr, 10), 1, kLogTailBytes) : kLogTailBytes;
  LoadLibraryA("riched20.dll");
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string path = std::string(temp) + "orvanem-bench.log";
  std::ofstream(path, std::ios::binary) << SampleServiceLog(size);

  CLogViewer viewer;
  viewer.SetFile(path);
  viewer.Open(AppletModule());
  HWND window = viewer.Window();
  HWND plain = nullptr;
  std::vector<double> refresh, raw;
  for (int round = 0; round < rounds; ++round) {
    refresh.push_back(Time([&] { SendMessageA(window, WM_COMMAND, IDM_LOG_REFRESH, 0); }));
    raw.push_back(Time([&] {
      std::string bytes = ReadWhole(path);
      HWND fresh = ControlLike(GetDlgItem(window, IDC_LOG_TEXT));
      SendMessageA(fresh, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str()));
      if (plain) DestroyWindow(plain);
      plain = fresh;
    }));
    printf("  round %d: refresh %.1f ms, raw %.1f ms\n", round + 1, refresh.back(), raw.back());
    fflush(stdout);
  }
  viewer.Shutdown();
  DeleteFileA(path.c_str());
  double refreshMs = Median(refresh), rawMs = Median(raw);
  printf("log of %zu bytes, %d rounds (medians)\n", size, rounds);
  printf("  refresh (read, RTF, rich text, scroll, status)  %8.2f ms\n", refreshMs);
  printf("  raw read + plain text into a control like it     %8.2f ms\n", rawMs);
  printf("  ratio %.2f (goal at most 3)\n", refreshMs / rawMs);
  return 0;
}
