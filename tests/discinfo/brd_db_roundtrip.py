#!/usr/bin/python3
"""brd-db as a real process: import a CDDB dump tree of real xmcd entries,
then check, list, export, re-import, delete and show, comparing the database
bytes with the layout of the same entries added one by one.

Usage: brd_db_roundtrip.py TOOL... (the command that runs brd-db, e.g. the
native binary, or scripts/wine-run and brd-db.exe)."""
import os, struct, subprocess, sys, tempfile

TOOL = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[1:]]
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
CATEGORIES = ["blues", "classical", "country", "data", "folk", "jazz", "misc", "newage", "reggae", "rock", "soundtrack"]
failures = []


def run(*args, expect=0):
    result = subprocess.run(TOOL + list(args), capture_output=True)
    check(result.returncode == expect, f"brd-db {' '.join(args)}: exit {result.returncode}, wanted {expect}\n"
          + result.stderr.decode(errors="replace"))
    return result.stdout.decode("latin-1").replace("\r\n", "\n")


def check(condition, what):
    if not condition:
        failures.append(what)


def body(data):  # the entry's lines without the closing "."
    lines = data.replace(b"\r\n", b"\n").split(b"\n")
    lines = lines[:-1] if lines[-1] == b"" else lines
    return lines[:-1] if lines and lines[-1] == b"." else lines


def stored(category, disc_id, data):
    return b"".join(l + b"\r\n" for l in [f"200 {category} {disc_id}".encode()] + body(data) + [b"."])


def layout(entries):
    texts, index = b"", b""
    for key, text in entries:
        index += key.encode()[:56].ljust(56, b"\0") + struct.pack("<ii", 12 + len(texts), len(text))
        texts += text
    return b"PACK" + struct.pack("<ii", 12 + len(texts), len(index)) + texts + index


def read(path):
    with open(path, "rb") as f:
        return f.read()


def round_trip(samples):
    # A dump tree: category folders of files named by disc id (one disc under
    # two categories), a README that is no entry, and a loose file.
    tree = {(CATEGORIES[i % 11], f"{0x9e000000 + i * 7919:08x}"): samples[i % len(samples)] for i in range(330)}
    tree[("rock", "9e000000")] = samples[1]
    for (category, disc_id), data in tree.items():
        os.makedirs(os.path.join("dump", category), exist_ok=True)
        open(os.path.join("dump", category, disc_id), "wb").write(data)
    open(os.path.join("dump", "README"), "w").write("not an entry\n")
    loose = "pear_Net_CDDB_d50dd30f.xmcd"
    open(loose, "wb").write(read(os.path.join(DATA, loose)))

    output = run("-f", "a.bdb", "import", "dump", loose)
    check(f"imported {len(tree) + 1} entries" in output, f"import said: {output}")
    expected = [(f"{c}/{d}", stored(c, d, tree[(c, d)])) for c, d in sorted(tree)]  # in path order
    expected.append(("nocategory/d50dd30f", stored("nocategory", "d50dd30f", read(loose))))
    check(read("a.bdb") == layout(expected), "import did not give the layout of one-by-one adds")
    report = run("-f", "a.bdb", "check")
    check(report.count("\tok\n") == len(expected) and "0 faults" in report, f"check: {report[-300:]}")
    titles = [(k, b"".join(l[7:] for l in body(t) if l.startswith(b"DTITLE=")).decode("latin-1")) for k, t in expected]
    check([tuple(l.split("\t")[:2]) for l in run("-f", "a.bdb", "list").splitlines()] == titles, "list differs")

    run("-f", "a.bdb", "export", "out")
    for (c, d), data in tree.items():
        path = os.path.join("out", c, d)
        check(os.path.exists(path) and read(path) == b"".join(l + b"\n" for l in body(data)), f"export of {c}/{d}")
    # The export imported again, in two runs: keys already present are skipped.
    run("-f", "b.bdb", "import", os.path.join("out", "rock"))
    rock = [e for e in expected if e[0].startswith("rock/")]
    check(f"{len(rock)} already present" in run("-f", "b.bdb", "import", "out"), "second import skipped no keys")
    rest = sorted(e for e in expected if not e[0].startswith("rock/"))
    check(read("b.bdb") == layout(rock + rest), "re-import did not give the expected bytes")

    run("-f", "a.bdb", "delete", "9e000000")  # under every category; the rest keep their order
    check(read("a.bdb") == layout([e for e in expected if "9e000000" not in e[0]]), "delete did not compact")
    run("-f", "a.bdb", "delete", "9e000000", expect=1)
    check(run("-f", "a.bdb", "show", "d50dd30f").encode("latin-1") == expected[-1][1].replace(b"\r\n", b"\n"), "show")

    damaged = read("a.bdb")[:-10]  # reported and left alone
    open("c.bdb", "wb").write(damaged)
    check("FAULT" in run("-f", "c.bdb", "check", expect=1), "check missed a cut index")
    run("-f", "c.bdb", "import", "dump", expect=1)
    run("-f", "c.bdb", "delete", "rock", expect=1)
    check(read("c.bdb") == damaged, "a damaged file was changed")
    check(sorted(os.listdir(".")) == sorted(["a.bdb", "b.bdb", "c.bdb", "dump", "out", loose]), "files left behind")

    for args, status in [((), 2), (("frobnicate",), 2), (("show",), 2), (("-f", "missing.bdb", "list"), 1)]:
        run(*args, expect=status)
    check("Usage: brd-db" in run("--help"), "no usage text")


samples = [read(os.path.join(DATA, f)) for f in sorted(os.listdir(DATA)) if f.endswith(".xmcd")]
with tempfile.TemporaryDirectory(prefix="brd-db-test-") as work:
    os.chdir(work)
    round_trip(samples)
    os.chdir("/")
print("\n".join(failures) or "brd-db round trip: ok")
sys.exit(1 if failures else 0)
