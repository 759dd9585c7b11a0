"""Start-up, single instance, drive choice and shutdown of BRD.exe."""
import os
import subprocess
import tempfile
import time

from brdtest import (SETTINGS_KEY, Player, artifacts_dir, changed_box, check, poke, reg_dword,
                     reg_set_dword, run, screenshot, set_cdrom_drives, wine_env, WINE_RUN)


def test_window_appears_at_the_stored_place_and_size():
    set_cdrom_drives()
    reg_set_dword(SETTINGS_KEY, "xWinPos", 150)
    reg_set_dword(SETTINGS_KEY, "yWinPos", 120)
    before = screenshot()
    player = Player()
    player.wait_window()
    after = screenshot(os.path.join(artifacts_dir("startup"), "window.png"))
    box = changed_box(before, after)
    # The skin paints the whole client area. Wine draws the one-pixel border
    # around it in its theme's frame colour, which may be the black of the
    # empty screen and then shows no change.
    check(box in ((150, 120, 297, 162), (151, 121, 295, 160)),
          f"window drawn at {box}, expected (150, 120, 297, 162) with its border")
    check(player.close() == 0, "BRD did not exit with 0")


def test_closing_saves_the_settings():
    set_cdrom_drives()
    reg_set_dword(SETTINGS_KEY, "xWinPos", 210)
    reg_set_dword(SETTINGS_KEY, "PlayType", 7)
    player = Player()
    player.wait_window()
    check(player.close() == 0, "BRD did not exit with 0")
    check(reg_dword(SETTINGS_KEY, "xWinPos") == 210, "xWinPos not saved from the window")
    check(reg_dword(SETTINGS_KEY, "PlayType") == 1, "PlayType not saved as loaded (7 -> 1)")
    check(reg_dword(SETTINGS_KEY, "TrackClick") == 1, "every value is saved")


def test_first_run_writes_the_first_run_defaults_at_exit():
    set_cdrom_drives()
    player = Player()
    player.wait_window()
    player.close()
    check(reg_dword(SETTINGS_KEY, "ConnectCDDB") == 0, "first run must not query CDDB")
    check(reg_dword(SETTINGS_KEY, "xWinPos") == 100, "first run places the window at 100")
    check(reg_dword(SETTINGS_KEY, "UseDrive") == -1, "no CD-ROM drive: UseDrive stays -1")


def test_second_copy_activates_the_first_and_ends():
    set_cdrom_drives()
    first = Player()
    first.wait_window()
    editor = subprocess.Popen([WINE_RUN, "notepad"], env=wine_env(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(50):
            if poke("foreground").stdout.strip() == "Notepad":
                break
            time.sleep(0.2)
        check(poke("foreground").stdout.strip() == "Notepad", "another program must have the foreground first")
        for args in ([], ["/play"]):
            second = Player(*args)
            check(second.wait_exit(20) == 0, f"second copy {args} did not end with 0")
            check(poke("foreground").stdout.strip() == "BRD", f"second copy {args} did not activate the first")
        check(first.process.poll() is None, "the first copy must keep running")
    finally:
        editor.kill()
        subprocess.run(["pkill", "-f", "notepad"], capture_output=True)
    first.close()


def test_fresh_installation_uses_the_first_cdrom_drive():
    folder = tempfile.mkdtemp(prefix="brd-drives-")
    set_cdrom_drives(e=os.path.join(folder, "e"), f=os.path.join(folder, "f"))
    player = Player()
    player.wait_window()
    player.close()
    check(reg_dword(SETTINGS_KEY, "UseDrive") == 4, "E: (4) is the first CD-ROM drive")


def test_a_stored_hard_disk_is_replaced_by_the_first_cdrom_drive():
    folder = tempfile.mkdtemp(prefix="brd-drives-")
    set_cdrom_drives(f=os.path.join(folder, "f"))
    reg_set_dword(SETTINGS_KEY, "UseDrive", 2)
    player = Player()
    player.wait_window()
    player.close()
    check(reg_dword(SETTINGS_KEY, "UseDrive") == 5, "C: is a hard disk: F: (5) replaces it")


def test_without_cdrom_drives_the_stored_drive_is_kept():
    set_cdrom_drives()
    reg_set_dword(SETTINGS_KEY, "UseDrive", 3)
    player = Player()
    player.wait_window()
    player.close()
    check(reg_dword(SETTINGS_KEY, "UseDrive") == 3, "the stored drive must be kept")


run([
    test_window_appears_at_the_stored_place_and_size,
    test_closing_saves_the_settings,
    test_first_run_writes_the_first_run_defaults_at_exit,
    test_second_copy_activates_the_first_and_ends,
    test_fresh_installation_uses_the_first_cdrom_drive,
    test_a_stored_hard_disk_is_replaced_by_the_first_cdrom_drive,
    test_without_cdrom_drives_the_stored_drive_is_kept,
])
