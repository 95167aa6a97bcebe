# Thin wrapper over CMake.  `make run` and `make test` work on a fresh
# Debian 12 machine: both install what the build needs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
CONFIG     ?= Release
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
DESTDIR    ?=
DEMO       := demo/demo.wav
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test install sanitize bench screenshots clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(CONFIG) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The workshop on the demo sound's document (made by the build with its sound
# objects, then opened as a file manager opens a .tbx); without a display it
# says how to run it under xvfb-run.
run: build
	@$(BUILD)/bin/kavrel info $(DEMO)
	-@$(BUILD)/bin/tembrix --open $(BUILD)/demo/demo.tbx

screenshots: build
	@bash scripts/screenshots.sh

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The programs side by side in PREFIX/bin, with their desktop entries, icons,
# document types and guides; DESTDIR stages it all for a package.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Every test, the windows' included, once more under AddressSanitizer and
# UBSan; any report fails. -O1 keeps the instrumented run quick and line
# tables only (-g1) its build, for CI; the reports still name file and line.
# The sanitizer and leak options are the tests' own (cmake/KavrelTests.cmake).
sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
		-DKAVREL_SANITIZE=ON -DKAVREL_BENCH=OFF -DKAVREL_GUI=ON > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Every reader of outside input under libFuzzer for FUZZ_SECONDS each (clang,
# with ASan and UBSan), from seeds the batch tool of $(BUILD) makes. A crash,
# a leak, a hang, an allocation over 1 GiB or more than three messages for
# one input is a finding, kept in $(FUZZ_BUILD)/findings/.
.PHONY: fuzz
fuzz: configure
	@cmake --build $(BUILD) -j $(JOBS) --target kavrel_tool
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1" \
		-DKAVREL_FUZZ=ON -DKAVREL_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	@bash fuzz/run-fuzzers.sh $(BUILD)/bin/kavrel $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Every benchmark, those that run a peer (sox, praat) beside the same job
# included; they print its time, ours and the ratio.
bench: build
	@bash scripts/install-deps.sh
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
