// Enumerating the display's fixed-pitch fonts and their point sizes.
#include "logview/font_list.h"

#include <windows.h>

#include <cstring>

namespace {

struct FaceSearch {
  std::vector<FontFace> faces;
  std::vector<bool> raster;
};

struct SizeSearch {
  std::vector<uint32_t>* sizes;
  int dotsPerInchY;
};

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM param) {
  auto* search = reinterpret_cast<FaceSearch*>(param);
  std::string name(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
  // Vertical variants ('@') draw sideways: no use for reading a log.
  if ((font->lfPitchAndFamily & 3) != FIXED_PITCH || name.empty() || name[0] == '@') return 1;
  for (const FontFace& face : search->faces)
    if (face.name == name) return 1;
  bool raster = (type & RASTER_FONTTYPE) != 0;
  search->faces.push_back({name, raster ? std::vector<uint32_t>() : ScalableFontSizes()});
  search->raster.push_back(raster);
  return 1;
}

int CALLBACK CollectRasterSize(const LOGFONTA*, const TEXTMETRICA* metric, DWORD, LPARAM param) {
  auto* search = reinterpret_cast<SizeSearch*>(param);
  AddFontSize(search->sizes, RasterPointSize(metric->tmHeight, metric->tmInternalLeading, search->dotsPerInchY));
  return 1;
}

void EnumerateRasterSizes(HDC dc, FontFace* face) {
  LOGFONTA font = {};
  font.lfCharSet = DEFAULT_CHARSET;
  strncpy(font.lfFaceName, face->name.c_str(), LF_FACESIZE - 1);
  SizeSearch search = {&face->sizes, GetDeviceCaps(dc, LOGPIXELSY)};
  EnumFontFamiliesExA(dc, &font, CollectRasterSize, reinterpret_cast<LPARAM>(&search), 0);
}

}  // namespace

std::vector<FontFace> EnumerateFixedPitchFaces() {
  HDC dc = GetDC(nullptr);
  LOGFONTA font = {};
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfPitchAndFamily = FIXED_PITCH;
  FaceSearch search;
  EnumFontFamiliesExA(dc, &font, CollectFace, reinterpret_cast<LPARAM>(&search), 0);
  for (size_t i = 0; i < search.faces.size(); ++i)
    if (search.raster[i]) EnumerateRasterSizes(dc, &search.faces[i]);
  ReleaseDC(nullptr, dc);
  return search.faces;
}
