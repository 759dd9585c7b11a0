#!/usr/bin/python3
"""The virtual drive as `make run` and the end-to-end tests set it up: the
driver installed, D: made a CD-ROM drive, a sample disc put in with the
controller, a Windows program driving it through MCI, and the controller
reading back the tray, the play state and the command log."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

source, build = os.environ["BRD_SOURCE"], os.environ["BRD_BUILD"]
ctl = os.path.join(source, "vdrive", "vdrivectl")
failures = []


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def state(drive):
    return dict(line.split("=", 1) for line in run(ctl, "state", drive).splitlines())


with tempfile.TemporaryDirectory(prefix="brd-vdrive-") as folder:
    run(os.path.join(source, "scripts", "install-vdrive"))
    run(os.path.join(source, "scripts", "wine-cdrom"), f"d={folder}")
    try:
        run(ctl, "insert", "D", "twelve")
        run(ctl, "log", "D", "on")
        s = state("D")
        check(s["tray"] == "closed" and s["disc"] == "twelve.cue" and s["mode"] == "stopped", f"after insert: {s}")
        check(state(folder)["disc"] == "twelve.cue", "a folder names the drive too")

        program = os.path.join(build, "tests", "vdrive", "vdrive_mci_test.exe")
        with tempfile.TemporaryFile("w+") as out:  # a Wine server would hold a pipe open
            running = subprocess.Popen([os.path.join(source, "scripts", "wine-run"), program,
                                        "--gtest_filter=VirtualDriveSample.*"], env=dict(os.environ, BRD_SAMPLE_DRIVE="D"),
                                       stdout=out, stderr=subprocess.DEVNULL)
            while run(ctl, "log", "D").count(" SEEK ") < 10 and running.poll() is None:
                time.sleep(0.1)
            undone = 0  # the program's seeks rewrite the state file back to back: each eject must stick all the same
            for _ in range(20):
                run(ctl, "eject", "D")
                time.sleep(0.1)
                undone += state("D")["tray"] != "open"
                run(ctl, "close", "D")
            check(undone == 0, f"{undone} of 20 ejects undone by the drive")
            open(os.path.join(folder, "done"), "w").close()
            running.wait(60)
            out.seek(0)
            output = out.read()
        check(running.returncode == 0 and "[  PASSED  ] 1 test" in output, "the MCI program:\n" + output)

        s = state("D")
        check(s["tray"] == "open" and s["mode"] == "open", f"ejected by the program: {s}")
        log = run(ctl, "log", "D")
        plays = [line for line in log.splitlines() if " PLAY " in line]
        check(len(plays) == 1 and "flags=FROM|TO" in plays[0], "the logged play:\n" + log)
        check(" SEEK flags=WAIT|TO" in log and "DOOR_OPEN" in log, "the logged seek and eject:\n" + log)

        run(ctl, "close", "D")
        check(state("D")["tray"] == "closed", "closed again")
        run(ctl, "remove", "D")
        s = state("D")
        check(s["disc"] == "-" and s["tray"] == "open", f"taken out: {s}")
        check(not [n for n in os.listdir(folder) if n.endswith((".cue", ".bin"))], "no disc files left")
    finally:
        run(os.path.join(source, "scripts", "wine-cdrom"))

# The controller never reaches outside the drive's folder: a sheet naming ../outside is refused, and
# one put there by hand is taken out without touching the file it names.
with tempfile.TemporaryDirectory(prefix="brd-vdrive-") as top:
    drive, outside, sheet = os.path.join(top, "drive"), os.path.join(top, "outside.bin"), os.path.join(top, "x.cue")
    os.mkdir(drive)
    with open(outside, "w") as f:
        f.write("kept")
    with open(sheet, "w") as f:
        f.write('FILE "../outside.bin" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n')
    refused = subprocess.run([ctl, "insert", drive, sheet], capture_output=True, text=True)
    check(refused.returncode != 0 and "../outside.bin, which lies outside" in refused.stderr, refused.stderr)
    shutil.copy(sheet, drive)
    run(ctl, "remove", drive)
    check(open(outside).read() == "kept" and not os.path.exists(os.path.join(drive, "x.cue")), "outside kept")

sys.exit(1 if failures else 0)
