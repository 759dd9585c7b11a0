"""Harness for the end-to-end tests: BRD.exe under Wine on the X display with
the virtual drive's sample discs, driven with xdotool, observed on the screen,
at the drive, in the registry and in brd.bdb."""
import collections
import functools
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SOURCE = os.environ.get("BRD_SOURCE") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("BRD_BUILD") or os.path.join(SOURCE, "build", "win64")
BIN, SCRIPTS = os.path.join(BUILD, "bin"), os.path.join(SOURCE, "scripts")
DATABASE = os.path.join(BIN, "brd.bdb")
SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\Brindle\Settings"
ENV = dict(os.environ, BRD_SOURCE=SOURCE, BRD_BUILD=BUILD)
FPS = 75
# Client points of the main window: play-mode words, minimize button, PLAY
# and STOP, the corners of the tracks and slider windows. Command ids.
REPEAT_CD, REPEAT, SHUFFLE, MINIMIZE = (180, 24), (180, 36), (180, 48), (270, 8)
PLAY_BUTTON, STOP_BUTTON, TRACKS_AT, SLIDER_AT = (161, 137), (107, 137), (218, 19), (12, 111)
IDM_KEY_TRK_FWD, IDM_TRACK_FIRST = 40038, 20000


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_until(condition, timeout, message):
    deadline = time.time() + timeout
    while not condition():
        check(time.time() < deadline, message)
        time.sleep(0.2)


def wine(*args, cwd=None, timeout=60):
    """(exit code, output) of a Windows program; through a file, as a Wine server would hold a pipe open."""
    with tempfile.TemporaryFile("w+") as out:
        code = subprocess.run([os.path.join(SCRIPTS, "wine-run"), *args], env=ENV, stdout=out, cwd=cwd,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=timeout).returncode
        out.seek(0)
        return code, out.read()


def set_settings(**values):
    """Forgets every stored setting and stores these, in one reg import."""
    lines = ["REGEDIT4", "", r"[-HKEY_CURRENT_USER\Software\Brindle]", "", f"[{SETTINGS_KEY}]"]
    lines += [f'"{k}"=dword:{v & 0xFFFFFFFF:08x}' for k, v in values.items()]
    with tempfile.NamedTemporaryFile("w", suffix=".reg") as f:
        f.write("\r\n".join(lines if values else lines[:3]) + "\r\n")
        f.flush()
        # reg.exe now and then fails just after a server restart: try again.
        check(any(wine("reg", "import", "Z:" + f.name.replace("/", "\\"))[0] == 0 for _ in range(3)),
              "reg import failed")


def stored_settings():
    """Every stored DWORD setting by name, as a signed number."""
    for _ in range(3):  # Wine now and then loses a console program's output: ask again
        rows = [line.split() for line in wine("reg", "query", SETTINGS_KEY)[1].splitlines()]
        stored = {r[0]: int(r[2], 16) - (int(r[2], 16) >> 31 << 32)
                  for r in rows if len(r) == 3 and r[1] == "REG_DWORD"}
        if stored:
            break
    return stored


def poke(*args):
    """brdpoke's answer (tests/support/brdpoke.cpp), or None when it failed."""
    # Now and then Wine loses a console program's output: ask again where there must be one.
    always_prints = args[0] in ("rect", "title", "version", "manifest", "answers") or \
        args[0] == "sheet" and args[2] in ("page", "rect", "ctrl", "state", "text", "rows")
    for _ in range(3):
        code, out = wine(os.path.join(BIN, "brdpoke.exe"), *args)
        if code != 0 or out.strip() or not always_prints:
            return out.strip() if code == 0 else None
    raise AssertionError(f"brdpoke {args} answered nothing")


def title():
    return poke("title")


def window_rect():
    """(x, y, width, height) of the visible BRD window, or None."""
    values = [int(v) for v in (poke("rect") or "").split()]
    return tuple(values[:4]) if len(values) == 5 and values[4] else None


_origin, _players = [], []


def origin():
    """The screen point of the main window's client area, inside its border."""
    if not _origin:
        rect = window_rect()
        check(rect is not None, "no BRD window")
        _origin.append((rect[0] + 1, rect[1] + 1))
    return _origin[0]


class Player:
    def __init__(self, *args, program=os.path.join(BIN, "BRD.exe"), wrapper=()):
        """BRD.exe (or the program) started under Wine, through the wrapper command if given."""
        _players.append(self)
        self.process = subprocess.Popen([*wrapper, os.path.join(SCRIPTS, "wine-run"), program, *args],
                                        env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_window(self):
        wait_until(lambda: self.process.poll() is not None or window_rect(), 60, "the BRD window did not appear")
        check(self.process.poll() is None, f"BRD exited early with {self.process.returncode}")
        return self

    def close(self):
        """Closes BRD as its close button does; its exit code."""
        check(poke("close") is not None, "no BRD window to close")
        return self.process.wait(40)


def start(*args, **settings):
    """BRD with only these settings (drive D: unless told, no CDDB), its window up."""
    set_settings(**{"UseDrive": 3, "ConnectCDDB": 0, **settings})
    return Player(*args).wait_window()


def run(tests):
    """Runs the tests (those whose name holds $BRD_E2E_ONLY, if set)."""
    tests = [t for t in tests if os.environ.get("BRD_E2E_ONLY", "") in t.__name__]
    passed = 0
    for test in tests:
        try:
            test()
            passed += 1
            print(f"PASS {test.__name__}", flush=True)
        except Exception as error:  # a failed check or a broken harness: both fail the test
            print(f"FAIL {test.__name__}: {error}", flush=True)
        finally:
            for player in _players:
                if player.process.poll() is None:
                    player.process.kill()
                    player.process.wait()
            _players.clear()
            _origin.clear()
    print(f"{passed} passed, {len(tests) - passed} failed")
    sys.exit(0 if passed == len(tests) else 1)


# --- The drive and the disc database -------------------------------------------

def set_up_drives(*letters):
    """The virtual drive installed, and exactly these letters its drives, empty."""
    subprocess.run([os.path.join(SCRIPTS, "install-vdrive")], env=ENV, check=True, stdout=subprocess.DEVNULL)
    folders = [f"{letter}={os.path.join(BUILD, 'e2e-drives', letter)}" for letter in letters]
    for folder in folders:
        shutil.rmtree(folder[2:], ignore_errors=True)
    result = subprocess.run([os.path.join(SCRIPTS, "wine-cdrom"), *folders], env=ENV, capture_output=True, text=True)
    check(result.returncode == 0, f"wine-cdrom {folders}: {result.stderr.strip()}")


def vdrive(*args):
    result = subprocess.run([os.path.join(SOURCE, "vdrive", "vdrivectl"), *args], env=ENV, capture_output=True,
                            text=True)
    check(result.returncode == 0, f"vdrivectl {args}: {result.stderr.strip()}")
    return result.stdout


def drive_state(letter="D"):
    """The drive's state, with "frames" the head's position."""
    state = dict(line.partition("=")[::2] for line in vdrive("state", letter).splitlines())
    state["frames"] = int(state["position"].split()[0])
    return state


def logged(command, letter="D"):
    """The drive's logged commands of that name ("PLAY", "SEEK", ...), each as its fields."""
    return [dict(w.split("=", 1) for w in line.split() if "=" in w)
            for line in vdrive("log", letter).splitlines() if f" {command} " in line]


def plays(letter="D"):
    """The logged PLAY commands as (from, to); "head" and "-" for none."""
    return [(f.get("from", "-") if "FROM" in f.get("flags", "").split("|") else "head", f.get("to", "-"))
            for f in logged("PLAY", letter)]


@functools.lru_cache
def sample_toc(name):
    """A sample disc's CDDB disc id, absolute track starts and lead-out (frames)."""
    out = subprocess.run([os.path.join(SOURCE, "vdrive", "make-sample-discs"), "--toc", name],
                         capture_output=True, text=True, check=True).stdout.split("\n")
    frames = [int(v) for v in out[1].split()]
    return out[0], frames[:-1], frames[-1]


def playing_track(disc, letter="D"):
    """The sample disc's track the drive plays now, or None."""
    state = drive_state(letter)
    return sum(1 for s in sample_toc(disc)[1] if s <= state["frames"]) if state["mode"] == "playing" else None


def brd_db(*args):
    result = subprocess.run([os.path.join(os.path.dirname(BUILD), "host", "bin", "brd-db"), "-f", DATABASE, *args],
                            capture_output=True, text=True)
    check(result.returncode == 0, f"brd-db {args}: {result.stderr.strip()}")
    return result.stdout


def store_entry(disc, disc_title, track_titles, play_order=None):
    """A new brd.bdb beside the program holding an xmcd entry for a sample disc; its key."""
    if os.path.exists(DATABASE):
        os.remove(DATABASE)
    disc_id, starts, lead_out = sample_toc(disc)
    lines = ["# xmcd", "#", "# Track frame offsets:", *[f"#\t{s}" for s in starts], "#",
             f"# Disc length: {lead_out // FPS} seconds", "#", f"DISCID={disc_id}", f"DTITLE={disc_title}",
             *[f"TTITLE{i}={t}" for i, t in enumerate(track_titles)], "EXTD=",
             *[f"EXTT{i}=" for i in range(len(track_titles))], *([f"PLAYORDER={play_order}"] if play_order else [])]
    with tempfile.TemporaryDirectory() as folder:
        os.makedirs(os.path.join(folder, "misc"))
        with open(os.path.join(folder, "misc", disc_id), "w") as f:
            f.write("\n".join(lines) + "\n")
        brd_db("import", os.path.join(folder, "misc"))
    return f"misc/{disc_id}"


def store_raw_entry(key, text):
    """A new brd.bdb holding this one entry as it stands, however it came to be (brd-db would refuse a hostile one)."""
    data = text.encode("latin-1")
    with open(DATABASE, "wb") as f:
        f.write(b"PACK" + struct.pack("<ii", 12 + len(data), 64) + data + key.encode().ljust(56, b"\0") +
                struct.pack("<ii", 12, len(data)))


# --- Input and the screen -------------------------------------------------------

def xdotool(*args):
    """Its output (a search that finds nothing fails)."""
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True).stdout.strip()


class Pointer:
    """The mouse over a window of BRD, in its coordinates. The pauses pace the
    input as a hand does: Wine takes X events only at its next message poll."""

    def __init__(self, at=(0, 0)):
        self.x0, self.y0 = origin()[0] + at[0], origin()[1] + at[1]

    def move(self, x, y, pause=0.08):
        xdotool("mousemove", self.x0 + x, self.y0 + y)
        time.sleep(pause)

    def hover(self, x, y):
        # In two motions: after a drag Wine lets the first one go by.
        self.move(x - 2, y - 2)
        self.move(x, y, pause=0.3)

    def press(self, x, y, button=1):
        self.move(x, y)
        xdotool("mousedown", button)
        time.sleep(0.15)

    def release(self, button=1):
        xdotool("mouseup", button)
        time.sleep(0.2)

    def click(self, x, y, button=1):
        self.press(x, y, button)
        self.release(button)

    def drag(self, start, end, steps=6):
        self.press(*start)
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        self.release()

    def away(self):
        xdotool("mousemove", 5, 5)
        time.sleep(0.3)


def press_key(key):
    """A key typed into BRD, which a click on its caption gives the focus."""
    Pointer().click(150, 5)
    xdotool("key", key)


Image = collections.namedtuple("Image", "width height rgb")  # 24-bit pixels, row after row


def load(*command):
    """The image an ImageMagick command reads, e.g. the screen or a bitmap."""
    data = subprocess.run([*command, "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", data)  # one whitespace, then the pixels
    return Image(int(header[1]), int(header[2]), data[header.end():])


def crop(image, x, y, width, height):
    rows = (image.rgb[((y + r) * image.width + x) * 3:((y + r) * image.width + x + width) * 3] for r in range(height))
    return Image(width, height, b"".join(rows))


def screenshot():
    return load("import", "-window", "root")


@functools.lru_cache
def sprite(name, x, y, width, height):
    """A part of one of the skin's bitmaps (resources/skin)."""
    return crop(load("convert", os.path.join(SOURCE, "resources", "skin", name)), x, y, width, height)


def on_screen(shot, at, x, y, width, height):
    """A part of the screen at a client point of the main window plus (x, y)."""
    return crop(shot, origin()[0] + at[0] + x, origin()[1] + at[1] + y, width, height)


def lcd_seconds(shot, lit):
    """The seconds the LCD's time readout shows, read through the digit
    sprites; None when a cell holds no digit."""
    digits = [next((v for v in range(10) if on_screen(shot, (x, 30), 0, 0, 13, 13) ==
                    sprite("digits.bmp", 14 * v, 0 if lit else 14, 13, 13)), None) for x in (20, 34, 58, 72)]
    return None if None in digits else (digits[0] * 10 + digits[1]) * 60 + digits[2] * 10 + digits[3]


def tray_icon():
    """Which icon (136 stopped, 180 playing, 181 paused) Wine's system tray at the screen's top left shows, by the
    opaque pixels of its 16 x 16 frame (a 32 x 32 frame shrunk by the shell is blurred); None for anything else."""
    shown, names = crop(screenshot(), 5, 24, 16, 16).rgb, {136: "brd", 180: "playing", 181: "paused"}
    frame = lambda name, *how: load("convert", os.path.join(SOURCE, "resources", "icons", f"{name}.ico[1]"), *how).rgb
    return next((i for i, name in names.items() if all(abs(a - b) <= 2 for a, b, alpha in
                 zip(shown, frame(name, "-alpha", "off"), frame(name, "-alpha", "extract")) if alpha == 255)), None)


def thumb_x(shot):
    """Where the slider's thumb is drawn, found through its sprite; None if nowhere."""
    row, thumb = on_screen(shot, SLIDER_AT, 0, 0, 196, 10), sprite("slider.bmp", 197, 0, 30, 10)
    return next((x for x in range(167) if crop(row, x, 0, 30, 10) == thumb), None)
