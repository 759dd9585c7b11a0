"""The main window as the user sees it, in normal and in shade mode, with a stored disc stopped in the
drive: its client area must equal the reference image in tests/e2e/reference, pixel for pixel.
BRD_UPDATE_REFERENCE=1 writes new reference images (look at them before a commit)."""
import os
import subprocess
import time

from brdtest import (BUILD, SOURCE, check, crop, load, poke, run, screenshot, set_up_drives, start, store_entry,
                     title, vdrive, wait_until, window_rect, xdotool)

DISC = "Miles Davis / Kind of Blue (1959 Stereo Remaster)"


def write_png(image, path):
    subprocess.run(["convert", "-size", f"{image.width}x{image.height}", "-depth", "8", "rgb:-", path],
                   input=image.rgb, check=True)


def test_the_main_window_in_normal_and_shade_mode():
    set_up_drives("d")
    store_entry("twelve", DISC, [f"Song {n}" for n in range(1, 13)])
    vdrive("insert", "D", "twelve")
    xdotool("mousemove", 5, 5)  # nothing lit under the pointer
    for mode, start_state in (("normal", 1), ("shade", 3)):
        player = start(xWinPos=100, yWinPos=100, StartWinState=start_state)
        wait_until(lambda: title() == "BRD: " + DISC, 15, f"the stored disc must be loaded: {title()!r}")
        x, y, width, height = window_rect()
        # The client area only: the one-pixel frame is Wine's drawing, and its
        # colour depends on Wine's theme and on which window is active.
        client = lambda: crop(screenshot(), x + 1, y + 1, width - 2, height - 2)
        want = os.path.join(SOURCE, "tests", "e2e", "reference", f"main_{mode}.png")
        if os.environ.get("BRD_UPDATE_REFERENCE") == "1":
            time.sleep(2.5)  # the title workers draw within a few 40 ms ticks
            write_png(client(), want)
            print(f"wrote {want}")
        else:
            reference, deadline = load("convert", want), time.time() + 5
            while (got := client()) != reference and time.time() < deadline:
                time.sleep(0.2)
            if got != reference:
                write_png(got, os.path.join(BUILD, f"screenshot-{mode}.png"))
                wrong = sum(got.rgb[i:i + 3] != reference.rgb[i:i + 3] for i in range(0, len(got.rgb), 3))
                raise AssertionError(f"{mode}: {wrong} pixels differ from {want}; the screenshot is in {BUILD}")
        check(poke("box") is None, f"no message box in a folder BRD can write to: {poke('box')!r}")
        check(player.close() == 0, "BRD must exit with 0")


run([test_the_main_window_in_normal_and_shade_mode])
