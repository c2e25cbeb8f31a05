"""A mail server for the tests, on a free port of 127.0.0.1 only.

It prints the port it listens on, records every message it accepts as one JSON file
in the given folder (envelope, decoded subject and body, whether the session was
encrypted), and ends when its standard input closes.

  python3 ovSmtpTestServer.py FOLDER [--cert CERT --key KEY] [--refuse TEXT]
"""
import argparse
import asyncio
import email
import email.header
import email.policy
import json
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP


class Recorder:
    def __init__(self, folder, refuse):
        self.folder = folder
        self.refuse = refuse
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and self.refuse in address:
            return "550 5.1.1 <%s>: no such mailbox here" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.content, policy=email.policy.default)
        body = message.get_body(("plain",))
        record = {
            "from": envelope.mail_from,
            "to": envelope.rcpt_tos,
            "subject": str(message["subject"] or ""),
            "body": body.get_content().replace("\r\n", "\n") if body is not None else "",
            "headers": {k: str(v) for k, v in message.items()},
            "tls": session.ssl is not None,
        }
        self.count += 1
        # Written whole before the server answers, so a sender told "accepted" finds it.
        name = os.path.join(self.folder, "message-%d.json" % self.count)
        with open(name + ".tmp", "w", encoding="utf-8") as out:
            json.dump(record, out)
        os.rename(name + ".tmp", name)
        return "250 Message accepted for delivery"


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--refuse")
    args = parser.parse_args()

    context = None
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    handler = Recorder(args.folder, args.refuse)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: SMTP(handler, hostname="localhost", tls_context=context,
                     require_starttls=context is not None),
        host="127.0.0.1", port=0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


asyncio.run(main())
