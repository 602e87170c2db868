# Thin wrapper around CMake. `make test` and `make run` set up a fresh Debian machine first.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build test test-asan run bench screenshot fuzz format format-check clean install package lint check-install

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DANGOKA_SANITIZE=ON -DANGOKA_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	$(BUILD)/bin/angoka

# Installs the programs and their desktop files under PREFIX (DESTDIR is honoured too).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The .deb, in the build folder.
package: build
	cmake --build $(BUILD) --target package

# The package installed with apt on a minimal Debian, its window photographed (as root; downloads).
check-install: package
	scripts/install-deps install-check
	scripts/check-install $$(ls -t $(BUILD)/angoka_*.deb | head -1) $(BUILD)/debian-root $(BUILD)/check-install.png

lint: package
	scripts/install-deps lint
	lintian --info $(BUILD)/angoka_*.deb

bench:
	scripts/install-deps bench
	bench/run-bench

# The window as it opens, at 200 % and under a dark scheme (copy them to docs/ when its looks change).
screenshot: build
	scripts/install-deps screenshot
	scripts/screenshot $(BUILD)/bin/angoka $(BUILD)/screenshot.png
	QT_SCALE_FACTOR=2 scripts/screenshot $(BUILD)/bin/angoka $(BUILD)/screenshot-200.png
	scripts/screenshot $(BUILD)/bin/window_photo $(BUILD)/screenshot-dark.png --dark

# Each fuzz target for FUZZ_SECONDS (default 60); fails on any finding.
fuzz:
	scripts/install-deps fuzz
	fuzz/run-fuzz

format:
	scripts/install-deps format
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails on any source that `make format` would change.
format-check:
	scripts/install-deps format
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
