"""The transport keys and the SHUFFLE word with a stored Play order; the tray icon of a tray-only player (the
shell's part, the icon's mouse message, posted by brdpoke); the write-failure box."""
import os
import subprocess
import tempfile
import time

from brdtest import (BIN, DATABASE, ENV, FPS, IDM_TRACK_FIRST, MINIMIZE, SCRIPTS, SHUFFLE, Player, Pointer, brd_db,
                     check, drive_state, playing_track, poke, press_key, run, sample_toc, set_up_drives, start,
                     store_entry, title, tray_icon, vdrive, wait_until, window_rect, wine, xdotool)


WRITE_FAILED = ("Error - Could not open 'brd.bdb' for writing.\nMake sure the BRD database file 'brd.bdb'\n"
                "and directory are not write protected.\n\nThe information for this CD will not be saved.")


def c_runtime_shuffle(playing, count):
    """The playing track, then tracks drawn as rand() % count + 1 skipping
    those drawn before, rand being the C runtime's (never seeded)."""
    order, seed = [playing], 1
    while len(order) < count:
        seed = (seed * 214013 + 2531011) & 0xFFFFFFFF
        track = ((seed >> 16) & 0x7FFF) % count + 1
        order += [] if track in order else [track]
    return order


def stored_order(key):
    return next(line.split("=", 1)[1].strip() for line in brd_db("show", key).splitlines()
                if line.startswith("PLAYORDER="))


def test_transport_keys_and_shuffle_with_a_stored_order():
    set_up_drives("d")
    disc_order = "1,2,-3,4,5,6,7,8,9,10,11,-12"
    key = store_entry("twelve", "The Testers / Twelve", [f"Song {n}" for n in range(1, 13)], play_order=disc_order)
    vdrive("insert", "D", "twelve")
    _, starts, _ = sample_toc("twelve")
    player = start("/play", PlayOrder=3)
    wait_until(lambda: playing_track("twelve") == 1, 15, "/play must play track 1")
    press_key("e")
    wait_until(lambda: playing_track("twelve") == 2, 10, "E (TRK FWD) plays track 2")
    press_key("t")
    wait_until(lambda: drive_state()["mode"] == "paused", 10, "T pauses")
    press_key("w")
    wait_until(lambda: drive_state()["frames"] < starts[1], 10, "W while paused moves to track 1")
    check(drive_state()["mode"] != "playing", "and does not play")
    press_key("y")
    wait_until(lambda: drive_state()["mode"] == "playing", 10, "Y resumes")
    # TRK BWD restarts a track played for five seconds or more, else goes back one.
    wait_until(lambda: drive_state()["frames"] >= starts[0] + 5.5 * FPS, 20, "track 1 must play on")
    press_key("w")
    wait_until(lambda: playing_track("twelve") == 1 and drive_state()["frames"] < starts[0] + 3 * FPS, 10,
               "W 5 s into a track restarts it")
    press_key("e")
    wait_until(lambda: drive_state()["frames"] >= starts[1] + 3.5 * FPS, 15, "E must play track 2 on")
    press_key("w")
    wait_until(lambda: playing_track("twelve") == 1, 10, "W early in a track goes back a track")
    press_key("w")
    wait_until(lambda: playing_track("twelve") == 11, 10, "W early at position 1 goes round to the last playable")
    press_key("r")
    wait_until(lambda: drive_state()["mode"] == "stopped", 10, "R stops")
    poke("command", str(IDM_TRACK_FIRST + 6))
    wait_until(lambda: playing_track("twelve") == 7, 15, "Quick Track: position 7 plays track 7")
    Pointer().click(*SHUFFLE)
    player.close()
    shuffled = [int(t) for t in stored_order(key).split(",")]
    check([abs(t) for t in shuffled] == c_runtime_shuffle(7, 12),
          f"the shuffled order {shuffled} is not track 7, then the tracks as the C runtime's unseeded rand draws them")
    check(sorted(t for t in shuffled if t < 0) == [-12, -3], f"tracks 3 and 12 keep their exclusion marks: {shuffled}")

    player = start(PlayOrder=3, IconType=1)
    wait_until(lambda: title() == "BRD: The Testers / Twelve", 15, "the disc must be loaded")
    for way_back in (lambda: poke("tray", "518"), lambda: Player().process.wait(40)):
        Pointer().click(*MINIMIZE)
        wait_until(lambda: window_rect() is None, 10, "minimized, a tray-only player hides")
        way_back()  # a right double click on the tray icon, or starting the program again
        wait_until(lambda: window_rect() is not None, 10, "the hidden player must come back")
    poke("tray", "514")  # a left click: its release
    wait_until(lambda: drive_state()["frames"] >= starts[0] + 2.5 * FPS and tray_icon() == 180, 10,
               "a click on the tray icon plays, icon 180")
    check("Song" not in title(), f"with the tray only the window title stays during play: {title()}")
    poke("tray", "514")
    wait_until(lambda: drive_state()["mode"] == "paused" and tray_icon() == 181, 10, "a second click pauses, icon 181")
    Pointer().click(*SHUFFLE)
    Pointer().click(SHUFFLE[0] + 20, SHUFFLE[1])  # further than a double click reaches
    press_key("q")
    wait_until(lambda: drive_state()["tray"] == "open", 10, "Q ejects")
    player.close()
    check(stored_order(key) == disc_order, f"SHUFFLE off restores disc order with the marks: {stored_order(key)}")

    # A Play order that cannot be written (another program holds brd.bdb open) is reported in the main window's box.
    vdrive("insert", "D", "twelve")
    with tempfile.NamedTemporaryFile() as held:
        holder = subprocess.Popen([os.path.join(SCRIPTS, "wine-run"), os.path.join(BIN, "brdpoke.exe"), "hold",
                                   "Z:" + DATABASE.replace("/", "\\"), "90"],
                                  env=ENV, stdout=held, stderr=subprocess.DEVNULL)
        wait_until(lambda: b"held" in open(held.name, "rb").read(), 30, "brdpoke must hold brd.bdb open")
    player = start(PlayOrder=3)
    wait_until(lambda: title() == "BRD: The Testers / Twelve", 15, "the disc must be loaded")
    press_key("q")
    wait_until(lambda: poke("box"), 10, "a Play order that was not saved must be reported")
    check(poke("box") == "1|Brindle CD|" + WRITE_FAILED, f"the box: {poke('box')}")
    poke("close", "#32770")
    # The exit's own failed save is shown once the window has gone: a disc leaving meanwhile starts nothing.
    vdrive("close", "D")
    wait_until(lambda: title() == "BRD: The Testers / Twelve", 15, "the disc must be back")
    poke("close")
    wait_until(lambda: xdotool("search", "--onlyvisible", "--name", "^Brindle CD$"), 15, "the failed save at exit")
    vdrive("eject", "D")
    time.sleep(2.5)  # a disc poll would see the open tray
    wine("taskkill", "/f", "/im", "brdpoke.exe")
    holder.wait()
    poke("answer", "Brindle CD", "1")
    code = player.process.wait(30)
    check(code == 0 and stored_order(key) == disc_order, f"BRD ends normally ({code}), the entry as it was")


run([test_transport_keys_and_shuffle_with_a_stored_order])
