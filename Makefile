# Plicato: the two everyday commands are `make run` and `make check`.
BUILD      ?= build
CHECKBUILD ?= build-check
JOBS       ?= $(shell nproc)
SAMPLE     ?= resources/samples/sample.c
FUZZ_SECONDS ?= 60

.PHONY: all deps build run check bench fuzz clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

SAMPLES    ?= $(wildcard resources/samples/*)

run: build
	$(BUILD)/bin/plicato $(SAMPLES)

check: deps
	cmake -S . -B $(CHECKBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLICATO_SANITIZE=ON -DPLICATO_BUILD_BENCH=OFF
	cmake --build $(CHECKBUILD) -j $(JOBS)
	cd $(CHECKBUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bin/gen_bigfile $(BUILD)/big.c 1000000
	for b in $(BUILD)/bin/bench_*; do $$b --benchmark_counters_tabular=true || exit 1; done

clean:
	rm -rf $(BUILD) $(CHECKBUILD)
