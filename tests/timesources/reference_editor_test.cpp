// The reference editor driven as a user would, over a settings record: rows from the stored
// lines, modes, check boxes, moving, adding, editing, deleting, renaming, the context menu, and
// what OK and Cancel leave in the record.
#include "timesources/reference_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "monitor/settings.h"
#include "support/dialog_steps.h"
#include "support/list_view.h"
#include "support/registry_sandbox.h"
#include "timesources/timesources_resource.h"
#include "ui/ui_resource.h"

namespace {

typedef std::function<bool(HWND)> Step;

class ReferenceEditorTest : public ::testing::Test {
 protected:
  // Runs the editor over settings; each step sees the editor's window.
  INT_PTR Run(std::vector<Step> steps) {
    std::vector<CStepDriver::Step> driven;
    driven.push_back([this] { return (editor = FindThreadDialog("Reference Time Sources")) != nullptr; });
    for (Step& step : steps) driven.push_back([this, step] { return step(editor); });
    CStepDriver driver(std::move(driven));
    INT_PTR result = RunReferenceEditor(nullptr, &settings);
    EXPECT_TRUE(driver.Finished());
    return result;
  }

  CRegistrySandbox sandbox;
  CMonitorSettings settings;
  HWND editor = nullptr;
};

HWND List(HWND editor) { return GetDlgItem(editor, IDC_REFERENCE_LIST); }

// PressWhenShown as a step of the editor's run.
Step InDialog(const char* caption, std::function<void(HWND)> act, int button) {
  CStepDriver::Step step = PressWhenShown(caption, button, std::move(act));
  return [step](HWND) { return step(); };
}


TEST_F(ReferenceEditorTest, RowsComeFromTheLinesThatParse) {
  settings.referenceClockType = 3;
  settings.referenceClockAnalyze = false;
  settings.referenceClocks = {"server a.example.com protocol ntp", "garbage words",
                              "disabled server 10.0.0.2 protocol ov2-tcp samples 4 delay 500 key 7",
                              "server b protocol http samples 1 delay 900"};
  int lastWidth = 0, expectedWidth = 0;
  INT_PTR result = Run({Do([&](HWND editor) {
    EXPECT_EQ(ListView_GetItemCount(List(editor)), 3);
    EXPECT_EQ(ListRow(List(editor), 0), (std::vector<std::string>{"a.example.com", "NTP", "None", "1", "n/a"}));
    EXPECT_EQ(ListRow(List(editor), 1), (std::vector<std::string>{"10.0.0.2", "OV2-TCP", "Key 7", "4", "500"}));
    EXPECT_EQ(ListRow(List(editor), 2), (std::vector<std::string>{"b", "OV2-HTTP", "None", "1", "n/a"}));
    EXPECT_EQ(CheckImage(List(editor), 0), 2u);
    EXPECT_EQ(CheckImage(List(editor), 1), 1u);
    EXPECT_FALSE(Checked(editor, IDC_REFERENCE_ANALYZE));
    EXPECT_EQ(Text(editor, IDC_REFERENCE_MODE), "Specify a list of time sources");
    DWORD styles = ListView_GetExtendedListViewStyle(List(editor));
    EXPECT_EQ(styles & (LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT), DWORD(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    RECT client = {};
    GetClientRect(List(editor), &client);
    expectedWidth = client.right - GetSystemMetrics(SM_CXVSCROLL) - 400;
    lastWidth = ListView_GetColumnWidth(List(editor), 4);
    Click(editor, IDOK);
  })});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(lastWidth, expectedWidth);
  EXPECT_EQ(settings.referenceClocks,
            (std::vector<std::string>{"server a.example.com protocol ntp",
                                      "disabled server 10.0.0.2 protocol ov2-tcp samples 4 delay 500 key 7",
                                      "server b protocol http samples 1 delay 900"}));
}

TEST_F(ReferenceEditorTest, ModesGreyTheListAndShowTheDiscoveryNote) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server a protocol ntp", "server b protocol ntp"};
  const CMonitorSettings before = settings;
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  GetComputerNameA(computer, &size);
  struct Case {
    const char* mode;
    bool list, rowButtons, analyze, note;
  } cases[] = {
      {"Use this machine's clock", false, false, false, false},
      {"Use this machine's list of time sources", false, false, true, false},
      {"Specify a list of time sources", true, true, true, false},
      {"Discover OV2 server(s)", false, false, true, true},
      {"Discover NTP server(s)", false, false, true, true},
      {"Discover any available server(s)", false, false, true, true},
  };
  INT_PTR result = Run({Do([&](HWND editor) {
    EXPECT_EQ(Entries(editor, IDC_REFERENCE_MODE).size(), 6u);
    EXPECT_EQ(Text(editor, IDC_REFERENCE_NOTE),
              std::string("NOTE: Auto-discovery will omit ") + computer + " even if it is a time server");
    EXPECT_FALSE(Enabled(editor, IDC_REFERENCE_DELETE)) << "no row is selected yet";
    SelectRows(List(editor), {1});
    for (const Case& c : cases) {
      Choose(editor, IDC_REFERENCE_MODE, c.mode);
      EXPECT_EQ(Enabled(editor, IDC_REFERENCE_LIST), c.list) << c.mode;
      EXPECT_EQ(Enabled(editor, IDC_REFERENCE_ADD), c.list) << c.mode;
      for (int id : {IDC_REFERENCE_DELETE, IDC_REFERENCE_EDIT, IDC_REFERENCE_MOVE_UP, IDC_REFERENCE_MOVE_DOWN})
        EXPECT_EQ(Enabled(editor, id), c.rowButtons) << c.mode << " " << id;
      EXPECT_EQ(Enabled(editor, IDC_REFERENCE_ANALYZE), c.analyze) << c.mode;
      EXPECT_EQ(IsWindowVisible(GetDlgItem(editor, IDC_REFERENCE_NOTE)) != FALSE, c.note) << c.mode;
    }
    // Changes that Cancel throws away.
    Choose(editor, IDC_REFERENCE_MODE, "Specify a list of time sources");
    SetCheck(List(editor), 0, false);
    Click(editor, IDC_REFERENCE_DELETE);
    Click(editor, IDC_REFERENCE_ANALYZE);
    Click(editor, IDCANCEL);
  })});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(settings == before);
}

// Windows' list view with check boxes notifies the insert of a row with its box unticked
// (LVN_ITEMCHANGED, state image 1) before the insert returns; Wine's does not. While it lives,
// list views created on this thread do as Windows' does.
class CWindowsInsertNotice {
 public:
  CWindowsInsertNotice() : hook_(SetWindowsHookExA(WH_CBT, Created, nullptr, GetCurrentThreadId())) {}
  ~CWindowsInsertNotice() { UnhookWindowsHookEx(hook_); }
  CWindowsInsertNotice(const CWindowsInsertNotice&) = delete;
  CWindowsInsertNotice& operator=(const CWindowsInsertNotice&) = delete;

 private:
  static LRESULT CALLBACK Created(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char name[32] = "";
    if (code == HCBT_CREATEWND && GetClassNameA(window, name, sizeof name) && std::string(name) == WC_LISTVIEWA)
      listProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(listProc_, list, msg, wParam, lParam);
    if ((msg != LVM_INSERTITEMA && msg != LVM_INSERTITEMW) || result < 0 ||
        !(ListView_GetExtendedListViewStyle(list) & LVS_EX_CHECKBOXES))
      return result;
    ListView_SetItemState(list, int(result), INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    NMLISTVIEW change = {};
    change.hdr = {list, UINT_PTR(GetDlgCtrlID(list)), UINT(LVN_ITEMCHANGED)};
    change.iItem = int(result);
    change.uNewState = INDEXTOSTATEIMAGEMASK(1);
    change.uChanged = LVIF_STATE;
    SendMessageA(GetParent(list), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
    return result;
  }

  HHOOK hook_;
  static inline WNDPROC listProc_ = nullptr;
};

TEST_F(ReferenceEditorTest, RowsInsertedByTheDialogKeepTheirLinesWhenTheListNotifiesTheInsert) {
  CWindowsInsertNotice windowsList;
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server a protocol ntp", "disabled server b protocol ntp"};
  std::vector<UINT> images;
  Run({Do([](HWND editor) { PostClick(editor, IDC_REFERENCE_ADD); }),
       InDialog("Add Time Source", [](HWND add) { Type(add, IDC_SOURCE_NAME, "c"); }, IDOK),
       [&](HWND editor) {
         if (ListView_GetItemCount(List(editor)) != 3) return false;
         for (int row = 0; row < 3; ++row) images.push_back(CheckImage(List(editor), row));
         Click(editor, IDOK);
         return true;
       }});
  EXPECT_EQ(images, (std::vector<UINT>{2, 1, 2}));
  EXPECT_EQ(settings.referenceClocks, (std::vector<std::string>{"server a protocol ntp", "disabled server b protocol ntp",
                                                                "server c protocol NTP"}));
}

// Add and Edit select and focus their row and leave the other selected rows selected.
TEST_F(ReferenceEditorTest, AddAndEditKeepTheOtherSelectedRows) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server a protocol ntp", "server b protocol ntp", "server c protocol ntp"};
  std::vector<int> afterEdit, afterAdd;
  int focused = -1;
  Run({Do([](HWND editor) {
         SelectRows(List(editor), {0, 2});  // the focus ends on row 2
         PostClick(editor, IDC_REFERENCE_EDIT);
       }),
       InDialog("Edit Time Source", [](HWND edit) { SetDlgItemTextA(edit, IDC_SOURCE_SAMPLES, "3"); }, IDOK),
       [&](HWND editor) {
         if (ListCell(List(editor), 2, 3) != "3") return false;
         afterEdit = SelectedRows(List(editor));
         PostClick(editor, IDC_REFERENCE_ADD);
         return true;
       },
       InDialog("Add Time Source", [](HWND add) { Type(add, IDC_SOURCE_NAME, "d"); }, IDOK),
       [&](HWND editor) {
         if (ListView_GetItemCount(List(editor)) != 4) return false;
         afterAdd = SelectedRows(List(editor));
         focused = ListView_GetNextItem(List(editor), -1, LVNI_FOCUSED);
         Click(editor, IDCANCEL);
         return true;
       }});
  EXPECT_EQ(afterEdit, (std::vector<int>{0, 2}));
  EXPECT_EQ(afterAdd, (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(focused, 3);
}

TEST_F(ReferenceEditorTest, CheckBoxesPutAndTakeTheDisabledPrefix) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server a protocol ntp", "DISABLED server b protocol ntp", "Disabled server c protocol ntp"};
  Run({Do([](HWND editor) {
    EXPECT_EQ(CheckImage(List(editor), 1), 1u);
    SetCheck(List(editor), 0, false);
    SetCheck(List(editor), 1, true);
    SetCheck(List(editor), 2, true);
    SetCheck(List(editor), 2, false);
    Click(editor, IDOK);
  })});
  EXPECT_EQ(settings.referenceClocks, (std::vector<std::string>{"disabled server a protocol ntp",
                                                                "server b protocol ntp", "disabled server c protocol ntp"}));
}

TEST_F(ReferenceEditorTest, AListOfOnlyDisabledSourcesIsRefusedForModeThreeOnly) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"disabled server a protocol ntp", "disabled server b protocol ntp"};
  std::string text, title;
  INT_PTR result = Run({Do([](HWND editor) { PostClick(editor, IDOK); }),
                        [&](HWND) {
                          HWND box = FindThreadDialog("Reference Clock Editor");
                          if (!box) return false;
                          text = Text(box, IDC_MSGBOX_TEXT);
                          title = Text(box, IDC_MSGBOX_TITLE);
                          PostClick(box, IDOK);
                          return true;
                        },
                        [&](HWND editor) {
                          if (FindThreadDialog("Reference Clock Editor")) return false;
                          EXPECT_TRUE(IsWindowVisible(editor));
                          EXPECT_EQ(settings.referenceClockType, 3u);
                          Choose(editor, IDC_REFERENCE_MODE, "Discover NTP server(s)");
                          Click(editor, IDOK);
                          return true;
                        }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(text,
            "You have chosen to use a list of servers, but have not provided a list. You must have at least one "
            "enabled server to use a list.");
  EXPECT_EQ(title, "List is empty");
  EXPECT_EQ(settings.referenceClockType, 5u);
  EXPECT_EQ(settings.referenceClocks,
            (std::vector<std::string>{"disabled server a protocol ntp", "disabled server b protocol ntp"}));
}

TEST_F(ReferenceEditorTest, SelectedRowsMoveTogetherAndOkStoresTheRowOrder) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server s0 protocol ntp", "server s1 protocol ntp", "server s2 protocol ntp",
                              "disabled server s3 protocol ntp samples 2", "server s4 protocol ntp"};
  Run({Do([](HWND editor) {
    SelectRows(List(editor), {2, 3});
    Click(editor, IDC_REFERENCE_MOVE_UP);
    Click(editor, IDC_REFERENCE_MOVE_UP);
    EXPECT_EQ(ListColumn(List(editor)), (std::vector<std::string>{"s2", "s3", "s0", "s1", "s4"}));
    EXPECT_EQ(SelectedRows(List(editor)), (std::vector<int>{0, 1}));
    EXPECT_EQ(CheckImage(List(editor), 1), 1u);
    EXPECT_EQ(ListCell(List(editor), 1, 3), "2");
    Click(editor, IDC_REFERENCE_MOVE_UP);  // a block at the top keeps its order
    EXPECT_EQ(ListColumn(List(editor)), (std::vector<std::string>{"s2", "s3", "s0", "s1", "s4"}));
    SelectRows(List(editor), {0, 4});
    Click(editor, IDC_REFERENCE_MOVE_DOWN);
    EXPECT_EQ(ListColumn(List(editor)), (std::vector<std::string>{"s3", "s2", "s0", "s1", "s4"}));
    Click(editor, IDOK);
  })});
  EXPECT_EQ(settings.referenceClocks,
            (std::vector<std::string>{"disabled server s3 protocol ntp samples 2", "server s2 protocol ntp",
                                      "server s0 protocol ntp", "server s1 protocol ntp", "server s4 protocol ntp"}));
}

TEST_F(ReferenceEditorTest, InsertAddsDoubleClickEditsDeleteRemoves) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server a protocol ntp", "server b protocol ntp"};
  Run({Do([](HWND editor) { SendMessageA(List(editor), WM_KEYDOWN, VK_INSERT, 0); }),
       InDialog("Add Time Source", [](HWND add) { Type(add, IDC_SOURCE_NAME, "New.Example.com"); }, IDOK),
       [](HWND editor) {
         if (ListView_GetItemCount(List(editor)) != 3) return false;
         EXPECT_EQ(ListCell(List(editor), 2, 0), "new.example.com");
         EXPECT_EQ(SelectedRows(List(editor)), std::vector<int>{2});
         SelectRows(List(editor), {0});
         RECT label = {};
         ListView_GetItemRect(List(editor), 0, &label, LVIR_LABEL);
         NMITEMACTIVATE click = {};
         click.hdr = {List(editor), IDC_REFERENCE_LIST, UINT(NM_DBLCLK)};
         click.iItem = 0;
         click.ptAction = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
         SendMessageA(editor, WM_NOTIFY, IDC_REFERENCE_LIST, reinterpret_cast<LPARAM>(&click));
         return true;
       },
       InDialog("Edit Time Source", [](HWND edit) { SetDlgItemTextA(edit, IDC_SOURCE_SAMPLES, "4"); }, IDOK),
       [](HWND editor) {
         if (ListCell(List(editor), 0, 3) != "4") return false;
         EXPECT_EQ(ListRow(List(editor), 0), (std::vector<std::string>{"a", "NTP", "None", "4", "256"}));
         SelectRows(List(editor), {1});
         SendMessageA(List(editor), WM_KEYDOWN, VK_DELETE, 0);
         return true;
       },
       [](HWND editor) {
         if (ListView_GetItemCount(List(editor)) != 2) return false;
         Click(editor, IDOK);
         return true;
       }});
  EXPECT_EQ(settings.referenceClocks, (std::vector<std::string>{"server a protocol NTP samples 4 delay 256",
                                                                "server new.example.com protocol NTP"}));
}

TEST_F(ReferenceEditorTest, ContextMenuGreysRowEntriesAwayFromARowAndDeletesOnARow) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server a protocol ntp", "server b protocol ntp"};
  std::vector<std::vector<UINT>> states;  // per menu shown: each entry's MF_GRAYED bit
  std::vector<std::string> entries;
  // Opens the menu at a point of the list (client coordinates); the next step reads and closes it.
  auto open = [](POINT at) {
    return Do([at](HWND editor) {
      POINT screen = at;
      ClientToScreen(List(editor), &screen);
      SendMessageA(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List(editor)), MAKELPARAM(screen.x, screen.y));
    });
  };
  auto read = [&](bool chooseDelete) {
    return [&, chooseDelete](HWND) {
      HWND popup = FindWindowA("#32768", nullptr);
      if (!popup || !IsWindowVisible(popup)) return false;
      HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
      std::vector<UINT> grey;
      entries.clear();
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        entries.push_back(text);
        grey.push_back(text[0] ? GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED : 0);  // separators aside
      }
      states.push_back(grey);
      if (chooseDelete)
        PostMessageA(popup, WM_KEYDOWN, 'D', 0);
      else
        EndMenu();
      return true;
    };
  };
  RECT row0 = {};
  Run({Do([&](HWND editor) {
         SelectRows(List(editor), {0});
         ListView_GetItemRect(List(editor), 0, &row0, LVIR_LABEL);
       }),
       [&](HWND editor) { return open({row0.left + 2, row0.bottom + 200})(editor); }, read(false),
       [&](HWND editor) { return open({row0.left + 2, (row0.top + row0.bottom) / 2})(editor); }, read(true),
       [](HWND editor) {
         if (ListView_GetItemCount(List(editor)) != 1) return false;
         Click(editor, IDOK);
         return true;
       }});
  EXPECT_EQ(entries, (std::vector<std::string>{"Add Server", "", "&Rename", "&Delete", "", "&Test", "P&roperties"}));
  ASSERT_EQ(states.size(), 2u);
  EXPECT_EQ(states[0], (std::vector<UINT>{0, 0, MF_GRAYED, MF_GRAYED, 0, MF_GRAYED, MF_GRAYED}));
  EXPECT_EQ(states[1], (std::vector<UINT>{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(settings.referenceClocks, std::vector<std::string>{"server b protocol ntp"});
}

TEST_F(ReferenceEditorTest, RenamingARowRenamesItsServer) {
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server old.example.com protocol ntp samples 2 comment \"lab\"", "disabled domain CORP protocol ntp"};
  HWND domainEdit = reinterpret_cast<HWND>(1);
  Run({Do([&](HWND editor) {
    SetFocus(List(editor));
    HWND edit = ListView_EditLabel(List(editor), 0);
    ASSERT_TRUE(edit);
    SetWindowTextA(edit, "new.example.com");
    SetFocus(editor);  // leaving the label's edit ends it with its text
    EXPECT_EQ(ListCell(List(editor), 0, 0), "new.example.com");
    SetFocus(List(editor));
    domainEdit = ListView_EditLabel(List(editor), 1);
    Click(editor, IDOK);
  })});
  EXPECT_EQ(domainEdit, nullptr) << "a domain is renamed in the editor, where it is looked up";
  EXPECT_EQ(settings.referenceClocks,
            (std::vector<std::string>{"server new.example.com protocol NTP samples 2 delay 256 comment \"lab\"",
                                      "disabled domain CORP protocol ntp"}));
}

TEST_F(ReferenceEditorTest, TheInstalledProductsKeysAreOfferedForNewSources) {
  SetStringValue("System\\CurrentControlSet\\Services\\Orvane Client", "ImagePath", "ovclient.exe");
  SetStringValue("Software\\Tallowin\\Orvane Client\\Keyring\\Keys", "5", "clientsecret");
  SetStringValue("Software\\Tallowin\\Orvane Monitor\\Keyring\\Keys", "6", "monitorsecret");
  settings.referenceClockType = 3;
  std::vector<std::string> offered;
  Run({Do([](HWND editor) { PostClick(editor, IDC_REFERENCE_ADD); }),
       InDialog("Add Time Source", [&](HWND add) { offered = Entries(add, IDC_SOURCE_AUTH); }, IDCANCEL),
       [](HWND editor) {
         if (FindThreadDialog("Add Time Source")) return false;
         EXPECT_EQ(ListView_GetItemCount(List(editor)), 0) << "a cancelled Add adds nothing";
         Click(editor, IDCANCEL);
         return true;
       }});
  EXPECT_EQ(offered, (std::vector<std::string>{"None", "Windows Authentication", "Symmetric key 5"}));
}

TEST_F(ReferenceEditorTest, AnUnknownStoredModeShowsAndStoresTheDefault) {
  settings.referenceClockType = 9;
  std::string shown;
  Run({Do([&](HWND editor) {
    shown = Text(editor, IDC_REFERENCE_MODE);
    Click(editor, IDOK);
  })});
  EXPECT_EQ(shown, "Use this machine's list of time sources");
  EXPECT_EQ(settings.referenceClockType, 2u);
}

}  // namespace
