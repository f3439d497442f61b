# The two commands of the README: `make play` and `make test`. Everything they
# need is installed by cmake/deps.sh; build trees live under build/.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_GEN := -G Ninja

.PHONY: all deps native windows test test-native test-windows play dist video soak fuzz bench format clean

all: native windows

deps:
	@bash cmake/deps.sh

native: deps
	@mkdir -p build; [ -f build/native/build.ninja ] || cmake -S . -B build/native $(CMAKE_GEN) \
	    -DCMAKE_BUILD_TYPE=Debug > build/native-configure.log
	@cmake --build build/native -j $(JOBS)

# The Windows tree's end-to-end tests play the show the native tree makes.
windows: native
	@mkdir -p build; [ -f build/windows/build.ninja ] || cmake -S . -B build/windows $(CMAKE_GEN) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	    -DCMAKE_BUILD_TYPE=Release > build/windows-configure.log
	@cmake --build build/windows -j $(JOBS)

test-native: native
	ctest --test-dir build/native -j $(JOBS) --output-on-failure

test-windows: windows
	ctest --test-dir build/windows -j $(JOBS) --output-on-failure

# Both suites run even when the first fails; the result is failure if either did.
test: native windows
	@status=0; \
	ctest --test-dir build/native -j $(JOBS) --output-on-failure || status=1; \
	ctest --test-dir build/windows -j $(JOBS) --output-on-failure || status=1; \
	exit $$status

play: windows
	@bash cmake/play.sh build/windows

# The show as a video: build/play/show.mp4.
video: windows
	@bash cmake/video.sh build/windows build/show

# The long run: the looping show under Wine for SOAK_MINUTES (60); not part
# of the tests.
soak: windows
	@bash cmake/soak.sh build/windows build/show build/native

# The demo as it ships (the Windows tree packs it with every build).
dist: windows
	@ls -l build/dist/nightloom.zip

fuzz: deps
	@mkdir -p build; [ -f build/fuzz/build.ninja ] || cmake -S . -B build/fuzz $(CMAKE_GEN) \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DNL_FUZZ=ON \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo > build/fuzz-configure.log
	@cmake --build build/fuzz -j $(JOBS)
	@bash cmake/fuzz.sh build/fuzz $(FUZZ_SECONDS)

# Benchmarks in an optimised, unsanitised native tree; they print figures and
# are never part of the tests.
bench: windows
	@mkdir -p build; [ -f build/bench/build.ninja ] || cmake -S . -B build/bench $(CMAKE_GEN) \
	    -DCMAKE_BUILD_TYPE=Release -DNL_SANITIZE=OFF -DNL_BENCH=ON > build/bench-configure.log
	@cmake --build build/bench -j $(JOBS) --target archive_bench texture_bench lwo_bench particle_bench \
	    pm_bench
	@build/bench/bench/archive_bench
	@build/bench/bench/texture_bench
	@build/bench/bench/lwo_bench
	@build/bench/bench/particle_bench
	@build/bench/bench/pm_bench
	@bash bench/scene_bench.sh build/windows build/show ../shared/testdata

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i

clean:
	rm -rf build/native build/windows build/fuzz build/bench build/play
