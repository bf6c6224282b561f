#!/usr/bin/python3
"""Parses a mail file with Python's email package and prints what a mail reader sees.

Usage: mime_check.py <mail file>. The 24-byte header is skipped, the envelope lines are
printed, the message text is un-dot-stuffed as an SMTP server does after DATA, then
parsed; each line of output is one fact: envelope addresses, parsed address headers,
the date, and per leaf part its type, charset, file name, encoding and decoded bytes.
"""
import email
import email.policy
import email.utils
import sys

data = open(sys.argv[1], "rb").read()[24:]
envelope_end = data.index(b"\r\n\r\n") + 2
for address in data[:envelope_end].split(b"\r\n")[:-1]:
    print("envelope", address.decode("latin-1"))
text = data[envelope_end + 2:]
text = (b"\r\n" + text).replace(b"\r\n..", b"\r\n.")[2:]

message = email.message_from_bytes(text, policy=email.policy.compat32)
for name in ("From", "To", "Cc"):
    for display, address in email.utils.getaddresses(message.get_all(name, [])):
        print(name.lower(), display + "|" + address)
print("subject", message["Subject"])
print("date", email.utils.parsedate_to_datetime(message["Date"]).isoformat())
print("message-id", message["Message-ID"])
for part in message.walk():
    if part.defects:
        print("defects", part.get_content_type(), part.defects)
    if part.is_multipart():
        print("multipart", part.get_content_type())
        continue
    print("part", part.get_content_type(), part.get_param("charset") or "-",
          part.get_filename() or "-", part["Content-Transfer-Encoding"] or "-")
    print("payload", part.get_payload(decode=True).hex())
