#!/usr/bin/python3
"""Loopback OV2 time server for the tests, the benchmark and the demo.

Answers the family's OV2 exchange over UDP and TCP and its HTTP form, serving this machine's
clock moved by a fixed offset, and signs its replies with the keys of a keys file: one key a
line, "<number> <key text>" in the keyring's text forms (40, 64 or 128 hexadecimal digits are
SHA1, SHA256 and SHA512 keys, any other text an MD5 key), and "windows <password>", the machine
password the test domain's digests are made with.

With --fleet-port and --fleet-offsets it also stands in for a fleet of monitored machines: a
well-behaved OV2 server (UDP and TCP) on each port from the fleet port up, the n-th serving
this clock moved by the n-th offset of the list.

Each behaviour has a port of its own, the base port of its transport plus its place in the
list below: the base port itself is a well-behaved server, the others misbehave on purpose.
"""
import argparse, hashlib, os, random, signal, socket, socketserver, struct, sys, threading, time

# Behaviours of the UDP and TCP servers, in port order from the base port.
OV2_MODES = [
    "good",           # a signed reply when the request was signed, with S2, leap and reference
    "wrong-echo",     # another request number
    "short",          # 8 bytes: no room for the echo and the time
    "clock-not-set",  # S1 = 0
    "no-s2",          # no server receive time
    "old-version",    # a server older than 5220110501 with a leap byte all the same
    "reference-zero", # reference identifier 0
    "unsigned",       # an unauthenticated reply whatever the request asked for
    "wrong-key",      # signed, but naming another key than the request's
    "bad-digest",     # one byte of the digest changed
    "two-segments",   # TCP: the reply in two segments 200 ms apart (UDP: as good)
    "silent",         # no reply at all
]

# Behaviours of the HTTP server, in port order from its base port.
HTTP_MODES = [
    "good",
    "no-filetime",
    "wrong-serial",
    "auth-error",        # "auth-error: 1326"
    "status-403",
    "status-404",
    "status-405",
    "status-500",
    "status-418",        # a status the client has no rule for
    "redirect",          # 302 to the good server: http, its port and a path
    "redirect-https",
    "redirect-ftp",
    "redirect-no-location",
    "redirect-again",    # 302 to the redirect port: a second redirect
    "bad-digest",
    "no-digest",
    "wrong-auth-key",
    "closed",            # accepts and closes without a word
    "auth-error-1237",   # an auth-error that is the client's own "handled, no sample"
    "auth-error-10060",  # ... and its "timed out"
]

FILETIME_1970 = 116444736000000000
LEAP_VERSION = 5220110501
SERVER_SERIAL = 0x00C0FFEE
AUTH_ERROR = 1326
MAX_REQUEST = 8192
SO_TIMESTAMPNS = getattr(socket, "SO_TIMESTAMPNS", 35)  # Linux: the kernel's arrival time of a datagram


class Keys:
    """The keys file: number -> (hash name, key bytes), and the Windows machine password."""

    def __init__(self, path):
        self.keys, self.windows = {}, None
        for line in open(path, encoding="latin-1") if path else []:
            words = line.split()
            if len(words) < 2:
                continue
            if words[0] == "windows":
                self.windows = words[1].encode("latin-1")
            elif words[0].isdigit():
                self.keys[int(words[0])] = self.parse(words[1])

    @staticmethod
    def parse(text):
        hexadecimal = all(c in "0123456789abcdefABCDEF" for c in text)
        kinds = {40: "sha1", 64: "sha256", 128: "sha512"}
        if hexadecimal and len(text) in kinds:
            return kinds[len(text)], bytes.fromhex(text)
        return "md5", text.encode("latin-1")[:64]

    def digest(self, number, message):
        """The keyed digest of message with key number: (hash name, full digest), or None."""
        if number not in self.keys:
            return None
        name, key = self.keys[number]
        return name, hashlib.new(name, key + message).digest()

    def windows_digest(self, message):
        return hashlib.md5(self.windows + message).digest() if self.windows else bytes(16)


class Clock:
    """This machine's clock moved by the served offset, in 100 ns since 1601; with a jitter, each
    reading moves by a further random amount of up to that many milliseconds either way."""

    def __init__(self, offset_ms, jitter_ms=0):
        self.offset = round(offset_ms * 10000)
        self.jitter = round(jitter_ms * 10000)

    def from_ns(self, ns):
        wander = random.randint(-self.jitter, self.jitter) if self.jitter else 0
        return ns // 100 + FILETIME_1970 + self.offset + wander

    def now(self):
        return self.from_ns(time.time_ns())


def ov2_reply(mode, request, received, clock, keys):
    """The reply bytes to one OV2 request in a behaviour, or None for no reply."""
    if mode == "silent" or len(request) < 12:
        return None
    number, _, auth_type = struct.unpack_from("<IBB", request)
    key_number = struct.unpack_from(">I", request, 12)[0] if auth_type == 2 and len(request) >= 16 else 0
    if mode == "wrong-echo":
        number ^= 0x5A5A
    reply = bytearray(115)
    reply_type = 0 if mode == "unsigned" or auth_type not in (2, 3) else auth_type
    if reply_type == 2 and (key_number not in keys.keys or not request_signed_well(request, key_number, keys)):
        reply_type = 0  # a key this server does not share: it cannot sign
    struct.pack_into("<IBBH", reply, 0, number, 1, reply_type, len(reply))
    s1 = 0 if mode == "clock-not-set" else clock.now()
    struct.pack_into("<QI", reply, 8, s1, SERVER_SERIAL)
    struct.pack_into("<HH4s", reply, 20, 2, 9909, bytes([127, 0, 0, 1]))
    struct.pack_into("<Q", reply, 48, 0 if mode == "no-s2" else received)
    version = 5200090101 if mode == "old-version" else LEAP_VERSION
    reference = bytes(4) if mode == "reference-zero" else b"GPS\0"
    struct.pack_into("<BIQB4sB", reply, 76, 1, 0x01020304, version, 1 if mode == "old-version" else 0, reference, 1)
    sign(reply, reply_type, key_number, keys, named=key_number + (1 if mode == "wrong-key" else 0))
    if mode == "bad-digest":
        reply[60 if reply[60:76] != bytes(16) else 95] ^= 0x01
    if mode == "short":
        return bytes(reply[:8])
    return bytes(reply)


def stamped(reply, clock):
    """The reply with its transmit time S1 taken now, as late before sending as can be (the
    digests cover bytes 0 to 7 only); a reply without S1 or too short for one is left alone."""
    if len(reply) < 16 or reply[8:16] == bytes(8):
        return reply
    return reply[:8] + struct.pack("<Q", clock.now()) + reply[16:]


def request_signed_well(request, key_number, keys):
    found = keys.digest(key_number, request[:8])
    if not found:
        return False
    size = 16 if found[0] == "md5" else 20
    return request[16:16 + size] == found[1][:size]


def sign(reply, reply_type, key_number, keys, named):
    """The key number named at 56 and the digest of bytes 0 to 7 made with key_number: MD5 and
    Windows digests at 60, the others at 95."""
    if reply_type == 3:
        reply[60:76] = keys.windows_digest(bytes(reply[:8]))
    elif reply_type == 2:
        struct.pack_into(">I", reply, 56, named)
        name, digest = keys.digest(key_number, bytes(reply[:8]))
        if name == "md5":
            reply[60:76] = digest[:16]
        else:
            reply[95:115] = digest[:20]


def serve_udp(sock, mode, clock, keys):
    while True:
        try:
            data, ancillary, _, peer = sock.recvmsg(2048, 64)
        except OSError:
            return
        received = clock.now()
        for level, kind, value in ancillary:  # the kernel's arrival time, when it gave one
            if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS and len(value) >= 16:
                seconds, nanoseconds = struct.unpack_from("qq", value)
                received = clock.from_ns(seconds * 1000000000 + nanoseconds)
        try:
            reply = ov2_reply(mode, data, received, clock, keys)
            if reply:
                sock.sendto(stamped(reply, clock), peer)
        except (OSError, ValueError, struct.error) as e:
            print(f"udp {mode}: {e}", file=sys.stderr, flush=True)


def read_stream_request(conn, complete):
    """Reads until complete(data) holds, the peer stops sending, or MAX_REQUEST bytes."""
    conn.settimeout(5)
    data = b""
    while not complete(data) and len(data) < MAX_REQUEST:
        chunk = conn.recv(MAX_REQUEST - len(data))
        if not chunk:
            break
        data += chunk
    return data


class StreamHandler(socketserver.BaseRequestHandler):
    def handle(self):
        try:
            self.server.answer(self.request)
        except (OSError, ValueError, struct.error) as e:
            print(f"stream: {e}", file=sys.stderr, flush=True)


class StreamServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, answer):
        self.answer = answer
        super().__init__(("127.0.0.1", port), StreamHandler)


def ov2_tcp_answer(mode, clock, keys):
    def answer(conn):
        def complete(data):
            return len(data) >= 8 and len(data) >= struct.unpack_from("<H", data, 6)[0]
        request = read_stream_request(conn, complete)
        reply = ov2_reply(mode, request, clock.now(), clock, keys)
        if reply is None:
            time.sleep(2)
            return
        reply = stamped(reply, clock)
        if mode == "two-segments":
            conn.sendall(reply[:20])
            time.sleep(0.2)
            reply = reply[20:]
        conn.sendall(reply)
    return answer


def parse_http_request(text):
    """(request number, {query name: value}) of "GET /<number><s|c>[?query] HTTP/1.1"."""
    target = text.split(" ")[1] if text.count(" ") >= 2 else "/"
    path, _, query = target.partition("?")
    digits = "".join(c for c in path[1:] if c.isdigit())
    fields = dict(p.partition("=")[::2] for p in query.split("&") if p)
    return int(digits or 0), fields


def http_reply(mode, request, received, clock, keys, ports):
    """The reply text to one HTTP request in a behaviour, or None to close without one."""
    if mode == "closed":
        return None
    number, query = parse_http_request(request.decode("latin-1"))
    redirects = {
        "redirect": f"http://127.0.0.1:{ports['good']}/time",
        "redirect-https": f"https://127.0.0.1:{ports['good']}/time",
        "redirect-ftp": f"ftp://127.0.0.1/time",
        "redirect-again": f"http://127.0.0.1:{ports['redirect']}/",
    }
    if mode in redirects or mode == "redirect-no-location":
        location = f"Location: {redirects[mode]}\r\n" if mode in redirects else ""
        return f"HTTP/1.1 302 Found\r\n{location}Content-Length: 0\r\nConnection: close\r\n\r\n".encode()
    # A status of its own still comes with the time: only the status can make it fail.
    status = f"{mode[7:]} Status" if mode.startswith("status-") else "200 OK"
    body = f"Orvane time for request {number}\r\n".encode()
    headers = time_headers(mode, number, received, clock) + auth_headers(mode, query, body, keys)
    head = f"HTTP/1.1 {status}\r\n" + "".join(f"{n}: {v}\r\n" for n, v in headers)
    return (head + f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n").encode() + body


def time_headers(mode, number, received, clock):
    headers = [("Serial", number + 1 if mode == "wrong-serial" else number), ("Received", received),
               ("Server-Serial", hex(SERVER_SERIAL)), ("Server-Role", 1), ("Leap-Status", 0),
               ("Server-Stratum", 1), ("Time-Source", "10.1.2.3")]
    if mode.startswith("auth-error"):
        headers.append(("Auth-Error", mode[len("auth-error-"):] or AUTH_ERROR))
    if mode != "no-filetime":
        headers.insert(0, ("FileTime", clock.now()))
    return headers


def auth_headers(mode, query, body, keys):
    """The authentication lines for a request that named a type and a key."""
    try:
        auth_type, key_number = int(query.get("auth-type", 0)), int(query.get("auth-key", 0))
    except ValueError:
        return []
    found = keys.digest(key_number, body)
    if not auth_type or not found:
        return []
    digest = bytearray(found[1])
    if mode == "bad-digest":
        digest[0] ^= 0x01
    headers = [("Auth-Type", auth_type), ("Auth-Key", key_number + (1 if mode == "wrong-auth-key" else 0))]
    return headers + ([] if mode == "no-digest" else [("Auth-Digest", digest.hex())])


def http_answer(mode, clock, keys, ports):
    def answer(conn):
        request = read_stream_request(conn, lambda data: b"\r\n\r\n" in data)
        reply = http_reply(mode, request, clock.now(), clock, keys, ports)
        if reply:
            conn.sendall(reply)
    return answer


def good_servers(port, clock, keys):
    """A well-behaved OV2 server on UDP and TCP at port, serving clock."""
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
    udp.bind(("127.0.0.1", port))
    return [lambda: serve_udp(udp, "good", clock, keys), StreamServer(port, ov2_tcp_answer("good", clock, keys)).serve_forever]


def start(servers):
    for server in servers:
        threading.Thread(target=server, daemon=True).start()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--udp-port", type=int, default=10910)
    ap.add_argument("--tcp-port", type=int, default=10910)
    ap.add_argument("--http-port", type=int, default=10950)
    ap.add_argument("--offset-ms", type=float, default=0)
    ap.add_argument("--keys")
    ap.add_argument("--pidfile")
    ap.add_argument("--fleet-port", type=int, default=0)
    ap.add_argument("--fleet-offsets", default="", help="offsets in ms, separated by commas")
    ap.add_argument("--fleet-jitter-ms", type=float, default=0, help="a random wander of each fleet reading")
    a = ap.parse_args()
    clock, keys = Clock(a.offset_ms), Keys(a.keys)
    servers = []
    for i, mode in enumerate(OV2_MODES):
        udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        udp.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
        udp.bind(("127.0.0.1", a.udp_port + i))
        servers.append(lambda s=udp, m=mode: serve_udp(s, m, clock, keys))
        servers.append(StreamServer(a.tcp_port + i, ov2_tcp_answer(mode, clock, keys)).serve_forever)
    ports = {mode: a.http_port + i for i, mode in enumerate(HTTP_MODES)}
    for mode, port in ports.items():
        servers.append(StreamServer(port, http_answer(mode, clock, keys, ports)).serve_forever)
    offsets = [float(o) for o in a.fleet_offsets.split(",") if o.strip()] if a.fleet_port else []
    for i, offset in enumerate(offsets):
        servers += good_servers(a.fleet_port + i, Clock(offset, a.fleet_jitter_ms), keys)
    start(servers)
    if a.pidfile:
        with open(a.pidfile, "w") as f:
            f.write(f"{os.getpid()}\n")
    print(f"READY udp {a.udp_port} tcp {a.tcp_port} http {a.http_port} offset {a.offset_ms} ms"
          f" fleet {a.fleet_port} offsets {offsets}", flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    signal.pause()


if __name__ == "__main__":
    main()
