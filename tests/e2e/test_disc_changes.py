"""Titles stay with their disc: a CDDB query held at each of its stages by a loopback server while the
disc is ejected, put back or swapped, or the drive changed, with the CD Editor open; afterwards every
entry is as the user last saw it and nothing is shown for a disc that was not asked about."""
import os
import subprocess
import tempfile
import threading
import time

from brdtest import (BUILD, DATABASE, Player, brd_db, check, on_screen, poke, press_key, run, sample_toc, screenshot,
                     set_settings, set_up_drives, sprite, store_entry, title, vdrive, wait_until, wine, xdotool)

IDM_QUERY_CD, IDM_DRIVE_FIRST, SHEET, APPLY, OK = 40007, 10000, "Properties for Brindle CD", 12321, 1
TWELVE = "BRD: The Testers / Twelve Songs"
STAGES = ["banner", "hello", "query", "chooser", "read", "replace"]


class StageServer:
    """tests/support/cddb_stage_server: each banner and reply goes out on go()."""

    def __init__(self, *discs):
        self.process = subprocess.Popen([os.path.join(os.path.dirname(BUILD), "host", "bin", "cddb_stage_server"),
                                         *discs], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.port, self.lines, self.released = int(self.process.stdout.readline()), [], 0
        threading.Thread(target=lambda: [self.lines.append(line.strip()) for line in self.process.stdout],
                         daemon=True).start()

    def count(self, line):
        return sum(line == heard or heard.startswith(line + " ") for heard in self.lines)

    def go(self):
        self.released += 1
        self.process.stdin.write("go\n")
        self.process.stdin.flush()

    def holding(self):  # a banner or reply waits for go()
        return self.count("connected") + sum(heard.startswith(">") for heard in self.lines) > self.released


def shown(name):
    return bool(xdotool("search", "--onlyvisible", "--name", f"^{name}$"))


def status_blank():
    return on_screen(screenshot(), (0, 0), 70, 57, 77, 5) == sprite("main.bmp", 70, 57, 77, 5)


def test_a_query_stores_nothing_for_a_disc_that_left_and_the_editor_only_what_the_user_changed():
    set_up_drives("d", "e")
    key = store_entry("twelve", "The Testers / Twelve Songs", [f"Song {n}" for n in range(1, 13)])
    disc_id = key.split("/")[1]
    with tempfile.NamedTemporaryFile("w", suffix=".xmcd") as entry:
        entry.write(f"# xmcd\nDISCID={disc_id}\nDTITLE=Other / Titles\n" +
                    "".join(f"TTITLE{i}=Other {i}\n" for i in range(12)))
        entry.flush()
        server = StageServer("misc", disc_id, "Other / Titles", entry.name, "rock", disc_id, "Other / Titles",
                             entry.name)
    vdrive("insert", "D", "twelve")
    vdrive("insert", "E", "short")
    set_settings(UseDrive=3, ConnectCDDB=0, xWinPos=600, yWinPos=450)
    for value in (["NumServers", "/t", "REG_DWORD", "/d", "1"], ["Server0", "/d", f"127.0.0.1 {server.port} CDDBP - 1 x."]):
        wine("reg", "add", r"HKEY_CURRENT_USER\Software\Brindle\Servers", "/v", *value, "/f")
    Player().wait_window()
    wait_until(lambda: title() == TWELVE, 15, f"the stored titles: {title()!r}")
    press_key("ctrl+e")
    wait_until(lambda: poke("sheet", SHEET, "page") == "4 5", 10, "Ctrl+E opens the CD Editor")
    poke("sheet", SHEET, "home")
    stored = open(DATABASE, "rb").read()

    def change(*steps):  # each a vdrivectl command or a drive number to choose, and the title that follows
        for step, then in steps:
            vdrive(*step) if isinstance(step, tuple) else poke("command", str(IDM_DRIVE_FIRST + step))
            wait_until(lambda: title() == then, 15, f"after {step}: {title()!r}")

    twelve, short = (("insert", "D", "twelve"), TWELVE), (("insert", "D", "short"), "BRD: Unknown CD")
    empty, back = (("remove", "D"), "BRD"), (("close", "D"), TWELVE)
    events = {"eject": ([(("eject", "D"), "BRD")], [back]), "insert": ([(("eject", "D"), "BRD"), back], []),
              "swap": ([empty, short], [empty, twelve]), "drive": ([(4, "BRD: Unknown CD")], [(3, TWELVE)])}
    steps = {"banner": "> cddb hello", "hello": "> cddb query", "query": "chooser", "chooser": "> cddb read",
             "read": "box"}
    for stage, event in [(stage, event) for stage in STAGES for event in events if event != "drive" or
                         stage in ("read", "replace")]:
        poke("command", str(IDM_QUERY_CD))
        wait_until(lambda: server.count("connected") > server.count("closed"), 10, "the query connects")
        for step in STAGES[:STAGES.index(stage)]:
            poke("answer", "BRD Inexact Match", "1") if step == "chooser" else server.go()
            wait_until(lambda: shown("BRD Inexact Match") if steps[step] == "chooser" else shown("Brindle CD")
                       if steps[step] == "box" else server.count(steps[step]) > 0, 10, f"{stage}/{event}: past {step}")
        change(*events[event][0])
        closed, deadline = server.count("closed") + 1, time.time() + 30
        while server.count("closed") < closed:  # the user says OK and Yes to what the query asks
            check(time.time() < deadline, f"{stage}/{event}: the query must end")
            if shown("BRD Inexact Match"):
                poke("answer", "BRD Inexact Match", "1")
            elif shown("Brindle CD"):
                poke("answer", "Brindle CD", "6")
            elif server.holding():
                server.go()
            time.sleep(0.2)
        time.sleep(1.5)  # the query's last notice is on its way
        check(open(DATABASE, "rb").read() == stored, f"{stage}/{event}: brd.bdb must be as it was")
        check(status_blank(), f"{stage}/{event}: nothing is reported about the disc now in the drive")
        change(*events[event][1])

    # The Editor still shows the first disc: a change typed there is stored for it, not for the disc in the drive.
    x, y, w, h, _ = map(int, poke("sheet", SHEET, "ctrl", "1044").split())
    xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
    xdotool("key", "End", "type", "--delay", 80, " (live)")
    poke("sheet", SHEET, "click", str(APPLY))
    wait_until(lambda: open(DATABASE, "rb").read() != stored, 10, "Apply stores the change")
    after = brd_db("show", key)
    check("DTITLE=The Testers / Twelve Songs" in after and "TTITLE0=Song 1 (live)" in after and
          all(f"TTITLE{n - 1}=Song {n}\n" in after for n in range(2, 13)), after)
    check(brd_db("list").count("\n") == 1, "and nothing else is stored")
    server.process.stdin.close()


run([test_a_query_stores_nothing_for_a_disc_that_left_and_the_editor_only_what_the_user_changed])
