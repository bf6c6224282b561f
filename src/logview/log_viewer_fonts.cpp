// The log viewer's font lists: the fixed-pitch faces, their sizes, and the font of the text.
#include "logview/log_viewer.h"

#include <richedit.h>

#include <cstring>
#include <string>

#include "logview/font_list.h"
#include "logview/logview_resource.h"

void CLogViewer::FillFontFaces() {
  fonts_ = EnumerateFixedPitchFaces();
  HWND list = Item(IDC_LOG_FONT_FACE);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (const FontFace& face : fonts_) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.name.c_str()));
  int chosen = ChooseFontFace(fonts_, preferences_.fontFace);
  SendMessageA(list, CB_SETCURSEL, chosen, 0);
  if (chosen >= 0) preferences_.fontFace = fonts_[chosen].name;
  FillFontSizes();
}

void CLogViewer::FillFontSizes() {
  HWND list = Item(IDC_LOG_FONT_SIZE);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  LRESULT face = SendDlgItemMessageA(window_, IDC_LOG_FONT_FACE, CB_GETCURSEL, 0, 0);
  if (face < 0 || static_cast<size_t>(face) >= fonts_.size()) return;
  const std::vector<uint32_t>& sizes = fonts_[face].sizes;
  for (uint32_t size : sizes)
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(size).c_str()));
  int chosen = ChooseFontSize(sizes, preferences_.fontSize);
  SendMessageA(list, CB_SETCURSEL, chosen, 0);
  if (chosen >= 0) preferences_.fontSize = sizes[chosen];
}

void CLogViewer::FontFaceChanged() {
  LRESULT face = SendDlgItemMessageA(window_, IDC_LOG_FONT_FACE, CB_GETCURSEL, 0, 0);
  if (face < 0 || static_cast<size_t>(face) >= fonts_.size()) return;
  preferences_.fontFace = fonts_[face].name;
  filling_ = true;
  FillFontSizes();
  filling_ = false;
  ApplyFont();
}

void CLogViewer::FontSizeChanged() {
  LRESULT face = SendDlgItemMessageA(window_, IDC_LOG_FONT_FACE, CB_GETCURSEL, 0, 0);
  LRESULT size = SendDlgItemMessageA(window_, IDC_LOG_FONT_SIZE, CB_GETCURSEL, 0, 0);
  if (face < 0 || static_cast<size_t>(face) >= fonts_.size()) return;
  if (size < 0 || static_cast<size_t>(size) >= fonts_[face].sizes.size()) return;
  preferences_.fontSize = fonts_[face].sizes[size];
  ApplyFont();
}

// The face and size for the whole text, also for text that later refreshes put in.
void CLogViewer::ApplyFont() {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE;
  format.yHeight = static_cast<LONG>(preferences_.fontSize * 20);
  strncpy(format.szFaceName, preferences_.fontFace.c_str(), LF_FACESIZE - 1);
  HWND text = Item(IDC_LOG_TEXT);
  SendMessageA(text, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SendMessageA(text, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}
