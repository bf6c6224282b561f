// CNetworkDiscoverySettings: the dialog's bound controls, presets and checks.
#include "timesources/network_discovery_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <iterator>

#include "platform/module.h"
#include "sampling/ip_literal.h"
#include "sampling/network.h"
#include "timesources/timesources_resource.h"
#include "ui/control_binding.h"
#include "ui/control_utils.h"

namespace {

// An IPv4 address control from dotted text; "" leaves it blank.
void SetAddress(HWND dialog, int id, const std::string& text) {
  IpLiteral address;
  if (!ParseIpv4Literal(text, &address)) {
    SendDlgItemMessageA(dialog, id, IPM_CLEARADDRESS, 0, 0);
    return;
  }
  const uint8_t* b = address.bytes;
  SendDlgItemMessageA(dialog, id, IPM_SETADDRESS, 0, MAKEIPADDRESS(b[0], b[1], b[2], b[3]));
}

// The dotted text of an IPv4 address control (blank fields as 0), "" when it is all blank.
std::string AddressText(HWND dialog, int id) {
  if (SendDlgItemMessageA(dialog, id, IPM_ISBLANK, 0, 0)) return "";
  DWORD address = 0;
  SendDlgItemMessageA(dialog, id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  IpLiteral literal;
  literal.family = 4;
  const DWORD fields[4] = {FIRST_IPADDRESS(address), SECOND_IPADDRESS(address), THIRD_IPADDRESS(address),
                           FOURTH_IPADDRESS(address)};
  for (int i = 0; i < 4; ++i) literal.bytes[i] = static_cast<uint8_t>(fields[i]);
  return FormatIpAddress(literal);
}

// An up-down with its range; held past a second it steps by step instead of 1.
void SetUpDown(HWND dialog, int id, int low, int high, UINT step) {
  SendDlgItemMessageA(dialog, id, UDM_SETRANGE32, low, high);
  UDACCEL accel[2] = {{0, 1}, {1, step}};
  SendDlgItemMessageA(dialog, id, UDM_SETACCEL, step > 1 ? 2 : 1, reinterpret_cast<LPARAM>(accel));
}

void SetUnitText(HWND dialog, int id, int low, int high) {
  char text[32];
  snprintf(text, sizeof text, "ms (%d to %d)", low, high);
  SetDlgItemTextA(dialog, id, text);
}

// Each control but the address controls and the field of DiscoveryControls it shows.
std::vector<ControlBinding> Bindings(DiscoveryControls& c) {
  return {
      {IDC_DISCOVERY_V4M_ENABLED, &c.v4Multicast},
      {IDC_DISCOVERY_V4M_ALL, RadioPair{&c.v4MulticastAll, IDC_DISCOVERY_V4M_PRIMARY}},
      {IDC_DISCOVERY_V4M_TTL, &c.v4Ttl},
      {IDC_DISCOVERY_V6M_ENABLED, &c.v6Multicast},
      {IDC_DISCOVERY_V6M_ALL, RadioPair{&c.v6MulticastAll, IDC_DISCOVERY_V6M_PRIMARY}},
      {IDC_DISCOVERY_V6M_OV2, &c.v6MulticastOV2},
      {IDC_DISCOVERY_V6M_NTP, &c.v6MulticastNTP},
      {IDC_DISCOVERY_V6M_HOPS, &c.v6Hops},
      {IDC_DISCOVERY_BC_ENABLED, &c.broadcast},
      {IDC_DISCOVERY_BC_CUSTOM, &c.broadcastCustom},
      {IDC_DISCOVERY_BC_ALL, &c.broadcastAll},
      {IDC_DISCOVERY_BC_PRIMARY, &c.broadcastPrimary},
      {IDC_DISCOVERY_BC_LIST, &c.customList},
      {IDC_DISCOVERY_SEND, &c.send},
      {IDC_DISCOVERY_RECEIVE, &c.receive},
  };
}

}  // namespace

INT_PTR CNetworkDiscoverySettings::OnMessage(UINT, WPARAM, LPARAM) { return 0; }

INT_PTR CNetworkDiscoverySettings::OnInitDialog(HWND, LPARAM initParam) {
  settings_ = reinterpret_cast<NetworkDiscoverySettings*>(initParam);
  PlaceNearOwner(window_, owner_ ? owner_ : GetParent(window_));
  SetUpNumbers();
  ShowControls(DiscoveryControlsFor(*settings_, available_));
  FillPresets();
  Refresh();
  return 1;
}

void CNetworkDiscoverySettings::SetUpNumbers() {
  SendDlgItemMessageA(window_, IDC_DISCOVERY_V4M_TTL, EM_LIMITTEXT, 4, 0);
  SendDlgItemMessageA(window_, IDC_DISCOVERY_V6M_HOPS, EM_LIMITTEXT, 4, 0);
  SendDlgItemMessageA(window_, IDC_DISCOVERY_V6M_OV2, EM_LIMITTEXT, 64, 0);
  SendDlgItemMessageA(window_, IDC_DISCOVERY_V6M_NTP, EM_LIMITTEXT, 64, 0);
  SendDlgItemMessageA(window_, IDC_DISCOVERY_BC_LIST, EM_LIMITTEXT, 0, 0);  // a stored list of any length
  SetUpDown(window_, IDC_DISCOVERY_V4M_TTL_SPIN, 1, 255, 1);
  SetUpDown(window_, IDC_DISCOVERY_V6M_HOPS_SPIN, 1, 255, 1);
  SetUnitText(window_, IDC_DISCOVERY_SEND_UNIT, 1, 5000);
  SetUnitText(window_, IDC_DISCOVERY_RECEIVE_UNIT, 2, 15000);
  SetUpDown(window_, IDC_DISCOVERY_SEND_SPIN, 1, 5000, 25);
  SetUpDown(window_, IDC_DISCOVERY_RECEIVE_SPIN, 2, 15000, 25);
}

void CNetworkDiscoverySettings::ShowControls(const DiscoveryControls& c) {
  DiscoveryControls shown = c;
  ShowBoundControls(window_, Bindings(shown));
  SetAddress(window_, IDC_DISCOVERY_V4M_OV2, c.v4MulticastOV2);
  SetAddress(window_, IDC_DISCOVERY_V4M_NTP, c.v4MulticastNTP);
  SetAddress(window_, IDC_DISCOVERY_BC_ADDRESS, c.broadcastAddress);
  kept_ = c.kept;
}

DiscoveryControls CNetworkDiscoverySettings::ReadControls() const {
  DiscoveryControls c;
  ReadBoundControls(window_, Bindings(c));
  c.v4MulticastOV2 = AddressText(window_, IDC_DISCOVERY_V4M_OV2);
  c.v4MulticastNTP = AddressText(window_, IDC_DISCOVERY_V4M_NTP);
  c.broadcastAddress = AddressText(window_, IDC_DISCOVERY_BC_ADDRESS);
  c.kept = kept_;
  return c;
}

void CNetworkDiscoverySettings::FillPresets() {
  AddComboItem(window_, IDC_DISCOVERY_PRESETS, "[Choose]", 0);
  LPARAM number = 0;
  for (const DiscoveryPreset& preset : kDiscoveryPresets) AddComboItem(window_, IDC_DISCOVERY_PRESETS, preset.name, ++number);
  SendDlgItemMessageA(window_, IDC_DISCOVERY_PRESETS, CB_SETCURSEL, 0, 0);
}

void CNetworkDiscoverySettings::Refresh() {
  DiscoveryEnablement e = DiscoveryEnablementFor(ReadControls());
  for (int id : {IDC_DISCOVERY_V4M_ALL, IDC_DISCOVERY_V4M_PRIMARY, IDC_DISCOVERY_V4M_OV2, IDC_DISCOVERY_V4M_NTP,
                 IDC_DISCOVERY_V4M_TTL, IDC_DISCOVERY_V4M_TTL_SPIN})
    EnableItem(window_, id, e.v4Multicast);
  for (int id : {IDC_DISCOVERY_V6M_ALL, IDC_DISCOVERY_V6M_PRIMARY, IDC_DISCOVERY_V6M_OV2, IDC_DISCOVERY_V6M_NTP,
                 IDC_DISCOVERY_V6M_HOPS, IDC_DISCOVERY_V6M_HOPS_SPIN})
    EnableItem(window_, id, e.v6Multicast);
  for (int id : {IDC_DISCOVERY_BC_CUSTOM, IDC_DISCOVERY_BC_ALL, IDC_DISCOVERY_BC_PRIMARY})
    EnableItem(window_, id, e.broadcastChoices);
  EnableItem(window_, IDC_DISCOVERY_BC_ADDRESS, e.broadcastAddress);
  EnableItem(window_, IDC_DISCOVERY_BC_LIST, e.customList);
  EnableItem(window_, IDC_DISCOVERY_BC_LIST_LABEL, e.customList);
  EnableItem(window_, IDC_DISCOVERY_APPLY, GetComboSelData(window_, IDC_DISCOVERY_PRESETS) > 0);
}

void CNetworkDiscoverySettings::ApplyPreset() {
  LPARAM chosen = GetComboSelData(window_, IDC_DISCOVERY_PRESETS);
  if (chosen < 1 || chosen > LPARAM(std::size(kDiscoveryPresets))) return;
  const DiscoveryPreset& preset = kDiscoveryPresets[chosen - 1];
  SetDlgItemInt(window_, IDC_DISCOVERY_SEND, preset.send, FALSE);
  SetDlgItemInt(window_, IDC_DISCOVERY_RECEIVE, preset.receive, FALSE);
  SendDlgItemMessageA(window_, IDC_DISCOVERY_PRESETS, CB_SETCURSEL, 0, 0);
  EnableItem(window_, IDC_DISCOVERY_APPLY, false);
}

void CNetworkDiscoverySettings::Accept() {
  StoreDiscoveryControls(ReadControls(), available_, settings_);
  End(IDOK);
}

INT_PTR CNetworkDiscoverySettings::OnCommand(UINT id, UINT code, HWND) {
  switch (id) {
    case IDC_DISCOVERY_V4M_ENABLED: case IDC_DISCOVERY_V4M_ALL: case IDC_DISCOVERY_V4M_PRIMARY:
    case IDC_DISCOVERY_V6M_ENABLED: case IDC_DISCOVERY_V6M_ALL: case IDC_DISCOVERY_V6M_PRIMARY:
    case IDC_DISCOVERY_BC_ENABLED: case IDC_DISCOVERY_BC_CUSTOM: case IDC_DISCOVERY_BC_ALL:
    case IDC_DISCOVERY_BC_PRIMARY:
      if (code == BN_CLICKED) Refresh();
      break;
    case IDC_DISCOVERY_PRESETS:
      if (code == CBN_SELCHANGE) Refresh();
      break;
    case IDC_DISCOVERY_APPLY:
      ApplyPreset();
      break;
    case IDC_DISCOVERY_RESET:
      ShowControls(DiscoveryDefaults(ReadControls(), available_));
      Refresh();
      break;
    case IDOK:
      Accept();
      break;
    case IDCANCEL:
      End(IDCANCEL);
      break;
  }
  return 1;
}

FamilyAvailability MachineFamilies() { return FamilyAvailability{Ipv4Usable(), Ipv6Usable()}; }

INT_PTR RunNetworkDiscoverySettings(HWND owner, NetworkDiscoverySettings* settings) {
  CNetworkDiscoverySettings dialog(MachineFamilies());
  dialog.SetInitParam(reinterpret_cast<LPARAM>(settings));
  return dialog.RunModal(AppletModule(), IDD_NETWORK_DISCOVERY, owner);
}
