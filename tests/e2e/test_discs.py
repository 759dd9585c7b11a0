"""BRD.exe and its drive: stored settings used and saved, a second copy, discs arriving and leaving,
the /play option, the end of the Play order with the play modes and "On Done"."""
import time

from brdtest import (IDM_KEY_TRK_FWD, MINIMIZE, PLAY_BUTTON, REPEAT, REPEAT_CD, SHUFFLE, STOP_BUTTON,
                     TRACKS_AT, Player, Pointer, check, drive_state, on_screen, playing_track, plays, poke, press_key,
                     run, sample_toc, screenshot, set_settings, set_up_drives, start, store_entry, store_raw_entry,
                     stored_settings, title, vdrive, wait_until, window_rect, xdotool)

SONGS = [f"Song {n}" for n in range(1, 13)]


def test_stored_settings_a_second_copy_and_a_disc_leaving_and_arriving():
    set_up_drives("d")
    store_entry("twelve", "The Testers / Twelve Songs", SONGS)
    vdrive("insert", "D", "twelve")
    set_settings(xWinPos=150, yWinPos=120, PlayType=7, UseDrive=2, ConnectCDDB=0)
    player = Player().wait_window()
    placed = window_rect()
    check(placed == (150, 120, 297, 162), f"the window must stand at its stored place: {placed}")
    pointer = Pointer()
    pointer.drag(MINIMIZE, (100, 80), steps=1)
    check(window_rect() == placed, "minimize pressed but released elsewhere must leave the window as it was")
    Player(program="notepad")  # ended by run() if a check below fails
    for args in ([], ["/play"]):
        wait_until(lambda: poke("front", "Notepad") is not None and poke("foreground") == "Notepad", 20,
                   "Notepad must have the foreground first")
        check(Player(*args).process.wait(40) == 0, f"the second copy {args} must end with 0")
        wait_until(lambda: poke("foreground") == "BRD", 15, f"the second copy {args} must activate the first")
    poke("close", "Notepad")
    pointer.click(*SHUFFLE)
    vdrive("remove", "D")
    wait_until(lambda: title() == "BRD", 15, f"without a disc the title is BRD: {title()!r}")
    tracks = lambda: on_screen(screenshot(), TRACKS_AT, 0, 0, 70, 136)
    first = tracks()
    wait_until(lambda: tracks() != first, 15, "the logo must move in the tracks area")

    vdrive("insert", "D", "twelve")
    wait_until(lambda: title() == "BRD: The Testers / Twelve Songs", 15, f"the stored titles must come: {title()!r}")
    check(drive_state()["mode"] == "stopped", "LoadPlay off: the disc arrives stopped")
    pointer.away()
    buttons = lambda: on_screen(screenshot(), (13, 125), 0, 0, 163, 24)
    before = buttons()
    pointer.drag(PLAY_BUTTON, STOP_BUTTON, steps=1)
    pointer.away()
    check(buttons() == before, "a press dragged off its button leaves the buttons as they were")
    check(drive_state()["mode"] == "stopped", "a press dragged off PLAY and released on STOP runs nothing")
    check(player.close() == 0, "BRD must exit with 0")
    stored = stored_settings()
    check(stored.get("xWinPos") == 150, f"the window's place is saved: {stored.get('xWinPos')}")
    check(stored.get("UseDrive") == 3, f"C: is a hard disk: the CD-ROM drive D: (3) replaces it: {stored}")
    check(stored.get("PlayType") == 0, "the disc's leaving turned SHUFFLE and REPEAT CD off")


def test_an_arriving_disc_plays_with_load_play_and_eject_quit_ends_at_the_next_disc_poll():
    set_up_drives("d")
    store_entry("twelve", "The Testers / Twelve Songs", SONGS, play_order="-1,2,3,4,5,6,7,8,9,10,11,12")
    vdrive("log", "D", "on")
    player = start(LoadPlay=1, PlayOrder=1, EjectQuit=1, xWinPos=123)
    vdrive("insert", "D", "twelve")
    wait_until(lambda: playing_track("twelve") == 2, 15, "the stored order excludes track 1: track 2 must play")
    # An end-of-range notice of a play replaced meanwhile (one that crossed a track choice) moves nothing on.
    poke("notify", "1")  # MCI_NOTIFY_SUCCESSFUL
    poke("command", str(IDM_KEY_TRK_FWD))
    wait_until(lambda: playing_track("twelve") == 3, 10, f"TRK FWD plays track 3, not 4: {plays()}")
    check(len(plays()) == 2, f"the two plays asked for and no other: {plays()}")
    wait_until(lambda: "Song 3" in title(), 10, f"the window title shows the track: {title()!r}")
    press_key("r")  # stopped, the disc poll alone watches the tray
    wait_until(lambda: drive_state()["mode"] == "stopped", 10, "R stops")
    opened = time.time()  # before: a poll may see the open tray before vdrivectl returns
    vdrive("eject", "D")
    while xdotool("search", "--onlyvisible", "--name", "^BRD") and time.time() - opened < 10:
        time.sleep(0.05)  # the X display answers at once
    check(not xdotool("search", "--onlyvisible", "--name", "^BRD"), "the window must go")
    polls = [(int(line.split()[0]) / 1000, "mode=530" in line)  # 530: the door is open
             for line in vdrive("log", "D").splitlines() if "item=MODE" in line]
    polls = [(t, door_open) for t, door_open in polls if t > opened]
    seen = next((t for t, door_open in polls if door_open), None)
    # The disc poll runs every two seconds: the first that finds the door open ends BRD, and no
    # later poll comes (Wine without a window manager then takes two seconds to withdraw the window).
    check(seen is not None and seen - opened < 2.5, f"a disc poll must find the door open within 2 s: {polls}, "
                                                    f"opened {opened}")
    check(polls[-1][0] - seen < 1, f"the window must close at that poll, not a later one: {polls}")
    check(player.process.wait(40) == 0, "the program must end with 0")
    check(stored_settings().get("xWinPos") == 123, "the settings must be saved")


def test_a_stored_title_of_a_million_letters_opens_and_plays_with_the_window_answering():
    set_up_drives("d")
    disc_id = sample_toc("twelve")[0]
    store_raw_entry(f"misc/{disc_id}", f"200 misc {disc_id}\r\nDTITLE={'x' * 1000000}\r\n" +
                    "".join(f"TTITLE{i}=Song {i + 1}\r\n" for i in range(12)) + ".\r\n")
    vdrive("insert", "D", "twelve")
    player = start("/play", NameScrolling=1)
    wait_until(lambda: playing_track("twelve") == 1, 15, "the disc must play")
    wait_until(lambda: title() == "BRD: " + "x" * 71 + "...", 10, f"the window title shows the disc: {title()[:80]!r}")
    for _ in range(5):
        check(poke("answers") == "1", "the window must answer while the title scrolls")
        time.sleep(0.5)
    check(player.close() == 0, "BRD must exit with 0")


def skip_to_the_last_track():
    wait_until(lambda: playing_track("short"), 15, "the short disc must play")
    for _ in range(3):
        poke("command", str(IDM_KEY_TRK_FWD))
    wait_until(lambda: playing_track("short") == 4, 15, "three TRK FWD commands must reach track 4")


def test_play_modes_at_the_end_of_a_track_and_of_the_order():
    set_up_drives("d")
    vdrive("insert", "D", "short")
    _, starts, _ = sample_toc("short")
    player = start("/play")
    wait_until(lambda: playing_track("short") == 1, 15, "/play must play track 1")
    pointer = Pointer()
    pointer.click(*REPEAT)
    furthest = [0]

    def restarted():
        frames = drive_state()["frames"]
        furthest[0] = max(furthest[0], frames)
        return frames < furthest[0] - 75 and playing_track("short") == 1

    wait_until(restarted, 20, "REPEAT: track 1 must start again instead of going on with track 2")
    pointer.click(*REPEAT_CD)  # also turns REPEAT off
    skip_to_the_last_track()
    wait_until(lambda: playing_track("short") == 1, 20, "REPEAT CD: after the last track the first plays again")
    pointer.click(*REPEAT_CD)
    skip_to_the_last_track()
    wait_until(lambda: drive_state()["mode"] == "stopped", 20, "without REPEAT CD the end of the order stops")
    check(drive_state()["frames"] == starts[0], "the head goes back to the start of track 1")
    wait_until(lambda: title() == "BRD: Unknown CD", 10, f"the title shows the disc again: {title()!r}")
    player.close()


def test_play_option_done_eject_next_cd_and_on_exit():
    set_up_drives("d", "e")
    vdrive("insert", "D", "short")
    vdrive("insert", "E", "twelve")
    first = start("/play", OnStart=1, OnExit=0, DoneEject=1, DoNextCD=1)
    skip_to_the_last_track()  # /play starts a stopped disc, also with OnStart 1
    wait_until(lambda: drive_state("E")["mode"] == "playing", 20, "the next drive's disc must play")
    check(drive_state("D")["tray"] == "open", "the finished disc must be ejected")
    first.close()
    check(drive_state("E")["mode"] == "playing", "OnExit 0 leaves the disc playing")
    check(stored_settings().get("UseDrive") == 4, "E: becomes the drive in use")
    vdrive("log", "E", "on")
    before = drive_state("E")["frames"]
    second = start("/play", OnExit=1, UseDrive=4)
    wait_until(lambda: plays("E"), 15, "the playing disc's range must be taken over")
    check(all(start == "head" for start, _ in plays("E")), f"a playing disc goes on where it is: {plays('E')}")
    check(drive_state("E")["frames"] >= before, "the position runs on")
    second.close()
    check(drive_state("E")["mode"] == "stopped", "OnExit 1 stops the disc")


run([
    test_stored_settings_a_second_copy_and_a_disc_leaving_and_arriving,
    test_a_stored_title_of_a_million_letters_opens_and_plays_with_the_window_answering,
    test_an_arriving_disc_plays_with_load_play_and_eject_quit_ends_at_the_next_disc_poll,
    test_play_modes_at_the_end_of_a_track_and_of_the_order,
    test_play_option_done_eject_next_cd_and_on_exit,
])
