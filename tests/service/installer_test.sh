#!/bin/bash
# The installer under Wine, in the prefix scripts/test made: "msiexec /i" puts the applet, the
# service and ovmonctl in place, puts their folder on the system PATH, registers the applet with
# Control Panel and the service's event source, and leaves the service running; "msiexec /x"
# leaves no file, service, PATH entry or registry key of ours.
#   installer_test.sh <Windows build folder> <source folder> <access_text.exe>
set -uo pipefail
BUILD_WIN=$1 ROOT=$2 ACCESS_TEXT=$3
. "$ROOT/scripts/msi.sh"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/installer.XXXXXX")
passes=0 failures=0
check() {  # description command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then
    echo "ok: $what"; passes=$((passes + 1))
  else
    echo "FAILED: $what"; failures=$((failures + 1))
  fi
}
absent() { ! "$@"; }
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
service_state() { wine sc query "Orvane Monitor" 2>/dev/null | tr -d '\r'; }

build_msi "$BUILD_WIN" "$WORK/ovmon.msi" 2>/dev/null || { echo "FAILED: wixl"; exit 1; }
MSI=$(winepath -w "$WORK/ovmon.msi")
PROGRAMS="$WINEPREFIX/drive_c/Program Files/Tallowin"
SYSTEM="$WINEPREFIX/drive_c/windows/system32"
trap 'wine msiexec /x "$MSI" /qn >/dev/null 2>&1; rm -rf "$WORK"' EXIT

check "msiexec /i succeeds" wine msiexec /i "$MSI" /qn
check "the applet is installed" test -f "$PROGRAMS/Orvane Monitor/ovmon.cpl"
check "the service is installed" test -f "$PROGRAMS/Orvane Monitor/ovmonsvc.exe"
check "ovmonctl is installed" test -f "$PROGRAMS/Orvane Monitor/ovmonctl.exe"
ENVIRONMENT='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
check "the system PATH ends with the program folder" grep -qi ';C:\\Program Files\\Tallowin\\Orvane Monitor\\\?$' \
  <(query "$ENVIRONMENT" /v PATH)
SOURCE='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Orvane Monitor'
for value in EventMessageFile CategoryMessageFile; do
  check "Event Viewer finds $value in ovmonsvc.exe" \
    grep -q "$value    REG_EXPAND_SZ    C:\\\\Program Files\\\\Tallowin\\\\Orvane Monitor\\\\ovmonsvc.exe$" \
    <(query "$SOURCE" /v "$value")
done
check "the source has four categories" grep -q 'CategoryCount    REG_DWORD    0x4$' <(query "$SOURCE" /v CategoryCount)
check "the source reports errors, warnings and information" grep -q 'TypesSupported    REG_DWORD    0x7$' \
  <(query "$SOURCE" /v TypesSupported)
check "Control Panel lists the applet" grep -q 'ovmon    REG_SZ    C:\\Program Files\\Tallowin\\Orvane Monitor\\ovmon.cpl' \
  <(query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls' /v ovmon)
check "\"Service Installed\" is set" grep -q 'REG_DWORD    0x1' \
  <(query 'HKLM\Software\Tallowin\Orvane Monitor\Parameters' /v 'Service Installed')
check "the service runs" grep -q 'STATE *: 4 *RUNNING' <(service_state)
# A process started now finds ovmonctl by its name, as a new console does after the install (the
# service may still be at its first check).
check "a new process runs ovmonctl by its name alone" grep -qE '^Service: (running|checking)' \
  <(wine cmd /c ovmonctl status 2>/dev/null | tr -d '\r')
check "the service answers Rescan with a stored check" wine "$PROGRAMS/Orvane Monitor/ovmonsvc.exe" -rescan
check "the check is in the data folder" compgen -G "$SYSTEM/OVMonitorData/*.bin"
check "the service writes its log" test -e "$SYSTEM/orvanem.log"
access() { wine "$ACCESS_TEXT" "$@" 2>/dev/null | tr -d '\r'; }
check "the mail password's key is for SYSTEM and Administrators alone" \
  grep -qx 'D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)' <(access key '\Logs and Alerts\SMTP')
for event in ovmon-cpl-event ovmon-trigger-event ovmon-working-signal; do
  check "everyone may only wait on $event" grep -q 'D:(A;;0x1f0003;;;SY)(A;;0x1f0003;;;BA)(A;;0x100000;;;WD)$' \
    <(access event "$event")
done
# Wine keeps only part of a folder's list: SYSTEM's full control is the part it keeps.
check "the data folder was made with its access list" grep -q '(A;OICI;FA;;;SY)' \
  <(access folder 'C:\windows\system32\OVMonitorData')
echo "not a stored check" > "$SYSTEM/OVMonitorData/notes.txt"

check "msiexec /x succeeds" wine msiexec /x "$MSI" /qn
check "no program folder is left" absent test -e "$PROGRAMS"
check "no service is left" absent grep -q 'SERVICE_NAME' <(service_state)
check "no registry key of the product is left" absent grep -q Tallowin <(query 'HKLM\Software\Tallowin')
check "Control Panel no longer lists it" absent grep -q ovmon <(query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls')
check "the PATH no longer names the program folder" absent grep -qi 'Orvane Monitor' <(query "$ENVIRONMENT" /v PATH)
check "the system PATH is left with its own entries" grep -qi 'system32' <(query "$ENVIRONMENT" /v PATH)
check "no event source is left" absent grep -q EventMessageFile <(query "$SOURCE")
# (Other tests of the prefix may make the default data folder itself: its files are what counts.)
check "no stored checks are left" absent compgen -G "$SYSTEM/OVMonitorData/*.[bd][ia][nt]"
check "a file that is no stored check stays" test -e "$SYSTEM/OVMonitorData/notes.txt"
rm -f "$SYSTEM/OVMonitorData/notes.txt"
check "no log is left" absent test -e "$SYSTEM/orvanem.log"
trap 'rm -rf "$WORK"' EXIT
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
