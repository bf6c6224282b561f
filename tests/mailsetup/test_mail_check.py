#!/usr/bin/python3
"""Checks the test messages that the e-mail setup dialog sent to the loopback SMTP server.

For every setup/<token>.expect under $OVMON_PEERS/smtp, the one message the server saved
whose envelope names <token> is parsed with Python's email package; its decoded text/plain
and text/html parts must each hold every line of the expectation file, and the message must
carry the test subject and no MIME defects.
"""
import email
import email.policy
import glob
import os
import sys


def received(token):
    found = []
    for path in glob.glob(os.path.join(os.environ["OVMON_PEERS"], "smtp", "mail", "*.eml")):
        data = open(path, "rb").read()
        head, _, text = data.partition(b"X-Test-TLS: ")
        if token.encode() not in head:
            continue
        tls, text = text.split(b"\r\n", 1)
        found.append((head.decode() + "X-Test-TLS: " + tls.decode(), text))
    return found


def problems(token, expected):
    found = received(token)
    if len(found) != 1:
        return [f"{len(found)} messages received for {token}"]
    head, text = found[0]
    message = email.message_from_bytes(text, policy=email.policy.compat32)
    faults = []
    if "X-Test-Auth: alice" not in head or "X-Test-TLS: yes" not in head:
        faults.append(f"envelope lines {head!r}")
    if message["Subject"] != "Test Email from Orvane":
        faults.append(f"subject {message['Subject']!r}")
    parts = {}
    for part in message.walk():
        if part.defects:
            faults.append(f"defects {part.get_content_type()} {part.defects}")
        if not part.is_multipart():
            parts[part.get_content_type()] = part.get_payload(decode=True).decode("cp1252")
    for kind in ("text/plain", "text/html"):
        for line in expected:
            if line not in parts.get(kind, ""):
                faults.append(f"{kind} lacks {line!r}")
    return faults


def main():
    expectations = glob.glob(os.path.join(os.environ["OVMON_PEERS"], "smtp", "setup", "*.expect"))
    if not expectations:
        print("no test message was expected")
        return 1
    failed = 0
    for path in expectations:
        token = os.path.basename(path)[:-len(".expect")]
        faults = problems(token, open(path).read().splitlines())
        print(token, "ok" if not faults else "", *faults, sep="\n  ")
        failed += bool(faults)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
