# The project's commands. `make run` and `make test` are the two that matter most.
SHELL := /bin/bash

# Every Debian package the build, the tests and the benchmarks need.
PACKAGES := build-essential cmake ninja-build pkg-config ccache \
	ffmpeg libavcodec-dev libavformat-dev libavfilter-dev libswscale-dev libswresample-dev \
	libavutil-dev libavdevice-dev \
	qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev \
	libopencore-amrnb-dev libsqlite3-dev libpugixml-dev libdvdnav-dev libdvdread-dev libsimpleini-dev libfontconfig-dev \
	libgtest-dev libgmock-dev libglib2.0-dev \
	dvdauthor genisoimage time fonts-dejavu-core locales \
	qt6-l10n-tools qt6-translations-l10n fonts-wqy-microhei xvfb xauth pulseaudio clang-format \
	dbus-daemon librsvg2-bin dpkg-dev file desktop-file-utils appstream lintian man-db

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build test asan tsan bench run clean fuzz screenshots install package

deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake --preset release >/dev/null
	cmake --build --preset release

test: build
	ctest --preset release

asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --preset asan -L 'unit|integration|gui'

tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	TSAN_OPTIONS="suppressions=$(CURDIR)/tests/sanitizers/tsan.supp second_deadlock_stack=1 ignore_noninstrumented_modules=1" \
		ctest --preset tsan -L '$(TSAN_LABELS)'

# The engine, runner and platform suites are the ones whose threads matter.
TSAN_LABELS := -(engine|tasks|platform)$$

# The XML reader under libFuzzer (clang, AddressSanitizer + UBSan) for FUZZ_SECONDS over the seed
# documents of fuzz/corpus; new inputs go to build-fuzz/corpus, crashes to build-fuzz/.
FUZZ_SECONDS ?= 120
fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang (apt-get install clang)"; exit 1; }
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVC_SANITIZE=address -DVC_FUZZ=ON >/dev/null
	cmake --build build-fuzz --target xml_reader_fuzz
	mkdir -p build-fuzz/corpus
	cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 ./fuzz/xml_reader_fuzz -max_total_time=$(FUZZ_SECONDS) \
		-rss_limit_mb=2048 -print_final_stats=1 corpus ../fuzz/corpus

bench: build
	bench/run_all.sh build

# The desktop program's windows as a person sees them, in Chinese and English, rendered under Xvfb
# into build/screenshots/<window>-<language>.png.
SCREENSHOT_DIR ?= $(CURDIR)/build/screenshots
screenshots: build
	cmake --build --preset release --target vc_screenshots
	xvfb-run -a -s "-screen 0 1600x1000x24" build/tools/screenshots/vc_screenshots $(SCREENSHOT_DIR)

# The desktop program when there is a display to show it on, otherwise the command-line demo.
run: build
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
		echo "Starting build/src/gui/videoconverter"; build/src/gui/videoconverter; \
	else \
		bench/demo.sh build; \
	fi

# Both programs, the desktop entry and the icon under PREFIX (default /usr/local); DESTDIR stages
# the files elsewhere (for packaging): make install PREFIX=/usr DESTDIR=/tmp/stage
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# The Debian package of both programs: build/videoconverter_<version>_<arch>.deb (install it with
# apt-get install ./build/videoconverter_*.deb).
package: build
	cd build && cpack -G DEB

clean:
	rm -rf build build-dev build-asan build-tsan build-fuzz
