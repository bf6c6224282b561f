// The log viewer in the real rich edit control under Wine, two measures:
//   refresh: a full refresh of a full-size service log (524287 bytes) that replaced the one
//     shown, against the floor: a raw read of the same file and the same bytes set as plain
//     text into a fresh control of the same kind (class, style, size, limits). Alternating
//     rounds; the median of each and their ratio.
//   follow: a full-size log growing by a number of lines a second, followed for a number of
//     seconds, against the same growth written with no viewer open: the process's CPU time
//     (user and kernel) of each and the viewer's share per line.
//   log_view_bench.exe refresh [rounds]
//   log_view_bench.exe follow [seconds [lines-per-second]]
#include <windows.h>
#include <commctrl.h>
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
#include "platform/module.h"
#include "ui/resource.h"

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

// The process's CPU time so far (all threads, user and kernel), in seconds.
double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](FILETIME t) { return double((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
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

// Puts content at path as a new file (written beside it, then moved over it), so that the
// viewer sees another file of the same name and size.
void ReplaceFile(const std::string& path, const std::string& content) {
  std::string fresh = path + ".new";
  std::ofstream(fresh, std::ios::binary) << content;
  MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
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

std::string TempLog(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name;
}

int MeasureRefresh(int rounds) {
  std::string path = TempLog("orvanem-bench.log");
  std::string log = SampleServiceLog(kLogTailBytes);
  std::ofstream(path, std::ios::binary) << log;
  CLogViewer viewer;
  viewer.SetFile(path);
  viewer.Open(AppletModule());
  HWND window = viewer.Window();
  HWND plain = nullptr;
  std::vector<double> refresh, raw;
  for (int round = 0; round < rounds; ++round) {
    ReplaceFile(path, log);
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
  printf("log of %zu bytes replaced by another, %d rounds (medians)\n", log.size(), rounds);
  printf("  full refresh (read, RTF, rich text, scroll, status)  %8.2f ms\n", refreshMs);
  printf("  raw read + plain text into a control like it          %8.2f ms\n", rawMs);
  printf("  ratio %.2f (goal: no slower than 2.6)\n", refreshMs / rawMs);
  return 0;
}

// Waits (up to 30 s) until the viewer's first refresh has filled its status bar.
void WaitForFirstRefresh(HWND window) {
  HWND bar = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
  for (int i = 0; i < 600 && LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0)) == 0; ++i) Sleep(50);
}

// Appends linesPerSecond lines a second to path for seconds, in ten batches a second, with a
// viewer following it or not; the process's CPU seconds meanwhile.
double GrowLog(const std::string& path, int seconds, int linesPerSecond, bool withViewer) {
  std::ofstream(path, std::ios::binary) << SampleServiceLog(kLogTailBytes);
  std::string lines = SampleServiceLog(64 * 1024);
  std::vector<std::string> batch;
  for (size_t at = lines.find("\r\n") + 2; at < lines.size();) {
    size_t end = lines.find("\r\n", at);
    if (end == std::string::npos) break;
    batch.push_back(lines.substr(at, end + 2 - at));
    at = end + 2;
  }
  CLogViewer viewer;
  if (withViewer) {
    viewer.SetFile(path);
    viewer.Open(AppletModule());
    WaitForFirstRefresh(viewer.Window());
  }
  double start = ProcessCpuSeconds();
  std::ofstream out(path, std::ios::binary | std::ios::app);
  size_t next = 0;
  int perBatch = std::max(1, linesPerSecond / 10);
  DWORD began = GetTickCount();
  for (int tick = 0; tick < seconds * 10; ++tick) {
    for (int i = 0; i < perBatch; ++i) out << batch[next++ % batch.size()];
    out.flush();
    DWORD due = began + static_cast<DWORD>(tick + 1) * 100, now = GetTickCount();
    if (due > now) Sleep(due - now);
  }
  double spent = ProcessCpuSeconds() - start;
  out.close();
  if (withViewer) viewer.Shutdown();
  return spent;
}

int MeasureFollow(int seconds, int linesPerSecond) {
  std::string path = TempLog("orvanem-follow.log");
  printf("a full-size log growing by %d lines a second for %d s\n", linesPerSecond, seconds);
  fflush(stdout);
  double alone = GrowLog(path, seconds, linesPerSecond, false);
  printf("  CPU with no viewer open      %7.2f s\n", alone);
  fflush(stdout);
  double followed = GrowLog(path, seconds, linesPerSecond, true);
  DeleteFileA(path.c_str());
  printf("  CPU with the viewer following %7.2f s\n", followed);
  double lines = double(seconds) * linesPerSecond;
  printf("  the viewer's share: %.2f s, %.1f%% of one core, %.0f us per appended line\n", followed - alone,
         100.0 * (followed - alone) / seconds, 1e6 * (followed - alone) / lines);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  LoadLibraryA("riched20.dll");
  std::string mode = argc > 1 ? argv[1] : "refresh";
  if (mode == "follow")
    return MeasureFollow(argc > 2 ? std::max(1, atoi(argv[2])) : 60, argc > 3 ? std::max(10, atoi(argv[3])) : 200);
  return MeasureRefresh(argc > 2 ? std::max(1, atoi(argv[2])) : 15);
}
