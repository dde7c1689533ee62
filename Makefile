# Two commands do all the set-up on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts VeskEprom on the board simulator
#   make test   the same set-up, then the lint step and every test (plain, sanitized, and
#               the HEX reader's fuzzer)
# `make` (or `make build`) only builds, and never installs anything: the set-up
# is `make deps`, which run, test and the other goals that need more than the
# build (lint, bench, screenshot, package) do first. `sudo make install`
# installs what `make` built. The three builds are CMakePresets.json's
# release, sanitize and fuzz.

BUILD       ?= build
SAN_BUILD   ?= build-sanitize
FUZZ_BUILD  ?= build-fuzz
JOBS        ?= $(shell nproc)
FUZZ_SECONDS ?= 60
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
SETUP_GOALS := deps run test test-plain test-sanitize test-fuzz lint bench screenshot package
SETUP       := $(if $(filter $(SETUP_GOALS),$(MAKECMDGOALS)),deps)
CONFIGURE_FAILED = { echo "make: configuring $(1) failed; if a package is missing, make deps installs it" >&2; exit 1; }

.PHONY: all deps configure build run lint test test-plain test-sanitize test-fuzz bench screenshot \
        package install clean

all: build

deps:
	@scripts/install-deps

configure: $(SETUP)
	cmake --preset release -B $(BUILD) -DVESK_WERROR=$(WERROR) || $(call CONFIGURE_FAILED,$(BUILD))

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/VeskEprom --simulate

test: lint test-plain test-sanitize test-fuzz

# clang-format over every C++ file, and clang-tidy's checks (.clang-tidy) over
# our sources with the build's compile_commands.json.
lint: configure
	scripts/lint $(BUILD) $(JOBS)

# ctest prints no output of a skipped test: the emulated PC's reason is shown here.
test-plain: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS); status=$$?; \
	  cat $(BUILD)/tests/emulated-pc/skipped 2>/dev/null; exit $$status

# The sanitized build's tests find their ASAN_OPTIONS, UBSAN_OPTIONS and
# LSAN_OPTIONS in the build itself (CMakeLists.txt), however ctest is run.
test-sanitize: $(SETUP)
	cmake --preset sanitize -B $(SAN_BUILD) -DVESK_WERROR=$(WERROR) || $(call CONFIGURE_FAILED,$(SAN_BUILD))
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

test-fuzz: $(SETUP)
	cmake --preset fuzz -B $(FUZZ_BUILD) -DVESK_WERROR=$(WERROR) || $(call CONFIGURE_FAILED,$(FUZZ_BUILD))
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz_hex_reader -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(FUZZ_BUILD)/corpus tests/fuzz/seeds

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
