"""The release as a Windows user gets it: the zip unpacked into a Wine prefix of its own that never saw the
build tree, with no CD-ROM drive. brd-db.exe runs from there, and BRD.exe from there made a folder it
cannot write to; the programs' version resources and BRD's manifest read as Windows reads them."""
import hashlib, os, shutil, subprocess, tempfile, time, zipfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

WORK = tempfile.mkdtemp(prefix="brd-release-")
os.environ["BRD_WINEPREFIX"] = os.path.join(WORK, "wine")  # read by the harness's environment below

from brdtest import (ENV, SCRIPTS, SOURCE, TRACKS_AT, Player, check, lcd_seconds, on_screen, poke, run, screenshot,
                     sprite, title, wait_until, wine, xdotool)

VERSION, ZIP = os.environ["BRD_VERSION"], os.environ["BRD_DIST_ZIP"]
FOLDER = os.path.join(WORK, f"BRD-{VERSION}")
BRD, BRD_DB = os.path.join(FOLDER, "BRD.exe"), os.path.join(FOLDER, "brd-db.exe")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def stop_wine_server():
    subprocess.run(["bash", "-c", f". '{SCRIPTS}/wine-env'; wineserver -k; wineserver -w"], env=ENV)


def test_the_zip_holds_the_two_programs_and_two_texts_in_one_folder():
    with zipfile.ZipFile(ZIP) as archive:
        names = archive.namelist()
        archive.extractall(WORK)
    want = [f"BRD-{VERSION}/"] + [f"BRD-{VERSION}/{n}" for n in ("BRD.exe", "brd-db.exe", "README.txt", "LICENSE.txt")]
    check(names == want, f"the zip holds {names}")
    with open(ZIP, "rb") as f, open(os.path.join(os.path.dirname(ZIP), "SHA256SUMS")) as sums:
        check(sums.read() == f"{hashlib.sha256(f.read()).hexdigest()}  {os.path.basename(ZIP)}\n", "SHA256SUMS")
    for name in want[3:]:  # the two texts
        text = Path(WORK, name).read_bytes()
        check(text.count(b"\n") > 10 and text.count(b"\r\n") == text.count(b"\n"), f"{name} has Windows line ends")


def test_brd_db_from_the_release():
    started = time.time()
    code, out = wine(BRD_DB, "--version", cwd=FOLDER, timeout=300)  # Wine makes the prefix first
    print(f"the fresh Wine prefix and brd-db --version took {time.time() - started:.1f} s", flush=True)
    check(code == 0 and out.strip() == f"brd-db {VERSION}", f"brd-db --version: {code} {out!r}")
    dump, data = os.path.join(WORK, "cddb"), os.path.join(SOURCE, "tests", "discinfo", "data")
    for key, sample in (("misc/7908090a", "alrs_freedb_7908090a.xmcd"),
                        ("rock/be0c140e", "gitpan_CDDB-File_be0c140e.xmcd")):
        os.makedirs(os.path.join(dump, os.path.dirname(key)))
        shutil.copy(os.path.join(data, sample), os.path.join(dump, key))
    code, out = wine(BRD_DB, "import", windows_path(dump), cwd=FOLDER)
    check(code == 0 and "imported 2 entries" in out, f"brd-db import: {code} {out!r}")
    keys = [line.split("\t")[0] for line in wine(BRD_DB, "list", cwd=FOLDER)[1].splitlines()]
    check(keys == ["misc/7908090a", "rock/be0c140e"], f"brd.bdb beside the program holds {keys}")


def test_the_version_resources_and_the_manifest():
    numbers = (VERSION.split(".") + ["0"] * 4)[:4]
    for program, name, description in ((BRD, "BRD.exe", "BRD audio CD player"),
                                       (BRD_DB, "brd-db.exe", "BRD disc database tool")):
        fields = (poke("version", windows_path(program)) or "").split("|")
        want = [".".join(numbers), "Brindle CD team", "BRD", description, VERSION, VERSION, name]
        check(fields == want, f"{name}'s version resource: {fields}")
    manifest = ElementTree.fromstring(poke("manifest", windows_path(BRD)))
    found = {(e.tag.split("}")[1], a, e.get(a)) for e in manifest.iter() for a in ("name", "version", "level", "Id")}
    for want in (("assemblyIdentity", "name", "Microsoft.Windows.Common-Controls"), ("assemblyIdentity", "version",
                 "6.0.0.0"), ("requestedExecutionLevel", "level", "asInvoker"),
                 ("supportedOS", "Id", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")):  # Windows 10 and 11
        check(want in found, f"BRD's manifest lacks {want}")


def no_disc_state():
    """BRD's window without a drive: its plain title, the time at zero, no track grid over the skin's panel."""
    wait_until(lambda: title() == "BRD", 10, f"without a disc the title is BRD: {title()!r}")
    shot = screenshot()
    check(lcd_seconds(shot, lit=False) == 0, "the time readout shows 00:00 unlit")
    check(on_screen(shot, TRACKS_AT, 0, 0, 70, 136) == sprite("main.bmp", *TRACKS_AT, 70, 136),
          "the tracks area shows the bare panel")


def test_brd_in_a_folder_it_cannot_write_to_says_so():
    # The folder is read-only, even for root, inside a mount namespace of BRD's own. The prefix's Wine
    # server, which opens the files, must start in there too: nothing may ask Wine before BRD's box is up.
    stop_wine_server()
    read_only = ["unshare", "--mount", "--map-root-user", "sh", "-c",
                 f"mount --bind -o ro '{FOLDER}' '{FOLDER}' && exec \"$@\"", "read-only"]
    player = Player(program=BRD, wrapper=read_only)
    wait_until(lambda: xdotool("search", "--name", "^Brindle CD$"), 60, "BRD must say that it cannot write there")
    owned, caption, text = poke("box").split("|", 2)
    check(owned == "1" and caption == "Brindle CD", f"a box of BRD's own: {owned} {caption}")
    check(windows_path(FOLDER) in text, f"the box names the folder: {text!r}")
    poke("answer", "Brindle CD", "1")  # OK
    player.wait_window()
    no_disc_state()
    check(player.close() == 0, "and BRD still runs, and quits with 0")


try:
    run([test_the_zip_holds_the_two_programs_and_two_texts_in_one_folder, test_brd_db_from_the_release,
         test_the_version_resources_and_the_manifest, test_brd_in_a_folder_it_cannot_write_to_says_so])
finally:
    stop_wine_server()
    shutil.rmtree(WORK, ignore_errors=True)
