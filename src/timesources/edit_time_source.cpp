// CEditTimeSource: the controls of one time-source line, shown and read back.
#include "timesources/edit_time_source.h"

#include <commctrl.h>

#include "platform/blank_text.h"
#include "platform/module.h"
#include "sampling/keyring.h"
#include "timesources/source_rules.h"
#include "timesources/time_source_test_dialog.h"
#include "timesources/timesources_resource.h"
#include "ui/control_utils.h"
#include "ui/wait_cursor.h"

namespace {

// Typed names and comments stay short enough for the whole line to fit its 1023 characters.
constexpr int kMaxNameLength = 255;
constexpr int kMaxCommentLength = 512;

TimeSourceSpec NewSource() {
  TimeSourceSpec spec;
  spec.protocol = kProtocolNtp;
  spec.port = DefaultPort(kProtocolNtp);
  return spec;
}

}  // namespace

INT_PTR CEditTimeSource::OnMessage(UINT, WPARAM, LPARAM) { return 0; }

INT_PTR CEditTimeSource::OnInitDialog(HWND, LPARAM initParam) {
  PlaceNearOwner(window_, owner_ ? owner_ : GetParent(window_));
  line_ = reinterpret_cast<std::string*>(initParam);
  record_ = NewSource();
  if (!line_->empty()) {
    SetWindowTextA(window_, "Edit Time Source");
    record_ = TimeSourceSpec();
    CWaitCursor wait;  // a domain source's controller is looked up
    ParseTimeSource(record_, *line_, true);
  } else {
    SetWindowTextA(window_, "Add Time Source");
  }
  SendDlgItemMessageA(window_, IDC_SOURCE_NAME, EM_LIMITTEXT, kMaxNameLength, 0);
  SendDlgItemMessageA(window_, IDC_SOURCE_COMMENT, EM_LIMITTEXT, kMaxCommentLength, 0);
  SendDlgItemMessageA(window_, IDC_SOURCE_SAMPLES, EM_LIMITTEXT, 4, 0);
  SendDlgItemMessageA(window_, IDC_SOURCE_DELAY, EM_LIMITTEXT, 4, 0);
  SendDlgItemMessageA(window_, IDC_SOURCE_PORT, EM_LIMITTEXT, 5, 0);
  ShowRecord();
  return 1;
}

void CEditTimeSource::ShowRecord() {
  ShowNumbers();
  CheckDlgButton(window_, IDC_SOURCE_ENABLED, record_.enabled ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(window_, IDC_SOURCE_SERVER, IDC_SOURCE_DOMAIN,
                   record_.isDomain ? IDC_SOURCE_DOMAIN : IDC_SOURCE_SERVER);
  SetDlgItemTextA(window_, IDC_SOURCE_NAME, (record_.isDomain ? record_.domain : record_.server).c_str());
  ApplyNameCase(record_.isDomain);
  ShowPort(record_.port, record_.protocol);
  SetDlgItemTextA(window_, IDC_SOURCE_COMMENT, record_.comment.c_str());
  SendDlgItemMessageA(window_, IDC_SOURCE_COMMENT, EM_SETREADONLY, record_.isDomain, 0);
  FillProtocols();
  FillAuthentication();
  UpdateButtons();
}

// Samples and delay with their up-downs; the delay only counts with more than one sample.
void CEditTimeSource::ShowNumbers() {
  SendDlgItemMessageA(window_, IDC_SOURCE_SAMPLES_SPIN, UDM_SETRANGE32, kMinSamples, kMaxSamples);
  SendDlgItemMessageA(window_, IDC_SOURCE_SAMPLES_SPIN, UDM_SETPOS32, 0, record_.samples);
  SetDlgItemInt(window_, IDC_SOURCE_SAMPLES, record_.samples, FALSE);
  UDACCEL accel[2] = {{0, 1}, {5, 16}};
  SendDlgItemMessageA(window_, IDC_SOURCE_DELAY_SPIN, UDM_SETRANGE32, kMinDelayMs, kMaxDelayMs);
  SendDlgItemMessageA(window_, IDC_SOURCE_DELAY_SPIN, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(accel));
  SendDlgItemMessageA(window_, IDC_SOURCE_DELAY_SPIN, UDM_SETPOS32, 0, record_.delayMs);
  SetDlgItemInt(window_, IDC_SOURCE_DELAY, record_.delayMs, FALSE);
  UpdateDelayEnabled();
}

void CEditTimeSource::FillProtocols() {
  HWND combo = Item(IDC_SOURCE_PROTOCOL);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (TimeProtocol protocol : kEditorProtocols) AddComboItem(window_, IDC_SOURCE_PROTOCOL, ProtocolName(protocol), protocol);
  if (SelectComboByData(window_, IDC_SOURCE_PROTOCOL, record_.protocol) < 0) SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void CEditTimeSource::FillAuthentication() {
  HWND combo = Item(IDC_SOURCE_AUTH);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  AddComboItem(window_, IDC_SOURCE_AUTH, "None", kAuthNone);
  AddComboItem(window_, IDC_SOURCE_AUTH, "Windows Authentication", kAuthWindows);
  for (uint32_t key : NamableKeyNumbers()) AddComboItem(window_, IDC_SOURCE_AUTH, KeyEntryText(key), kAuthKey);
  LRESULT selection = 0;
  if (record_.authType == kAuthWindows) {
    selection = 1;
  } else if (record_.authType != kAuthNone) {
    std::string wanted = KeyEntryText(record_.keyId);
    selection = SendMessageA(combo, CB_FINDSTRINGEXACT, 1, reinterpret_cast<LPARAM>(wanted.c_str()));
    if (selection == CB_ERR) selection = 0;
  }
  SendMessageA(combo, CB_SETCURSEL, selection, 0);
}

// A domain name shows in upper case, a server name in lower case, typed or not.
void CEditTimeSource::ApplyNameCase(bool domain) {
  HWND name = Item(IDC_SOURCE_NAME);
  LONG_PTR style = GetWindowLongPtrA(name, GWL_STYLE) & ~LONG_PTR(ES_UPPERCASE | ES_LOWERCASE);
  SetWindowLongPtrA(name, GWL_STYLE, style | (domain ? ES_UPPERCASE : ES_LOWERCASE));
  std::string text = GetItemString(window_, IDC_SOURCE_NAME);
  if (text.empty()) return;
  DWORD length = static_cast<DWORD>(text.size());
  domain ? CharUpperBuffA(&text[0], length) : CharLowerBuffA(&text[0], length);
  SetDlgItemTextA(window_, IDC_SOURCE_NAME, text.c_str());
}

// Test needs a name; OK also needs an authentication the protocol can carry, and the note
// under the fields says why it is grey when it cannot.
void CEditTimeSource::UpdateButtons() {
  bool storable = IsStorableName(GetItemString(window_, IDC_SOURCE_NAME));
  auto protocol = static_cast<TimeProtocol>(GetComboSelData(window_, IDC_SOURCE_PROTOCOL));
  bool works = AuthenticationWorks(protocol, static_cast<uint32_t>(GetComboSelData(window_, IDC_SOURCE_AUTH)));
  EnableItem(window_, IDC_SOURCE_TEST, storable);
  EnableItem(window_, IDOK, storable && works);
  ShowWindow(Item(IDC_SOURCE_AUTH_NOTE), works ? SW_HIDE : SW_SHOW);
}

void CEditTimeSource::UpdateDelayEnabled() {
  bool several = GetDlgItemInt(window_, IDC_SOURCE_SAMPLES, nullptr, FALSE) > 1;
  EnableItem(window_, IDC_SOURCE_DELAY, several);
  EnableItem(window_, IDC_SOURCE_DELAY_SPIN, several);
}

// The port can be chosen only for OV2 over HTTP; the others use their protocol's port.
void CEditTimeSource::ShowPort(uint16_t port, TimeProtocol protocol) {
  SetDlgItemInt(window_, IDC_SOURCE_PORT, port, FALSE);
  EnableItem(window_, IDC_SOURCE_PORT, protocol == kProtocolOv2Http);
}

void CEditTimeSource::SwitchType() {
  bool domain = IsButtonChecked(window_, IDC_SOURCE_DOMAIN);
  SendDlgItemMessageA(window_, IDC_SOURCE_COMMENT, EM_SETREADONLY, domain, 0);
  SetDlgItemTextA(window_, IDC_SOURCE_COMMENT, domain ? record_.comment.c_str() : "");
  ApplyNameCase(domain);
}

INT_PTR CEditTimeSource::OnCommand(UINT id, UINT notifyCode, HWND) {
  switch (id) {
    case IDC_SOURCE_NAME:
      if (notifyCode == EN_CHANGE) UpdateButtons();
      return 1;
    case IDC_SOURCE_AUTH:
      if (notifyCode == CBN_SELCHANGE) UpdateButtons();
      return 1;
    case IDC_SOURCE_SAMPLES:
      if (notifyCode == EN_KILLFOCUS) GatherNumber(IDC_SOURCE_SAMPLES, ClampSamples);
      if (notifyCode == EN_CHANGE) UpdateDelayEnabled();
      return 1;
    case IDC_SOURCE_SERVER:
    case IDC_SOURCE_DOMAIN:
      if (notifyCode == BN_CLICKED) SwitchType();
      return 1;
    case IDC_SOURCE_PROTOCOL:
      if (notifyCode == CBN_SELCHANGE) {
        auto protocol = static_cast<TimeProtocol>(GetComboSelData(window_, IDC_SOURCE_PROTOCOL));
        ShowPort(DefaultPort(protocol), protocol);
        UpdateButtons();
      }
      return 1;
    case IDCANCEL:
      End(IDCANCEL);
      return 1;
    case IDOK:
      if (!IsWindowEnabled(Item(IDOK))) return 1;  // Enter on a grey OK
      break;
    case IDC_SOURCE_TEST:
      break;
    default:
      return 0;
  }
  Gather();
  std::string line = FormatTimeSource(record_);
  if (id == IDC_SOURCE_TEST) {
    RunTimeSourceTest(window_, line);
    return 1;
  }
  *line_ = line;
  End(IDOK);
  return 1;
}

// The number in an edit, clamped; a corrected number is written back.
uint32_t CEditTimeSource::GatherNumber(int id, uint32_t (*clamp)(uint32_t)) {
  BOOL read = FALSE;
  uint32_t typed = GetDlgItemInt(window_, id, &read, FALSE);
  uint32_t value = clamp(read ? typed : 0);
  if (!read || value != typed) SetDlgItemInt(window_, id, value, FALSE);
  return value;
}

void CEditTimeSource::Gather() {
  record_.enabled = IsButtonChecked(window_, IDC_SOURCE_ENABLED);
  record_.isDomain = IsButtonChecked(window_, IDC_SOURCE_DOMAIN);
  record_.samples = static_cast<uint8_t>(GatherNumber(IDC_SOURCE_SAMPLES, ClampSamples));
  record_.delayMs = GatherNumber(IDC_SOURCE_DELAY, ClampDelay);
  record_.protocol = static_cast<TimeProtocol>(GetComboSelData(window_, IDC_SOURCE_PROTOCOL));
  record_.authType = static_cast<uint32_t>(GetComboSelData(window_, IDC_SOURCE_AUTH));
  record_.keyId = record_.authType == kAuthKey ? KeyFromEntryText(GetItemString(window_, IDC_SOURCE_AUTH)) : 0;
  uint32_t typedPort = GetDlgItemInt(window_, IDC_SOURCE_PORT, nullptr, FALSE);
  record_.port = GatheredPort(typedPort, record_.protocol);
  if (record_.port != typedPort) SetDlgItemInt(window_, IDC_SOURCE_PORT, record_.port, FALSE);
  std::string name = TrimBlanks(GetItemString(window_, IDC_SOURCE_NAME));
  if (record_.isDomain) {
    record_.domain = name;
    record_.comment.clear();
  } else {
    record_.server = name;
    record_.comment = StorableComment(GetItemString(window_, IDC_SOURCE_COMMENT));
  }
}

CEditTimeSource& TimeSourceEditor() {
  static CEditTimeSource dialog;
  return dialog;
}

INT_PTR RunTimeSourceEditor(HWND owner, std::string* line) {
  CEditTimeSource& dialog = TimeSourceEditor();
  dialog.SetInitParam(reinterpret_cast<LPARAM>(line));
  return dialog.RunModal(AppletModule(), IDD_TIME_SOURCE, owner);
}
