"""What BRD plays is what the drive sounds: the drive's capture of a disc of noise holds, frame for
frame, the image's sound wherever its clock went, through a pause, TRK FWD and a seek with the slider."""
import random
import time
from pathlib import Path

from brdtest import (BUILD, FPS, IDM_TRACK_FIRST, SLIDER_AT, Pointer, check, drive_state, logged, poke, press_key,
                     run, screenshot, set_up_drives, start, thumb_x, title, vdrive, wait_until)

SECTOR, SECONDS = 2352, 30
START = [150 + t * SECONDS * FPS for t in range(5)]  # five tracks of noise; the disc lasts 152 s


def frames_alike(a, b):
    """How many whole frames a and b share from their starts."""
    n = 0
    while (n + 1) * SECTOR <= min(len(a), len(b)) and a[n * SECTOR:(n + 1) * SECTOR] == b[n * SECTOR:(n + 1) * SECTOR]:
        n += 1
    return n


def test_the_capture_holds_the_frames_the_clock_went_over():
    set_up_drives("d")
    folder = Path(BUILD, "e2e-capture")
    folder.mkdir(exist_ok=True)
    image, heard = random.Random(18).randbytes(len(START) * SECONDS * FPS * SECTOR), folder / "heard.wav"
    (folder / "noise.bin").write_bytes(image)
    (folder / "noise.cue").write_text('FILE "noise.bin" BINARY\n' + "".join(
        f"TRACK {t + 1:02d} AUDIO\nINDEX 01 {t * SECONDS // 60:02d}:{t * SECONDS % 60:02d}:00\n" for t in range(len(START))))
    heard.unlink(missing_ok=True)
    vdrive("insert", "D", str(folder / "noise.cue"))
    vdrive("log", "D", "on")
    vdrive("capture", "D", heard)
    player = start(SliderType=3, TimerType=3)
    wait_until(lambda: title() == "BRD: Unknown CD", 20, "the disc must be loaded")
    time.sleep(1)
    check(heard.stat().st_size == 44, "a stopped drive captures nothing")

    poke("command", str(IDM_TRACK_FIRST + 2))
    wait_until(lambda: drive_state()["frames"] >= START[2] + 2 * FPS, 15, "track 3 must play")
    press_key("t")
    wait_until(lambda: drive_state()["mode"] == "paused", 10, "T pauses")
    time.sleep(1)
    press_key("y")
    wait_until(lambda: drive_state()["mode"] == "playing", 10, "Y resumes")
    time.sleep(0.5)
    press_key("e")
    wait_until(lambda: drive_state()["frames"] >= START[3] + FPS, 15, "E (TRK FWD) must play track 4")
    at, to = thumb_x(screenshot()), 120 * 166 // 152  # 02:00 on the disc
    Pointer(SLIDER_AT).drag((at + 15, 5), (to + 15, 5), steps=(to - at) // 10 + 1)
    wait_until(lambda: logged("SEEK") and drive_state()["frames"] >= int(logged("SEEK")[-1]["to"]) + FPS, 15,
               "the slider must seek and play on")
    press_key("r")
    wait_until(lambda: drive_state()["mode"] == "stopped", 10, "R stops")
    player.close()
    vdrive("capture", "D", "off")

    got = heard.read_bytes()[44:]
    paused, sought = int(logged("PAUSE")[0]["position"]), int(logged("PLAY")[-1]["from"])
    n3 = frames_alike(got, image[(START[2] - 150) * SECTOR:])
    check(n3 > paused - START[2] + FPS // 3, f"track 3 from its start on through the pause: {n3} frames, paused at "
                                             f"{paused - START[2]}")
    n4 = frames_alike(got[n3 * SECTOR:], image[(START[3] - 150) * SECTOR:])
    check(n4 >= FPS, f"then track 4 from its start: {n4} frames")
    rest = got[(n3 + n4) * SECTOR:]
    check(abs(sought - 120 * FPS) <= 3 * FPS, f"the slider went to 02:00 on the disc: frame {sought}")
    check(len(rest) >= FPS * SECTOR and rest == image[(sought - 150) * SECTOR:][:len(rest)],
          f"then the frames from the slider's place on: {len(rest) // SECTOR} frames, "
          f"{frames_alike(rest, image[(sought - 150) * SECTOR:])} alike")


run([test_the_capture_holds_the_frames_the_clock_went_over])
