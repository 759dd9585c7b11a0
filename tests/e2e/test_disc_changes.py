"""A CDDB query held at each stage while the disc leaves, comes back or changes, the CD Editor open."""
import socket
import threading
import time

from brdtest import (DATABASE, Player, brd_db, check, on_screen, poke, press_key, run, screenshot, set_settings,
                     set_up_drives, sprite, store_entry, title, vdrive, wait_until, wine, xdotool)

SHEET, TWELVE, OTHER = "Properties for Brindle CD", "BRD: The Testers / Twelve Songs", "BRD: Unknown CD"
# The stages in order, each with what the query does next once the server (or the user) lets it go on.
STAGES = [("banner", "> cddb hello"), ("hello", "> cddb query"), ("query", "BRD Inexact Match"),
          ("chooser", "> cddb read"), ("read", "Brindle CD"), ("replace", None)]


class StageServer(threading.Thread):
    """CDDBP on 127.0.0.1, a disc under two categories; each reply waits for the gate. What it hears: `heard`."""

    def __init__(self, disc_id):
        super().__init__(daemon=True)
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port, self.heard, self.gate = self.listener.getsockname()[1], [], threading.Semaphore(0)
        match = f"{disc_id} Other / Titles\r\n"
        self.replies = {"cddb hello": "200 Hello\r\n", "cddb query": f"211 Found\r\nmisc {match}rock {match}.\r\n",
                        "cddb read ": f"210 misc {disc_id}\r\nDTITLE=Other / Titles\r\n" +
                                      "".join(f"TTITLE{i}=Other {i}\r\n" for i in range(12)) + ".\r\n"}
        self.start()

    def run(self):
        while True:
            connection = self.listener.accept()[0]
            self.heard.append("connected")
            try:
                with connection, connection.makefile("rb") as lines:
                    self.send(connection, "201 Stage server ready\r\n")
                    for line in map(bytes.decode, lines):
                        self.heard.append("> " + line.strip())
                        self.send(connection, self.replies[line[:10]])
            except OSError:  # the player hung up on a reply held back
                pass
            self.heard.append("closed")

    def send(self, connection, text):
        self.gate.acquire()
        connection.sendall(text.encode())

    def count(self, line):
        return sum(h == line or h.startswith(line + " ") for h in self.heard)


def shown(window):
    return bool(xdotool("search", "--onlyvisible", "--name", f"^{window}$"))


def test_a_query_stores_nothing_for_a_disc_that_left_and_the_editor_only_what_was_changed_for_its_disc():
    set_up_drives("d", "e")
    key = store_entry("twelve", "The Testers / Twelve Songs", [f"Song {n}" for n in range(1, 13)])
    server = StageServer(key[5:])
    count = server.count
    [vdrive("insert", drive, disc) for drive, disc in (("D", "twelve"), ("E", "short"))]
    set_settings(UseDrive=3, ConnectCDDB=0, xWinPos=600, yWinPos=450)
    for value in (["NumServers", "/t", "REG_DWORD", "/d", "1"], ["Server0", "/d", f"127.0.0.1 {server.port} CDDBP - 1 x."]):
        wine("reg", "add", r"HKEY_CURRENT_USER\Software\Brindle\Servers", "/v", *value, "/f")
    Player().wait_window()
    press_key("ctrl+e")
    wait_until(lambda: poke("sheet", SHEET, "page") == "4 5", 10, "Ctrl+E opens the CD Editor")
    poke("sheet", SHEET, "home")
    stored = open(DATABASE, "rb").read()

    def change(*steps):  # each a vdrivectl command or a drive to choose, with the title that follows
        for step, then in steps:
            vdrive(*step) if isinstance(step, tuple) else poke("command", str(10000 + step))  # IDM_DRIVE_FIRST
            wait_until(lambda: title() == then, 15, f"after {step}: {title()!r}")

    empty, back, twelve = (("remove", "D"), "BRD"), (("close", "D"), TWELVE), (("insert", "D", "twelve"), TWELVE)
    events = {"eject": ([(("eject", "D"), "BRD")], [back]), "insert": ([(("eject", "D"), "BRD"), back], []),
              "swap": ([empty, (("insert", "D", "short"), OTHER)], [empty, twelve]), "drive": ([(4, OTHER)], [(3, TWELVE)])}
    for stage, event in [(s, e) for s, _ in STAGES for e in events if e != "drive" or s in ("read", "replace")]:
        poke("command", "40007")  # IDM_QUERY_CD
        wait_until(lambda: count("connected") > count("closed"), 10, "the query connects")
        for step, then in STAGES[:[s for s, _ in STAGES].index(stage)]:
            poke("answer", "BRD Inexact Match", "1") if step == "chooser" else server.gate.release()
            wait_until(lambda: count(then) or shown(then), 10, f"{stage}/{event}: past {step}")
        change(*events[event][0])
        closed, deadline = count("closed") + 1, time.time() + 30
        while count("closed") < closed:  # the user says OK and Yes to what the query asks, its replies go out
            check(time.time() < deadline, f"{stage}/{event}: the query must end")
            [poke("answer", w, button) for w, button in (("BRD Inexact Match", "1"), ("Brindle CD", "6")) if shown(w)]
            server.gate.release()
            time.sleep(0.2)
        server.gate = threading.Semaphore(0)  # what was let through too many
        time.sleep(1.5)  # the query's last notice is on its way
        check(open(DATABASE, "rb").read() == stored, f"{stage}/{event}: brd.bdb must be as it was")
        check(on_screen(screenshot(), (0, 0), 70, 57, 77, 5) == sprite("main.bmp", 70, 57, 77, 5),
              f"{stage}/{event}: the status line must say nothing about the disc in the drive")
        change(*events[event][1])

    # The Editor still shows the disc it was opened on: what is typed there is stored for that disc alone.
    change((4, OTHER))
    x, y, w, h, _ = map(int, poke("sheet", SHEET, "ctrl", "1044").split())
    xdotool("mousemove", x + w // 2, y + h // 2, "click", 1, "key", "End", "type", "--delay", 80, " (live)")
    poke("sheet", SHEET, "click", "12321")  # Apply
    wait_until(lambda: open(DATABASE, "rb").read() != stored, 10, "Apply stores the change")
    after = brd_db("show", key)
    check("DTITLE=The Testers / Twelve Songs\n" in after and "TTITLE0=Song 1 (live)\n" in after and
          all(f"TTITLE{n - 1}=Song {n}\n" in after for n in range(2, 13)) and brd_db("list").count("\n") == 1, after)


run([test_a_query_stores_nothing_for_a_disc_that_left_and_the_editor_only_what_was_changed_for_its_disc])
