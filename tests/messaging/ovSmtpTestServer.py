"""A mail server for the tests, on a free port of 127.0.0.1 only.

It prints the port it listens on, records every message it accepts as one JSON file
in the given folder (envelope, decoded subject and body, whether the session was
encrypted), and ends when its standard input closes.

  python3 ovSmtpTestServer.py FOLDER [--cert CERT --key KEY] [--refuse TEXT]
      [--defer TEXT] [--auth | --no-auth] [--hold FILE] [--port N]

--refuse and --defer turn recipients containing TEXT away, for good (550) or for now
(451). --auth takes the login me/secret (offered on plain connections too unless there
is a certificate); --no-auth offers no login at all. --hold keeps each greeting back
until FILE exists.
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

from aiosmtpd.smtp import SMTP, AuthResult


class HeldSMTP(SMTP):
    """Keeps its greeting back until the hold file exists."""
    hold = None

    async def push(self, status):
        if self.hold and status.startswith("220 ") and not getattr(self, "_greeted", False):
            self._greeted = True
            while not os.path.exists(self.hold):
                await asyncio.sleep(0.02)
        await super().push(status)


def accept_me(server, session, envelope, mechanism, auth_data):
    ok = auth_data.login == b"me" and auth_data.password == b"secret"
    return AuthResult(success=ok, auth_data=auth_data)


class Recorder:
    def __init__(self, folder, refuse, defer):
        self.folder = folder
        self.refuse = refuse
        self.defer = defer
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and self.refuse in address:
            return "550 5.1.1 <%s>: no such mailbox here" % address
        if self.defer and self.defer in address:
            return "451 4.3.0 <%s>: try again later" % address
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
            "login": session.login_data.decode() if session.login_data else None,
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
    parser.add_argument("--defer")
    parser.add_argument("--auth", action="store_true")
    parser.add_argument("--no-auth", action="store_true")
    parser.add_argument("--hold")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()

    context = None
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    handler = Recorder(args.folder, args.refuse, args.defer)
    HeldSMTP.hold = args.hold
    extra = {}
    if args.auth:
        extra = {"authenticator": accept_me, "auth_require_tls": context is not None}
    if args.no_auth:
        extra = {"auth_exclude_mechanism": ["LOGIN", "PLAIN"]}
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: HeldSMTP(handler, hostname="localhost", tls_context=context,
                         require_starttls=context is not None, **extra),
        host="127.0.0.1", port=args.port)
    print(server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


asyncio.run(main())
