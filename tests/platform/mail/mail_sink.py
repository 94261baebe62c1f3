"""aiosmtpd handler for the mail tests: keeps every message in a folder.

Each message N is written as N.eml (the bytes received) and then N.env (client port, sender and
one recipient a line), so a test that sees N.env can read both. A recipient containing
"refused" is turned away with 550. Each NOOP adds the client's port to noop.txt.
"""

import itertools
import os


class Sink:
    def __init__(self, folder):
        self.folder = folder
        self.numbers = itertools.count(1)

    @classmethod
    def from_cli(cls, parser, *args):
        if len(args) != 1:
            parser.error("Sink takes the folder to write to")
        return cls(args[0])

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if "refused" in address:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_NOOP(self, server, session, envelope, arg):
        with open(os.path.join(self.folder, "noop.txt"), "a") as f:
            f.write("%d\n" % session.peer[1])
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        number = next(self.numbers)
        base = os.path.join(self.folder, "%d" % number)
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        lines = [str(session.peer[1]), envelope.mail_from] + list(envelope.rcpt_tos)
        with open(base + ".tmp", "w") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(base + ".tmp", base + ".env")
        return "250 Message accepted"
