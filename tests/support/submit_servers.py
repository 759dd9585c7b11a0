"""The submission tests' servers on 127.0.0.1, strict as real ones, their ports printed first ("mail old-mail web"),
until their output is closed; what they hear goes to the log file named.
- mail: aiosmtpd offering 8BITMIME, its EHLO lines in one write; refuses a recipient after a bare host name in EHLO
  (504) or named "refused..." (550), forwards "forward..." (251).
- old-mail: knows neither EHLO nor 8BITMIME, so it refuses BODY=8BITMIME and 8-bit bytes.
- web: the CDDB service's submit program at /~cddb/submit.cgi.
A message must be what the service's processor takes: headers, a blank line, a valid Date and Message-ID (logged as
"(valid)"), a charset that covers the text. Its body is logged with the transfer encoding undone."""
import asyncio
import email
import email.utils
import re
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from aiosmtpd.smtp import SMTP

log = open(sys.argv[1], "wb")
lock = threading.Lock()
CATEGORIES = "blues classical country data folk jazz misc newage reggae rock soundtrack".split()


def write(text):
    with lock:
        log.write(text.replace(b"\r\n", b"\n") if isinstance(text, bytes) else text.encode("latin-1"))
        log.flush()


def shown(hello):
    """A name a server can check is logged as "(qualified)"."""
    return "(qualified)" if re.fullmatch(r"\[[\d.]+\]|[\w-]+(\.[\w-]+)+", hello) else hello


def message_fault(raw, eight_bit_allowed):
    head, blank, _ = raw.partition(b"\r\n\r\n")
    if not blank or any(b":" not in line for line in head.split(b"\r\n")):
        return "554 Malformed email header"
    if any(b >= 0x80 for b in raw) and not eight_bit_allowed:
        return "554 5.6.0 8-bit data without BODY=8BITMIME"
    message = email.message_from_bytes(raw)
    if not email.utils.parsedate_to_datetime(message["Date"]).tzinfo:
        return "554 No date"
    if not re.fullmatch(r"<[^<>@\s]+@[^<>@\s]+>", message["Message-ID"] or ""):
        return "554 No message id"
    body = message.get_payload(decode=True)
    if any(b >= 0x80 for b in body) and message.get_content_charset() != "iso-8859-1":
        return "554 garbage character on line 1"
    return None


class Mail:
    def __init__(self, knows_ehlo):
        self.knows_ehlo = knows_ehlo

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        write(f"EHLO {shown(hostname)}\n")
        if not self.knows_ehlo:
            return ['500 Error: command "EHLO" not recognized']
        session.host_name = hostname
        return ["\r\n".join(responses)]

    async def handle_HELO(self, server, session, envelope, hostname):
        write(f"HELO {shown(hostname)}\n")
        session.host_name = hostname
        return "250 old-mail"

    async def handle_MAIL(self, server, session, envelope, address, options):
        write(f"MAIL FROM:<{address}>{''.join(' ' + o for o in options)}\n")
        envelope.mail_from, envelope.mail_options = address, options
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, options):
        write(f"RCPT TO:<{address}>\n")
        if shown(session.host_name) != "(qualified)":
            return f"504 5.5.2 <{session.host_name}>: Helo command rejected: need fully-qualified hostname"
        if address.startswith("refused"):
            return "550 5.1.1 No such user"
        envelope.rcpt_tos.append(address)
        return "251 User not local; will forward" if address.startswith("forward") else "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content
        fault = message_fault(raw, "BODY=8BITMIME" in envelope.mail_options)
        write("DATA\n")
        if fault:
            return write(fault + "\n") or fault
        head, _, _ = raw.partition(b"\r\n\r\n")
        head = re.sub(rb"^(Date|Message-ID): .*$", rb"\1: (valid)", head, flags=re.M)
        write(head + b"\n\n" + email.message_from_bytes(raw).get_payload(decode=True) + b"<END>\n")
        return "250 Accepted"

    async def handle_QUIT(self, server, session, envelope):
        return write("QUIT\n") or "221 Bye"


class SubmitProgram(BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        write(f"{self.requestline}\n{self.headers}".encode("latin-1") + body + b"<END>\n")
        if self.path != "/~cddb/submit.cgi" or not self.headers["Host"]:
            return self.send_error(404)
        h = lambda name: self.headers.get(name, "")
        valid = {"category": h("Category") in CATEGORIES, "discid": re.fullmatch("[0-9a-f]{8}", h("Discid")),
                 "email": "@" in h("User-Email"), "submit-mode": h("Submit-Mode") in ("submit", "test"),
                 "charset": h("Charset") in ("ISO-8859-1", "UTF-8")}
        answer = next((f"501 Invalid header information [{what}]." for what, ok in valid.items() if not ok),
                      "200 OK, submission has been sent.")
        if not all(map(h, ("Category", "Discid", "User-Email", "Submit-Mode"))):
            answer = "500 Missing required header information."
        self.send_response(200)
        self.end_headers()
        self.wfile.write(answer.encode() + b"\n")

    def log_message(self, *args):
        pass


async def main():
    loop = asyncio.get_running_loop()
    servers = [await loop.create_server(lambda k=k: SMTP(Mail(k)), "127.0.0.1", 0) for k in (True, False)]
    web = ThreadingHTTPServer(("127.0.0.1", 0), SubmitProgram)
    threading.Thread(target=web.serve_forever, daemon=True).start()
    print(*(s.sockets[0].getsockname()[1] for s in servers), web.server_address[1], flush=True)
    while True:  # until the reader has gone
        print(flush=True)
        await asyncio.sleep(0.05)


asyncio.run(main())
