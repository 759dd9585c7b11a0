#!/usr/bin/python3
"""brd-db as a real process: import a generated CDDB dump tree, check, list,
export and re-import it, and compare the database bytes with the layout the
format prescribes for adding the same entries one by one.

Usage: brd_db_roundtrip.py TOOL... (the command that runs brd-db, e.g. the
native binary, or scripts/wine-run and brd-db.exe)."""
import os
import struct
import subprocess
import sys
import tempfile

TOOL = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[1:]]
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
CATEGORIES = ["blues", "classical", "country", "data", "folk", "jazz",
              "misc", "newage", "reggae", "rock", "soundtrack"]
COUNT = 330
failures = []


def run(*args, expect=0):
    result = subprocess.run(TOOL + list(args), capture_output=True)
    if result.returncode != expect:
        failures.append(f"brd-db {' '.join(args)}: exit {result.returncode}, wanted {expect}\n"
                        f"{result.stderr.decode(errors='replace')}")
    return result.stdout.decode("latin-1").replace("\r\n", "\n")


def check(condition, what):
    if not condition:
        failures.append(what)


def lines(data):
    text = data.replace(b"\r\n", b"\n").split(b"\n")
    if text and text[-1] == b"":
        text.pop()
    return text


def stored_form(category, disc_id, data):
    body = lines(data)
    out = f"200 {category} {disc_id}\r\n".encode() + b"".join(l + b"\r\n" for l in body)
    return out if body and body[-1] == b"." else out + b".\r\n"


def file_form(data):
    body = lines(data)
    if body and body[-1] == b".":
        body.pop()
    return b"".join(l + b"\n" for l in body)


def layout(entries):
    """The database of these (key, text) pairs added one by one to a new file."""
    texts, index, at = b"", b"", 12
    for key, text in entries:
        index += key.encode()[:56].ljust(56, b"\0") + struct.pack("<ii", at, len(text))
        texts += text
        at += len(text)
    return b"PACK" + struct.pack("<ii", at, 64 * len(entries)) + texts + index


def dtitle(data):
    value = b""
    for line in lines(data):
        if line.startswith(b"DTITLE="):
            value += line[7:]
    return value.decode("latin-1")


def main():
    sources = sorted(f for f in os.listdir(DATA) if f.endswith(".xmcd"))
    samples = [open(os.path.join(DATA, f), "rb").read() for f in sources]
    with tempfile.TemporaryDirectory(prefix="brd-db-test-") as work:
        os.chdir(work)
        try:
            round_trip(samples)
        finally:
            os.chdir("/")
    if failures:
        print("\n".join(failures))
        sys.exit(1)


def round_trip(samples):

    # A dump tree: category folders of files named by disc id, one disc under
    # two categories, and a README that is not an entry.
    tree = {}
    for i in range(COUNT):
        category = CATEGORIES[i % len(CATEGORIES)]
        disc_id = f"{(0x9e000000 + i * 7919) & 0xffffffff:08x}"
        tree[(category, disc_id)] = samples[i % len(samples)]
    tree[("rock", f"{0x9e000000:08x}")] = samples[1]
    for (category, disc_id), data in tree.items():
        os.makedirs(os.path.join("dump", category), exist_ok=True)
        with open(os.path.join("dump", category, disc_id), "wb") as f:
            f.write(data)
    with open(os.path.join("dump", "README"), "w") as f:
        f.write("not an entry\n")
    loose = "pear_Net_CDDB_d50dd30f.xmcd"
    with open(loose, "wb") as f:
        f.write(open(os.path.join(DATA, loose), "rb").read())

    output = run("-f", "a.bdb", "import", "dump", loose)
    check(f"imported {len(tree) + 1} entries" in output, f"import said: {output}")
    order = sorted(tree)  # the tree is read in path order
    expected = [(f"{c}/{d}", stored_form(c, d, tree[(c, d)])) for c, d in order]
    expected.append(("nocategory/d50dd30f", stored_form("nocategory", "d50dd30f", open(loose, "rb").read())))
    check(open("a.bdb", "rb").read() == layout(expected), "import did not give the layout of one-by-one adds")

    report = run("-f", "a.bdb", "check")
    check(report.count("\tok\n") == len(expected) and "0 faults" in report, f"check: {report[-300:]}")

    listed = [l.split("\t") for l in run("-f", "a.bdb", "list").splitlines()]
    check([l[0] for l in listed] == [k for k, _ in expected], "list keys differ")
    check(all(l[1] == dtitle(t) for l, (_, t) in zip(listed, expected)), "list titles differ")

    run("-f", "a.bdb", "export", "out")
    for (c, d), data in tree.items():
        path = os.path.join("out", c, d)
        check(os.path.exists(path) and open(path, "rb").read() == file_form(data), f"export of {c}/{d}")

    # Importing the export again, in two runs, gives the same entries; keys
    # already present are skipped.
    run("-f", "b.bdb", "import", os.path.join("out", "rock"))
    output = run("-f", "b.bdb", "import", "out")
    rock = [e for e in expected if e[0].startswith("rock/")]
    check(f"{len(rock)} already present" in output, f"second import said: {output}")
    again = sorted(expected, key=lambda e: e[0])
    again = rock + [e for e in again if not e[0].startswith("rock/")]
    check(open("b.bdb", "rb").read() == layout(again), "re-import did not give the expected bytes")

    # A bare disc id goes under every category; the rest keep their order.
    run("-f", "a.bdb", "delete", "9e000000")
    kept = [e for e in expected if "9e000000" not in e[0]]
    check(len(kept) == len(expected) - 2, "the shared disc id was not under two categories")
    check(open("a.bdb", "rb").read() == layout(kept), "delete did not compact as expected")
    run("-f", "a.bdb", "delete", "9e000000", expect=1)
    check(run("-f", "a.bdb", "show", "d50dd30f").encode("latin-1") == expected[-1][1].replace(b"\r\n", b"\n"),
          "show printed something else")

    # A damaged file is reported and left alone.
    damaged = open("a.bdb", "rb").read()[:-10]
    with open("c.bdb", "wb") as f:
        f.write(damaged)
    check("FAULT" in run("-f", "c.bdb", "check", expect=1), "check missed a cut index")
    run("-f", "c.bdb", "import", "dump", expect=1)
    run("-f", "c.bdb", "delete", "rock", expect=1)
    check(open("c.bdb", "rb").read() == damaged, "a damaged file was changed")
    check(sorted(os.listdir(".")) == sorted(["a.bdb", "b.bdb", "c.bdb", "dump", "out", loose]),
          f"files left behind: {sorted(os.listdir('.'))}")

    # Usage errors.
    run(expect=2)
    run("frobnicate", expect=2)
    run("show", expect=2)
    check("Usage: brd-db" in run("--help"), "no usage text")
    run("-f", "missing.bdb", "list", expect=1)

    print(f"brd-db round trip of {len(expected)} entries: ok")


main()
