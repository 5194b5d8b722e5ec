# Plicato: the two everyday commands are `make run` and `make check`.
BUILD      ?= build
CHECKBUILD ?= build-check
TSANBUILD  ?= build-tsan
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZBUILD  ?= build-fuzz
FUZZ_TARGETS = foldreader tdsreader markup profile registry langtxt macros keyscript paste roundtrip

.PHONY: all deps build run check check-tsan package screenshot bench fuzz fuzz-build fuzz-merge fuzz-seeds clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The samples open from the copies beside the program, so trying the
# editor on them leaves the source tree as it was. The files of their filed
# folds are not opened themselves: a file shown in a window of its own
# cannot be entered from its fold.
SAMPLES    ?= sample.c sample.occ sample.tsr

run: build
	cd $(BUILD)/bin/samples && ../plicato $(SAMPLES)

# The check build turns every warning into an error, so a new warning fails.
check: deps
	cmake -S . -B $(CHECKBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLICATO_SANITIZE=ON -DPLICATO_BUILD_BENCH=OFF \
	  -DPLICATO_WERROR=ON
	cmake --build $(CHECKBUILD) -j $(JOBS)
	cd $(CHECKBUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	$(MAKE) check-tsan
	$(MAKE) fuzz FUZZ_SECONDS=10

# The tests that start threads, once more under the thread sanitizer: only
# their own program is built (no desktop program, no other tests).
check-tsan: deps
	cmake -S . -B $(TSANBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLICATO_TSAN=ON -DPLICATO_WERROR=ON \
	  -DPLICATO_BUILD_GUI=OFF -DPLICATO_BUILD_BENCH=OFF
	cmake --build $(TSANBUILD) -j $(JOBS) --target test_threads
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp $(TSANBUILD)/bin/test_threads

# A Debian package of the release build, in $(BUILD)/package/.
package: build
	cmake --build $(BUILD) --target package

# docs/screenshot.png: the program on a private X server, with two
# documents and the fold tree pane.
screenshot: build
	./scripts/install-deps screenshot
	./scripts/screenshot $(BUILD)/bin/plicato docs/screenshot.png

# make bench BENCH_10M=1 also runs the editor's steps on a 10,000,000-line
# file beside the 1,000,000-line one (about 1 GB of disk in $(BUILD)/tenfold).
# The 1M-line file of the speed comparison is written by make-big.py from the
# shared bench folder beside the repository.
BENCH_10M  ?=
COMPAREFILE ?= $(BUILD)/compare/big.c

.PHONY: bench-compare

bench: build
	./scripts/install-deps --bench
	$(BUILD)/bin/gen_bigfile $(BUILD)/big.c 1000000
	python3 bench/compare.py --write-file $(COMPAREFILE) || echo "bench: the editor benchmarks use gen_bigfile's file"
	big=$$([ -f $(COMPAREFILE) ] && echo $(abspath $(COMPAREFILE))); \
	for b in $(BUILD)/bin/bench_*; do PLICATO_BIGFILE=$$big QT_QPA_PLATFORM=offscreen \
	  $$b --benchmark_counters_tabular=true || exit 1; done
	@if [ -n "$(BENCH_10M)" ]; then python3 bench/tenfold.py --bin $(BUILD)/bin --work $(BUILD)/tenfold; fi

# Plicato beside Vim on the 1M-line file: every pair of commands, the median
# of 5 runs, wall and CPU time, peak memory, the ratios and the targets.
bench-compare: build
	./scripts/install-deps --bench
	python3 bench/compare.py --bin $(BUILD)/bin --work $(BUILD)/compare --file $(COMPAREFILE)

# Each fuzz target runs FUZZ_SECONDS on its seed corpus (fuzz/corpus/<target>,
# only read) and what it finds on the way (kept in $(FUZZBUILD)/corpus);
# any crash, sanitizer report, leak or time-out fails the run and leaves
# the input in $(FUZZBUILD)/findings/.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLICATO_FUZZ=ON \
	  -DPLICATO_BUILD_GUI=OFF -DPLICATO_BUILD_BENCH=OFF
	cmake --build $(FUZZBUILD) -j $(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@mkdir -p $(FUZZBUILD)/findings
	@for t in $(FUZZ_TARGETS); do \
	  [ -x $(FUZZBUILD)/bin/fuzz_$$t ] || { echo "fuzz: no target fuzz_$$t"; exit 1; }; \
	  mkdir -p $(FUZZBUILD)/corpus/$$t; \
	  echo "fuzz: $$t for $(FUZZ_SECONDS) s"; \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  $(FUZZBUILD)/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=20 -rss_limit_mb=3072 \
	    -print_final_stats=1 -artifact_prefix=$(CURDIR)/$(FUZZBUILD)/findings/$$t- \
	    $$([ -f fuzz/$$t.dict ] && echo -dict=fuzz/$$t.dict) \
	    $(CURDIR)/$(FUZZBUILD)/corpus/$$t $(CURDIR)/fuzz/corpus/$$t > $(FUZZBUILD)/fuzz_$$t.log 2>&1 \
	    || { tail -60 $(FUZZBUILD)/fuzz_$$t.log; echo "fuzz: $$t found a fault"; exit 1; }; \
	  grep -E "^stat::number_of_executed_units|^Done" $(FUZZBUILD)/fuzz_$$t.log | tr '\n' ' '; echo; \
	done

# Keeps what the runs found: each target's finds in $(FUZZBUILD)/corpus/<target>
# are merged into fuzz/corpus/<target> with libFuzzer's -merge=1, which adds
# only the inputs that reach coverage the corpus does not have yet, so the
# next run starts from there.
fuzz-merge: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  [ -d $(FUZZBUILD)/corpus/$$t ] || continue; \
	  mkdir -p fuzz/corpus/$$t; \
	  before=$$(ls fuzz/corpus/$$t | wc -l); \
	  ASAN_OPTIONS=detect_leaks=0 $(FUZZBUILD)/bin/fuzz_$$t -merge=1 -timeout=20 -rss_limit_mb=3072 \
	    fuzz/corpus/$$t $(FUZZBUILD)/corpus/$$t > $(FUZZBUILD)/merge_$$t.log 2>&1 \
	    || { tail -20 $(FUZZBUILD)/merge_$$t.log; echo "fuzz-merge: $$t failed"; exit 1; }; \
	  echo "fuzz-merge: $$t $$before -> $$(ls fuzz/corpus/$$t | wc -l) inputs"; \
	done

# Writes the seed corpus again with the program's own writers.
fuzz-seeds: fuzz-build
	$(FUZZBUILD)/bin/make_seeds fuzz/corpus

clean:
	rm -rf $(BUILD) $(CHECKBUILD) $(TSANBUILD) $(FUZZBUILD)
