# Trelk: `make run` sets up, builds and starts Trelk; `make test` sets up,
# builds and runs every test. Both call tools/setup.sh, which is quick when
# everything is already installed.
BUILD   ?= build/win32
NATIVE  ?= build/native
DIST    ?= build/dist
JOBS    ?= $(shell nproc)
CMAKE_WIN = cmake -S . -B $(BUILD) -G Ninja \
	-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake \
	-DTRELK_DIST_DIR=$(abspath $(DIST))
CMAKE_NATIVE = cmake -S . -B $(NATIVE) -G Ninja -DTRELK_NATIVE=ON \
	-DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++

.PHONY: setup build native run dist test test-win test-native bench clean

setup:
	@bash tools/setup.sh

build: setup
	@$(CMAKE_WIN) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

native: setup
	@$(CMAKE_NATIVE) >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The download for Windows users, $(DIST)/trelk-<version>-win32.zip: only
# trelk.exe and the zip are built (every full build makes the zip too).
dist: setup
	@$(CMAKE_WIN) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target dist
	@ls $(DIST)/trelk-*-win32.zip

run: build
	@bash tools/run-trelk.sh $(BUILD)/trelk.exe

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-win: build
	@bash tools/wine-run.sh --prepare >/dev/null
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test: test-native test-win

BENCH_NATIVE = build/nbench

bench: build
	@cmake --build $(BUILD) --target bench
	@for b in $(BUILD)/bench/bench_*.exe; do bash tools/wine-run.sh $$b; done
	@cmake -S . -B $(BENCH_NATIVE) -G Ninja -DTRELK_NATIVE=ON -DTRELK_SANITIZE=OFF \
		-DTRELK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DTRELK_WERROR=OFF \
		-DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
	@cmake --build $(BENCH_NATIVE) --target bench
	@for b in $(BENCH_NATIVE)/bench/bench_*; do $$b; done

clean:
	rm -rf build
