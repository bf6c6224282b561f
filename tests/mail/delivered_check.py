#!/usr/bin/python3
"""Compares each mail file the engine tests delivered with what the SMTP server received.

For every sent/<token>.mail under $OVMON_PEERS/smtp, the server's saved message holding
<token> is found; both are parsed with Python's email package and must agree on every
header a reader sees and on every leaf part's type, charset, file name and decoded bytes;
the server's envelope must equal the mail file's envelope lines.
"""
import email
import email.policy
import glob
import os
import sys


def facts(text):
    message = email.message_from_bytes(text, policy=email.policy.compat32)
    found = [(name, message.get_all(name)) for name in ("From", "To", "Cc", "Subject", "Date", "Message-ID",
                                                         "MIME-Version", "X-Priority", "X-MSMail-Priority")]
    for part in message.walk():
        if part.defects:
            found.append(("defects", part.get_content_type(), [type(d).__name__ for d in part.defects]))
        if part.is_multipart():
            found.append(("multipart", part.get_content_type()))
            continue
        found.append(("part", part.get_content_type(), part.get_param("charset"), part.get_filename(),
                      part["Content-Transfer-Encoding"], part.get_payload(decode=True)))
    return found


def mail_file(path):
    data = open(path, "rb").read()[24:]
    end = data.index(b"\r\n\r\n")
    envelope = data[:end].decode("latin-1").split("\r\n")
    text = (b"\r\n" + data[end + 4:]).replace(b"\r\n..", b"\r\n.")[2:]  # the server undoes dot-stuffing
    return envelope, text


def received(token):
    for path in glob.glob(os.path.join(os.environ["OVMON_PEERS"], "smtp", "mail", "*.eml")):
        data = open(path, "rb").read()
        if token.encode() not in data:
            continue
        head, _, text = data.partition(b"X-Test-TLS: ")
        text = text.split(b"\r\n", 1)[1]
        fields = dict(line.split(": ", 1) for line in head.decode().split("\r\n") if line)
        return [fields["X-Test-Mail-From"]] + fields["X-Test-Rcpt-To"].split(","), text
    return None, None


def main():
    sent = sorted(glob.glob(os.path.join(os.environ["OVMON_PEERS"], "smtp", "sent", "*.mail")))
    if not sent:
        print("no delivered mail files to check")
        return 1
    failures = refused = 0
    for path in sent:
        token = os.path.basename(path)[:-5]
        envelope, text = mail_file(path)
        server_envelope, server_text = received(token)
        if server_text is None:
            refused += 1  # a message the tests expected to be refused
            continue
        problems = []
        if envelope != server_envelope:
            problems.append(f"envelope {envelope} != {server_envelope}")
        if facts(text) != facts(server_text):
            problems.append(f"parsed\n  {facts(text)}\n  !=\n  {facts(server_text)}")
        if any(f[0] == "defects" for f in facts(server_text)):
            problems.append(f"MIME defects {facts(server_text)}")
        if problems:
            failures += 1
            print(token, *problems, sep="\n  ")
    print(f"{len(sent) - failures - refused} passed, {failures} failed, {refused} skipped")
    if refused == len(sent):
        print("no delivered message was found")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
