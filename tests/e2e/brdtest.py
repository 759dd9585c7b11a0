"""Harness for the end-to-end tests: BRD.exe under Wine on the X display.

Every test runs in the project's Wine prefix (one at a time: CTest holds a
lock on it), starts from an empty "Software\\Brindle" registry key, and
observes the program the way a person would: its window on the screen,
screenshots, the registry, the files it writes.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE = os.environ.get("BRD_SOURCE") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("BRD_BUILD") or os.path.join(SOURCE, "build", "win64")
BIN = os.path.join(BUILD, "bin")
SCRIPTS = os.path.join(SOURCE, "scripts")
WINE_RUN = os.path.join(SCRIPTS, "wine-run")
SETTINGS_KEY = r"HKCU\Software\Brindle\Settings"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wine_env():
    env = dict(os.environ)
    env.setdefault("BRD_SOURCE", SOURCE)
    env.setdefault("BRD_BUILD", BUILD)
    return env


def wine(*args, check_exit=True, timeout=60):
    """Runs a Windows program (or a Wine tool such as reg) to completion.

    Output goes through files, not pipes: a Wine server or desktop process
    started by this call would inherit a pipe and hold it open long after
    the program itself has ended."""
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        code = subprocess.run([WINE_RUN, *args], env=wine_env(), stdout=out, stderr=err,
                              stdin=subprocess.DEVNULL, timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(args, code, out.read(), err.read())
    if check_exit and result.returncode != 0:
        raise Failure(f"{args} exited {result.returncode}: {result.stderr.strip()}")
    return result


def reg_delete(key):
    wine("reg", "delete", key, "/f", check_exit=False)


def reg_set_dword(key, name, value):
    wine("reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value & 0xFFFFFFFF), "/f")


def reg_dword(key, name):
    """The value as a signed 32-bit number, or None when it is not there."""
    out = wine("reg", "query", key, "/v", name, check_exit=False).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == name and parts[1] == "REG_DWORD":
            value = int(parts[2], 16)
            return value - (1 << 32) if value >= 1 << 31 else value
    return None


def set_cdrom_drives(**folders):
    """Makes exactly these letters CD-ROM drives, e.g. set_cdrom_drives(e=path)."""
    subprocess.run([os.path.join(SCRIPTS, "wine-cdrom"), *[f"{k}={v}" for k, v in folders.items()]],
                   env=wine_env(), check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def poke(*args, check_exit=False):
    return wine(os.path.join(BIN, "brdpoke.exe"), *args, check_exit=check_exit)


def window_rect():
    """(x, y, width, height, visible) of the BRD window, or None."""
    for _ in range(3):
        result = poke("rect")
        if result.returncode != 0:
            return None
        values = result.stdout.split()
        # Now and then Wine loses a console program's output: ask again.
        if len(values) == 5:
            x, y, w, h, visible = (int(v) for v in values)
            return x, y, w, h, bool(visible)
    raise Failure(f"brdpoke rect answered {result.stdout!r}")


_players = []


class Player:
    """One BRD.exe process."""

    def __init__(self, *args, exe=None, cwd=None):
        exe = exe or os.path.join(BIN, "BRD.exe")
        _players.append(self)
        self.process = subprocess.Popen([WINE_RUN, exe, *args], env=wine_env(), cwd=cwd,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_window(self, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            rect = window_rect()
            if rect and rect[4]:
                time.sleep(0.5)  # let it paint
                return rect
            check(self.process.poll() is None, f"BRD exited early with {self.process.returncode}")
            time.sleep(0.3)
        raise Failure("the BRD window did not appear")

    def close(self, timeout=20):
        """Closes BRD the way its close button does and waits for it to end."""
        poke("close", check_exit=True)
        return self.wait_exit(timeout)

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("BRD did not end")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def screenshot(path=None):
    """The whole X screen as a PNG; returns (path, width, height, rgb bytes)."""
    path = path or tempfile.mktemp(suffix=".png")
    subprocess.run(["import", "-window", "root", path], check=True)
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                          check=True).stdout.split()
    rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return path, int(size[0]), int(size[1]), rgb


def pixel(shot, x, y):
    _, width, _, rgb = shot
    i = (y * width + x) * 3
    return rgb[i], rgb[i + 1], rgb[i + 2]


def changed_box(before, after):
    """The smallest rectangle (x, y, w, h) holding every pixel that differs
    between two screenshots of the same screen, or None."""
    _, width, height, old = before
    new = after[3]
    row_bytes = width * 3
    xs, ys = [], []
    for y in range(height):
        a, b = old[y * row_bytes:(y + 1) * row_bytes], new[y * row_bytes:(y + 1) * row_bytes]
        if a == b:
            continue
        ys.append(y)
        xs.append(next(x for x in range(width) if a[x * 3:x * 3 + 3] != b[x * 3:x * 3 + 3]))
        xs.append(next(x for x in range(width - 1, -1, -1) if a[x * 3:x * 3 + 3] != b[x * 3:x * 3 + 3]))
    if not ys:
        return None
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def artifacts_dir(name):
    path = os.path.join(BUILD, "e2e-artifacts", name)
    os.makedirs(path, exist_ok=True)
    return path


def run(test_functions):
    """Runs each test function with a clean registry; prints a summary line."""
    passed = failed = 0
    for test in test_functions:
        reg_delete(r"HKCU\Software\Brindle")
        try:
            test()
            passed += 1
            print(f"PASS {test.__name__}")
        except Exception as error:  # a failed check or a broken harness: both fail the test
            failed += 1
            print(f"FAIL {test.__name__}: {error}")
        finally:
            for player in _players:
                player.kill()
            _players.clear()
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


# --- The virtual drive -------------------------------------------------------

VDRIVECTL = os.path.join(SOURCE, "vdrive", "vdrivectl")
LEAD_IN = 150
FPS = 75


def drive_folder(letter):
    return os.path.join(BUILD, "e2e-drives", letter.lower())


def set_up_drives(*letters):
    """Installs the virtual drive and makes these letters (default D) its CD-ROM drives, empty."""
    subprocess.run([os.path.join(SCRIPTS, "install-vdrive")], env=wine_env(), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    letters = letters or ("d",)
    for letter in letters:
        shutil.rmtree(drive_folder(letter), ignore_errors=True)
    set_cdrom_drives(**{letter.lower(): drive_folder(letter) for letter in letters})


def vdrive(*args):
    result = subprocess.run([VDRIVECTL, *args], env=wine_env(), capture_output=True, text=True)
    if result.returncode != 0:
        raise Failure(f"vdrivectl {args}: {result.stderr.strip()}")
    return result.stdout


def insert_disc(name, letter="D"):
    vdrive("insert", letter, name)


def drive_state(letter="D"):
    """The drive's state as a dict; 'position' as frames."""
    state = {}
    for line in vdrive("state", letter).splitlines():
        key, _, value = line.partition("=")
        state[key] = value
    state["frames"] = int(state.get("position", "0").split()[0])
    return state


def drive_log(letter="D"):
    return vdrive("log", letter)


def sample_toc(name):
    """The sample disc's CDDB disc id, absolute track starts and lead-out (frames)."""
    out = subprocess.run([os.path.join(SOURCE, "vdrive", "make-sample-discs"), "--toc", name],
                         capture_output=True, text=True, check=True).stdout.split("\n")
    frames = [int(v) for v in out[1].split()]
    return out[0], frames[:-1], frames[-1]


def sample_starts(name):
    _, starts, lead_out = sample_toc(name)
    return starts, lead_out


def track_at(name, frames):
    """The 1-based track of a sample disc that holds an absolute position."""
    starts, _ = sample_starts(name)
    return sum(1 for start in starts if start <= frames)


def sample_disc_id(name):
    return sample_toc(name)[0]


# --- The disc database beside the program ------------------------------------

DATABASE = os.path.join(BIN, "brd.bdb")


def brd_db(*args):
    tool = os.path.join(os.path.dirname(BUILD), "host", "bin", "brd-db")
    result = subprocess.run([tool, "-f", DATABASE, *args], capture_output=True, text=True)
    if result.returncode != 0:
        raise Failure(f"brd-db {args}: {result.stderr.strip()}")
    return result.stdout


def store_entry(name, category, disc_title, track_titles, play_order=None):
    """Stores an xmcd entry for a sample disc in brd.bdb beside the program."""
    disc_id = sample_disc_id(name)
    starts, lead_out = sample_starts(name)
    lines = ["# xmcd", "#", "# Track frame offsets:"] + [f"#\t{s}" for s in starts]
    lines += ["#", f"# Disc length: {lead_out // FPS} seconds", "#", f"DISCID={disc_id}",
              f"DTITLE={disc_title}"]
    lines += [f"TTITLE{i}={t}" for i, t in enumerate(track_titles)]
    lines += ["EXTD="] + [f"EXTT{i}=" for i in range(len(track_titles))]
    if play_order is not None:
        lines.append(f"PLAYORDER={play_order}")
    folder = tempfile.mkdtemp(prefix="brd-entry-")
    os.makedirs(os.path.join(folder, category))
    with open(os.path.join(folder, category, disc_id), "w") as f:
        f.write("\n".join(lines) + "\n")
    brd_db("import", os.path.join(folder, category))
    shutil.rmtree(folder)
    return disc_id


def forget_database():
    if os.path.exists(DATABASE):
        os.remove(DATABASE)


# --- Input --------------------------------------------------------------------

# Client points of the main window: the play-mode words, the minimize button
# and two transport buttons.
REPEAT_CD = (180, 24)
REPEAT = (180, 36)
SHUFFLE = (180, 48)
MINIMIZE = (270, 8)
PLAY_BUTTON = (13 + 148, 125 + 12)
STOP_BUTTON = (13 + 94, 125 + 12)


def window_origin():
    """Screen position of the main window's client area (inside its border)."""
    rect = window_rect()
    check(rect is not None, "no BRD window")
    return rect[0] + 1, rect[1] + 1


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True)


def click(x, y, button=1):
    """A click at a client point of the main window."""
    ox, oy = window_origin()
    xdotool("mousemove", ox + x, oy + y)
    time.sleep(0.1)
    xdotool("click", button)
    time.sleep(0.3)


def press_key(key):
    """A key typed into BRD: a click on its caption gives it the focus first."""
    click(150, 5)
    xdotool("key", key)
    time.sleep(0.5)


def x_window_shown(name):
    """Whether a window of this exact title is mapped on the X display."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}"],
                           capture_output=True, text=True).stdout
    return bool(found.split())


def title():
    return poke("title").stdout.strip()


def wait_until(condition, timeout, message, step=0.25):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if condition():
            return
        time.sleep(step)
    raise Failure(message)


def start(*args, **settings):
    """BRD with these settings (drive D: unless UseDrive is given, no CDDB
    queries), its window up."""
    settings.setdefault("UseDrive", 3)
    settings.setdefault("ConnectCDDB", 0)
    for name, value in settings.items():
        reg_set_dword(SETTINGS_KEY, name, value)
    player = Player(*args)
    player.wait_window()
    return player


def playing_track(disc, letter="D"):
    """The sample disc's track the drive plays now, or None when it does not play."""
    state = drive_state(letter)
    return track_at(disc, state["frames"]) if state["mode"] == "playing" else None
