"""The transport keys and buttons, the play-mode words and the title-bar buttons."""
import os
import time

from brdtest import (SETTINGS_KEY, Player, check, click, drive_log, drive_state, forget_database,
                     insert_disc, press_key, reg_dword, reg_set_dword, run, sample_starts,
                     screenshot, set_up_drives, store_entry, title, track_at, vdrive, wait_until,
                     window_rect, xdotool, window_origin, changed_box)

D = 3  # drive number of D:

# Client points of the main window.
REPEAT_CD = (180, 24)
REPEAT = (180, 36)
SHUFFLE = (180, 48)
MINIMIZE = (270, 8)
PLAY_BUTTON = (13 + 148, 125 + 12)
STOP_BUTTON = (13 + 94, 125 + 12)


def start(*args, **settings):
    """BRD with these settings (drive D: unless UseDrive is given), its window up."""
    settings.setdefault("UseDrive", D)
    reg_set_dword(SETTINGS_KEY, "ConnectCDDB", 0)
    for name, value in settings.items():
        reg_set_dword(SETTINGS_KEY, name, value)
    player = Player(*args)
    player.wait_window()
    return player


def playing_track(disc, letter="D"):
    state = drive_state(letter)
    return track_at(disc, state["frames"]) if state["mode"] == "playing" else None


def test_repeat_restarts_a_track_of_a_longer_range():
    set_up_drives()
    insert_disc("short")
    player = start("/play")
    click(*REPEAT)
    starts, _ = sample_starts("short")
    time.sleep((starts[1] - starts[0]) / 75 + 1.0)
    check(playing_track("short") == 1, "REPEAT: track 1 must start again")
    player.close()


def test_transport_keys():
    set_up_drives()
    insert_disc("twelve")
    player = start("/play")
    press_key("e")
    wait_until(lambda: playing_track("twelve") == 2, 3, "E: TRK FWD plays track 2")
    press_key("t")
    wait_until(lambda: drive_state()["mode"] == "paused", 3, "T pauses")
    press_key("w")
    time.sleep(0.5)
    state = drive_state()
    check(state["mode"] != "playing" and track_at("twelve", state["frames"]) == 1,
          "W while paused moves to track 1 and stays paused")
    press_key("y")
    wait_until(lambda: drive_state()["mode"] == "playing", 3, "Y resumes")
    time.sleep(5.5)
    press_key("w")
    time.sleep(0.5)
    check(playing_track("twelve") == 1, "W 5 s into a track restarts it")
    press_key("e")
    time.sleep(2.0)
    press_key("w")
    wait_until(lambda: playing_track("twelve") == 1, 3, "W 2 s into a track goes back a track")
    press_key("r")
    wait_until(lambda: drive_state()["mode"] == "stopped", 3, "R stops")
    press_key("q")
    wait_until(lambda: drive_state()["tray"] == "open", 3, "Q ejects")
    player.close()


def test_a_press_dragged_off_its_button_does_nothing():
    set_up_drives()
    insert_disc("twelve")
    player = start()
    ox, oy = window_origin()
    before = screenshot()
    xdotool("mousemove", ox + PLAY_BUTTON[0], oy + PLAY_BUTTON[1])
    xdotool("mousedown", 1)
    time.sleep(0.3)
    xdotool("mousemove", ox + STOP_BUTTON[0], oy + STOP_BUTTON[1])
    time.sleep(0.3)
    xdotool("mouseup", 1)
    xdotool("mousemove", ox + 400, oy + 400)
    time.sleep(0.6)
    check(drive_state()["mode"] == "stopped", "no command may run")
    after = screenshot()
    box = changed_box(before, after)
    controls = (ox + 13, oy + 125, 163, 24)
    check(box is None or not (controls[0] <= box[0] < controls[0] + controls[2]
                              and controls[1] <= box[1] < controls[1] + controls[3]),
          f"the buttons must look as before, changes at {box}")
    player.close()


def test_minimize_pressed_and_released_elsewhere_changes_nothing():
    set_up_drives()
    player = start()
    before = window_rect()
    ox, oy = window_origin()
    xdotool("mousemove", ox + MINIMIZE[0], oy + MINIMIZE[1])
    xdotool("mousedown", 1)
    time.sleep(0.2)
    xdotool("mousemove", ox + 100, oy + 80)
    xdotool("mouseup", 1)
    time.sleep(0.5)
    check(window_rect() == before, "the window must stay as it was")
    player.close()


def test_repeat_cd_and_repeat_are_never_lit_together():
    set_up_drives()
    insert_disc("twelve")
    player = start()
    click(*REPEAT)
    click(*REPEAT_CD)
    player.close()
    check(reg_dword(SETTINGS_KEY, "PlayType") == 1, "REPEAT CD turns REPEAT off")


run([
    test_repeat_restarts_a_track_of_a_longer_range,
    test_transport_keys,
    test_a_press_dragged_off_its_button_does_nothing,
    test_minimize_pressed_and_released_elsewhere_changes_nothing,
    test_repeat_cd_and_repeat_are_never_lit_together,
])
