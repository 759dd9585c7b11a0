# The commands a person types. Each installs what it needs first.
.PHONY: all deps host win64 fuzz-targets dist test test-host test-windows test-e2e test-fuzz run bench fuzz skin size clean

all: host win64

deps:
	@scripts/deps

host: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host

win64: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64

# The core's readers of outside bytes as libFuzzer targets (clang, ASan + UBSan).
fuzz-targets: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

# The release for Windows users, build/dist/BRD-<version>-win64.zip; every
# win64 build makes it again.
dist: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 --target dist

test: host win64 fuzz-targets
	@scripts/run-tests

test-host: host
	@scripts/run-tests host

test-windows: win64
	@scripts/run-tests windows

test-e2e: win64
	@scripts/run-tests e2e

test-fuzz: fuzz-targets
	@scripts/run-tests fuzz

run: win64
	@scripts/run-player

bench: host win64
	@scripts/run-benchmarks

# Every fuzz target for FUZZ_SECONDS each; fails on a crash, a leak, a
# sanitizer report, or an input over a second or 256 MB (build/fuzz/artifacts).
FUZZ_SECONDS ?= 60
fuzz: fuzz-targets
	@scripts/run-fuzz $(FUZZ_SECONDS)

# Regenerates the skin bitmaps and icons under resources/ from the text
# definitions in tools/skingen/art; the output is the same bytes every time.
skin: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host --target skingen
	@build/host/tools/skingen/skingen tools/skingen/art resources

clean:
	rm -rf build

# Lines of program and of tests per folder, and their ratio.
size:
	@scripts/code-size
