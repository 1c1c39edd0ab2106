# Curvana: the two commands of the README, and a few more for developers.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test headless
#   make sanitize   build everything with ASan + UBSan and run every test
#   make bench      build and run the benchmarks
#   make fuzz       build the libFuzzer targets with clang and run the BMP reader's for FUZZ_SECONDS
#   make install    build and install into PREFIX (default /usr/local), under DESTDIR if given
#   make package    build the Debian package curvana_<version>_<architecture>.deb in the build folder

BUILD      ?= build
GENERATOR  ?= Ninja
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 600
FUZZ_TARGET  ?= fuzz_bmp
JOBS         ?= 2

PACKAGES      = cmake g++ ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev
# PNG pictures (libpng: the tests and the benchmark compare with its reading)
PACKAGES     += libspng-dev libpng-dev
# TIFF and WebP pictures
PACKAGES     += libtiff-dev libwebp-dev
# PDF pages (poppler-utils: the tests compare with pdftoppm)
PACKAGES     += libpoppler-cpp-dev poppler-utils
FUZZ_PACKAGES = clang libclang-rt-14-dev
# The Debian package: dpkg-shlibdeps works out its dependencies
PACKAGE_PACKAGES = dpkg-dev
PREFIX ?= /usr/local

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test install package sanitize bench fuzz fuzz-deps clean

all: build

# Installs only the packages that are missing, so a prepared machine needs no network.
deps:
	@./scripts/install-packages $(PACKAGES)

fuzz-deps:
	@./scripts/install-packages $(FUZZ_PACKAGES)

$(BUILD)/build.ninja $(BUILD)/Makefile:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: start Curvana under a virtual one with 'xvfb-run -a $(BUILD)/curvana' (apt-get install xvfb)."; \
	  exit 1; \
	fi
	$(BUILD)/curvana

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	@./scripts/install-packages $(PACKAGE_PACKAGES)
	cd $(BUILD) && cpack -G DEB

sanitize: deps
	cmake -S . -B build-asan -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DCURVANA_SANITIZE=ON -DCURVANA_BENCH=OFF
	cmake --build build-asan
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j2

bench: build
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] && [ -f "$$b" ] && { echo "== $$b"; $$b; }; done

fuzz: deps fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCURVANA_FUZZ=ON -DCURVANA_SANITIZE=ON -DCURVANA_GUI=OFF -DCURVANA_TESTS=OFF -DCURVANA_BENCH=OFF
	cmake --build build-fuzz -j$(JOBS)
	mkdir -p fuzz-out/$(FUZZ_TARGET)-corpus
	build-fuzz/$(FUZZ_TARGET) -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=10 \
	  -artifact_prefix=fuzz-out/ fuzz-out/$(FUZZ_TARGET)-corpus fuzz/corpus/$(FUZZ_TARGET)

clean:
	rm -rf $(BUILD) build-asan build-fuzz
