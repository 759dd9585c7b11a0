"""The track grid and the position slider under the mouse on the twenty-track sample disc: what the
screen shows, checked against the skin's sprites and the disc's own times, and what reaches the drive."""
from brdtest import (FPS, SLIDER_AT, TRACKS_AT, Pointer, check, drive_state, lcd_seconds, on_screen,
                     playing_track, plays, run, sample_toc, screenshot, set_up_drives, start, thumb_x,
                     title, vdrive, wait_until)


def cell(shot, position):
    """The cell of a 0-based Play order position as the tracks window shows it."""
    return on_screen(shot, TRACKS_AT, 24 * (position % 3), 24 * (position // 3), 21, 21)


def centre(position):
    return 24 * (position % 3) + 10, 24 * (position // 3) + 10


def test_grid_and_slider_under_the_mouse_reach_the_lcd_and_the_drive():
    set_up_drives("d")
    vdrive("insert", "D", "twenty")
    _, starts, lead_out = sample_toc("twenty")
    vdrive("log", "D", "on")
    player = start(SliderType=3, TimerType=3)  # the slider follows the timer: disc, remaining
    disc_seconds = lead_out // FPS
    wait_until(lambda: title() == "BRD: Unknown CD", 20, "the disc must be loaded")
    grid = Pointer(TRACKS_AT)
    grid.away()
    shown = screenshot()
    grid.drag(centre(6), centre(1))
    grid.away()
    check(cell(screenshot(), 1) == cell(shown, 6), "dropped on entry 2, track 7 is drawn there")
    check(drive_state()["mode"] == "stopped", "a drop while stopped plays nothing")
    grid.hover(*centre(1))
    hovered = screenshot()
    check(lcd_seconds(hovered, lit=False) == (starts[7] - starts[6]) // FPS, "hovering entry 2 shows track 7's length")
    check(cell(hovered, 1) != cell(shown, 6), "the hovered entry is lit")
    grid.away()
    check(lcd_seconds(screenshot(), lit=False) == lead_out // FPS, "off the grid the LCD shows the disc's length")

    grid.click(*centre(0))
    wait_until(lambda: playing_track("twenty") == 1, 15, "a click on entry 1 must play track 1")
    check(plays()[-1] == (str(starts[0]), str(starts[1])), f"track 1 is played up to track 2: {plays()}")
    grid.drag(centre(1), centre(4))
    grid.away()
    check(plays()[-1] == ("head", str(starts[4])), f"track 7 dropped on entry 5: tracks 1 to 4 in one go: {plays()}")
    dropped = screenshot()
    check([cell(dropped, p) for p in (1, 2, 3, 4)] == [cell(shown, p) for p in (1, 2, 3, 6)],
          "track 7 moved to entry 5, tracks 2 to 4 back in their places")
    grid.click(*centre(1), button=3)
    grid.away()
    check(cell(screenshot(), 1) != cell(dropped, 1), "the right-clicked entry shows its cross")
    check(plays()[-1] == ("head", str(starts[1])), f"excluded track 2 ends the range: {plays()}")
    wait_until(lambda: playing_track("twenty") == 3, 20, "after track 1 the excluded track 2 is skipped for 3")
    check(all(start != str(starts[1]) for start, _ in plays()), f"track 2 must never be played: {plays()}")
    grid.click(*centre(1), button=3)
    grid.away()
    check(cell(screenshot(), 1) == cell(dropped, 1), "a second right-click takes the cross away")

    vdrive("log", "D", "on")
    played = lambda: drive_state()["frames"] // FPS * 166 / disc_seconds
    wait_until(lambda: abs((thumb_x(screenshot()) or -9) - played()) <= 1.5, 15, "the thumb shows the part played")
    at = thumb_x(screenshot())

    slider = Pointer(SLIDER_AT)
    slider.press(at + 15, 5)
    for x in range(at + 25, at + 100, 15):
        slider.move(x, 5)
    shot = screenshot()
    dragged, shown = thumb_x(shot), lcd_seconds(shot, lit=True)
    low = disc_seconds - (dragged + 1) * disc_seconds / 166
    high = disc_seconds - dragged * disc_seconds / 166
    check(dragged is not None and dragged > at + 60, f"the thumb follows the pointer: {dragged}")
    check(shown is not None and low - 1 <= shown <= high + 1,
          f"the LCD shows the disc time left at the thumb: {shown}, expected {low:.0f}..{high:.0f}")
    # A track may end during the drag; only a play from inside a track is a seek.
    seeks = lambda: [start for start, _ in plays() if start not in map(str, starts)]
    check(not seeks(), f"nothing is sought before the release: {plays()}")
    slider.release()
    wait_until(seeks, 10, "the release must seek")
    target = (disc_seconds - shown) * FPS
    check(target <= drive_state()["frames"] <= target + 3 * FPS,
          f"the drive plays from the thumb's place: {drive_state()['frames']} frames, expected {target}")
    check(thumb_x(screenshot()) == dragged, "the thumb stays where it was released")
    player.close()


run([
    test_grid_and_slider_under_the_mouse_reach_the_lcd_and_the_drive,
])
