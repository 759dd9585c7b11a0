"""The screen side of the end-to-end tests: the mouse on BRD's child
windows, the drive's play commands, and what the windows' pixels should be,
composed from the skin's own sprites (resources/skin/*.bmp) the way the
program blits them.
"""
import os
import subprocess
import time

from brdtest import SOURCE, drive_log, window_origin

SKIN = os.path.join(SOURCE, "resources", "skin")

# Client points of BRD's main window where its children sit.
TRACKS_AT = (218, 19)
SLIDER_AT = (12, 111)
TIME_CELLS = ((19, 29), (33, 29), (57, 29), (71, 29))


def plays(letter="D"):
    """The PLAY commands of the drive log as (from, to) strings; from is "head"
    when the play continues from the head, to is "-" when it runs to the end."""
    result = []
    for line in drive_log(letter).splitlines():
        if " PLAY " not in line:
            continue
        fields = dict(word.split("=", 1) for word in line.split() if "=" in word)
        from_ = fields.get("from", "-") if "FROM" in fields.get("flags", "").split("|") else "head"
        result.append((from_, fields.get("to", "-")))
    return result


# --- The mouse ----------------------------------------------------------------

class Pointer:
    """The mouse over one child window, in that window's own coordinates."""

    def __init__(self, child_at):
        ox, oy = window_origin()
        self.x0, self.y0 = ox + child_at[0], oy + child_at[1]

    def move(self, x, y, pause=0.08):
        subprocess.run(["xdotool", "mousemove", str(self.x0 + x), str(self.y0 + y)], check=True)
        time.sleep(pause)

    def hover(self, x, y):
        """Comes to rest over a point in two motions, as a hand does: after a
        drag Wine lets the first motion event go by without a WM_MOUSEMOVE."""
        self.move(x - 2, y - 2)
        self.move(x, y, pause=0.4)

    def press(self, x, y, button=1):
        self.move(x, y)
        subprocess.run(["xdotool", "mousedown", str(button)], check=True)
        time.sleep(0.15)

    def release(self, button=1):
        subprocess.run(["xdotool", "mouseup", str(button)], check=True)
        time.sleep(0.3)

    def click(self, x, y, button=1):
        self.press(x, y, button)
        self.release(button)

    def drag(self, start, end, steps=6):
        """Presses at start, moves to end in steps (past the drag distance), releases."""
        self.press(*start)
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        self.release()

    def away(self):
        """The pointer far from BRD; the hover timer lets go of what was lit."""
        subprocess.run(["xdotool", "mousemove", "5", "5"], check=True)
        time.sleep(0.4)


# --- Pixels -------------------------------------------------------------------

class Image:
    """24-bit pixels, row after row, 3 bytes each."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytearray(rgb)

    @staticmethod
    def load(name):
        path = os.path.join(SKIN, name)
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                              check=True).stdout.split()
        rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
        return Image(int(size[0]), int(size[1]), rgb)

    @staticmethod
    def of_screen(shot, x, y, width, height):
        _, screen_width, _, rgb = shot
        rows = [rgb[((y + r) * screen_width + x) * 3:((y + r) * screen_width + x + width) * 3] for r in range(height)]
        return Image(width, height, b"".join(rows))

    def crop(self, x, y, width, height):
        rows = [self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + width) * 3] for r in range(height)]
        return Image(width, height, b"".join(rows))

    def paste(self, sprite, x, y, op=None):
        for r in range(sprite.height):
            for c in range(sprite.width):
                if 0 <= x + c < self.width and 0 <= y + r < self.height:
                    d = ((y + r) * self.width + x + c) * 3
                    s = (r * sprite.width + c) * 3
                    for k in range(3):
                        v = sprite.rgb[s + k]
                        self.rgb[d + k] = self.rgb[d + k] | v if op == "or" else v

    def __eq__(self, other):
        return (self.width, self.height, self.rgb) == (other.width, other.height, other.rgb)

    def differing_pixels(self, other):
        return sum(1 for i in range(0, len(self.rgb), 3) if self.rgb[i:i + 3] != other.rgb[i:i + 3])


_skin = {}


def skin(name):
    if name not in _skin:
        _skin[name] = Image.load(name)
    return _skin[name]


def number_blits(x, y, value, lit):
    """Where DrawNumber puts a value's digit sprites: (x, y, w, h, src_x, src_y)."""
    if value < 10:
        return [(x + 1, y + 1, 13, 13, 14 * value, 0 if lit else 14)]
    row = 28 if lit else 42
    return [(x, y, 7, 13, 8 * (value // 10), row), (x + 7, y, 7, 13, 8 * (value % 10), row)]


def cell_image(track, lit=False, pressed=False, excluded=False):
    """A track grid cell as the program draws it."""
    tracks = skin("tracks.bmp")
    sprite_x = (44 if pressed else 0) if lit else (66 if pressed else 22)
    cell = tracks.crop(sprite_x, 0, 21, 21)
    offset = 3 if pressed else 4
    for x, y, w, h, sx, sy in number_blits(offset, offset, track, lit):
        cell.paste(skin("digits.bmp").crop(sx, sy, w, h), x, y)
    if excluded:
        cell.paste(tracks.crop(88, 0, 21, 21), 0, 0, op="or")
    return cell


def cell_on_screen(shot, position, first_row=1):
    """The cell of a 0-based Play order position, as shown in the tracks window."""
    ox, oy = window_origin()
    x = ox + TRACKS_AT[0] + 24 * (position % 3)
    y = oy + TRACKS_AT[1] + 24 * (position // 3 - (first_row - 1))
    return Image.of_screen(shot, x, y, 21, 21)


def arrows_on_screen(shot):
    ox, oy = window_origin()
    x, y = ox + TRACKS_AT[0], oy + TRACKS_AT[1] + 122
    return Image.of_screen(shot, x + 2, y, 32, 10), Image.of_screen(shot, x + 34, y, 32, 10)


def arrow_image(x, y):
    return skin("tracks.bmp").crop(x, y, 32, 10)


def lcd_seconds(shot, lit):
    """The seconds the LCD time readout shows, read back through the digit
    sprites; None when a cell matches no digit."""
    ox, oy = window_origin()
    digits = []
    for x, y in TIME_CELLS:
        cell = Image.of_screen(shot, ox + x + 1, oy + y + 1, 13, 13)
        found = [v for v in range(10) if cell == skin("digits.bmp").crop(14 * v, 0 if lit else 14, 13, 13)]
        if not found:
            return None
        digits.append(found[0])
    return (digits[0] * 10 + digits[1]) * 60 + digits[2] * 10 + digits[3]


def thumb_x(shot):
    """Where the slider's thumb is drawn, found through its sprite; None if nowhere."""
    ox, oy = window_origin()
    thumb = skin("slider.bmp").crop(197, 0, 30, 10)
    for x in range(0, 167):
        if Image.of_screen(shot, ox + SLIDER_AT[0] + x, oy + SLIDER_AT[1], 30, 10) == thumb:
            return x
    return None

