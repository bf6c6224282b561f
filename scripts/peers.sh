# Loopback test servers started by scripts/test and stopped by the process ids it started:
# chronyd (NTP with one MD5 and one SHA1 key) and an SMTP server (STARTTLS, implicit TLS, AUTH).
# The server's certificate names "localhost" only, so 127.0.0.1 is a wrong host name for it.
# The tests find them through the OVMON_* variables exported here.
PEER_PACKAGES="chrony python3-aiosmtpd openssl iproute2"

export OVMON_NTP_PORT=${OVMON_NTP_PORT:-11123}
export OVMON_SMTP_PORT=${OVMON_SMTP_PORT:-10587} OVMON_SMTPS_PORT=${OVMON_SMTPS_PORT:-10465}
export OVMON_SMTP_PLAIN_PORT=${OVMON_SMTP_PLAIN_PORT:-10525}
export OVMON_NTP_MD5_KEY="1 MD5 testMD5key" OVMON_NTP_SHA1_KEY="2 SHA1 HEX:00112233445566778899AABBCCDDEEFF01234567"

wait_port() {  # protocol port
  local tries=500
  until ss -ln"$1" | grep -q "127.0.0.1:$2 "; do
    tries=$((tries - 1)); [ $tries -gt 0 ] || { echo "port $2 did not open" >&2; return 1; }; sleep 0.02
  done
}

# Waits until a process has ended (a zombie counts: init may reap it late).
wait_gone() {
  local tries=500
  while [ -e "/proc/$1" ] && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]; do
    tries=$((tries - 1)); [ $tries -gt 0 ] || return 1; sleep 0.01
  done
}

stop_pidfile() {
  [ -s "$1" ] || return 0
  local pid; pid=$(cat "$1")
  kill "$pid" 2>/dev/null && wait_gone "$pid" || true
  rm -f "$1"
}

start_peers() {
  export OVMON_PEERS="$BUILD/peers"
  rm -rf "$OVMON_PEERS"
  mkdir -p "$OVMON_PEERS"/{certs,ntp,smtp/mail}
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost" -keyout "$OVMON_PEERS/certs/localhost.key" \
    -out "$OVMON_PEERS/certs/localhost.crt" 2>/dev/null
  printf '%s\n%s\n' "$OVMON_NTP_MD5_KEY" "$OVMON_NTP_SHA1_KEY" > "$OVMON_PEERS/ntp/chrony.keys"
  chmod 600 "$OVMON_PEERS/ntp/chrony.keys"
  cat > "$OVMON_PEERS/ntp/chrony.conf" <<CONF
port $OVMON_NTP_PORT
bindaddress 127.0.0.1
allow 127.0.0.1
local stratum 8
keyfile $OVMON_PEERS/ntp/chrony.keys
pidfile $OVMON_PEERS/ntp/chronyd.pid
cmdport 0
driftfile $OVMON_PEERS/ntp/chrony.drift
CONF
  # -x never touches the system clock; -t ends chronyd by itself should a run be killed.
  chronyd -x -u root -t 6000 -f "$OVMON_PEERS/ntp/chrony.conf" -l "$OVMON_PEERS/ntp/chronyd.log"
  /usr/bin/python3 "$ROOT/tools/smtp_peer.py" --cert "$OVMON_PEERS/certs/localhost.crt" \
    --key "$OVMON_PEERS/certs/localhost.key" --maildir "$OVMON_PEERS/smtp/mail" \
    --starttls-port "$OVMON_SMTP_PORT" --smtps-port "$OVMON_SMTPS_PORT" --plain-port "$OVMON_SMTP_PLAIN_PORT" \
    --pidfile "$OVMON_PEERS/smtp/smtpd.pid" > "$OVMON_PEERS/smtp/smtpd.log" 2>&1 &
  wait_port u "$OVMON_NTP_PORT"
  local tries=500
  until grep -q '^READY' "$OVMON_PEERS/smtp/smtpd.log" 2>/dev/null; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || { echo "SMTP server did not start" >&2; cat "$OVMON_PEERS/smtp/smtpd.log" >&2; return 1; }
    sleep 0.02
  done
  echo "=== test servers: ntp $(cat "$OVMON_PEERS/ntp/chronyd.pid"), smtp $(cat "$OVMON_PEERS/smtp/smtpd.pid")"
}

stop_peers() {
  [ -n "${OVMON_PEERS:-}" ] || return 0
  stop_pidfile "$OVMON_PEERS/smtp/smtpd.pid"
  stop_pidfile "$OVMON_PEERS/ntp/chronyd.pid"
}
