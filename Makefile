# `make run` and `make test` are the whole set-up on a fresh Debian 12 machine.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: run test test-sanitize build program setup bench package docs clean

setup:
	./scripts/setup

# Order-only: the packages must be there before the first configure, but
# installing nothing new must not configure again.
$(BUILD)/build.ninja: | setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Everything: the program, its icons, the tests and the benchmarks.
build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The program alone, so that `make run` need not wait for the tests.
program: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target fenwarda

run: program
	./$(BUILD)/bin/fenwarda

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFENWARDA_SANITIZE=ON -DFENWARDA_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The Debian package, $(BUILD)/fenwarda_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

# The manual's pictures (docs/manual/img), drawn from a made-up shop; the
# program carries the manual inside, so rebuild it afterwards.
docs: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target docs

bench: build
	@echo "Benchmarks are in $(BUILD)/bin: fenwarda_shopgen, bench_store, bench_lookup, bench_windows"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
