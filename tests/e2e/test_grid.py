"""The track grid and the position slider under the mouse: BRD.exe with a
sample disc in the virtual drive, driven with xdotool, checked on the screen
against the skin's sprites and at the drive through its state and log."""
import os
import time

import brdtest
from brdtest import (FPS, artifacts_dir, check, drive_state, insert_disc, playing_track, poke, run,
                     sample_starts, screenshot, set_up_drives, vdrive, wait_until)
from brdscreen import (SLIDER_AT, TRACKS_AT, Pointer, arrow_image, arrows_on_screen, cell_image, cell_on_screen,
                       lcd_seconds, plays, thumb_x)

UP_DIMMED, DOWN_DIMMED = arrow_image(66, 22), arrow_image(66, 33)
UP, DOWN = arrow_image(0, 22), arrow_image(33, 22)
IDM_TRACK_FIRST = 20000


def centre(position, first_row=1):
    """A point inside the cell of a 0-based Play order position, in the tracks window."""
    return 24 * (position % 3) + 10, 24 * (position // 3 - (first_row - 1)) + 10


def start(disc, **settings):
    """BRD on drive D: holding a sample disc, its track grid drawn."""
    insert_disc(disc)
    vdrive("log", "D", "clear")
    vdrive("log", "D", "on")
    player = brdtest.start(**settings)
    wait_until(lambda: cell_on_screen(screenshot(), 0) == cell_image(1), 10, "the track grid did not appear")
    return player, Pointer(TRACKS_AT)


def test_twelve_tracks_fit_and_both_arrows_are_dimmed():
    player, grid = start("twelve")
    shot = screenshot()
    check(arrows_on_screen(shot) == (UP_DIMMED, DOWN_DIMMED), "12 tracks: both arrows must be dimmed")
    check(cell_on_screen(shot, 11) == cell_image(12), "entry 12 shows track 12 in two narrow digits")
    grid.press(50, 127)
    time.sleep(0.6)
    shot = screenshot()
    grid.release()
    check(cell_on_screen(shot, 0) == cell_image(1), "a grid that fits must not scroll")
    player.close()


def test_holding_the_down_arrow_scrolls_row_by_row_to_row_three():
    player, grid = start("twenty")
    check(arrows_on_screen(screenshot()) == (UP_DIMMED, DOWN), "20 tracks at the top: up dimmed, down live")
    grid.press(50, 127)
    early = screenshot()
    wait_until(lambda: cell_on_screen(screenshot(), 6, first_row=3) == cell_image(7), 4,
               "holding the down arrow must bring row 3 to the top")
    time.sleep(0.5)  # held on: it goes no further
    held = screenshot()
    grid.release()
    check(cell_on_screen(early, 6, first_row=3) != cell_image(7), "the rows move in steps, not at once")
    check(cell_on_screen(held, 18, first_row=3) == cell_image(19), "row 7 is the last visible row")
    check(arrows_on_screen(held) == (UP, DOWN_DIMMED), "at row 3 the down arrow is dimmed, the up arrow live")
    grid.click(18, 127)  # one click, one row
    wait_until(lambda: cell_on_screen(screenshot(), 3, first_row=2) == cell_image(4), 3,
               "a click on the up arrow scrolls one row")
    time.sleep(0.4)
    check(arrows_on_screen(screenshot()) == (UP, DOWN), "in the middle both arrows are live")
    player.close()


def test_right_click_excludes_an_entry_and_playback_skips_it():
    player, grid = start("twenty")
    starts, _ = sample_starts("twenty")
    grid.click(*centre(1), button=3)
    grid.away()
    check(cell_on_screen(screenshot(), 1) == cell_image(2, excluded=True), "the excluded entry shows the cross")
    grid.click(*centre(0))
    wait_until(lambda: playing_track("twenty") == 1, 5, "a click on entry 1 must play track 1")
    check(plays()[-1] == (str(starts[0]), str(starts[1])),
          f"the range must end before the excluded track: {plays()}")
    wait_until(lambda: playing_track("twenty") == 3, 10, "after track 1 the excluded track 2 is skipped")
    check(all(frm != str(starts[1]) for frm, _ in plays()), f"track 2 must never be played: {plays()}")
    grid.click(*centre(1), button=3)
    grid.away()
    check(cell_on_screen(screenshot(), 1) == cell_image(2), "a second right-click takes the cross away")
    player.close()


def test_a_click_or_a_quick_track_choice_plays_the_entry():
    player, grid = start("twenty")
    starts, _ = sample_starts("twenty")
    grid.click(*centre(8))
    wait_until(lambda: playing_track("twenty") == 9, 5, "a click on entry 9 must play track 9")
    check(plays()[-1][0] == str(starts[8]), f"played from the start of track 9: {plays()}")
    poke("command", str(IDM_TRACK_FIRST + 11))
    wait_until(lambda: playing_track("twenty") == 12, 5, "Quick Track 20011 must play position 11 (track 12)")
    player.close()


def test_dragging_an_entry_while_playing_replans_the_range():
    player, grid = start("twenty")
    starts, _ = sample_starts("twenty")
    grid.click(*centre(0))
    wait_until(lambda: playing_track("twenty") == 1, 5, "entry 1 must play")
    check(plays()[-1][1] == "-", "in disc order the range runs to the end of the disc")
    grid.drag(centre(1), centre(4))
    grid.away()
    check(plays()[-1] == ("head", str(starts[1])),
          f"the drop re-plans from the head up to track 2, which now plays later: {plays()}")
    shot = screenshot()
    for position, track in enumerate([1, 3, 4, 5, 2, 6]):
        if position:  # entry 1 is blinking
            check(cell_on_screen(shot, position) == cell_image(track), f"entry {position + 1} must show track {track}")
    wait_until(lambda: playing_track("twenty") == 3, 10, "after track 1 the new order goes on with track 3")
    # The picture for the eye: a dragged entry, an excluded one, the slider under way.
    grid.click(*centre(7), button=3)
    grid.away()
    time.sleep(1.5)
    screenshot(os.path.join(artifacts_dir("grid"), "dragged_and_excluded.png"))
    player.close()


def test_hovering_shows_the_entrys_track_length_while_stopped():
    player, grid = start("twenty")
    starts, lead_out = sample_starts("twenty")
    grid.drag(centre(6), centre(1))  # track 7 now at position 2
    grid.away()
    check(cell_on_screen(screenshot(), 1) == cell_image(7), "position 2 holds track 7 after the drop")
    check(drive_state()["mode"] == "stopped", "a drop while stopped plays nothing")
    grid.hover(*centre(1))
    shot = screenshot()
    track7 = (starts[7] - starts[6]) // FPS
    check(lcd_seconds(shot, lit=False) == track7, f"hovering position 2 shows track 7's {track7} s, dim")
    check(cell_on_screen(shot, 1) == cell_image(7, lit=True), "the hovered entry is lit")
    grid.hover(*centre(2))
    check(lcd_seconds(screenshot(), lit=False) == 5, "position 3 holds track 2, 5 seconds long")
    grid.away()
    check(lcd_seconds(screenshot(), lit=False) == lead_out // FPS, "off the grid the LCD shows the disc length")
    player.close()


def test_slider_drag_shows_the_time_at_the_thumb_and_release_seeks_there():
    # "SliderType" 3 follows "TimerType" 3: disc, remaining.
    player, grid = start("twenty", SliderType=3, TimerType=3)
    _, lead_out = sample_starts("twenty")
    disc_seconds = lead_out // FPS
    grid.click(*centre(7))
    wait_until(lambda: playing_track("twenty") == 8, 5, "entry 8 must play")
    time.sleep(1.5)
    shot = screenshot()
    elapsed = drive_state()["frames"] // FPS
    at = thumb_x(shot)
    expected = int(elapsed * 100 / disc_seconds * 1.66)
    check(at is not None and abs(at - expected) <= 1,
          f"the slider shows the elapsed part of the disc: thumb at {at}, expected {expected}")

    slider = Pointer(SLIDER_AT)
    slider.press(at + 15, 5)
    for x in range(at + 25, at + 100, 15):
        slider.move(x, 5)
    mid = screenshot()
    dragged = thumb_x(mid)
    shown = lcd_seconds(mid, lit=True)
    low = disc_seconds - (dragged + 1) * 0.60240966 * disc_seconds / 100
    high = disc_seconds - dragged * 0.60240966 * disc_seconds / 100
    check(dragged is not None and dragged > at + 60, f"the thumb follows the pointer: {dragged}")
    check(shown is not None and low - 1 <= shown <= high + 1,
          f"the LCD shows the disc time remaining at the thumb: {shown}, expected {low:.0f}..{high:.0f}")
    check(drive_state()["mode"] == "playing", "nothing is sought before the release")

    slider.move(400, 5)
    beyond = screenshot()
    check(thumb_x(beyond) == 166, "past the right end the thumb stops at 166")
    check(lcd_seconds(beyond, lit=True) == 1, "at 100 % the remaining time reads 1 second, never 0")
    slider.move(dragged + 15, 5)
    time.sleep(0.2)
    before = screenshot()
    shown, released_at = lcd_seconds(before, lit=True), thumb_x(before)
    slider.release()
    state = drive_state()
    target = (disc_seconds - shown) * FPS
    check(state["mode"] == "playing", "the player plays on after the seek")
    check(target <= state["frames"] <= target + 3 * FPS,
          f"released, the drive plays from the thumb's place: {state['frames']} frames, expected {target}")
    check(thumb_x(screenshot()) == released_at, "the thumb stays where it was released")
    time.sleep(1.2)
    screenshot(os.path.join(artifacts_dir("grid"), "slider_mid_disc.png"))
    player.close()


set_up_drives()
run([
    test_twelve_tracks_fit_and_both_arrows_are_dimmed,
    test_holding_the_down_arrow_scrolls_row_by_row_to_row_three,
    test_right_click_excludes_an_entry_and_playback_skips_it,
    test_a_click_or_a_quick_track_choice_plays_the_entry,
    test_dragging_an_entry_while_playing_replans_the_range,
    test_hovering_shows_the_entrys_track_length_while_stopped,
    test_slider_drag_shows_the_time_at_the_thumb_and_release_seeks_there,
])
