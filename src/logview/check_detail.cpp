// Finding a stored check's detail file and opening it in Notepad.
#include "logview/check_detail.h"

#include <windows.h>

#include "logview/notepad.h"
#include "monitor/data_store.h"
#include "platform/registry_encoding.h"

bool ShowCheckDetail(const CMonitorStore& store, uint32_t time, CNotepad* notepad) {
  if (store.DetailExists(time)) {
    notepad->Launch(store.DetailPath(time), nullptr);
    return true;
  }
  MessageBoxA(nullptr, "No detailed data file exists for this summary record.", kProductTitle,
              MB_ICONINFORMATION | MB_TASKMODAL);
  return false;
}
