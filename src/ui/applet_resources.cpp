// Loading and freeing the icons, bitmaps and libraries the sheet uses.
#include "ui/applet_resources.h"

#include "platform/module.h"
#include "ui/ui_resource.h"

namespace {

const int kStateIconIds[4] = {IDI_STATE_PASSED, IDI_STATE_WORKING, IDI_STATE_ALERT, IDI_STATE_UNKNOWN};
const int kBitmapIds[3] = {IDB_APPLET_1, IDB_APPLET_2, IDB_APPLET_3};

HICON LoadSizedIcon(int id, int metricX, int metricY) {
  return static_cast<HICON>(LoadImageA(AppletModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, GetSystemMetrics(metricX),
                                       GetSystemMetrics(metricY), 0));
}

template <typename T>
void Forget(T* handle, BOOL(WINAPI* release)(T)) {
  if (*handle) release(*handle);
  *handle = nullptr;
}

BOOL WINAPI DeleteBitmap(HBITMAP bitmap) { return DeleteObject(bitmap); }

}  // namespace

int StateIconId(uint32_t state) {
  switch (state) {
    case 1: return IDI_STATE_ALERT;
    case 2: return IDI_STATE_WORKING;
    case 3: return IDI_STATE_PASSED;
    default: return IDI_STATE_UNKNOWN;
  }
}

void CAppletResources::Load() {
  smallIcon_ = LoadSizedIcon(IDI_APPLET, SM_CXSMICON, SM_CYSMICON);
  largeIcon_ = LoadSizedIcon(IDI_APPLET, SM_CXICON, SM_CYICON);
  richEdit_ = LoadLibraryA("riched20.dll");
  for (int i = 0; i < 3; ++i) bitmaps_[i] = LoadBitmapA(AppletModule(), MAKEINTRESOURCEA(kBitmapIds[i]));
  for (int i = 0; i < 4; ++i) stateIcons_[i] = LoadSizedIcon(kStateIconIds[i], SM_CXICON, SM_CYICON);
}

void CAppletResources::Release() {
  for (HBITMAP& bitmap : bitmaps_) Forget(&bitmap, DeleteBitmap);
  for (HICON& icon : stateIcons_) Forget(&icon, DestroyIcon);
  Forget(&smallIcon_, DestroyIcon);
  Forget(&largeIcon_, DestroyIcon);
  Forget(&richEdit_, FreeLibrary);
}

HICON CAppletResources::StateIcon(uint32_t state) const {
  int id = StateIconId(state);
  for (int i = 0; i < 4; ++i)
    if (kStateIconIds[i] == id) return stateIcons_[i];
  return nullptr;
}

CAppletResources& AppletResources() {
  static CAppletResources resources;
  return resources;
}
