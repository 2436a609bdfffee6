"""A real SMTP server for the tests: aiosmtpd on 127.0.0.1 with AUTH LOGIN required.

usage: smtp_server.py MAILDIR USER PASSWORD IDENT
Prints the port it listens on, then serves until it is killed. Messages go to MAILDIR (a
Maildir); each attachment is also decoded into MAILDIR/attachments/<file name>. Recipients
starting with "refused" are refused.
"""
import email
import os
import socket
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox
from aiosmtpd.smtp import AuthResult, LoginPassword

maildir, user, password, ident = sys.argv[1:5]


class Handler(Mailbox):
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused"):
            return "550 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    def handle_message(self, message):
        super().handle_message(message)
        folder = os.path.join(maildir, "attachments")
        os.makedirs(folder, exist_ok=True)
        for part in message.walk():
            name = part.get_filename()
            if name:
                with open(os.path.join(folder, os.path.basename(name)), "wb") as out:
                    out.write(part.get_payload(decode=True))


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
          and auth_data.password == password.encode())
    return AuthResult(success=ok, handled=False)


probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
controller = Controller(Handler(maildir), hostname="127.0.0.1", port=port,
                        authenticator=authenticator, auth_required=True,
                        auth_require_tls=False, ident=ident)
controller.start()
print(port, flush=True)
while True:
    time.sleep(3600)
