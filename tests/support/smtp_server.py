"""A real SMTP server for the tests: aiosmtpd on 127.0.0.1 with AUTH LOGIN required.

usage: smtp_server.py MAILDIR USER PASSWORD IDENT [MODE CERT KEY]
Prints the port it listens on, then serves until it is killed. Messages go to MAILDIR (a
Maildir); each attachment is also decoded into MAILDIR/attachments/<file name>. Recipients
starting with "refused" are refused. Every login tried is noted in MAILDIR/logins.

MODE is "plain" (the default), "starttls" (STARTTLS offered and required before anything else,
AUTH only over TLS) or "implicit" (TLS from the first byte), with the server's certificate
chain in CERT and its key in KEY.
"""
import os
import socket
import ssl
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox
from aiosmtpd.smtp import AuthResult, LoginPassword

maildir, user, password, ident = sys.argv[1:5]
mode = sys.argv[5] if len(sys.argv) > 5 else "plain"


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
    os.makedirs(maildir, exist_ok=True)
    with open(os.path.join(maildir, "logins"), "a") as logins:
        encrypted = server.transport.get_extra_info("ssl_object") is not None
        logins.write("tls\n" if encrypted else "clear\n")
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
          and auth_data.password == password.encode())
    return AuthResult(success=ok, handled=False)


probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
# With TLS from the start the library does not count the connection as encrypted for AUTH.
options = dict(authenticator=authenticator, auth_required=True, ident=ident,
               auth_require_tls=mode == "starttls")
if mode != "plain":
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(sys.argv[6], sys.argv[7])
    if mode == "starttls":
        options.update(tls_context=context, require_starttls=True)
    else:
        options.update(ssl_context=context)
controller = Controller(Handler(maildir), hostname="127.0.0.1", port=port, **options)
controller.start()
print(port, flush=True)
while True:
    time.sleep(3600)
