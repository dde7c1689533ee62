# Two commands do all the set-up on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts VeskEprom on the board simulator
#   make test   the same set-up, then the lint step and every test (plain, sanitized, and
#               every fuzz target for its share of a minute)
# `make` (or `make build`) only builds, and never installs anything: the set-up
# is `make deps`, which run, test and the other goals that need more than the
# build (lint, bench, screenshot, package, fuzz-long) do first. `sudo make
# install` installs what `make` built. The three builds are CMakePresets.json's
# release, sanitize and fuzz.

BUILD       ?= build
SAN_BUILD   ?= build-sanitize
FUZZ_BUILD  ?= build-fuzz
JOBS        ?= $(shell nproc)
# Most tests wait (on a window manager, a program's end, the emulated PC): ctest
# runs twice as many as there are processors.
TEST_JOBS   ?= $(shell echo $$(($(JOBS) * 2)))
# The fuzz targets share FUZZ_SECONDS in `make test`, SECONDS in `make fuzz-long`.
FUZZ_SECONDS ?= 60
SECONDS     ?= 28800
# CI (CI=true, as .ci/run sets it) builds with warnings as errors. A user's
# build does not, so that a newer compiler's new warnings never stop `make run`;
# `make test WERROR=ON` is CI's build at home.
ifeq ($(CI),true)
WERROR      ?= ON
else
WERROR      ?= OFF
endif

# The goals that install what is missing before they configure; plain `make`,
# `make build` and `make install` are not among them.
SETUP_GOALS := deps run test test-plain test-sanitize test-fuzz fuzz-long lint bench screenshot package
SETUP       := $(if $(filter $(SETUP_GOALS),$(MAKECMDGOALS)),deps)
CONFIGURE_FAILED = { echo "make: configuring $(1) failed; if a package is missing, make deps installs it" >&2; exit 1; }
# The builds and ctest, which may run make themselves, take no part in this
# make's jobs (make test runs its steps at once): they are given their own.
ALONE       := env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS
# Set by make test: the lint yields to the builds and tests, the sanitized
# build waits for the plain tests, and the fuzzing for the sanitized tests
# (see test below).
LINT_NICE   ?=
SANITIZE_AFTER ?=
FUZZ_AFTER  ?=

.PHONY: all deps configure build run lint test test-plain sanitize-build test-sanitize fuzz-build \
        test-fuzz fuzz-long bench screenshot package install clean

all: build

deps:
	@scripts/install-deps

configure: $(SETUP)
	cmake --preset release -B $(BUILD) -DVESK_WERROR=$(WERROR) || $(call CONFIGURE_FAILED,$(BUILD))

build: configure
	$(ALONE) cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/VeskEprom --simulate

# The steps at once, for much of their time is not computing: the lint (half
# of all the processor time) runs at a low priority and takes whatever the
# others leave; beside it the plain build and tests, then the sanitized build
# and tests, then the fuzz targets (built early), which so have a processor of
# their own for their minute as when run alone. Each command's output is shown
# whole when it ends. Nothing is checked less than one step after another would.
test: $(SETUP)
	@$(MAKE) --no-print-directory -j4 --output-sync=line SETUP= LINT_NICE="nice -n 10" \
	  SANITIZE_AFTER=test-plain FUZZ_AFTER=test-sanitize lint test-plain test-sanitize test-fuzz

# clang-format over every C++ file, and clang-tidy's checks (.clang-tidy) over
# our sources with the build's compile_commands.json.
lint: configure
	$(LINT_NICE) scripts/lint $(BUILD) $(JOBS)

# ctest prints no output of a skipped test: the emulated PC's reason is shown here.
test-plain: build
	$(ALONE) ctest --test-dir $(BUILD) --output-on-failure -j $(TEST_JOBS); status=$$?; \
	  cat $(BUILD)/tests/emulated-pc/skipped 2>/dev/null; exit $$status

sanitize-build: $(SETUP) | $(SANITIZE_AFTER)
	cmake --preset sanitize -B $(SAN_BUILD) -DVESK_WERROR=$(WERROR) || $(call CONFIGURE_FAILED,$(SAN_BUILD))
	$(ALONE) cmake --build $(SAN_BUILD) -j $(JOBS)

# The sanitized build's tests find their ASAN_OPTIONS, UBSAN_OPTIONS and
# LSAN_OPTIONS in the build itself (CMakeLists.txt), however ctest is run.
test-sanitize: sanitize-build
	$(ALONE) ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(TEST_JOBS)

fuzz-build: $(SETUP)
	cmake --preset fuzz -B $(FUZZ_BUILD) -DVESK_WERROR=$(WERROR) || $(call CONFIGURE_FAILED,$(FUZZ_BUILD))
	$(ALONE) cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Every fuzz target of the fuzz build (scripts/fuzz), one after another, each
# for its share of FUZZ_SECONDS.
test-fuzz: fuzz-build | $(FUZZ_AFTER)
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The same for the night: each target for its share of SECONDS (8 hours unless
# given), on every processor (libFuzzer's fork mode). What they find stays in
# the build's corpus for the next run.
fuzz-long: fuzz-build
	scripts/fuzz $(FUZZ_BUILD) $(SECONDS) $(JOBS)

bench: build
	bench/run-all $(BUILD)

# The README's picture: VeskEprom's window under Xvfb after reading a simulated
# chip that holds a recognisable pattern. Runs in the build tree, where the
# start-up's empty default.bin may land.
screenshot: build
	mkdir -p docs
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1024x768x24" \
	  tools/screenshot $(CURDIR)/docs/screenshot.png

# veskeprom_<version>-<release>_<arch>.deb in $(BUILD)/.
package: build
	cmake --build $(BUILD) --target package

# Installs what `make` built and builds nothing, so that `sudo make install`
# never builds as root (and leaves no files in the build tree that only root
# can change).
BUILT = $(addprefix $(BUILD)/,VeskEprom zeza vesk zeza-messagebox.so \
                               man/VeskEprom.1.gz man/zeza.1.gz man/vesk.1.gz)
install:
	@if [ ! -f $(BUILD)/cmake_install.cmake ]; then \
	  echo "make install: nothing is built in $(BUILD)/: run make first (as yourself), then sudo make install." >&2; \
	  exit 1; \
	fi
	@for f in $(BUILT); do \
	  if [ ! -e "$$f" ]; then \
	    echo "make install: $$f is not built: run make first (as yourself), then sudo make install." >&2; \
	    exit 1; \
	  fi; \
	done
	cmake --install $(BUILD)
	@# cmake --install leaves its list of the installed files in the build tree:
	@# it stays the build's owner's, for the next package build rewrites it.
	@if [ "$$(id -u)" -eq 0 ] && [ -f $(BUILD)/install_manifest.txt ]; then \
	  chown --reference=$(BUILD)/CMakeCache.txt $(BUILD)/install_manifest.txt; \
	fi

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
