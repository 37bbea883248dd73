# make test  : install what is missing, build and run every test
# make asan  : the whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer
# make demo  : the player on the demo project (headless to build/demo.png without a display)
# make bench : the benchmarks, for real
# make fuzz  : the fuzz targets as libFuzzer binaries (clang)
JOBS ?= $(shell nproc)
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)

.PHONY: test asan demo bench fuzz deps configure clean

deps:
	@scripts/install-deps.sh

build/build.ninja: | deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps build/build.ninja

test: configure
	cmake --build build -j $(JOBS)
	cd build && ctest $(CTEST_FLAGS)

build-asan/build.ninja: | deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g"

asan: deps build-asan/build.ninja
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest $(CTEST_FLAGS)

demo: configure
	cmake --build build -j $(JOBS)
	scripts/run-demo.sh

bench: configure
	cmake --build build -j $(JOBS)
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

build-fuzz/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON \
	  -DVORN_SANITIZE=ON

fuzz: deps build-fuzz/build.ninja
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf build build-asan build-fuzz
