#!/usr/bin/python3
"""Loopback SMTP server for the tests, on aiosmtpd (Debian's python3-aiosmtpd).

Three listeners in one process: STARTTLS (default port 10587), implicit TLS (10465) and
a plain one without TLS that offers AUTH PLAIN alone (10525).
AUTH LOGIN and PLAIN for one user; each accepted message is saved as MAILDIR/<n>.eml
with X-Test-* lines in front telling the envelope, the login and whether TLS was on.
"""
import argparse, itertools, logging, os, signal, ssl, threading, time
from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class SaveHandler:
    def __init__(self, maildir):
        self.maildir = maildir
        self.counter = itertools.count(1)
        os.makedirs(maildir, exist_ok=True)

    async def handle_DATA(self, server, session, envelope):
        path = os.path.join(self.maildir, f"{int(time.time())}-{os.getpid()}-{next(self.counter)}.eml")
        login = session.auth_data.login.decode() if session.authenticated and session.auth_data else "-"
        secure = session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None
        header = (f"X-Test-Mail-From: {envelope.mail_from}\r\n"
                  f"X-Test-Rcpt-To: {','.join(envelope.rcpt_tos)}\r\n"
                  f"X-Test-Auth: {login}\r\n"
                  f"X-Test-TLS: {'yes' if secure else 'no'}\r\n")
        with open(path + ".tmp", "wb") as f:
            f.write(header.encode() + envelope.original_content)
        os.rename(path + ".tmp", path)  # tests poll for *.eml
        return "250 2.0.0 OK saved"


class OneUserAuth:
    def __init__(self, user, password):
        self.user, self.password = user.encode(), password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == self.user
              and auth_data.password == self.password)
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--starttls-port", type=int, default=10587)
    ap.add_argument("--smtps-port", type=int, default=10465)
    ap.add_argument("--plain-port", type=int, default=10525)
    ap.add_argument("--cert", required=True)
    ap.add_argument("--key", required=True)
    ap.add_argument("--maildir", required=True)
    ap.add_argument("--user", default="alice")
    ap.add_argument("--password", default="s3cret")
    ap.add_argument("--require-starttls", action="store_true")
    ap.add_argument("--auth-required", action="store_true")
    ap.add_argument("--pidfile")
    a = ap.parse_args()
    logging.basicConfig(level=logging.INFO, format="%(asctime)s %(name)s %(message)s")

    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(a.cert, a.key)
    handler = SaveHandler(a.maildir)
    common = dict(hostname=a.host, authenticator=OneUserAuth(a.user, a.password),
                  auth_required=a.auth_required)
    starttls = Controller(handler, port=a.starttls_port, server_hostname="smtp.test", tls_context=ctx,
                          require_starttls=a.require_starttls, auth_require_tls=True, **common)
    # On the implicit-TLS port the connection is already secure: AUTH must not wait for STARTTLS.
    smtps = Controller(handler, port=a.smtps_port, server_hostname="smtp.test", ssl_context=ctx,
                       auth_require_tls=False, **common)
    plain = Controller(handler, port=a.plain_port, server_hostname="smtp.test", auth_require_tls=False,
                       auth_exclude_mechanism=["LOGIN"], **common)
    controllers = (starttls, smtps, plain)
    for controller in controllers:
        controller.start()
    if a.pidfile:
        with open(a.pidfile, "w") as f:
            f.write(f"{os.getpid()}\n")
    print(f"READY starttls={a.starttls_port} smtps={a.smtps_port} plain={a.plain_port}", flush=True)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    for controller in controllers:
        controller.stop()


if __name__ == "__main__":
    main()
