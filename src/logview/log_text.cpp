// The viewer's rich edit control as rows of log lines: replacing, appending and scrolling.
#include "logview/log_text.h"

#include <richedit.h>

#include <algorithm>

namespace {

// Rows removed at a time when the whole text goes (see Clear).
constexpr size_t kClearRows = 200;

// Where a character position ends up when [from, to) is removed.
LONG AfterRemoval(LONG position, LONG from, LONG to) {
  if (position <= from) return position;
  return position < to ? from : position - (to - from);
}

void KeepAcrossRemoval(CHARRANGE* range, LONG from, LONG to) {
  range->cpMin = AfterRemoval(range->cpMin, from, to);
  range->cpMax = AfterRemoval(range->cpMax, from, to);
}

}  // namespace

int CLogText::TopRow() const { return static_cast<int>(SendMessageA(control_, EM_GETFIRSTVISIBLELINE, 0, 0)); }

size_t CLogText::Rows() const { return static_cast<size_t>(SendMessageA(control_, EM_GETLINECOUNT, 0, 0)); }

LONG CLogText::Length() const {
  GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(SendMessageA(control_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

LONG CLogText::RowStart(size_t row) const {
  LRESULT start = SendMessageA(control_, EM_LINEINDEX, row, 0);
  return start < 0 ? Length() : static_cast<LONG>(start);
}

void CLogText::Delete(LONG from, LONG to) {
  if (from >= to) return;
  CHARRANGE range = {from, to};
  SendMessageA(control_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SendMessageA(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

void CLogText::Insert(LONG at, const std::string& fragment) {
  CHARRANGE range = {at, at};
  SendMessageA(control_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SETTEXTEX format = {ST_SELECTION, CP_UTF8};
  SendMessageA(control_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&format), reinterpret_cast<LPARAM>(fragment.c_str()));
}

// Wine's rich edit spends time on the whole text for every paragraph it removes, and on the
// rest of the removed block besides: removed all at once, a full-size log takes a minute.
// Blocks of rows from the end keep the whole removal near the cost of setting the text.
void CLogText::Clear() {
  for (size_t blocks = Rows() / kClearRows + 2; blocks > 0 && Length() > 0; --blocks) {
    size_t rows = Rows();
    Delete(rows > kClearRows && blocks > 1 ? RowStart(rows - kClearRows) : 0, Length());
  }
}

void CLogText::Replace(const std::string& document) {
  Clear();
  SETTEXTEX format = {ST_DEFAULT, CP_UTF8};
  SendMessageA(control_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&format), reinterpret_cast<LPARAM>(document.c_str()));
}

void CLogText::Change(const LogEdit& edit) {
  CHARRANGE selection = {};
  SendMessageA(control_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  if (edit.regrow) {
    LONG from = RowStart(edit.regrowRow), to = Length();
    Delete(from, to);
    KeepAcrossRemoval(&selection, from, to);
  }
  if (edit.dropRows > 0) {
    LONG from = RowStart(edit.dropRow), to = RowStart(edit.dropRow + edit.dropRows);
    Delete(from, to);
    KeepAcrossRemoval(&selection, from, to);
  }
  if (!edit.appended.empty()) Insert(Length(), edit.appended);
  if (edit.addNote) {
    LONG before = Length();
    Insert(0, BuildLogRtfNote());
    LONG note = Length() - before;
    selection.cpMin += note;
    selection.cpMax += note;
  }
  SendMessageA(control_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

int CLogText::ScrollToEdge(bool start) {
  LONG x = ScrollPosition().x;
  SendMessageA(control_, WM_VSCROLL, start ? SB_TOP : SB_BOTTOM, 0);
  ScrollSideways(x);  // Wine's control goes to the text's first or last letter, sideways too
  return TopRow();
}

LONG CLogText::PixelY(LONG position) const {
  POINTL point = {};
  SendMessageA(control_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), position);
  return point.y;
}

// Windows scrolls by rows. Wine scrolls by lines of the default font's height (24 pixels while
// that font is unmeasured), so the row may be missed; where the text is short enough for its
// scroll positions to be plain pixels, the row's own position is then set.
void CLogText::ScrollToRow(int row) {
  SendMessageA(control_, EM_LINESCROLL, 0, row - TopRow());
  LONG top = PixelY(0);
  if (TopRow() == row || PixelY(Length()) - top >= 0xFFFF) return;
  POINT position = {};
  SendMessageA(control_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
  position.y = PixelY(RowStart(static_cast<size_t>(row))) - top;
  SendMessageA(control_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
}

// Not SB_LEFT: Wine's control takes it for the text's start and scrolls to the top as well.
void CLogText::ScrollToLineStart() { ScrollSideways(0); }

POINT CLogText::ScrollPosition() const {
  POINT position = {};
  SendMessageA(control_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
  return position;
}

void CLogText::ScrollSideways(LONG x) {
  if (ScrollPosition().x == x) return;
  WORD position = static_cast<WORD>(std::min<LONG>(std::max<LONG>(x, 0), 0xFFFF));
  SendMessageA(control_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
}

void CLogText::Draw(bool on) {
  SendMessageA(control_, WM_SETREDRAW, on, 0);
  if (on) InvalidateRect(control_, nullptr, TRUE);
}
