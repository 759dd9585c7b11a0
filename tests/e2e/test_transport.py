"""The transport keys and buttons, the play-mode words and the title-bar buttons."""
import time

from brdtest import (SETTINGS_KEY, brd_db, changed_box, check, click, drive_state, forget_database,
                     insert_disc, playing_track, press_key, reg_dword, run, sample_starts,
                     screenshot, set_up_drives, start, store_entry, track_at, wait_until,
                     window_origin, window_rect, xdotool)

# Client points of the main window.
REPEAT_CD = (180, 24)
REPEAT = (180, 36)
SHUFFLE = (180, 48)
MINIMIZE = (270, 8)
PLAY_BUTTON = (13 + 148, 125 + 12)
STOP_BUTTON = (13 + 94, 125 + 12)


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


def rand_sequence():
    """The C runtime's rand, never seeded: the generator the shuffle draws from."""
    seed = 1
    while True:
        seed = (seed * 214013 + 2531011) & 0xFFFFFFFF
        yield (seed >> 16) & 0x7FFF


def expected_shuffle(playing_track, n):
    order, draws = [playing_track], rand_sequence()
    while len(order) < n:
        r = next(draws) % n + 1
        if r not in order:
            order.append(r)
    return order


def stored_play_order(key):
    text = brd_db("show", key)
    return next(line.split("=", 1)[1].strip() for line in text.splitlines() if line.startswith("PLAYORDER="))


def test_shuffle_keeps_the_playing_track_first_and_off_restores_disc_order():
    set_up_drives()
    forget_database()
    disc_id = store_entry("twelve", "misc", "The Testers / Twelve", [f"Song {n}" for n in range(1, 13)],
                          play_order="1,2,-3,4,5,6,7,8,9,10,11,12")
    key = f"misc/{disc_id}"
    insert_disc("twelve")
    player = start("/play", PlayOrder=3)
    for _ in range(5):  # position 2 (track 3) is excluded: five steps reach track 7
        press_key("e")
    wait_until(lambda: playing_track("twelve") == 7, 3, "track 7 must play")
    click(*SHUFFLE)
    player.close()
    shuffled = [int(t) for t in stored_play_order(key).split(",")]
    check([abs(t) for t in shuffled] == expected_shuffle(7, 12),
          f"the shuffled order {shuffled} is not track 7 and then rand's order")
    check([t for t in shuffled if t < 0] == [-3], "track 3 keeps its exclusion mark")

    player = start(PlayOrder=3)
    click(*SHUFFLE)
    click(*SHUFFLE)
    player.close()
    check(stored_play_order(key) == "1,2,-3,4,5,6,7,8,9,10,11,12",
          f"SHUFFLE off restores disc order with the marks: {stored_play_order(key)}")
    forget_database()


run([
    test_shuffle_keeps_the_playing_track_first_and_off_restores_disc_order,
    test_repeat_restarts_a_track_of_a_longer_range,
    test_transport_keys,
    test_a_press_dragged_off_its_button_does_nothing,
    test_minimize_pressed_and_released_elsewhere_changes_nothing,
    test_repeat_cd_and_repeat_are_never_lit_together,
])
