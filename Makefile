# The project's one entry point.
#   make demo   build everything, pack the example product, install it
#               silently under Wine, show what was installed, uninstall it
#   make test   build everything and run the whole test suite
#   make dist   the release archives in dist/
# Both install what they need from Debian first (scripts/bootstrap).

BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   ?= cmake
HOST    := $(BUILD)/host
WIN32   := $(BUILD)/win32
FUZZ    := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60

.PHONY: all bootstrap host win32 fuzz test test-host test-fuzz test-wine demo dist fuzz-long bench corruption-sweep clean

all: host win32

bootstrap:
	@scripts/bootstrap

$(HOST)/CMakeCache.txt: | bootstrap
	$(CMAKE) -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release

$(WIN32)/CMakeCache.txt: | bootstrap
	$(CMAKE) -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

$(FUZZ)/CMakeCache.txt: | bootstrap
	$(CMAKE) -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Release -DTESS_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

host: $(HOST)/CMakeCache.txt
	$(CMAKE) --build $(HOST) -j$(JOBS)

win32: $(WIN32)/CMakeCache.txt
	$(CMAKE) --build $(WIN32) -j$(JOBS)

fuzz: $(FUZZ)/CMakeCache.txt
	$(CMAKE) -S . -B $(FUZZ) -DTESS_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	$(CMAKE) --build $(FUZZ) -j$(JOBS)

test-host: host
	cd $(HOST) && ctest -j$(JOBS) --output-on-failure

test-fuzz: fuzz
	cd $(FUZZ) && ctest -j$(JOBS) --output-on-failure

test-wine: host win32
	cd $(WIN32) && ctest -j$(JOBS) --output-on-failure

# The whole suite; every layer runs even when an earlier one failed.
test: host win32 fuzz
	@status=0; \
	$(MAKE) --no-print-directory test-host || status=1; \
	$(MAKE) --no-print-directory test-fuzz || status=1; \
	$(MAKE) --no-print-directory test-wine || status=1; \
	exit $$status

demo: host win32
	scripts/demo

# The release archives in dist/: the builder for Linux and for Windows, each
# with the runtime stub beside it, the docs and the examples.
dist: host win32
	scripts/dist

# Longer fuzzing than the suite's bounded runs.
fuzz-long:
	$(MAKE) test-fuzz FUZZ_SECONDS=1800

# The installer against NSIS and the floor under Wine; the table goes to
# bench/results/latest.md.
bench: host win32
	TESS_BUILD=$(abspath $(BUILD)) scripts/bench

# Damaged copies of an installer, each refused without a trace (the suite
# runs a small sample of them).
CORRUPTION_COPIES ?= 600
corruption-sweep: host win32
	TESS_BUILD=$(abspath $(BUILD)) scripts/corruption-sweep --copies $(CORRUPTION_COPIES)

clean:
	rm -rf $(BUILD)
