// CNetworkDiscoverySettings: the network discovery dialog (template 2043) that the Setup page's
// "Settings..." opens. It edits the in-memory discovery settings: IPv4 and IPv6 multicast,
// IPv4 broadcast, and the UDP timeouts with their speed presets.
#pragma once
#include <windows.h>

#include "sampling/network_discovery_settings.h"
#include "timesources/network_discovery_rules.h"
#include "ui/basic_dialog.h"

class CNetworkDiscoverySettings : public CBasicDialog {
 public:
  // A dialog for the families this machine can use (tests name them).
  explicit CNetworkDiscoverySettings(FamilyAvailability available) : available_(available) {}

  // No other message is handled.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // initParam: the settings (NetworkDiscoverySettings*). Shows them, placed near the owner.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The boxes and radio buttons refresh; presets, Reset to Defaults, OK stores, Cancel.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;

 private:
  void ShowControls(const DiscoveryControls& controls);
  DiscoveryControls ReadControls() const;
  void SetUpNumbers();
  void FillPresets();
  void Refresh();
  void ApplyPreset();
  void Accept();

  FamilyAvailability available_;
  NetworkDiscoverySettings* settings_ = nullptr;
  KeptIpv4Addresses kept_;  // what the address controls stand for while unchanged
};

// Which address families this machine can use.
FamilyAvailability MachineFamilies();
// Runs the dialog over settings with owner; 1 after OK (settings changed), 2 after Cancel.
INT_PTR RunNetworkDiscoverySettings(HWND owner, NetworkDiscoverySettings* settings);
