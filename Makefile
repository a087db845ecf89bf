# Entry points: `make test` (everything CI runs), `make run`, `make bench`, `make format`.
BUILD      := build
ASAN_BUILD := build-asan
JOBS       ?= $(shell nproc)
SOURCES     = $(shell git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')

.PHONY: all deps configure build test check unit asan format format-check run bench clean \
        fuzz fuzz-smoke soak

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_SANITIZE=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The whole check: formatting, the tests, and the tests again under ASan and UBSan.
test: deps format-check unit asan fuzz-smoke

check: test

unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

# The fuzz targets, built with clang's libFuzzer in their own folder, each run for FUZZ_SECONDS
# or FUZZ_RUNS executions, whichever ends first; the smoke pass only proves they still build and
# run.
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS    ?=
fuzz: deps
	FUZZ_RUNS=$(FUZZ_RUNS) tests/fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: deps
	tests/fuzz/run $(FUZZ_BUILD) 3

format:
	clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES)

# Opens the window on the simulated stick, whose files stay in $(SIM_STICK) between runs; drop the
# designs of samples/ on it. Without a display, sends the samples from the terminal instead.
SIM_STICK := $(BUILD)/sim-stick
CLI       := $(BUILD)/cli/brindle-stick-cli
APP       := $(BUILD)/app/brindle-stick
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    echo "Opening Brindle Stick on the simulated stick (its files in $(SIM_STICK))."; \
	    echo "Drop the designs of samples/ on the window."; \
	    $(APP) --simulate=$(SIM_STICK); \
	else \
	    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset), so no window: sending the"; \
	    echo "samples to the simulated stick from the terminal instead."; \
	    rm -rf $(SIM_STICK); \
	    $(CLI) --simulate=$(SIM_STICK) send samples/*.* && \
	    $(CLI) --simulate=$(SIM_STICK) list; \
	fi

bench: build
	$(BUILD)/bench/brindle-stick-bench

# A thousand sends under faults drawn from SOAK_SEED, checked against what the stick holds.
SOAK_SEED ?= 1
soak: build
	$(BUILD)/bench/brindle-stick-bench --soak $(SOAK_SEED)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
