// CSetup: the Setup page's controls and the editors and dialogs it opens.
#include "pages/setup_page.h"

#include "mailsetup/smtp_setup.h"
#include "monitor/settings.h"
#include "pages/pages_resource.h"
#include "platform/text_numbers.h"
#include "timesources/network_discovery_dialog.h"
#include "timesources/reference_editor.h"
#include "ui/control_binding.h"
#include "ui/control_utils.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"

namespace {

// Each control of the page and the field of SetupControls it shows, in the order they are shown.
std::vector<ControlBinding> Bindings(SetupControls& c) {
  return {
      {IDC_SETUP_FREQUENCY, ComboPosition{&c.frequencyIndex}},
      {IDC_SETUP_SCHEDULE, ComboPosition{&c.scheduleIndex}},
      {IDC_SETUP_SUMMARIES, &c.summaries},
      {0, RadioGroup{&c.level, {{IDC_SETUP_LEVEL_ALL, 2}, {IDC_SETUP_LEVEL_ERRORS, 1}, {IDC_SETUP_LEVEL_NONE, 0}}}},
      {IDC_SETUP_MANAGER, RadioPair{&c.useManager, IDC_SETUP_CUSTOMIZE}},
      {IDC_SETUP_DNS, &c.dnsLookups},
      {IDC_SETUP_DAYS, &c.days},
      {IDC_SETUP_RECORDS, &c.records},
      {IDC_SETUP_SORT_VARIANCE, RadioPair{&c.sortByVariance, IDC_SETUP_SORT_ADDRESS}},
  };
}

}  // namespace

INT_PTR CSetup::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CSetup::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  FillList(IDC_SETUP_FREQUENCY, kCheckFrequencies);
  FillList(IDC_SETUP_SCHEDULE, kSummarySchedules);
  return 1;
}

void CSetup::FillList(int id, const ListChoice (&choices)[11]) {
  for (const ListChoice& choice : choices) AddComboItem(window_, id, choice.text, choice.data);
}

bool CSetup::MailConfigured() const { return IsMailConfigured(Settings()); }

void CSetup::ShowControls(const SetupControls& c) {
  SetupControls shown = c;
  ShowBoundControls(window_, Bindings(shown));
}

SetupControls CSetup::ReadControls() const {
  SetupControls c;
  ReadBoundControls(window_, Bindings(c));
  return c;
}

void CSetup::Refresh() {
  SetupEnablement e =
      SetupEnablementFor(IsButtonChecked(window_, IDC_SETUP_SUMMARIES), IsButtonChecked(window_, IDC_SETUP_CUSTOMIZE));
  for (int id : {IDC_SETUP_LEVEL_ALL, IDC_SETUP_LEVEL_ERRORS, IDC_SETUP_LEVEL_NONE, IDC_SETUP_SCHEDULE})
    EnableItem(window_, id, e.summaryOptions);
  EnableItem(window_, IDC_SETUP_DISCOVERY, e.discoverySettings);
}

// Summaries need complete mail settings: the e-mail setup comes first, and the box stays
// unchecked unless it ends with OK.
void CSetup::SummariesClicked() {
  if (IsButtonChecked(window_, IDC_SETUP_SUMMARIES) && !MailConfigured() &&
      RunSmtpSetup(window_, &Settings()) != IDOK) {
    SetButtonChecked(window_, IDC_SETUP_SUMMARIES, false);
    return;
  }
  Refresh();
  MarkChanged();
}

void CSetup::RetentionTyped(int id, uint32_t recorded) {
  if (StrToUl32(GetItemString(window_, id), 10) != recorded) MarkChanged();
}

void CSetup::RunEmailSetup() {
  if (RunSmtpSetup(window_, &Settings()) == IDOK) MarkChanged();
}

void CSetup::RunDiscoverySettings() {
  if (RunNetworkDiscoverySettings(window_, &Settings().discovery) == IDOK) MarkChanged();
}

void CSetup::OpenReferenceEditor() {
  if (RunReferenceEditor(window_, &Settings()) == IDOK) MarkChanged();
}

INT_PTR CSetup::OnCommand(UINT id, UINT code, HWND) {
  switch (id) {
    case IDC_SETUP_FREQUENCY:
    case IDC_SETUP_SCHEDULE:
      if (code == CBN_SELCHANGE) MarkChanged();
      break;
    case IDC_SETUP_SUMMARIES:
      SummariesClicked();
      break;
    case IDC_SETUP_LEVEL_ALL: case IDC_SETUP_LEVEL_ERRORS: case IDC_SETUP_LEVEL_NONE:
    case IDC_SETUP_SORT_ADDRESS: case IDC_SETUP_SORT_VARIANCE: case IDC_SETUP_DNS:
      MarkChanged();
      break;
    case IDC_SETUP_MANAGER:
    case IDC_SETUP_CUSTOMIZE:
      Refresh();
      MarkChanged();
      break;
    case IDC_SETUP_DAYS:
      if (code == EN_UPDATE) RetentionTyped(id, Settings().retentionDays);
      break;
    case IDC_SETUP_RECORDS:
      if (code == EN_UPDATE) RetentionTyped(id, Settings().retentionRecords);
      break;
    case IDC_SETUP_EMAIL:
      RunEmailSetup();
      break;
    case IDC_SETUP_DISCOVERY:
      RunDiscoverySettings();
      break;
    case IDC_SETUP_REFERENCE:
      OpenReferenceEditor();
      break;
  }
  return 1;
}

INT_PTR CSetup::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  switch (code) {
    case PSN_SETACTIVE:
      ShowControls(SetupControlsFor(Settings(), MailConfigured()));
      Refresh();
      return 0;
    case PSN_KILLACTIVE:
      StoreSetupControls(ReadControls(), MailConfigured(), &Settings());
      return 0;
    default:
      return ContractNotify(code, notify, "setup");
  }
}
