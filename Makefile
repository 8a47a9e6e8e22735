# Build, run and test Tavlen. On a fresh Debian 12 machine `make run` and `make test` are all you need:
# both install the missing packages first (through sudo when you are not root).
#
#   make build   Release build of the program alone (no tests, no benchmarks) in build/release
#   make run     build, then start build/release/tavlen on your X11 display (or a private virtual one)
#   make test    Debug build with AddressSanitizer/UBSan in build/debug, the Release build with tests and
#                benchmarks in build/release-check (built, not run: it shows the warnings only an optimising
#                build finds), then every test of build/debug on private desktops; warnings are errors in both
#   make bench   Release build of the program and the benchmarks, then every build/release/bench/*Bench
#                (BENCH_ARGS passes options on)
#   make clean   remove build/release, build/debug and build/release-check

SHELL := /bin/bash
RELEASE_DIR := build/release
DEBUG_DIR := build/debug
CHECK_DIR := build/release-check
BENCH_ARGS ?=
# ccache, when installed, shares compiled objects between checkouts of the tree.
CMAKE_LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps

RELEASE_CONFIGURE := cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF $(CMAKE_LAUNCHER)

build: deps
	$(RELEASE_CONFIGURE) -DTAVLEN_BENCHMARKS=OFF
	cmake --build $(RELEASE_DIR) --target tavlen

run: build
	scripts/run-tavlen $(RELEASE_DIR)/tavlen

test: deps
	cmake -S . -B $(DEBUG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVLEN_SANITIZE=ON -DTAVLEN_WERROR=ON $(CMAKE_LAUNCHER)
	cmake --build $(DEBUG_DIR)
	cmake -S . -B $(CHECK_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVLEN_WERROR=ON $(CMAKE_LAUNCHER)
	cmake --build $(CHECK_DIR)
	TAVLEN_SNAPSHOT_DIR=$(CURDIR)/build/snapshots scripts/run-tests $(DEBUG_DIR)

# Benchmarks run inside the test desktop too: a private home, so they never touch your own history.
# Tests are configured (not built) so the benchmarks can drive the desktop tests' helper windows.
bench: deps
	$(RELEASE_CONFIGURE) -DTAVLEN_BENCHMARKS=ON -DBUILD_TESTING=ON
	cmake --build $(RELEASE_DIR) --target tavlen benchmarks
	scripts/test-env bash -c 'shopt -s nullglob; status=0; benches=($(RELEASE_DIR)/bench/*Bench); \
	  [ $${#benches[@]} -gt 0 ] || echo "No benchmarks built (bench/*Bench.cpp)."; \
	  for b in "$${benches[@]}"; do echo "== $$b"; "$$b" $(BENCH_ARGS) || status=1; done; exit $$status'

clean:
	rm -rf $(RELEASE_DIR) $(DEBUG_DIR) $(CHECK_DIR)
