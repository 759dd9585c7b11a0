"""The Preferences sheet in the running player: opened and activated by keys and the mouse, typed
into, closed (which saves the settings) and applied (which acts at once)."""
import socket
import threading
import time

from brdtest import ENV, Pointer, check, drive_state, poke, press_key, run, set_up_drives, start, vdrive, wait_until, \
    wine, xdotool

SHEET, OK, APPLY = "Properties for Brindle CD", 1, 12321
IDM_KEY_SERVERS, GET_SERVERS, SERVER_LIST = 40068, 1048, 1039


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


def serve_sites(server, heard):
    """The main CDDB server, twice: first trickling its banner a byte at a time, then at once with two sites."""
    for pace in (0.4, 0):
        client, _ = server.accept()
        try:
            for byte in b"201 sites server ready\r\n":
                client.sendall(bytes([byte]))
                time.sleep(pace)
            for line in client.makefile("rb"):
                answer = {b"proto": b"201 OK\r\n", b"sites": b"210 OK\r\na.test cddbp 888 - N0 W0 A\r\n"
                          b"b.test http 80 /cgi N0 W0 B\r\n.\r\n"}.get(line.split()[0], b"230 Bye\r\n")
                client.sendall(answer)
        except OSError:
            heard.append("hung up")
        client.close()


def test_get_servers_leaves_the_player_answering_and_can_be_stopped():
    server = socket.create_server(("127.0.0.1", 0))
    ENV["BRD_CDDB_MAIN_SERVER"] = f"127.0.0.1:{server.getsockname()[1]}"  # also the first run's one server
    heard = []
    threading.Thread(target=serve_sites, args=(server, heard), daemon=True).start()
    set_up_drives("d")
    player = start()
    del ENV["BRD_CDDB_MAIN_SERVER"]
    poke("command", str(IDM_KEY_SERVERS))
    wait_until(lambda: sheet("page") == "2 5", 10, "the CDDB Servers page opens")
    sheet("click", GET_SERVERS)
    wait_until(lambda: sheet("text", GET_SERVERS) == "S&top", 5, "Get Servers works and offers to stop")
    for _ in range(4):
        check(poke("answers") == "1", "the player answers while the sites trickle in")
        time.sleep(0.5)
    sheet("click", GET_SERVERS)
    wait_until(lambda: heard == ["hung up"], 10, f"Stop ends the exchange: {heard}")
    check(sheet("text", GET_SERVERS) == "&Get Servers", "and the page is ready again")
    sheet("click", GET_SERVERS)
    wait_until(lambda: sheet("rows", SERVER_LIST) == "3", 10, "the two sites join the main server's row")
    check(player.close() == 0, "BRD must exit with 0")


run([test_sheet_in_the_player, test_get_servers_leaves_the_player_answering_and_can_be_stopped])
