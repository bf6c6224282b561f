#include "logview/viewer_preferences.h"

#include <algorithm>
#include <array>

#include "logview/preference_key.h"

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

}  // namespace

LogViewerPreferences LoadLogViewerPreferences() {
  LogViewerPreferences preferences;
  CPreferenceKey key(CPreferenceKey::Access::kRead);
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
  CPreferenceKey key(CPreferenceKey::Access::kWrite);
  key.WriteText("LogView FontFace", values.fontFace);
  key.WriteDword("LogView FontSize", values.fontSize);
  for (FlagValue flag : Flags(&values)) key.WriteBool(flag.name, *flag.value);
  if (values.HasPosition()) key.WriteBinary("LogView Position", values.position, sizeof values.position);
}
