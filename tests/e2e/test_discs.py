"""The player and its drive: discs arriving and leaving, playback to the end of
the Play order, "On Done", the /play option."""
import time

from brdtest import (SETTINGS_KEY, x_window_shown, changed_box, check, click, drive_log, drive_state,
                     forget_database, insert_disc, playing_track, reg_dword, run, sample_starts,
                     screenshot, set_up_drives, start, store_entry, title, vdrive, wait_until,
                     window_origin)

# Client points of the main window.
REPEAT_CD = (180, 24)
REPEAT = (180, 36)
SHUFFLE = (180, 48)
MINIMIZE = (270, 8)
PLAY_BUTTON = (13 + 148, 125 + 12)
STOP_BUTTON = (13 + 94, 125 + 12)


def test_a_disc_inserted_while_running_is_set_up_and_stays_stopped():
    set_up_drives()
    forget_database()
    store_entry("twelve", "rock", "The Testers / Twelve Songs", [f"Song {n}" for n in range(1, 13)])
    player = start()
    check(title() == "BRD", f"an empty drive leaves the window title alone: {title()!r}")
    insert_disc("twelve")
    wait_until(lambda: title() == "BRD: The Testers / Twelve Songs", 6,
               f"the stored titles did not arrive: {title()!r}")
    time.sleep(1)
    check(drive_state()["mode"] == "stopped", "LoadPlay off: the disc must stay stopped")
    player.close()


def test_with_load_play_the_first_playable_position_plays():
    set_up_drives()
    forget_database()
    store_entry("twelve", "rock", "The Testers / Twelve Songs", [f"Song {n}" for n in range(1, 13)],
                play_order="-1,2,3,4,5,6,7,8,9,10,11,12")
    player = start(LoadPlay=1, PlayOrder=1)
    insert_disc("twelve")
    wait_until(lambda: drive_state()["mode"] == "playing", 6, "LoadPlay on: the disc must play")
    check(playing_track("twelve") == 2, "position 0 (track 1) is excluded: track 2 must play")
    wait_until(lambda: "Song 2" in title(), 3, f"the window title shows the track: {title()!r}")
    player.close()
    forget_database()


def test_play_option_takes_over_a_playing_drive_and_starts_a_stopped_one():
    set_up_drives()
    insert_disc("twelve")
    first = start("/play", OnExit=0)
    wait_until(lambda: drive_state()["mode"] == "playing", 5, "/play must start the disc")
    first.close()
    check(drive_state()["mode"] == "playing", "OnExit 0 leaves the disc playing")
    vdrive("log", "D", "clear")
    vdrive("log", "D", "on")
    before = drive_state()["frames"]
    second = start("/play", OnExit=1)
    time.sleep(1)
    plays_from = [line for line in drive_log().splitlines() if " PLAY " in line and "from=-" not in line
                  and "FROM" in line]
    check(not plays_from, f"/play on a playing drive must not restart it: {plays_from}")
    check(drive_state()["frames"] >= before, "the position must run on")
    second.close()
    vdrive("log", "D", "off")
    check(drive_state()["mode"] == "stopped", "OnExit 1 stops the disc")
    third = start("/play", OnStart=1, OnExit=1)
    wait_until(lambda: drive_state()["mode"] == "playing", 5, "/play plays a stopped disc even with OnStart 1")
    third.close()


def test_removing_the_disc_clears_titles_and_play_modes_and_starts_the_animation():
    set_up_drives()
    insert_disc("twelve")
    player = start(PlayType=1)
    click(*SHUFFLE)
    vdrive("remove", "D")
    wait_until(lambda: title() == "BRD", 5, f"the title must go back to BRD: {title()!r}")
    x, y = window_origin()
    first = screenshot()
    time.sleep(0.7)
    second = screenshot()
    box = changed_box(first, second)
    check(box is not None and x + 218 <= box[0] and box[0] + box[2] <= x + 218 + 70,
          f"the logo must move in the tracks area, changes at {box}")
    player.close()
    check(reg_dword(SETTINGS_KEY, "PlayType") == 0, "SHUFFLE, REPEAT and REPEAT CD must be off")


def test_eject_quit_ends_the_program_when_the_tray_opens():
    set_up_drives()
    insert_disc("twelve")
    player = start(EjectQuit=1, xWinPos=123)
    vdrive("eject", "D")
    opened = time.time()
    # The disc poll runs every two seconds: the window must go with the next
    # one, not a later one (watched on the X display, which answers at once;
    # the shutdown itself takes up to a second under Wine on a busy machine).
    while x_window_shown("BRD") and time.time() - opened < 6:
        time.sleep(0.05)
    took = time.time() - opened
    check(took < 3.5, f"the window must close at the next disc poll, took {took:.1f} s")
    check(player.wait_exit(10) == 0, "the program must end with 0")
    check(reg_dword(SETTINGS_KEY, "xWinPos") == 123, "the settings must be saved")


def test_repeat_cd_plays_the_first_position_again():
    set_up_drives()
    insert_disc("short")
    player = start("/play", PlayType=1)
    _, lead_out = sample_starts("short")
    time.sleep((lead_out - 150) / 75 + 1.5)
    check(drive_state()["mode"] == "playing", "REPEAT CD: the disc must play on")
    check(playing_track("short") == 1, "REPEAT CD: the first position plays again")
    player.close()


def test_without_repeat_the_end_stops_at_the_start_of_track_1():
    set_up_drives()
    insert_disc("short")
    player = start("/play")
    starts, lead_out = sample_starts("short")
    time.sleep((lead_out - 150) / 75 + 1.5)
    state = drive_state()
    check(state["mode"] == "stopped", "the end of the Play order stops playback")
    check(state["frames"] == starts[0], f"the head returns to track 1, at {state['frames']}")
    check(title() == "BRD: Unknown CD", f"the title shows the disc again: {title()!r}")
    player.close()


def test_done_eject_and_next_cd_move_to_the_other_drive():
    set_up_drives("d", "e")
    insert_disc("short", "D")
    insert_disc("twelve", "E")
    player = start("/play", DoneEject=1, DoNextCD=1)
    _, lead_out = sample_starts("short")
    time.sleep((lead_out - 150) / 75 + 2.5)
    check(drive_state("D")["tray"] == "open", "the finished disc must be ejected")
    check(drive_state("E")["mode"] == "playing", "the next drive's disc must play")
    player.close()
    check(reg_dword(SETTINGS_KEY, "UseDrive") == 4, "E: becomes the drive in use")


run([
    test_a_disc_inserted_while_running_is_set_up_and_stays_stopped,
    test_with_load_play_the_first_playable_position_plays,
    test_play_option_takes_over_a_playing_drive_and_starts_a_stopped_one,
    test_removing_the_disc_clears_titles_and_play_modes_and_starts_the_animation,
    test_eject_quit_ends_the_program_when_the_tray_opens,
    test_repeat_cd_plays_the_first_position_again,
    test_without_repeat_the_end_stops_at_the_start_of_track_1,
    test_done_eject_and_next_cd_move_to_the_other_drive,
])
