# The Monitor service in a demo prefix (scripts/demo, scripts/screenshot): ovmonsvc.exe added to
# Wine's service manager and started, watching the OV2 test server's fleet of loopback servers
# (scripts/peers.sh) as masters, slaves, an independent server and clients at chosen offsets
# against the fleet's first server as the reference, and a few checks run at once so that the
# History page and its graph have something to show. Needs start_peers and start_wine first.
DEMO_MACHINES=(master:hq-master-1 master:hq-master-2 slave:branch-slave-1 slave:branch-slave-2
  independent:lab-clock client:desk-client-1 client:desk-client-2)
# Offsets (ms) of the reference and the machines above, each reading wandering by the jitter.
export OVMON_OV2_FLEET_OFFSETS="0,40,55,-180,260,35,1400,-30" OVMON_OV2_FLEET_JITTER_MS=60

# Points the service at the fleet, installs it, starts it and lets it store about checks checks: the
# first three raise alerts (a client is 1.4 s off, over the single-machine limit of 1 s), then the
# limit is raised to 2 s and the service restarted, so that the last check is a quiet one.
start_demo_service() {  # checks (at least 4)
  local params='HKLM\Software\Tallowin\Orvane Monitor\Parameters' lines="" i entry
  for i in "${!DEMO_MACHINES[@]}"; do
    entry=${DEMO_MACHINES[$i]}
    lines+="${entry%%:*} server 127.0.0.1 protocol ov2 port $((OVMON_OV2_FLEET_PORT + i + 1)) comment ${entry#*:}\\0"
  done
  wine reg add "$params" /v "Monitored Machines" /t REG_MULTI_SZ /d "$lines" /f >/dev/null 2>&1
  wine reg add "$params" /v "Reference Clock Type" /t REG_DWORD /d 3 /f >/dev/null 2>&1
  wine reg add "$params" /v "Reference Clocks" /t REG_MULTI_SZ \
    /d "server 127.0.0.1 protocol ov2 port $OVMON_OV2_FLEET_PORT comment reference" /f >/dev/null 2>&1
  wine reg add "$params" /v "Single Limit" /t REG_DWORD /d 1000 /f >/dev/null 2>&1
  wine "$BUILD/win/ovmonsvc.exe" -install
  wine net start "Orvane Monitor" >/dev/null 2>&1
  for i in 1 2; do wine "$BUILD/win/ovmonsvc.exe" -rescan; done
  wine reg add "$params" /v "Single Limit" /t REG_DWORD /d 2000 /f >/dev/null 2>&1
  wine net stop "Orvane Monitor" >/dev/null 2>&1
  wine net start "Orvane Monitor" >/dev/null 2>&1
  for i in $(seq $((${1:-6} - 4))); do wine "$BUILD/win/ovmonsvc.exe" -rescan; done
  echo "=== Monitor service running, its checks stored in the data folder"
}
