# Loopback test servers started by scripts/test and stopped by the process ids it started:
# chronyd (NTP with one MD5 and one SHA1 key), an SMTP server (STARTTLS, implicit TLS, AUTH),
# the OV2 test server (tools/ov2_server.py: OV2 over UDP, TCP and HTTP, serving this clock
# moved by OVMON_OV2_OFFSET_MS and signing with the OVMON_OV2_KEYS), nginx in front of its
# HTTP server, and openssl s_server presenting two CA certificates that name each other as
# issuer. The SMTP server's certificate names "localhost" only, so 127.0.0.1 is a wrong
# host name for it. The tests find them through the OVMON_* variables exported here.
PEER_PACKAGES="chrony python3-aiosmtpd openssl iproute2 nginx-light"

# Every port below may be set alone; OVMON_PORT_OFFSET moves all their defaults at once, so that
# two test runs can share a machine.
_off=${OVMON_PORT_OFFSET:-0}
export OVMON_NTP_PORT=${OVMON_NTP_PORT:-$((11123 + _off))}
export OVMON_SMTP_PORT=${OVMON_SMTP_PORT:-$((10587 + _off))} OVMON_SMTPS_PORT=${OVMON_SMTPS_PORT:-$((10465 + _off))}
export OVMON_SMTP_PLAIN_PORT=${OVMON_SMTP_PLAIN_PORT:-$((10525 + _off))}
export OVMON_TLS_LOOP_PORT=${OVMON_TLS_LOOP_PORT:-$((10467 + _off))}
export OVMON_NTP_MD5_KEY="1 MD5 testMD5key" OVMON_NTP_SHA1_KEY="2 SHA1 HEX:00112233445566778899AABBCCDDEEFF01234567"
# The OV2 server's base ports: the base is a well-behaved server, base + n the n-th behaviour
# of tools/ov2_server.py (12 on UDP and TCP, 20 on HTTP). nginx: 302 to the good HTTP server
# on OVMON_NGINX_PORT, 301 on the next port, a proxy to it on the one after.
export OVMON_OV2_UDP_PORT=${OVMON_OV2_UDP_PORT:-$((10910 + _off))} OVMON_OV2_TCP_PORT=${OVMON_OV2_TCP_PORT:-$((10910 + _off))}
export OVMON_OV2_HTTP_PORT=${OVMON_OV2_HTTP_PORT:-$((10950 + _off))} OVMON_NGINX_PORT=${OVMON_NGINX_PORT:-$((10990 + _off))}
export OVMON_OV2_OFFSET_MS=${OVMON_OV2_OFFSET_MS:-2500}
# Monitored machines for the service's tests and the demo: a good OV2 server (UDP and TCP) on each
# port from OVMON_OV2_FLEET_PORT up, the n-th serving this clock moved by the n-th offset (ms).
export OVMON_OV2_FLEET_PORT=${OVMON_OV2_FLEET_PORT:-$((10970 + _off))}
export OVMON_OV2_FLEET_OFFSETS=${OVMON_OV2_FLEET_OFFSETS:-"0,100,120,-200,300,50,1500,-40"}
# A random wander of up to this many ms in each fleet reading (the demo's; the tests' is none).
export OVMON_OV2_FLEET_JITTER_MS=${OVMON_OV2_FLEET_JITTER_MS:-0}
# Key number and text pairs in the keyring's forms: MD5 text, SHA1, SHA256 and SHA512 digits.
export OVMON_OV2_KEYS="1:testMD5key 2:00112233445566778899AABBCCDDEEFF01234567
  3:000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F
  4:$(printf '%02X' $(seq 64 127))"
# The machine password the tests' stand-in domain makes its digests with.
OV2_DOMAIN_PASSWORD=current

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

# Waits until a server's log begins a line with READY.
wait_ready() {  # name log
  local tries=500
  until grep -q '^READY' "$2" 2>/dev/null; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || { echo "$1 did not start" >&2; cat "$2" >&2; return 1; }
    sleep 0.02
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
  start_ov2_server
  start_tls_loop_server
  wait_port u "$OVMON_NTP_PORT"
  wait_port t "$OVMON_TLS_LOOP_PORT"
  wait_port t "$((OVMON_NGINX_PORT + 2))"
  wait_ready "SMTP server" "$OVMON_PEERS/smtp/smtpd.log"
  wait_ready "OV2 server" "$OVMON_PEERS/ov2/ov2_server.log"
  echo "=== test servers: ntp $(cat "$OVMON_PEERS/ntp/chronyd.pid"), smtp $(cat "$OVMON_PEERS/smtp/smtpd.pid")," \
    "ov2 $(cat "$OVMON_PEERS/ov2/ov2_server.pid"), nginx $(cat "$OVMON_PEERS/nginx/nginx.pid")," \
    "tls loop $(cat "$OVMON_PEERS/tls-loop/s_server.pid")"
}

# openssl s_server for localhost whose chain holds "CN=Loop A" and "CN=Loop B", each issued by
# the other. It serves one client at a time and sends nothing after the handshake.
start_tls_loop_server() {
  local d="$OVMON_PEERS/tls-loop" name
  mkdir -p "$d"
  for name in a b leaf; do
    openssl req -new -newkey rsa:2048 -nodes -subj "/CN=$([ $name = leaf ] && echo localhost || echo "Loop ${name^}")" \
      -keyout "$d/$name.key" -out "$d/$name.csr" 2>/dev/null
  done
  # B is issued by a first, self-signed A; A is then issued again by B, with the same key.
  openssl x509 -req -in "$d/a.csr" -signkey "$d/a.key" -days 30 -out "$d/a0.crt" 2>/dev/null
  openssl x509 -req -in "$d/b.csr" -CA "$d/a0.crt" -CAkey "$d/a.key" -set_serial 2 -days 30 -out "$d/b.crt" 2>/dev/null
  openssl x509 -req -in "$d/a.csr" -CA "$d/b.crt" -CAkey "$d/b.key" -set_serial 3 -days 30 -out "$d/a.crt" 2>/dev/null
  printf 'subjectAltName=DNS:localhost\n' > "$d/leaf.ext"
  openssl x509 -req -in "$d/leaf.csr" -CA "$d/a.crt" -CAkey "$d/a.key" -set_serial 4 -days 30 \
    -extfile "$d/leaf.ext" -out "$d/leaf.crt" 2>/dev/null
  cat "$d/a.crt" "$d/b.crt" > "$d/chain.pem"
  openssl s_server -accept "127.0.0.1:$OVMON_TLS_LOOP_PORT" -cert "$d/leaf.crt" -key "$d/leaf.key" \
    -cert_chain "$d/chain.pem" -quiet </dev/null >"$d/s_server.log" 2>&1 &
  echo $! > "$d/s_server.pid"
}

# The OV2 test server with its keys file, and nginx in a private prefix in front of it.
start_ov2_server() {
  mkdir -p "$OVMON_PEERS"/ov2 "$OVMON_PEERS"/nginx/{logs,tmp}
  { for pair in $OVMON_OV2_KEYS; do echo "${pair%%:*} ${pair#*:}"; done; echo "windows $OV2_DOMAIN_PASSWORD"; } \
    > "$OVMON_PEERS/ov2/keys"
  /usr/bin/python3 "$ROOT/tools/ov2_server.py" --udp-port "$OVMON_OV2_UDP_PORT" --tcp-port "$OVMON_OV2_TCP_PORT" \
    --http-port "$OVMON_OV2_HTTP_PORT" --offset-ms "$OVMON_OV2_OFFSET_MS" --keys "$OVMON_PEERS/ov2/keys" \
    --fleet-port "$OVMON_OV2_FLEET_PORT" --fleet-offsets "$OVMON_OV2_FLEET_OFFSETS" \
    --fleet-jitter-ms "$OVMON_OV2_FLEET_JITTER_MS" \
    --pidfile "$OVMON_PEERS/ov2/ov2_server.pid" > "$OVMON_PEERS/ov2/ov2_server.log" 2>&1 &
  local n="$OVMON_PEERS/nginx" good="http://127.0.0.1:$OVMON_OV2_HTTP_PORT"
  cat > "$n/nginx.conf" <<CONF
worker_processes 1;
pid $n/nginx.pid;
error_log $n/logs/error.log;
events { worker_connections 64; }
http {
  access_log $n/logs/access.log;
  client_body_temp_path $n/tmp/body;
  proxy_temp_path $n/tmp/proxy;
  fastcgi_temp_path $n/tmp/fastcgi;
  uwsgi_temp_path $n/tmp/uwsgi;
  scgi_temp_path $n/tmp/scgi;
  server_tokens off;
  server { listen 127.0.0.1:$OVMON_NGINX_PORT; location / { return 302 $good/time; } }
  server { listen 127.0.0.1:$((OVMON_NGINX_PORT + 1)); location / { return 301 $good/time; } }
  server { listen 127.0.0.1:$((OVMON_NGINX_PORT + 2)); location / { proxy_pass $good; } }
}
CONF
  nginx -p "$n" -c "$n/nginx.conf" -e "$n/logs/error.log"
}

stop_peers() {
  [ -n "${OVMON_PEERS:-}" ] || return 0
  stop_pidfile "$OVMON_PEERS/tls-loop/s_server.pid"
  stop_pidfile "$OVMON_PEERS/nginx/nginx.pid"
  stop_pidfile "$OVMON_PEERS/ov2/ov2_server.pid"
  stop_pidfile "$OVMON_PEERS/smtp/smtpd.pid"
  stop_pidfile "$OVMON_PEERS/ntp/chronyd.pid"
}
