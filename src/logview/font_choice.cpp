// Choosing the log viewer's face and point size from what the display offers.
#include "logview/font_choice.h"

#include <algorithm>

#include "logview/log_files.h"

namespace {

int FindFace(const std::vector<FontFace>& faces, const std::string& name) {
  for (size_t i = 0; i < faces.size(); ++i)
    if (SameNameNoCase(faces[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::vector<uint32_t> ScalableFontSizes() { return {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24}; }

uint32_t RasterPointSize(int cellHeight, int internalLeading, int dotsPerInchY) {
  int64_t height = static_cast<int64_t>(cellHeight) - internalLeading;
  if (height <= 0 || dotsPerInchY <= 0) return 0;
  return static_cast<uint32_t>(height * 72 / dotsPerInchY);
}

void AddFontSize(std::vector<uint32_t>* sizes, uint32_t size) {
  if (size == 0) return;
  auto at = std::lower_bound(sizes->begin(), sizes->end(), size);
  if (at == sizes->end() || *at != size) sizes->insert(at, size);
}

int ChooseFontFace(const std::vector<FontFace>& faces, const std::string& wanted) {
  for (const char* name : {wanted.c_str(), "Courier New", "FixedSys"}) {
    int index = FindFace(faces, name);
    if (index >= 0) return index;
  }
  return faces.empty() ? -1 : 0;
}

int ChooseFontSize(const std::vector<uint32_t>& sizes, uint32_t wanted) {
  if (sizes.empty()) return -1;
  auto exact = std::find(sizes.begin(), sizes.end(), wanted);
  if (exact != sizes.end()) return static_cast<int>(exact - sizes.begin());
  int64_t floor = static_cast<int64_t>(wanted) - 1;
  for (size_t i = 0; i < sizes.size(); ++i)
    if (sizes[i] >= floor) return static_cast<int>(i);
  return 0;
}
