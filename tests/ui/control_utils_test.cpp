// The helpers on a dialog's controls.
#include "ui/control_utils.h"

#include <gtest/gtest.h>

namespace {

struct Controls {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                               reinterpret_cast<HMENU>(10), nullptr, nullptr);
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 100, 20, parent, reinterpret_cast<HMENU>(11), nullptr,
                              nullptr);
  ~Controls() { DestroyWindow(parent); }
  void Add(const char* text, LPARAM data) {
    LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(combo, CB_SETITEMDATA, index, data);
  }
};

}  // namespace

TEST(ControlUtils, SelectComboByDataFindsTheFirstMatch) {
  Controls c;
  EXPECT_EQ(SelectComboByData(c.parent, 10, 5), -1);  // empty list
  c.Add("Five", 5);
  c.Add("Ten", 10);
  c.Add("Ten again", 10);
  EXPECT_EQ(SelectComboByData(c.parent, 10, 10), 1);
  EXPECT_EQ(GetComboSelData(c.parent, 10), 10);
  EXPECT_EQ(SelectComboByData(c.parent, 10, 99), -1);
  EXPECT_EQ(SendMessageA(c.combo, CB_GETCURSEL, 0, 0), 1);  // selection left alone
}

TEST(ControlUtils, ItemTextAndBlankness) {
  Controls c;
  std::string longText(5000, 'x');
  SetWindowTextA(c.edit, longText.c_str());
  EXPECT_EQ(GetItemString(c.parent, 11), longText);
  struct Case {
    const char* text;
    bool blank;
  } cases[] = {{"", true}, {" \t\r\n ", true}, {"  a ", false}, {"                                x", true}};
  for (const Case& k : cases) {
    SetWindowTextA(c.edit, k.text);
    EXPECT_EQ(IsItemBlank(c.parent, 11), k.blank) << '"' << k.text << '"';
  }
  EXPECT_EQ(GetItemString(c.parent, 999), "");
}
