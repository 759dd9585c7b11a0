"""The Preferences sheet in the running player: opened and activated by keys and the mouse, typed
into, closed (which saves the settings) and applied (which acts at once)."""
from brdtest import Pointer, check, drive_state, poke, press_key, run, set_up_drives, start, vdrive, wait_until, \
    wine, xdotool

SHEET, OK, APPLY = "Properties for Brindle CD", 1, 12321


def sheet(*args):
    return poke("sheet", SHEET, *map(str, args))


def test_sheet_in_the_player():
    set_up_drives("d")
    vdrive("insert", "D", "twelve")
    player = start(xWinPos=600, yWinPos=450)
    press_key("ctrl+l")
    wait_until(lambda: sheet("page") == "3 5", 10, f"Ctrl+L opens on CD Library with all five pages: {sheet('page')}")
    sheet("home")  # clear of the player's window
    sheet("select", 1)
    Pointer().move(100, 80)
    xdotool("click", "--repeat", 2, "--delay", 80, 1)  # on the titles: only brings the sheet forward
    wait_until(lambda: poke("foreground") == "#32770", 5, "the double click brings the sheet forward")
    check(sheet("page") == "1 5", f"on the page it showed: {sheet('page')}")

    sheet("select", 2)
    x, y, w, h, _ = map(int, sheet("ctrl", 1093).split())
    xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
    xdotool("type", "--delay", 100, "q")
    sheet("click", OK)
    submit = r"HKEY_CURRENT_USER\Software\Brindle\Submit"
    wait_until(lambda: "REG_SZ    q" in wine("reg", "query", submit, "/v", "SmtpServer")[1], 10,
               "closing the sheet saves at once what was typed: Q went into the field")
    check(drive_state()["tray"] == "closed" and player.process.poll() is None, "and Q did not eject")

    press_key("ctrl+p")
    wait_until(lambda: sheet("page") == "0 5", 10, "Ctrl+P opens on Startup / Shutdown")
    sheet("click", 1026)  # Exit BRD
    sheet("click", APPLY)
    wait_until(lambda: sheet("state", 1026) == "1 1", 5, "Exit BRD checked")
    vdrive("eject", "D")
    check(player.process.wait(15) == 0, "the disc removal ends BRD while the sheet is open")


run([test_sheet_in_the_player])
