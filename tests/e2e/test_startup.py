"""Start-up and shutdown of BRD.exe: the stored window place, the settings
written at exit, the drive chosen, a second copy."""
import os
import subprocess

from brdtest import (MINIMIZE, SCRIPTS, Player, Pointer, check, poke, run, set_settings, set_up_drives,
                     stored_settings, wait_until, window_rect)


def test_stored_place_drive_and_play_type_are_used_and_saved():
    set_up_drives("f")
    set_settings(xWinPos=150, yWinPos=120, PlayType=7, UseDrive=2)
    player = Player().wait_window()
    placed = window_rect()
    check(placed == (150, 120, 297, 162), f"the window must stand at its stored place: {placed}")
    pointer = Pointer()
    pointer.press(*MINIMIZE)
    pointer.move(100, 80)
    pointer.release()
    check(window_rect() == placed, "minimize pressed but released elsewhere must leave the window as it was")
    check(player.close() == 0, "BRD must exit with 0")
    stored = stored_settings()
    check(stored.get("xWinPos") == 150, f"the window's place is saved: {stored.get('xWinPos')}")
    check(stored.get("PlayType") == 1, f"of PlayType 7 only REPEAT CD is kept: {stored.get('PlayType')}")
    check(stored.get("TrackClick") == 1, "every value is saved, also those never stored")
    check(stored.get("UseDrive") == 5, f"C: is a hard disk: the CD-ROM drive F: (5) replaces it: {stored}")


def test_first_run_defaults_and_the_first_cdrom_drive():
    set_up_drives("e", "f")
    set_settings()
    Player().wait_window().close()
    stored = stored_settings()
    check((stored.get("ConnectCDDB"), stored.get("xWinPos")) == (0, 100),
          f"a first run queries no CDDB server and places the window at 100: {stored}")
    check(stored.get("UseDrive") == 4, f"E: (4) is the first CD-ROM drive: {stored.get('UseDrive')}")


def test_second_copy_activates_the_first_and_ends():
    set_up_drives()
    set_settings()
    first = Player().wait_window()
    editor = subprocess.Popen([os.path.join(SCRIPTS, "wine-run"), "notepad"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_until(lambda: poke("foreground") == "Notepad", 20, "Notepad did not come up")
        for args in ([], ["/play"]):
            poke("front", "Notepad")
            wait_until(lambda: poke("foreground") == "Notepad", 15, "Notepad must have the foreground first")
            check(Player(*args).wait_exit() == 0, f"the second copy {args} must end with 0")
            wait_until(lambda: poke("foreground") == "BRD", 15, f"the second copy {args} must activate the first")
    finally:
        poke("close", "Notepad")
        editor.wait(20)
    check(first.process.poll() is None, "the first copy keeps running")
    first.close()


run([
    test_stored_place_drive_and_play_type_are_used_and_saved,
    test_first_run_defaults_and_the_first_cdrom_drive,
    test_second_copy_activates_the_first_and_ends,
])
