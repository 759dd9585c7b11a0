#!/usr/bin/python3
"""brd-db as a real process on a CDDB dump tree of real xmcd entries, the
database bytes set against the layout of the same entries added one by one.
Usage: brd_db_roundtrip.py TOOL... (brd-db, or scripts/wine-run brd-db.exe),
with the project's version in BRD_VERSION."""
import fcntl, os, struct, subprocess, sys, tempfile
from pathlib import Path

TOOL = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[1:]]
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "discinfo", "data")
failures = []
F_OFD_SETLK = 37  # Linux: the lock Wine takes for LockFileEx, and brd-db natively


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args, expect=0, output="stdout"):
    result = subprocess.run(TOOL + list(args), capture_output=True)
    check(result.returncode == expect, f"brd-db {' '.join(args)}: exit {result.returncode}\n{result.stderr!r}")
    return getattr(result, output).replace(b"\r\n", b"\n")


def body(data):  # the entry's lines without the closing "."
    lines = data.replace(b"\r\n", b"\n").split(b"\n")
    lines = lines[:-1] if lines[-1] == b"" else lines
    return lines[:-1] if lines and lines[-1] == b"." else lines


def layout(entries):  # the database of these entries added one by one
    texts, index = b"", b""
    for key, text in entries:
        index += key.encode()[:56].ljust(56, b"\0") + struct.pack("<ii", 12 + len(texts), len(text))
        texts += text
    return b"PACK" + struct.pack("<ii", 12 + len(texts), len(index)) + texts + index


def round_trip(samples):
    # Category folders of files named by disc id (one disc under two
    # categories), a README that is no entry, and a loose file.
    categories = ["blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock", "soundtrack"]
    tree = {(categories[i % 11], f"{0x9e000000 + i * 7919:08x}"): samples[i % len(samples)] for i in range(330)}
    tree[("rock", "9e000000")] = samples[1]
    for (category, disc_id), data in tree.items():
        Path("dump", category).mkdir(parents=True, exist_ok=True)
        Path("dump", category, disc_id).write_bytes(data)
    Path("dump/README").write_bytes(b"not an entry\n")
    loose = "pear_Net_CDDB_d50dd30f.xmcd"
    Path(loose).write_bytes(Path(DATA, loose).read_bytes())
    entry = lambda c, d, data: (f"{c}/{d}", b"".join(l + b"\r\n" for l in [f"200 {c} {d}".encode()] + body(data) + [b"."]))
    # The tree in path order, then the file under the id of its DISCID line.
    expected = [entry(c, d, tree[(c, d)]) for c, d in sorted(tree)] + [entry("nocategory", "d50dd30f", Path(loose).read_bytes())]

    check(f"imported {len(expected)} entries".encode() in run("-f", "a.bdb", "import", "dump", loose), "import count")
    check(Path("a.bdb").read_bytes() == layout(expected), "import did not give the layout of one-by-one adds")
    report = run("-f", "a.bdb", "check")
    check(report.count(b"\tok\n") == len(expected) and b"0 faults" in report, f"check: {report[-300:]}")
    titles = [(k.encode(), b"".join(l[7:] for l in body(t) if l.startswith(b"DTITLE="))) for k, t in expected]
    check([tuple(l.split(b"\t")[:2]) for l in run("-f", "a.bdb", "list").splitlines()] == titles, "list differs")
    run("-f", "a.bdb", "export", "out")
    for (c, d), data in tree.items():
        check(Path("out", c, d).read_bytes() == b"".join(l + b"\n" for l in body(data)), f"export of {c}/{d}")

    # The export imported again, in two runs: keys already present are skipped.
    rock = [e for e in expected if e[0].startswith("rock/")]
    run("-f", "b.bdb", "import", os.path.join("out", "rock"))
    check(f"{len(rock)} already present".encode() in run("-f", "b.bdb", "import", "out"), "present keys not skipped")
    check(Path("b.bdb").read_bytes() == layout(rock + sorted(e for e in expected if e not in rock)), "re-import bytes differ")

    run("-f", "a.bdb", "delete", "9e000000")  # under every category; the rest keep their order
    check(Path("a.bdb").read_bytes() == layout([e for e in expected if "9e000000" not in e[0]]), "delete did not compact")
    run("-f", "a.bdb", "delete", "9e000000", expect=1)
    check(run("-f", "a.bdb", "show", "d50dd30f") == expected[-1][1].replace(b"\r\n", b"\n"), "show")
    # Damaged: reported, left alone by delete and import, rewritten by repair beside a copy.
    damaged = Path("a.bdb").read_bytes()[:-10]
    Path("c.bdb").write_bytes(damaged)
    kept = [e for e in expected if "9e000000" not in e[0]][:-1]
    check(f"A rewrite keeps {len(kept)} entries".encode() in run("-f", "c.bdb", "check", expect=1), "check missed a cut index")
    run("-f", "c.bdb", "import", "dump", expect=1)
    run("-f", "c.bdb", "delete", "rock", expect=1)
    check(Path("c.bdb").read_bytes() == damaged, "a damaged file was changed")
    run("-f", "c.bdb", "repair")
    copies = [name for name in os.listdir(".") if name.startswith("c.bdb.damaged-")]
    check(Path("c.bdb").read_bytes() == layout(kept) and b"0 faults" in run("-f", "c.bdb", "check"), "repair")
    check(len(copies) == 1 and Path(copies[0]).read_bytes() == damaged, "no copy of the damaged file")
    check(b"needs no repair" in run("-f", "c.bdb", "repair"), "a second repair")
    locks = ["a.bdb.lock", "b.bdb.lock", "c.bdb.lock"]  # the writers' lock files stay
    check(sorted(os.listdir(".")) == sorted(["a.bdb", "b.bdb", "c.bdb", "dump", "out", loose] + copies + locks), "files left behind")
    # A zeroed index of 100 000 records: one line for them all, not one each.
    Path("z.bdb").write_bytes(b"PACK" + struct.pack("<ii", 12, 6400000) + bytes(6400000))
    check(len(run("-f", "z.bdb", "export", "zout", expect=1, output="stderr").splitlines()) == 2, "a line per record")
    if "wine" not in TOOL[0]:  # a symbolic link stays one, its file changed
        os.symlink("a.bdb", "link.bdb")
        run("-f", "link.bdb", "delete", "d50dd30f")
        check(os.path.islink("link.bdb") and b"nocategory/d50dd30f" not in Path("a.bdb").read_bytes(), "the link was replaced")
    for args, status in [((), 2), (("frobnicate",), 2), (("show",), 2), (("-f", "missing.bdb", "list"), 1)]:
        run(*args, expect=status)
    check(b"Usage: brd-db" in run("--help"), "no usage text")
    check(run("--version") == f"brd-db {os.environ['BRD_VERSION']}\n".encode(), "--version is not the project's")
    Path("long").write_bytes(b"# xmcd\nDISCID=9e0fffff\nDTITLE=" + b"x" * 1025 + b"\n")  # the player would cut it
    refused = subprocess.run(TOOL + ["-f", "d.bdb", "import", "long"], capture_output=True)
    check(refused.returncode == 1 and b"a title longer than 1024 bytes" in refused.stderr, f"long title {refused}")


def two_writers(samples, rounds=50):
    # Two processes import at once into a file big enough that each write
    # takes a while: both report success and both entries are there.
    for i in range(500):
        Path("big", "misc").mkdir(parents=True, exist_ok=True)
        Path("big", "misc", f"{0x7e000000 + i:08x}").write_bytes(samples[i % len(samples)])
    run("-f", "w.bdb", "import", "big")
    for r in range(rounds):
        paths = [Path(f"r{r}", "rock" if w else "jazz", f"{0x5e000000 + r:08x}") for w in range(2)]
        for path in paths:
            path.parent.mkdir(parents=True)
            path.write_bytes(samples[r % len(samples)])
        writers = [subprocess.Popen(TOOL + ["-f", "w.bdb", "import", str(p)], stdout=subprocess.DEVNULL) for p in paths]
        check([w.wait() for w in writers] == [0, 0], f"round {r}: a writer failed")
    # A writer that does not get its turn (the lock held elsewhere) fails and says so.
    with open("w.bdb.lock", "a+b") as held:
        fcntl.fcntl(held, F_OFD_SETLK, struct.pack("hhqqi4x", fcntl.F_WRLCK, 0, 0, 1, 0))
        before = Path("w.bdb").read_bytes()
        check(b"could not write" in run("-f", "w.bdb", "import", "r0", expect=1, output="stderr"), "no failure reported")
        check(Path("w.bdb").read_bytes() == before, "a writer wrote without its turn")
    keys = {line.split(b"\t")[0] for line in run("-f", "w.bdb", "list").splitlines()}
    lost = [f"{c}/{0x5e000000 + r:08x}" for r in range(rounds) for c in ("jazz", "rock") if f"{c}/{0x5e000000 + r:08x}".encode() not in keys]
    check(len(keys) == 500 + 2 * rounds and not lost, f"{len(lost)} entries lost by writers at once: {lost[:4]}")


samples = [Path(DATA, f).read_bytes() for f in sorted(os.listdir(DATA)) if f.endswith(".xmcd")]
with tempfile.TemporaryDirectory(prefix="brd-db-test-") as work:
    os.chdir(work)
    round_trip(samples)
    two_writers(samples)
    os.chdir("/")
print("\n".join(failures) or "brd-db round trip: ok")
sys.exit(1 if failures else 0)
