# SPDX-License-Identifier: GPL-2.0-or-later
# Every target installs what it needs on a fresh Debian 12 machine first.

BUILD   ?= build
JOBS    ?= 2
# Warnings are errors in CI; locally they stay warnings unless asked.
WERROR  ?= $(if $(CI),ON,OFF)
CMAKE_FLAGS ?=
# What `make run` plugs in: the virtual keyboard's models and connection modes.
SCENARIO ?= 101:0,2

DEBIAN_PACKAGES := build-essential cmake ninja-build pkg-config git \
	qt6-base-dev qt6-translations-l10n libgl-dev libsqlite3-dev libhidapi-dev libhidapi-hidraw0 libudev-dev \
	zlib1g-dev libminizip-dev libcurl4-openssl-dev libpulse-dev libgif-dev libpng-dev libjpeg-dev libxkbcommon-dev \
	libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev \
	libxtst-dev libx11-dev libxext-dev pulseaudio pulseaudio-utils desktop-file-utils appstream clang-format xvfb xauth \
	libssl-dev openssl python3 x11-utils \
	dpkg-dev file lintian \
	libfftw3-dev libkissfft-dev valgrind
# The SDK server's test drives it with an independent client from the npm registry. A Node.js
# of another origin (which conflicts with Debian's npm) is taken as it is.
NODE_PACKAGES := nodejs npm

.PHONY: all deps configure build run run-update-demo test test-core bench bench-build soak sanitize \
	sanitize-thread format format-check clean package package-check

all: build

deps:
	@missing=""; \
	for package in $(DEBIAN_PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$package 2>/dev/null | grep -q "install ok installed" \
			|| missing="$$missing $$package"; \
	done; \
	command -v npm >/dev/null 2>&1 || missing="$$missing $(NODE_PACKAGES)"; \
	if [ -n "$$missing" ]; then \
		sudo=""; [ "$$(id -u)" -ne 0 ] && sudo="sudo"; \
		echo "Installing:$$missing"; \
		$$sudo apt-get update && \
		DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DZEPHYL_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/bin/zephyl-keyboard-driver --virtual-keyboard=$(SCENARIO)

# The software update against a loopback HTTPS server with a demo package (needs python3, openssl).
run-update-demo: build
	sh tests/update/data/update_demo.sh $(BUILD) $(SCENARIO)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 300

# The core libraries, zephylctl and the virtual keyboard with their tests, without the window:
# no Qt at all, as a headless machine builds it.
test-core: deps
	cmake -S . -B $(BUILD)-nogui -G Ninja -DZEPHYL_BUILD_GUI=OFF -DZEPHYL_WERROR=$(WERROR) \
		$(CMAKE_FLAGS)
	cmake --build $(BUILD)-nogui -j$(JOBS)
	cd $(BUILD)-nogui && ctest --output-on-failure -j$(JOBS) --timeout 300

# The benchmark programs and what the report measures, in Release; CI builds them, runs none.
# Warnings stay warnings here: GCC 12 at -O3 reports -Wrestrict on plain std::string
# concatenation (a known false positive) that the -O2 builds of make test do not.
bench-build: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHYL_BUILD_BENCH=ON \
		-DZEPHYL_BUILD_TESTS=OFF -DZEPHYL_WERROR=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD)-bench -j$(JOBS) --target bench-programs

# Runs every bench program, then the program itself under Xvfb, and prints one table of every
# figure beside its goal and its anchor measured in the same run.
bench: bench-build
	python3 bench/report/report.py $(BUILD)-bench/bin

# Longer than the tests: malformed pictures and exchange files under an address-space limit
# (largest RSS and longest time reported), killed writes, every fault of the virtual keyboard
# against every writing command, and the import and picture fuzz targets. SOAK_KILLS and
# SOAK_FUZZ_RUNS bound it.
soak: build
	tools/soak.sh $(BUILD)

sanitize: deps
	cmake -S . -B $(BUILD)-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DZEPHYL_SANITIZE=address,undefined -DZEPHYL_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/cmake/lsan.supp \
		ctest --output-on-failure -j$(JOBS) --timeout 600

sanitize-thread: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DZEPHYL_SANITIZE=thread -DZEPHYL_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(BUILD)-tsan -j$(JOBS)
	cd $(BUILD)-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j$(JOBS) --timeout 600

# The Debian package, packed from the build folder: $(BUILD)/zephyl-keyboard-driver_<version>_<arch>.deb
package: build
	cd $(BUILD) && cpack -G DEB

# The package built, its contents listed and checked, the unpacked programs run, and lintian.
package-check: package
	packaging/check-package.sh "$$(ls -t $(BUILD)/zephyl-keyboard-driver_*.deb | head -n 1)"

format: configure
	cmake --build $(BUILD) --target format

format-check: configure
	cmake --build $(BUILD) --target format-check

clean:
	rm -rf $(BUILD) $(BUILD)-nogui $(BUILD)-bench $(BUILD)-asan $(BUILD)-tsan
