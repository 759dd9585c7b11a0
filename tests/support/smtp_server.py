"""The submission tests' mail server: aiosmtpd on 127.0.0.1, its port printed first, until its output is closed.
It logs commands and messages to the file named; refuses recipients "refused..."; sends EHLO's lines at once."""
import asyncio
import sys

from aiosmtpd.smtp import SMTP

log = open(sys.argv[1], "w")


class Handler:
    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        log.write(f"EHLO {hostname}\n")
        session.host_name = hostname
        return ["\r\n".join(responses)]

    async def handle_RCPT(self, server, session, envelope, address, options):
        log.write(f"MAIL {envelope.mail_from}\nRCPT {address}\n")
        envelope.rcpt_tos.append(address)
        return "550 No such user" if address.startswith("refused") else "250 OK"

    async def handle_DATA(self, server, session, envelope):
        log.write("DATA\n" + envelope.original_content.decode("latin-1").replace("\r\n", "\n") + "<END>\n")
        return "250 Accepted"

    async def handle_QUIT(self, server, session, envelope):
        return log.write("QUIT\n") and "221 Bye"


async def main():
    server = await asyncio.get_running_loop().create_server(lambda: SMTP(Handler()), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    while True:  # until the reader has gone
        log.flush()
        print(flush=True)
        await asyncio.sleep(0.05)


asyncio.run(main())
