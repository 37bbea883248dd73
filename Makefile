# make test  : install what is missing, build and run every test
# make asan  : the whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer
# make demo  : the player on the demo project (headless to build/demo.png without a display)
# make bench : the benchmarks, for real
# make fuzz  : the fuzz targets as libFuzzer binaries (clang)
# make tsan  : the suites of libraries that run worker threads again under ThreadSanitizer
# make release : the libraries and the player in the Release configuration (-O3), build only
# Every build here treats warnings as errors (VORN_WERROR); a plain cmake configuration does not.
# A build folder is configured again when this file changes, so its settings follow it.
JOBS ?= $(shell nproc)
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)
# Test suites of the libraries that run worker threads (binary <suite>_tests, CTest label <suite>).
TSAN_SUITES ?= foundation net platform media components_net
empty :=
space := $(empty) $(empty)
TSAN_LABELS = ^($(subst $(space),|,$(strip $(TSAN_SUITES))))$$

.PHONY: test asan tsan release demo bench fuzz deps configure clean

deps:
	@scripts/install-deps.sh

build/build.ninja: Makefile | deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	@touch $@

configure: deps build/build.ninja

test: configure
	cmake --build build -j $(JOBS)
	cd build && ctest $(CTEST_FLAGS)

build-asan/build.ninja: Makefile | deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_WERROR=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g"
	@touch $@

asan: deps build-asan/build.ninja
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest $(CTEST_FLAGS)

build-tsan/build.ninja: Makefile | deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_TSAN=ON -DVORN_WERROR=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCMAKE_C_FLAGS_DEBUG="-O1 -g"
	@touch $@

tsan: deps build-tsan/build.ninja
	cmake --build build-tsan -j $(JOBS) --target $(addsuffix _tests,$(TSAN_SUITES))
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest $(CTEST_FLAGS) -L '$(TSAN_LABELS)'

build-release/build.ninja: Makefile | deps
	cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORN_WERROR=ON
	@touch $@

release: deps build-release/build.ninja
	cmake --build build-release -j $(JOBS) --target vornplayer

demo: configure
	cmake --build build -j $(JOBS)
	scripts/run-demo.sh

bench: configure
	cmake --build build -j $(JOBS)
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

build-fuzz/build.ninja: Makefile | deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON \
	  -DVORN_SANITIZE=ON -DVORN_WERROR=ON
	@touch $@

fuzz: deps build-fuzz/build.ninja
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf build build-asan build-tsan build-release build-fuzz
