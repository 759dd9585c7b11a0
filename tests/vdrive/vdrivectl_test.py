#!/usr/bin/python3
"""The virtual drive's controller as `make run` and the end-to-end tests use
it: a sample disc put in, a Windows program seeking on it through MCI while
the controller ejects, and the controller reading back the tray, the state
and the command log; and the drive's folder as the only place it touches."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from brdtest import BUILD, ENV, SCRIPTS, SOURCE, check, drive_state, run, set_up_drives, vdrive, wait_until


def test_ejects_stick_while_a_program_drives_the_sample_disc():
    set_up_drives("d")
    folder = vdrive("folder", "D").strip()
    vdrive("insert", "D", "twelve")
    vdrive("log", "D", "on")
    program = os.path.join(BUILD, "tests", "vdrive", "vdrive_mci_test.exe")
    with tempfile.TemporaryFile("w+") as out:  # a Wine server would hold a pipe open
        running = subprocess.Popen([os.path.join(SCRIPTS, "wine-run"), program, "--gtest_filter=VirtualDriveSample.*"],
                                   env=dict(ENV, BRD_SAMPLE_DRIVE="D"), stdout=out, stderr=subprocess.DEVNULL)
        wait_until(lambda: vdrive("log", "D").count(" SEEK ") >= 10 or running.poll() is not None, 60,
                   "the MCI program must seek")
        undone = 0  # the program's seeks rewrite the state file back to back: each eject must stick all the same
        for _ in range(20):
            vdrive("eject", "D")
            time.sleep(0.1)
            undone += drive_state()["tray"] != "open"
            vdrive("close", "D")
        check(undone == 0, f"{undone} of 20 ejects undone by the drive")
        open(os.path.join(folder, "done"), "w").close()
        running.wait(60)
        out.seek(0)
        output = out.read()
    check(running.returncode == 0 and "[  PASSED  ] 1 test" in output, "the MCI program:\n" + output)
    s, log = drive_state(), vdrive("log", "D")
    check(s["tray"] == "open" and s["mode"] == "open", f"ejected by the program: {s}")
    check(" SEEK flags=WAIT|TO" in log and "DOOR_OPEN" in log, "the logged seek and eject:\n" + log)
    vdrive("remove", "D")
    s = drive_state()
    check(s["disc"] == "-" and s["tray"] == "open", f"taken out: {s}")
    check(not [n for n in os.listdir(folder) if n.endswith((".cue", ".bin"))], "no disc files left")


# The controller never reaches outside the drive's folder: a sheet naming ../outside is refused, and
# one put there by hand is taken out without touching the file it names.
def test_the_controller_stays_inside_the_drives_folder():
    with tempfile.TemporaryDirectory(prefix="brd-vdrive-") as top:
        drive, outside, sheet = os.path.join(top, "drive"), os.path.join(top, "outside.bin"), os.path.join(top, "x.cue")
        os.mkdir(drive)
        Path(outside).write_text("kept")
        Path(sheet).write_text('FILE "../outside.bin" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n')
        refused = subprocess.run([os.path.join(SOURCE, "vdrive", "vdrivectl"), "insert", drive, sheet],
                                 capture_output=True, text=True)
        check(refused.returncode != 0 and "../outside.bin, which lies outside" in refused.stderr, refused.stderr)
        shutil.copy(sheet, drive)
        vdrive("remove", drive)
        check(open(outside).read() == "kept" and not os.path.exists(os.path.join(drive, "x.cue")), "outside kept")


run([test_ejects_stick_while_a_program_drives_the_sample_disc, test_the_controller_stays_inside_the_drives_folder])
