// CSMTPSetup: the "Email Setup" dialog's tabs, bound controls, checks and test mail.
#include "mailsetup/smtp_setup.h"

#include <commctrl.h>

#include "mail/deliver_mail.h"
#include "mail/mail_setup_rules.h"
#include "mailsetup/email_addy.h"
#include "mailsetup/mailsetup_resource.h"
#include "monitor/settings.h"
#include "platform/blank_text.h"
#include "platform/module.h"
#include "platform/registry_encoding.h"
#include "platform/text_numbers.h"
#include "sampling/time_source.h"
#include "ui/control_binding.h"
#include "ui/control_utils.h"
#include "ui/msg_box.h"
#include "ui/online_help.h"
#include "ui/wait_cursor.h"
#include "ui/window_manipulation.h"

namespace {

const char* const kTabNames[] = {"From", "To", "CC", "BCC", "Server", "Queue"};
const char* const kFormats[] = {"Plain Text", "Plain text then HTML", "HTML then plain text"};
const char* const kSecurities[] = {"No encryption", "STARTTLS if supported", "STARTTLS required", "SSL/TLS"};
const char* const kTraceLevels[] = {"Disabled", "Error", "Warning", "Info", "Trace", "Debug"};
const char kIncomplete[] =
    "Email setup is not complete.\r\n\r\nYou must provide the sender's email address, one or more recipients (To, "
    "CC, or BCC), and the SMTP server's name or IP address.";
const char kFolderInstruction[] =
    "Select a folder on one of your fixed local drives. The folder cannot be located on a network share or a "
    "removeable drive.";

// A label of a tab page: its text (null keeps it) and the field it stands beside.
struct LabelPlace {
  int label;
  const char* text;
  int field;
};
struct TabPage {
  std::vector<int> fields;
  std::vector<LabelPlace> labels;
  int focus;
};

const TabPage kFromPage = {{IDC_SMTP_SENDER_NAME, IDC_SMTP_SENDER_ADDRESS, IDC_SMTP_FORMAT},
                           {{IDC_SMTP_LABEL_FIRST, "Sender's &Name:", IDC_SMTP_SENDER_NAME},
                            {IDC_SMTP_LABEL_SECOND, "Sender's &Email:", IDC_SMTP_SENDER_ADDRESS},
                            {IDC_SMTP_LABEL_THIRD, "Email &Format:", IDC_SMTP_FORMAT}},
                           IDC_SMTP_SENDER_NAME};
const TabPage kRecipientsPage = {{IDC_SMTP_RECIPIENTS, IDC_SMTP_ADD, IDC_SMTP_DELETE, IDC_SMTP_EDIT}, {},
                                 IDC_SMTP_RECIPIENTS};
const TabPage kServerPage = {{IDC_SMTP_SERVER, IDC_SMTP_PORT, IDC_SMTP_SECURITY, IDC_SMTP_USER, IDC_SMTP_PASSWORD,
                              IDC_SMTP_USER_OPTIONAL, IDC_SMTP_PASSWORD_OPTIONAL},
                             {{IDC_SMTP_LABEL_FIRST, "SMTP &Server:", IDC_SMTP_SERVER},
                              {IDC_SMTP_LABEL_SECOND, "Server &Port:", IDC_SMTP_PORT},
                              {IDC_SMTP_LABEL_USER, nullptr, IDC_SMTP_USER},
                              {IDC_SMTP_LABEL_THIRD, "Auth &Password:", IDC_SMTP_PASSWORD}},
                             IDC_SMTP_SERVER};
const TabPage kQueuePage = {{IDC_SMTP_QUEUE, IDC_SMTP_BROWSE, IDC_SMTP_OPEN, IDC_SMTP_TRACE},
                            {{IDC_SMTP_LABEL_FIRST, "Queue &Folder:", IDC_SMTP_QUEUE},
                             {IDC_SMTP_LABEL_SECOND, "SMTP Trace:", IDC_SMTP_TRACE}},
                            IDC_SMTP_QUEUE};

const TabPage& PageOf(CSMTPSetup::Tab tab) {
  if (tab == CSMTPSetup::kFromTab) return kFromPage;
  if (tab == CSMTPSetup::kServerTab) return kServerPage;
  if (tab == CSMTPSetup::kQueueTab) return kQueuePage;
  return kRecipientsPage;
}

const int kTabControls[] = {
    IDC_SMTP_SENDER_NAME, IDC_SMTP_SENDER_ADDRESS, IDC_SMTP_FORMAT,        IDC_SMTP_SERVER,
    IDC_SMTP_PORT,        IDC_SMTP_SECURITY,       IDC_SMTP_USER,          IDC_SMTP_PASSWORD,
    IDC_SMTP_USER_OPTIONAL, IDC_SMTP_PASSWORD_OPTIONAL, IDC_SMTP_QUEUE,    IDC_SMTP_BROWSE,
    IDC_SMTP_OPEN,        IDC_SMTP_TRACE,          IDC_SMTP_RECIPIENTS,    IDC_SMTP_ADD,
    IDC_SMTP_DELETE,      IDC_SMTP_EDIT,           IDC_SMTP_LABEL_FIRST,   IDC_SMTP_LABEL_SECOND,
    IDC_SMTP_LABEL_USER,  IDC_SMTP_LABEL_THIRD,
};

template <size_t N>
void FillCombo(HWND dialog, int id, const char* const (&texts)[N]) {
  for (const char* text : texts) SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// The choice of a combo box: its position, 0 when none is selected.
uint32_t ChosenPosition(HWND dialog, int id) {
  uint32_t choice = 0;
  ReadBoundControls(dialog, {{id, ComboChoice{&choice}}});
  return choice;
}

// Each field of the dialog's tabs and the setting it edits; the port and the recipients have
// rules of their own.
std::vector<ControlBinding> Bindings(CMonitorSettings& s) {
  return {
      {IDC_SMTP_FORMAT, ComboChoice{&s.mailFormat}},     {IDC_SMTP_TRACE, ComboChoice{&s.mailLogLevel}},
      {IDC_SMTP_SECURITY, ComboChoice{&s.mailSecurity}}, {IDC_SMTP_SERVER, &s.mailServer},
      {IDC_SMTP_USER, &s.mailUserName},                  {IDC_SMTP_PASSWORD, &s.mailPassword},
      {IDC_SMTP_SENDER_NAME, &s.mailSenderName},         {IDC_SMTP_SENDER_ADDRESS, &s.mailSenderAddress},
      {IDC_SMTP_QUEUE, &s.mailQueueFolder},
  };
}

// The folder picker shows the current folder first and lets only fixed drives' folders be chosen.
int CALLBACK FolderPickerEvent(HWND picker, UINT event, LPARAM item, LPARAM current) {
  if (event == BFFM_INITIALIZED) SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, current);
  if (event == BFFM_SELCHANGED) {
    char path[MAX_PATH] = "";
    bool fixed = SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), path) && IsOnFixedDrive(path);
    SendMessageA(picker, BFFM_ENABLEOK, 0, fixed);
  }
  return 0;
}

// The colour the tab control paints its body with (themed or not), from a drawing of it.
COLORREF TabBodyColor(HWND tabs) {
  RECT client = {};
  GetClientRect(tabs, &client);
  RECT body = client;
  TabCtrl_AdjustRect(tabs, FALSE, &body);
  HDC screen = GetDC(tabs);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageA(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  COLORREF color = GetPixel(memory, (body.left + body.right) / 2, (body.top + body.bottom) / 2);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(tabs, screen);
  return color == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : color;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool IsOnFixedDrive(const std::string& folder) {
  return folder.size() >= 3 && GetDriveTypeA(folder.substr(0, 3).c_str()) == DRIVE_FIXED;
}

void CSMTPSetup::UseShell(FolderPicker picker, FolderOpener opener, FolderCreator creator) {
  picker_ = picker ? picker : SHBrowseForFolderA;
  opener_ = opener ? opener : ShellExecuteExA;
  creator_ = creator ? creator : SHCreateDirectoryExA;
}

// The labels stand on the tab's body and take its colour.
INT_PTR CSMTPSetup::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_CTLCOLORSTATIC) return 0;
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetBkColor(dc, bodyColor_);
  SetDCBrushColor(dc, bodyColor_);
  return reinterpret_cast<INT_PTR>(GetStockObject(DC_BRUSH));
}

INT_PTR CSMTPSetup::OnInitDialog(HWND, LPARAM initParam) {
  settings_ = reinterpret_cast<CMonitorSettings*>(initParam);
  SetUpControls();
  CenterOnParent(window_);
  recipients_[0] = settings_->mailTo;
  recipients_[1] = settings_->mailCc;
  recipients_[2] = settings_->mailBcc;
  ShowSettings();
  ShowTab(kFromTab);
  return 0;
}

void CSMTPSetup::SetUpControls() {
  const std::pair<int, int> limits[] = {{IDC_SMTP_SENDER_NAME, 127}, {IDC_SMTP_SENDER_ADDRESS, 127},
                                        {IDC_SMTP_SERVER, 127},      {IDC_SMTP_PORT, 5},
                                        {IDC_SMTP_USER, 64},         {IDC_SMTP_PASSWORD, 64},
                                        {IDC_SMTP_QUEUE, 260}};
  for (auto [id, limit] : limits) SendDlgItemMessageA(window_, id, EM_LIMITTEXT, limit, 0);
  tabs_ = GetDlgItem(window_, IDC_SMTP_TABS);
  for (int i = 0; i < 6; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kTabNames[i]);
    TabCtrl_InsertItem(tabs_, i, &item);
  }
  TabCtrl_SetCurSel(tabs_, kFromTab);
  bodyColor_ = TabBodyColor(tabs_);
  list_.Attach(GetDlgItem(window_, IDC_SMTP_RECIPIENTS));
}

void CSMTPSetup::ShowSettings() {
  FillCombo(window_, IDC_SMTP_FORMAT, kFormats);
  FillCombo(window_, IDC_SMTP_TRACE, kTraceLevels);
  FillCombo(window_, IDC_SMTP_SECURITY, kSecurities);
  ShowBoundControls(window_, Bindings(*settings_));
  SetDlgItemTextA(window_, IDC_SMTP_PORT, PortText(settings_->mailPort).c_str());
}

void CSMTPSetup::ShowTab(Tab tab) {
  shown_ = tab;
  for (int id : kTabControls) ShowWindow(GetDlgItem(window_, id), SW_HIDE);
  const TabPage& page = PageOf(tab);
  for (const LabelPlace& place : page.labels) PlaceLabel(place.label, place.text, place.field);
  for (int id : page.fields) ShowWindow(GetDlgItem(window_, id), SW_SHOW);
  if (RecipientTab()) list_.Show(recipients_[tab - kToTab]);
  SetFocus(GetDlgItem(window_, page.focus));
  UpdateButtons();
}

// Moves a label beside its field, just before it in the tab order so that its key reaches it.
void CSMTPSetup::PlaceLabel(int id, const char* text, int fieldId) {
  HWND label = GetDlgItem(window_, id);
  HWND field = GetDlgItem(window_, fieldId);
  if (text) SetWindowTextA(label, text);
  RECT at = RectInDialog(window_, field), own = RectInDialog(window_, label);
  int top = at.top + (at.bottom - at.top - (own.bottom - own.top)) / 2;
  HWND before = GetWindow(field, GW_HWNDPREV);
  UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | (before == label ? SWP_NOZORDER : 0);
  SetWindowPos(label, before ? before : HWND_TOP, own.left, top, 0, 0, flags);
  ShowWindow(label, SW_SHOW);
}

void CSMTPSetup::CollectRecipients() {
  if (RecipientTab()) recipients_[shown_ - kToTab] = RecipientsFromRows(list_.Rows());
}

void CSMTPSetup::UpdateButtons() {
  ready_ = IsSetupReady(recipients_[0], recipients_[1], recipients_[2], GetItemString(window_, IDC_SMTP_SENDER_ADDRESS),
                        GetItemString(window_, IDC_SMTP_SERVER));
  bool anyRecipient = !(recipients_[0].empty() && recipients_[1].empty() && recipients_[2].empty());
  bool rowChosen = anyRecipient && RecipientTab() && !list_.SelectedRows().empty();
  EnableItem(window_, IDC_SMTP_SEND_TEST, ready_);
  EnableItem(window_, IDC_SMTP_ADD, RecipientTab());
  EnableItem(window_, IDC_SMTP_EDIT, rowChosen);
  EnableItem(window_, IDC_SMTP_DELETE, rowChosen);
}

void CSMTPSetup::AddRecipient() {
  Mailbox entry;
  if (RunEmailAddress(window_, &entry) == IDOK) list_.Append(entry);
}

void CSMTPSetup::EditRecipients() {
  for (int row : list_.SelectedRows()) {
    RecipientRow cells = list_.Rows()[row];
    Mailbox entry{TrimBlanks(cells.address), TrimBlanks(cells.name)};
    if (RunEmailAddress(window_, &entry) == IDOK) list_.SetRow(row, entry);
  }
}

void CSMTPSetup::SecurityChosen() {
  uint16_t port = PortForSecurity(ChosenPosition(window_, IDC_SMTP_SECURITY));
  if (StrToUl32(GetItemString(window_, IDC_SMTP_PORT), 10) != port)
    SetDlgItemTextA(window_, IDC_SMTP_PORT, std::to_string(port).c_str());
}

void CSMTPSetup::BrowseQueue() {
  std::string current = GetItemString(window_, IDC_SMTP_QUEUE);
  char name[MAX_PATH] = "";
  BROWSEINFOA request = {};
  request.hwndOwner = window_;
  request.pszDisplayName = name;
  request.lpszTitle = kFolderInstruction;
  request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  request.lpfn = FolderPickerEvent;
  request.lParam = reinterpret_cast<LPARAM>(current.c_str());
  HRESULT com = OleInitialize(nullptr);
  PIDLIST_ABSOLUTE chosen = picker_(&request);
  char path[MAX_PATH] = "";
  if (chosen && SHGetPathFromIDListA(chosen, path)) {
    SetDlgItemTextA(window_, IDC_SMTP_QUEUE, WithTrailingBackslash(path).c_str());
  }
  if (chosen) CoTaskMemFree(chosen);
  if (SUCCEEDED(com)) OleUninitialize();
}

void CSMTPSetup::OpenQueue() {
  std::string folder = GetItemString(window_, IDC_SMTP_QUEUE);
  SHELLEXECUTEINFOA request = {};
  request.cbSize = sizeof request;
  request.hwnd = window_;
  request.lpVerb = "open";
  request.lpFile = folder.c_str();
  request.nShow = SW_SHOWNORMAL;
  opener_(&request);
}

TestMailFields CSMTPSetup::TestFields() const {
  TestMailFields fields;
  fields.senderAddress = GetItemString(window_, IDC_SMTP_SENDER_ADDRESS);
  fields.senderName = GetItemString(window_, IDC_SMTP_SENDER_NAME);
  fields.format = ChosenPosition(window_, IDC_SMTP_FORMAT);
  fields.server = GetItemString(window_, IDC_SMTP_SERVER);
  fields.portText = GetItemString(window_, IDC_SMTP_PORT);
  fields.userName = GetItemString(window_, IDC_SMTP_USER);
  fields.documentationUrl = BuildHelpHomeUrl();
  fields.to = recipients_[0];
  fields.cc = recipients_[1];
  fields.bcc = recipients_[2];
  return fields;
}

// Sends the test message on this thread, the wait cursor up meanwhile, and shows the outcome.
void CSMTPSetup::SendTestEmail() {
  std::string report;
  {
    CWaitCursor wait;
    CollectRecipients();
    TestMailFields fields = TestFields();
    CSMTPMessage message = ComposeTestMessage(fields);
    report = DeliverMail(&message, fields.server, PortFromText(fields.portText), ChosenPosition(window_, IDC_SMTP_SECURITY),
                         fields.userName, GetItemString(window_, IDC_SMTP_PASSWORD));
  }
  if (report.empty())
    MsgBox(window_, "Mail sent successfully.", kProductTitle, MB_ICONINFORMATION, nullptr);
  else
    MsgBox(window_, report.c_str(), kProductTitle, MB_ICONEXCLAMATION, nullptr);
}

// The queue folder gets a drive, must lie on a fixed drive and exist (or be created).
bool CSMTPSetup::QueueFolderAccepted() {
  std::string folder = QueueFolderWithDrive(GetItemString(window_, IDC_SMTP_QUEUE));
  SetDlgItemTextA(window_, IDC_SMTP_QUEUE, folder.c_str());
  HWND field = GetDlgItem(window_, IDC_SMTP_QUEUE);
  if (!IsOnFixedDrive(folder)) {
    MsgBox(window_, "The drive you specify must be a local, permanently attached drive.", kProductTitle,
           MB_ICONEXCLAMATION, nullptr);
    SetFocus(field);
    return false;
  }
  if (IsFolder(folder)) return true;
  int answer = MsgBox(window_, "The queue folder you specified does not exist. Would you like to create it now?",
                      kProductTitle, MB_YESNOCANCEL | MB_ICONQUESTION, nullptr);
  if (answer == IDCANCEL) {
    SetFocus(field);
    return false;
  }
  // Without a window the shell shows no box of its own before ours.
  if (answer == IDYES && (creator_(nullptr, folder.c_str(), nullptr), !IsFolder(folder))) {
    MsgBox(window_, "Unable to create folder. Please check your typing.", kProductTitle, MB_ICONEXCLAMATION, nullptr);
    return false;
  }
  return true;
}

void CSMTPSetup::Accept() {
  CollectRecipients();
  UpdateButtons();
  if (!ready_) {
    MsgBox(window_, kIncomplete, kProductTitle, MB_ICONEXCLAMATION, nullptr);
    return;
  }
  if (!QueueFolderAccepted()) return;
  CMonitorSettings& s = *settings_;
  s.mailTo = recipients_[0];
  s.mailCc = recipients_[1];
  s.mailBcc = recipients_[2];
  ReadBoundControls(window_, Bindings(s));
  s.mailPort = PortFromText(GetItemString(window_, IDC_SMTP_PORT));
  End(IDOK);
}

INT_PTR CSMTPSetup::OnCommand(UINT id, UINT code, HWND) {
  switch (id) {
    case IDOK: Accept(); return 1;
    case IDCANCEL: End(IDCANCEL); return 1;
    case IDC_SMTP_SEND_TEST: SendTestEmail(); return 1;
    case IDC_SMTP_BROWSE: BrowseQueue(); return 1;
    case IDC_SMTP_OPEN: OpenQueue(); return 1;
    case IDC_SMTP_ADD: AddRecipient(); break;
    case IDC_SMTP_EDIT: EditRecipients(); break;
    case IDC_SMTP_DELETE: list_.DeleteSelected(); break;
    case IDC_SMTP_RECIPIENTS:
      if (code != kCellEditEnded) return 1;
      break;
    case IDC_SMTP_SECURITY:
      if (code == CBN_SELCHANGE) SecurityChosen();
      return 1;
    case IDC_SMTP_SENDER_ADDRESS:
    case IDC_SMTP_SERVER:
      if (code == EN_CHANGE || code == EN_KILLFOCUS) UpdateButtons();
      return 1;
    default:
      return 1;
  }
  CollectRecipients();
  UpdateButtons();
  return 1;
}

INT_PTR CSMTPSetup::ListNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_COLUMNCLICK:
      list_.SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      break;
    case LVN_KEYDOWN: {
      WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      if (key == VK_INSERT) AddRecipient();
      if (key == VK_DELETE) list_.DeleteSelected();
      if (key != VK_INSERT && key != VK_DELETE) return 0;
      break;
    }
    case NM_DBLCLK: {
      auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
      if (click->iItem < 0)
        AddRecipient();
      else
        list_.EditCell(click->iItem, click->iSubItem);
      break;
    }
    case LVN_ITEMCHANGED:
      UpdateButtons();
      return 0;
    default:
      return 0;
  }
  CollectRecipients();
  UpdateButtons();
  return 0;
}

INT_PTR CSMTPSetup::OnNotify(UINT_PTR controlId, NMHDR* header) {
  if (controlId == IDC_SMTP_RECIPIENTS) return ListNotify(header);
  if (controlId != IDC_SMTP_TABS) return 0;
  if (header->code == TCN_SELCHANGING) {
    CRecipientList::EndCellEditor(true);
    CollectRecipients();
  }
  if (header->code == TCN_SELCHANGE) ShowTab(static_cast<Tab>(TabCtrl_GetCurSel(tabs_)));
  return 0;
}

CSMTPSetup& SmtpSetupDialog() {
  static CSMTPSetup dialog;
  return dialog;
}

INT_PTR RunSmtpSetup(HWND owner, CMonitorSettings* settings) {
  CSMTPSetup& dialog = SmtpSetupDialog();
  dialog.SetInitParam(reinterpret_cast<LPARAM>(settings));
  return dialog.RunModal(AppletModule(), IDD_SMTP_SETUP, owner);
}
