// The ovmonctl commands: each runs the applet's engines and prints its answer.
#include "console/console_commands.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "console/console_report.h"
#include "mail/deliver_mail.h"
#include "mail/mailbox.h"
#include "mail/mail_setup_rules.h"
#include "monitor/data_store.h"
#include "monitor/check_metrics.h"
#include "monitor/service_signals.h"
#include "monitor/service_state.h"
#include "monitor/settings.h"
#include "monitor/summary_record.h"
#include "platform/describe_error.h"
#include "platform/help_address.h"
#include "platform/stop_event.h"
#include "sampling/installed_product.h"
#include "sampling/keyring.h"
#include "sampling/sample_report.h"
#include "sampling/sampler_rules.h"
#include "sampling/system_clock.h"
#include "sampling/time_sampler.h"

namespace {

constexpr DWORD kPollMs = 250;

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void PrintLine(const std::string& line) { Print(line + "\n"); }

// Writes text with its own line ends, none turned into CR LF (a format whose line ends are fixed).
void PrintExactly(const std::string& text) {
  std::fflush(stdout);
  int mode = _setmode(_fileno(stdout), _O_BINARY);
  Print(text);
  if (mode != -1) _setmode(_fileno(stdout), mode);
}

// The report's CR LF line ends as a console program writes them.
std::string UnixLines(std::string text) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  return text;
}

std::string Describe(uint32_t code) {
  char text[128];
  return DescribeError(code, text, sizeof text);
}

// Waits delayMs on the stop event; false when it is set.
bool PauseUnlessStopped(DWORD delayMs) {
  HANDLE stop = StopEvent();
  return !stop || WaitForSingleObject(stop, delayMs) == WAIT_TIMEOUT;
}

BOOL WINAPI OnConsoleBreak(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (StopEvent()) SetEvent(StopEvent());
  return TRUE;
}

int RunParse(const ConsoleCommand& command) {
  LoadKeyring(GetInstalledProductKey());
  TimeSourceSpec spec;
  if (!ParseTimeSource(spec, command.source, false)) {
    PrintLine("error " + std::to_string(int32_t(spec.errorCode)) + ": " + spec.errorText);
    return kExitFailed;
  }
  PrintLine(FormatTimeSource(spec));
  PrintLine("  server " + spec.server + (spec.isDomain ? " (domain " + spec.domain + ")" : ""));
  PrintLine(std::string("  protocol ") + ProtocolName(spec.protocol) + ", port " + std::to_string(spec.port));
  PrintLine("  samples " + std::to_string(spec.samples) + ", delay " + std::to_string(spec.delayMs) + " ms");
  PrintLine("  authentication " + AuthDescription(spec.authType, spec.keyId, spec.digestType));
  PrintLine(std::string("  ") + (spec.enabled ? "enabled" : "disabled") +
            (spec.allowRedirect ? "" : ", redirects not followed") + (spec.comment.empty() ? "" : ", comment " + spec.comment));
  return kExitOk;
}

// The test dialog's report of one run, or the run's samples as one JSON document.
int RunTestReport(const ConsoleCommand& command, const TimeSourceSpec& spec, bool parsed) {
  SampleSet samples;
  uint32_t code = parsed ? RunTimeSource(spec, &samples) : spec.errorCode;
  bool good = parsed && !samples.empty();
  if (!command.json) {
    Print(UnixLines(BuildSampleReport(spec, parsed, code, samples).text) + "\n");
    return good ? kExitOk : kExitFailed;
  }
  CJsonWriter json;
  json.BeginObject().Member("source", FormatTimeSource(spec)).Member("code", code);
  json.Member("codeText", parsed ? (code ? Describe(code) : std::string()) : spec.errorText);
  json.Key("samples").BeginArray();
  for (const TimeSample& sample : samples) WriteSampleJson(json.BeginObject(), sample).End();
  PrintLine(json.End().End().Text());
  return good ? kExitOk : kExitFailed;
}

// One line per sample until the count is reached or the user breaks in.
int RunStripChart(const ConsoleCommand& command, TimeSourceSpec spec) {
  spec.samples = 1;
  bool any = false;
  for (uint32_t i = 0; command.count == 0 || i < command.count; ++i) {
    if (i > 0 && !PauseUnlessStopped(command.intervalMs)) break;
    SampleSet samples;
    uint32_t code = RunTimeSource(spec, &samples);
    if (code == kRunStopped && samples.empty()) break;
    for (const TimeSample& sample : samples) {
      any = true;
      if (!command.json) PrintLine(StripChartLine(sample));
      CJsonWriter json;
      if (command.json) PrintLine(WriteSampleJson(json.BeginObject(), sample).End().Text());
    }
    if (samples.empty() && !command.json) PrintLine(FailedStripChartLine(SystemClock().Now(), code, Describe(code)));
  }
  return any ? kExitOk : kExitFailed;
}

int RunTest(const ConsoleCommand& command) {
  LoadKeyring(GetInstalledProductKey());
  TimeSourceSpec spec;
  bool parsed = ParseTimeSource(spec, command.source, false);
  if (!command.stripChart) return RunTestReport(command, spec, parsed);
  if (!parsed) {
    PrintLine("error " + std::to_string(int32_t(spec.errorCode)) + ": " + spec.errorText);
    return kExitFailed;
  }
  return RunStripChart(command, spec);
}

int RunStatus(const ConsoleCommand& command) {
  const char* service = ServiceStateName(IsServiceRunning(), IsScanInProgress());
  SummaryRecord check = ReadCheckCopy(CheckCopy::kLastCheck), alert = ReadCheckCopy(CheckCopy::kLastAlert);
  if (!command.json) {
    Print(std::string("Service: ") + service + "\n" + SummaryText("Last check", check) +
          SummaryText("Last alert", alert));
    return kExitOk;
  }
  CJsonWriter json;
  json.BeginObject().Member("service", service);
  WriteSummaryJson(json.Key("lastCheck").BeginObject(), check).End();
  WriteSummaryJson(json.Key("lastAlert").BeginObject(), alert).End();
  PrintLine(json.End().Text());
  return kExitOk;
}

int RunHistory(const ConsoleCommand& command) {
  CMonitorSettings settings;
  LoadSettings(&settings);
  std::vector<SummaryRecord> records;
  CMonitorStore(settings.dataFolder).ListSummaries(command.alertsOnly ? kSummariesAlertsOnly : kSummariesAll, &records);
  records.erase(std::remove_if(records.begin(), records.end(),
                               [&](const SummaryRecord& r) {
                                 return (command.since && r.time < *command.since) ||
                                        (command.until && r.time >= *command.until);
                               }),
                records.end());
  if (command.csv) {
    PrintExactly(HistoryCsv(records));
    return kExitOk;
  }
  if (!command.json) {
    for (const SummaryRecord& record : records) PrintLine(HistoryLine(record));
    return kExitOk;
  }
  CJsonWriter json;
  json.BeginArray();
  for (const SummaryRecord& record : records) WriteSummaryJson(json.BeginObject(), record).End();
  PrintLine(json.End().Text());
  return kExitOk;
}

// The metrics of the last stored check and of the service's run, as the service writes them.
int RunMetrics() {
  PrintExactly(FormatMetrics(ReadCheckCopy(CheckCopy::kLastCheck), ReadServiceRunState()));
  return kExitOk;
}

// Asks the service for a check and waits until it has run: true only when it stored a new
// record (a check that could not store one must not pass off the previous record as its own).
bool TriggerCheck(uint32_t waitSeconds) {
  uint32_t before = ReadCheckCopy(CheckCopy::kLastCheck).time;
  if (!SignalService(false)) return false;
  bool seenRunning = false;
  for (DWORD waited = 0; waited < waitSeconds * 1000; waited += kPollMs) {
    bool running = IsScanInProgress();
    seenRunning = seenRunning || running;
    bool stored = ReadCheckCopy(CheckCopy::kLastCheck).time != before;
    if (!running && (seenRunning || stored)) return stored;
    if (!PauseUnlessStopped(kPollMs)) return false;
  }
  return false;
}

// How old the last check may be: --max-age, else two of the service's check periods.
uint32_t MaxCheckAge(const ConsoleCommand& command) {
  if (command.maxAgeSeconds) return *command.maxAgeSeconds;
  CMonitorSettings settings;
  LoadSettings(&settings);
  return uint32_t(std::min<uint64_t>(uint64_t(settings.checkFrequency ? settings.checkFrequency : 1) * 120, 0xFFFFFFFF));
}

int RunCheck(const ConsoleCommand& command) {
  bool running = IsServiceRunning();
  if (running && command.now && !TriggerCheck(command.waitSeconds)) {
    PrintLine("OVMON UNKNOWN - no new check was stored within " + std::to_string(command.waitSeconds) + " seconds");
    return kPluginUnknown;
  }
  SummaryRecord record = ReadCheckCopy(CheckCopy::kLastCheck);
  PluginLimits limits{command.warnMs, command.critMs, CurrentUnixSeconds(), MaxCheckAge(command)};
  PluginAnswer answer = JudgeCheck(&record, running, limits);
  PrintLine(answer.line);
  return answer.exitCode;
}

// The longest password the stored settings keep.
constexpr size_t kMaxPasswordLength = 127;

// The password for this run: the first line of standard input, or the stored one; false (with a
// message) for a line longer than the settings keep, which is refused rather than cut.
bool MailPassword(const ConsoleCommand& command, const CMonitorSettings& settings, std::string* password) {
  if (!command.passwordStdin) {
    *password = settings.mailPassword;
    return true;
  }
  char line[kMaxPasswordLength + 3] = "";
  bool read = std::fgets(line, sizeof line, stdin) != nullptr;
  size_t length = read ? std::strcspn(line, "\r\n") : 0;
  bool whole = !read || line[length] != '\0' || std::feof(stdin);
  if (whole && length <= kMaxPasswordLength) password->assign(line, length);
  SecureZeroMemory(line, sizeof line);
  if (whole && length <= kMaxPasswordLength) return true;
  std::fprintf(stderr, "ovmonctl: the password is longer than %u characters\n", unsigned(kMaxPasswordLength));
  return false;
}

// A recipient as typed: "Name <address>", or an address alone, named as the address dialog names it.
bool RecipientFromText(const std::string& text, Mailbox* entry) {
  if (text.find('<') != std::string::npos) {
    *entry = ParseMailbox(text);
    return entry->address.find('@') != std::string::npos;
  }
  return AcceptAddress("", text, entry);
}

// The e-mail setup's test message with the stored settings, any of them replaced for this run;
// a recipient given replaces every stored one.
int RunMailTest(const ConsoleCommand& command) {
  CMonitorSettings settings;
  LoadSettings(&settings);
  TestMailFields fields;
  fields.senderAddress = settings.mailSenderAddress;
  fields.senderName = settings.mailSenderName;
  fields.format = settings.mailFormat;
  fields.server = command.server.value_or(settings.mailServer);
  fields.portText = PortText(command.port.value_or(settings.mailPort));
  fields.userName = command.user.value_or(settings.mailUserName);
  fields.documentationUrl = BuildHelpHomeUrl();
  fields.to = settings.mailTo;
  if (command.to) {
    fields.to.assign(1, Mailbox());
    if (!RecipientFromText(*command.to, &fields.to[0])) {
      std::fprintf(stderr, "ovmonctl: --to takes an e-mail address\n");
      return kExitUsage;
    }
  } else {
    fields.cc = settings.mailCc;
    fields.bcc = settings.mailBcc;
  }
  if (!IsSetupReady(fields.to, fields.cc, fields.bcc, fields.senderAddress, fields.server)) {
    PrintLine("The mail settings are incomplete: a server, a sender address and a recipient are needed.");
    return kExitFailed;
  }
  std::string password;
  bool taken = MailPassword(command, settings, &password);
  if (!settings.mailPassword.empty()) SecureZeroMemory(&settings.mailPassword[0], settings.mailPassword.size());
  if (!taken) return kExitUsage;
  CSMTPMessage message = ComposeTestMessage(fields);
  std::string report = DeliverMail(&message, fields.server, PortFromText(fields.portText),
                                   command.security.value_or(settings.mailSecurity), fields.userName, password);
  if (!password.empty()) SecureZeroMemory(&password[0], password.size());
  PrintLine(report.empty() ? "Mail sent successfully." : UnixLines(report));
  return report.empty() ? kExitOk : kExitFailed;
}

int RunSettingsShow() {
  CMonitorSettings settings;
  LoadSettings(&settings);
  Print(SettingsListing(settings));
  return kExitOk;
}

}  // namespace

void StopOnConsoleBreak() { SetConsoleCtrlHandler(OnConsoleBreak, TRUE); }

int RunConsoleCommand(const ConsoleCommand& command) {
  switch (command.verb) {
    case ConsoleVerb::kParse:
      return RunParse(command);
    case ConsoleVerb::kTest:
      return RunTest(command);
    case ConsoleVerb::kStatus:
      return RunStatus(command);
    case ConsoleVerb::kHistory:
      return RunHistory(command);
    case ConsoleVerb::kCheck:
      return RunCheck(command);
    case ConsoleVerb::kMetrics:
      return RunMetrics();
    case ConsoleVerb::kMailTest:
      return RunMailTest(command);
    case ConsoleVerb::kSettingsShow:
      return RunSettingsShow();
    default:
      return kExitUsage;
  }
}
