// Loading and saving the log viewer's per-user preferences, with their defaults and checks.
#include "logview/viewer_preferences.h"

#include <algorithm>
#include <array>

#include "platform/registry.h"

const char kPreferenceKeyPath[] = "Software\\Tallowin\\Orvane\\Monitor CPL";

namespace {

const size_t kMaxFaceBytes = 256;

struct FlagValue {
  const char* name;
  bool* value;
};

// The five "True"/"False" preferences with their fields.
std::array<FlagValue, 5> Flags(LogViewerPreferences* preferences) {
  return {{{"LogView ShowDate", &preferences->show.showDate},
           {"LogView ShowTime", &preferences->show.showTime},
           {"LogView ShowLevel", &preferences->show.showLevel},
           {"LogView ShowColor", &preferences->show.showColor},
           {"LogView AutoRefresh", &preferences->autoRefresh}}};
}

// A face beginning with '%' names an environment variable and is stored expandable.
DWORD FaceType(const std::string& face) { return !face.empty() && face[0] == '%' ? REG_EXPAND_SZ : REG_SZ; }

}  // namespace

LogViewerPreferences LoadLogViewerPreferences() {
  LogViewerPreferences preferences;
  CRegistryKey key(HKEY_CURRENT_USER, kPreferenceKeyPath, CRegistryKey::Access::kRead);
  key.ReadText("LogView FontFace", kMaxFaceBytes, &preferences.fontFace);
  key.ReadDword("LogView FontSize", &preferences.fontSize);
  for (FlagValue flag : Flags(&preferences)) *flag.value = key.ReadBool(flag.name, true);
  int32_t position[4];
  if (key.ReadBinary("LogView Position", position, sizeof position))
    std::copy(position, position + 4, preferences.position);
  return preferences;
}

void SaveLogViewerPreferences(const LogViewerPreferences& preferences) {
  LogViewerPreferences values = preferences;
  CRegistryKey key(HKEY_CURRENT_USER, kPreferenceKeyPath, CRegistryKey::Access::kCreate);
  key.WriteText("LogView FontFace", values.fontFace, FaceType(values.fontFace));
  key.WriteDword("LogView FontSize", values.fontSize);
  for (FlagValue flag : Flags(&values)) key.WriteBool(flag.name, *flag.value);
  if (values.HasPosition()) key.Write("LogView Position", REG_BINARY, values.position, sizeof values.position);
}
