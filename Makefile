# The project's commands. Each one installs what is missing, then configures and builds.
JOBS ?= $(shell nproc)

.PHONY: deps build-deps build run test stress-test e2e desktop-test torture asan bench fuzz package format clean

deps:
	@scripts/install-deps

build-deps:
	@scripts/install-deps build

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

# Only what building and running take: the tests' packages are not needed here.
run: build-deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target quenby
	./build/app/quenby

test: build
	ctest --preset default -j $(JOBS)

# `make test` five times with `stress-ng --cpu 4` beside it; prints how many runs passed.
stress-test: build
	@scripts/stress-test

# The end-to-end tests alone: the real binary under Xvfb, driven by xdotool.
e2e: build
	ctest --preset default -j $(JOBS) -L e2e

# Quenby's shortcuts on real desktops run headless (KWin with KDE's portal, mutter, weston,
# sway); installs them first. Not part of make test.
desktop-test: build
	scripts/install-deps desktop
	scripts/desktop-test build

# The torture groups with full counts (a few minutes); `make test` runs them with a few rounds.
torture: build
	scripts/run-torture build

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	scripts/run-bench build-release

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	scripts/run-fuzz build-fuzz

# The Debian package of a Release build: build-package/quenby_<version>_<arch>.deb, which
# lintian must pass without a word (the overrides say why a tag does not apply).
package: deps
	cmake --preset package
	cmake --build --preset package -j $(JOBS)
	cpack --preset package
	lintian --display-info --pedantic --fail-on error,warning,info,pedantic build-package/quenby_*.deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-release build-fuzz build-package
