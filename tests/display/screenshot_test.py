#!/usr/bin/python3
"""The main window as the user sees it, in normal and in shade mode, with a
disc title and a track title: each screenshot must equal its reference image
in tests/display/reference. With "Round 'n Round" the disc line must move.

Set BRD_UPDATE_REFERENCE=1 to write new reference images (then look at them
before committing)."""
import os
import subprocess
import sys
import tempfile
import time

SOURCE = os.environ["BRD_SOURCE"]
BUILD = os.environ["BRD_BUILD"]
PROGRAM = os.path.join(BUILD, "tests", "display", "display_shot.exe")
REFERENCE = os.path.join(SOURCE, "tests", "display", "reference")
WINE_RUN = os.path.join(SOURCE, "scripts", "wine-run")
WORK = tempfile.mkdtemp(prefix="brd-shot-")


def window_geometry(timeout=30.0):
    """Position and size of the visible window titled BRD, once it is mapped."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^BRD$"],
                             capture_output=True, text=True).stdout.split()
        for wid in ids:
            out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid],
                                 capture_output=True, text=True).stdout
            g = dict(line.split("=") for line in out.split())
            if int(g["WIDTH"]) >= 297:
                return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])
        time.sleep(0.2)
    raise RuntimeError("the BRD window did not appear")


def shot(name, geometry, region=None):
    """The window (or a region of it) as a PNG file."""
    x, y, w, h = geometry
    if region:
        rx, ry, w, h = region
        x, y = x + rx, y + ry
    root = os.path.join(WORK, "root.png")
    subprocess.run(["import", "-window", "root", root], check=True)
    path = os.path.join(WORK, name + ".png")
    subprocess.run(["convert", root, "-crop", f"{w}x{h}+{x}+{y}", "+repage", path], check=True)
    return path


def differing_pixels(a, b):
    r = subprocess.run(["compare", "-metric", "AE", a, b, os.path.join(WORK, "diff.png")],
                       capture_output=True, text=True)
    try:
        return int(float(r.stderr.split()[0]))
    except (ValueError, IndexError):
        return -1  # different sizes or unreadable


def run(mode, scrolling, seconds):
    return subprocess.Popen([WINE_RUN, PROGRAM, mode, str(scrolling), str(seconds)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check_reference(mode):
    program = run(mode, 0, 8)
    try:
        geometry = window_geometry()
        time.sleep(2.5)  # the title workers draw within a few 40 ms ticks; slack for a busy machine
        # The client area only: the one-pixel frame is Wine's drawing, and its
        # colour depends on Wine's theme and on which window is active.
        got = shot(mode, geometry, (1, 1, geometry[2] - 2, geometry[3] - 2))
    finally:
        program.wait(timeout=60)
    want = os.path.join(REFERENCE, f"main_{mode}.png")
    if os.environ.get("BRD_UPDATE_REFERENCE") == "1":
        os.makedirs(REFERENCE, exist_ok=True)
        subprocess.run(["cp", got, want], check=True)
        print(f"wrote {want}")
        return True
    wrong = differing_pixels(got, want)
    if wrong != 0:
        print(f"{mode}: {wrong} pixels differ from {want}; the screenshot is {got}")
        return False
    return True


def check_scrolling():
    program = run("normal", 1, 8)
    try:
        geometry = window_geometry()
        time.sleep(1.0)
        # Title line 1 in window coordinates: client (13, 68) plus the border.
        line = (14, 69, 195, 11)
        first = shot("line_a", geometry, line)
        time.sleep(0.6)
        second = shot("line_b", geometry, line)
        still = shot("line_c", geometry, (14, 95, 195, 11))
        time.sleep(0.6)
        still_later = shot("line_d", geometry, (14, 95, 195, 11))
    finally:
        program.wait(timeout=60)
    ok = True
    if differing_pixels(first, second) == 0:
        print("the long disc title did not scroll")
        ok = False
    if differing_pixels(still, still_later) != 0:
        print("the short track title moved")
        ok = False
    return ok


def forget_settings():
    """The main window reads "TimerType" from the registry when it is made, so
    values another test left behind would change the picture."""
    subprocess.run([WINE_RUN, "reg", "delete", r"HKCU\Software\Brindle", "/f"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    forget_settings()
    ok = check_reference("normal")
    ok = check_reference("shade") and ok
    ok = check_scrolling() and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
