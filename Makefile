# Ollendor: the two set-up commands are `make run` and `make test`.
# Each installs the Debian packages that are missing (and only those), configures, builds,
# then starts the emulator or runs every test.

BUILD      ?= build
ASAN_BUILD ?= build-asan
WEB_BUILD  ?= build-web
JOBS       ?= $(shell nproc)

# Everything the build, the tests and the benchmarks use, by Debian package name. npm (for
# the automation tests' client) is installed too where the nodejs package does not bring it.
PACKAGES := cmake ninja-build g++ pkg-config \
            libsdl2-dev libx11-dev libimgui-dev libcli11-dev libstb-dev \
            libgtest-dev libgmock-dev libbenchmark-dev libz80ex-dev z80asm pasmo \
            libzstd-dev libxxhash-dev liblz4-dev libtomlplusplus-dev \
            nlohmann-json3-dev libcpp-httplib-dev nodejs \
            clang libclang-rt-14-dev \
            xvfb xauth xdotool imagemagick retroarch retroarch-dev dbus \
            help2man librsvg2-bin desktop-file-utils appstream dpkg-dev groff-base \
            emscripten chromium

.PHONY: all deps configure build run test bench check fuzz golden clean install package web

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	command -v npm >/dev/null 2>&1 || missing="$$missing npm"; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi; \
	  $$sudo apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -q --no-install-recommends $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Starts in the build folder, where the demo tape lies in tapes/; options go in ARGS,
# e.g. make run ARGS="--rom-dir $$HOME/mtx".
run: build
	cd $(BUILD) && ./ollendor $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# `make install` puts the program, its desktop entry, icons, metainfo, man page and the
# demo tape under PREFIX; DESTDIR stages the whole tree elsewhere (for packaging), e.g.
# make install PREFIX=/usr DESTDIR=/tmp/stage. Only what is installed is built.
PREFIX  ?= /usr/local
DESTDIR ?=
INSTALLED_TARGETS := ollendor ollendor-dist
# The libretro core, where Debian's libretro header is there to build it against.
ifneq ($(wildcard /usr/include/libretro-common/libretro.h),)
INSTALLED_TARGETS += ollendor_libretro
endif

install: configure
	@case "$(PREFIX)" in /*) ;; *) echo "PREFIX must be an absolute path, not '$(PREFIX)'" >&2; exit 2;; esac
	cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED_TARGETS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# `make package` builds the Debian package build/ollendor_VERSION_ARCH.deb with CPack.
package: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED_TARGETS)
	cd $(BUILD) && cpack

# The web page (web/): the machine in WebAssembly with Debian's emscripten, and the page
# around it, in WEB_BUILD; the zstd source for it comes from Debian's source package once.
# python3 -m http.server -d build-web, then http://localhost:8000/ for a look.
web: deps
	JOBS=$(JOBS) web/build.sh . $(WEB_BUILD)

bench: build
	$(BUILD)/ollendor-bench

# The test suite under AddressSanitizer and UndefinedBehaviorSanitizer, built with clang
# (at -O1, as the sanitizers' authors advise, with line tables only: the reports still name
# files and lines, and the build is lighter), less what only repeats the release run (the long runs: exerciser, windows, RetroArch, the
# browser; the packaging; the SDK client), then every fuzz target briefly (FUZZ_SECONDS)
# over its kept corpus (tests/fuzz), two at a time. `make fuzz` runs the long campaign.
FUZZ_SECONDS ?= 10
FUZZ_JOBS    ?= 2
FUZZ_CAMPAIGN_SECONDS ?= 600

check: deps
	@if [ -f $(ASAN_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(ASAN_BUILD) -DOLLENDOR_SANITIZE=ON -DOLLENDOR_FUZZ=ON >/dev/null; \
	else \
	  CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOLLENDOR_SANITIZE=ON -DOLLENDOR_FUZZ=ON \
	    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG"; \
	fi
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE 'long|package|sdk'
	tools/run_fuzzers.sh $(ASAN_BUILD) $(FUZZ_SECONDS) $(FUZZ_JOBS)

# The long fuzzing campaign: every target for FUZZ_CAMPAIGN_SECONDS (the sanitizer build of
# `make check` must exist).
fuzz:
	tools/run_fuzzers.sh $(ASAN_BUILD) $(FUZZ_CAMPAIGN_SECONDS) $(FUZZ_JOBS)

# Regenerates the built-in ROM's reference pictures in tests/golden/ from the current build.
# Only on purpose: review every changed picture before committing it.
golden: build
	tests/golden/update.sh $(BUILD)/ollendor

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WEB_BUILD)
