// The shared activity page: claiming, updating and releasing a program's slot.
#include "platform/activity_section.h"

#include <windows.h>

#include <mutex>

#include "platform/named_objects.h"
#include "platform/object_names.h"

namespace {

const size_t kActivitySize = 256;
const LONG kActivityMark = 5;

struct ActivitySection {
  std::mutex lock;
  HANDLE mapping = nullptr;
  volatile LONG* slots = nullptr;
  volatile bool open = false;
} g_activity;

}  // namespace

bool OpenActivitySection() {
  std::lock_guard<std::mutex> guard(g_activity.lock);
  if (g_activity.open) return true;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, OpenSecurityAttributes(), PAGE_READWRITE | SEC_COMMIT,
                                      0, kActivitySize, GlobalObjectName("orvane-activity").c_str());
  if (!mapping) return false;
  bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kActivitySize);
  if (!view) {
    CloseHandle(mapping);
    return false;
  }
  if (created) ZeroMemory(view, kActivitySize);
  g_activity.mapping = mapping;
  g_activity.slots = static_cast<volatile LONG*>(view);
  g_activity.open = true;
  return true;
}

void CloseActivitySection() {
  g_activity.open = false;
  std::lock_guard<std::mutex> guard(g_activity.lock);
  if (g_activity.slots) UnmapViewOfFile(const_cast<LONG*>(g_activity.slots));
  if (g_activity.mapping) CloseHandle(g_activity.mapping);
  g_activity.slots = nullptr;
  g_activity.mapping = nullptr;
}

void MarkActivity(ActivitySlot slot) {
  if (g_activity.open) InterlockedExchange(&g_activity.slots[slot], kActivityMark);
}

uint32_t ActivityValue(ActivitySlot slot) {
  return g_activity.open ? static_cast<uint32_t>(g_activity.slots[slot]) : 0;
}
