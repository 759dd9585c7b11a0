#!/usr/bin/python3
"""The main window as the user sees it, in normal and in shade mode, with a
disc title and a track title: each screenshot must equal its reference image
in tests/app/reference.

Set BRD_UPDATE_REFERENCE=1 to write new reference images (then look at them
before committing)."""
import os
import subprocess
import sys
import tempfile
import time

SOURCE, BUILD = os.environ["BRD_SOURCE"], os.environ["BRD_BUILD"]
PROGRAM = os.path.join(BUILD, "tests", "app", "display_shot.exe")
REFERENCE = os.path.join(SOURCE, "tests", "app", "reference")
WINE_RUN = os.path.join(SOURCE, "scripts", "wine-run")
WORK = tempfile.mkdtemp(prefix="brd-shot-")


def out(*command):
    return subprocess.run(command, capture_output=True, text=True).stdout


def start(mode):
    """display_shot for 8 seconds, and its window's position and size once it is mapped."""
    program = subprocess.Popen([WINE_RUN, PROGRAM, mode, "0", "8"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 30
    while time.time() < deadline and program.poll() is None:
        for wid in out("xdotool", "search", "--onlyvisible", "--name", "^BRD$").split():
            g = dict(line.split("=") for line in out("xdotool", "getwindowgeometry", "--shell", wid).split())
            if int(g["WIDTH"]) >= 297:
                return program, tuple(int(g[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        time.sleep(0.2)
    program.kill()
    raise RuntimeError(f"the BRD window did not appear (display_shot's exit code: {program.wait()})")


def shot(name, window, region):
    """A region (x, y, w, h) of the window as a PNG file."""
    rx, ry, w, h = region
    root, path = os.path.join(WORK, "root.png"), os.path.join(WORK, name + ".png")
    subprocess.run(["import", "-window", "root", root], check=True)
    subprocess.run(["convert", root, "-crop", f"{w}x{h}+{window[0] + rx}+{window[1] + ry}", "+repage", path],
                   check=True)
    return path


def differing_pixels(a, b):
    r = subprocess.run(["compare", "-metric", "AE", a, b, os.path.join(WORK, "diff.png")],
                       capture_output=True, text=True)
    try:
        return int(float(r.stderr.split()[0]))
    except (ValueError, IndexError):
        return -1  # different sizes or unreadable


def check_reference(mode):
    want = os.path.join(REFERENCE, f"main_{mode}.png")
    update = os.environ.get("BRD_UPDATE_REFERENCE") == "1"
    program, window = start(mode)
    try:
        if update:
            time.sleep(2.5)  # the title workers draw within a few 40 ms ticks
        # The client area only: the one-pixel frame is Wine's drawing, and its
        # colour depends on Wine's theme and on which window is active.
        deadline = time.time() + 5
        while True:
            got = shot(mode, window, (1, 1, window[2] - 2, window[3] - 2))
            wrong = 0 if update else differing_pixels(got, want)
            if wrong == 0 or time.time() > deadline:
                break
            time.sleep(0.2)
    finally:
        program.wait(timeout=60)
    if update:
        os.makedirs(REFERENCE, exist_ok=True)
        subprocess.run(["cp", got, want], check=True)
        print(f"wrote {want}")
    elif wrong:
        print(f"{mode}: {wrong} pixels differ from {want}; the screenshot is {got}")
    return wrong == 0


def main():
    # The main window reads "TimerType" from the registry when it is made, so
    # values another test left behind would change the picture.
    subprocess.run([WINE_RUN, "reg", "delete", r"HKCU\Software\Brindle", "/f"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ok = check_reference("normal")
    ok = check_reference("shade") and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
