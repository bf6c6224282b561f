// The log viewer's rich edit control as rows of log lines: its whole text replaced, or changed
// by a refresh's edit with the caret and the selection kept on the text they were on, and where
// the view is read as the first row it shows. One control serves the window's whole life.
#pragma once
#include <windows.h>

#include <string>

#include "logview/shown_log.h"

class CLogText {
 public:
  explicit CLogText(HWND control) : control_(control) {}

  // The first row in view. A row number stays right in texts taller than 65535 pixels, where
  // the control's pixel scroll position (EM_GETSCROLLPOS) is 16 bits wide.
  int TopRow() const;
  // Rows of the text, the empty last one included.
  size_t Rows() const;
  // Empties the text and sets document.
  void Replace(const std::string& document);
  // Makes the changes of an append; the caret and the selection stay on their text.
  void Change(const LogEdit& edit);
  // Scrolls to the text's start or end; the first row then in view.
  int ScrollToEdge(bool start);
  // Scrolls row (as far as the text allows) to the top of the view.
  void ScrollToRow(int row);
  // Scrolls sideways to the left edge of the lines.
  void ScrollToLineStart();
  // Stops or restarts drawing; restarting draws the whole control once.
  void Draw(bool on);

 private:
  LONG Length() const;
  LONG RowStart(size_t row) const;
  LONG PixelY(LONG position) const;
  POINT ScrollPosition() const;
  void ScrollSideways(LONG x);
  void Delete(LONG from, LONG to);
  void Insert(LONG at, const std::string& fragment);
  void Clear();

  HWND control_;
};
