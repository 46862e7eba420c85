# The project's commands.  Every target installs what is missing first.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# A compiler cache where one is installed: worktrees and rebuilds share objects.
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
SAMPLE ?= samples/sample.xps
PREFIX ?= /usr/local
TSAN_DIR ?= build-tsan
COVERAGE_DIR ?= build-coverage
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 2

.PHONY: all deps build test run sample test-sanitize test-tsan fuzz valgrind install bench coverage clean

all: build

deps:
	@scripts/install-deps

CONFIGURE = cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null

build: deps
	@$(CONFIGURE)
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@scripts/test-ratio

# Only the command and what it loads: no tests.
run: deps
	@$(CONFIGURE)
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target xpstext FIXRD pkgrd mkparse fixrd-worker
	@$(BUILD_DIR)/bin/xpstext $(SAMPLE)

# Regenerates the bundled sample document.
sample: build
	@$(BUILD_DIR)/bin/make-sample /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf $(SAMPLE)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFIXRD_SANITIZE=ON $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The test suite under ThreadSanitizer, less the single-threaded hostile
# documents (ASan covers them).  tests/tsan.supp says what it suppresses and why.
test-tsan: deps
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIXRD_TSAN=ON $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS)
	@cd $(TSAN_DIR) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS) -E '^(Documents/Hostile|HostileSample|FailureSweep)[.]'

# Every fuzz target for FUZZ_SECONDS, FUZZ_JOBS at a time, in a clang build
# instrumented for libFuzzer, ASan and UBSan; fails on any finding.
fuzz: deps
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DFIXRD_FUZZ=ON -DFIXRD_BUILD_TESTS=OFF $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@scripts/fuzz $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_JOBS)

# xpstext under valgrind's memcheck over the corpus and the sample: any
# memory error or leak fails (documents that fail by design do not).
valgrind: build
	@status=0; valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
	  --errors-for-leak-kinds=definite,indirect $(BUILD_DIR)/bin/xpstext -q -j 1 \
	  $$( [ -d $(CORPUS) ] && echo $(CORPUS) ) $(SAMPLE) >/dev/null 2>$(BUILD_DIR)/valgrind.log || status=$$?; \
	  grep -v '^xpstext: ' $(BUILD_DIR)/valgrind.log >&2 || true; \
	  if [ $$status -gt 1 ]; then echo "valgrind: memory errors or leaks (exit $$status)" >&2; exit 1; fi

# Line and branch coverage of the module, companions, host and xpstext by the
# whole suite (the package builder is the tests' instrument and not counted):
# a summary here, the details in $(COVERAGE_DIR)/coverage.html.
# Branches the compiler adds for exceptions are not counted.
coverage: deps
	@scripts/install-deps gcovr
	@# Atomic counters: threads counting at once would otherwise lose counts.
	@cmake -S . -B $(COVERAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS="--coverage -fprofile-update=atomic" \
	  -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage \
	  -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(COVERAGE_DIR) -j $(JOBS)
	@find $(COVERAGE_DIR) -name '*.gcda' -delete
	@# Tests that drop their rights or bound their time can fail here (libgcov
	@# complains on stderr, instrumented code is slower); what ran still counts.
	@cd $(COVERAGE_DIR) && GCOV_ERROR_FILE=/dev/null ctest -j $(JOBS) --timeout 600 >ctest.log 2>&1 || \
	  { echo "coverage: tests that failed in the instrumented build:"; grep -A99 'tests FAILED' ctest.log; }
	@gcovr -r . --object-directory $(COVERAGE_DIR) --filter 'Core/src/' --filter 'tools/' --exclude 'tools/package-builder/' \
	  --exclude-throw-branches --exclude-unreachable-branches --gcov-ignore-parse-errors \
	  --html-details $(COVERAGE_DIR)/coverage.html --print-summary

# Times xpstext and mutool on generated documents of 1, 500, 1 000 and 10 000
# pages (start-up, and whether time grows with the pages alone), on ten pages
# in ten whole CJK fonts, and on the public corpus when it is there, beside
# the floor: parsing the same page markup with Expat, nothing else (for the
# CJK document, inflating every part).
BENCH_DOCUMENT ?= $(BUILD_DIR)/bench/large.xps
BENCH_FONT ?= /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf
CORPUS ?= ../shared/corpus/public
BENCH_CJK_FONT ?= /usr/share/fonts/truetype/wqy/wqy-microhei.ttc
bench: build
	@scripts/install-deps mupdf-tools fonts-wqy-microhei
	@mkdir -p $(dir $(BENCH_DOCUMENT))
	@$(BUILD_DIR)/bin/bench-document $(BENCH_FONT) $(BENCH_DOCUMENT)
	@$(BUILD_DIR)/bin/bench-document --cjk $(BENCH_CJK_FONT) $(dir $(BENCH_DOCUMENT))cjk-fonts.xps
	@for pages in 1 1000 10000; do [ -f $(dir $(BENCH_DOCUMENT))pages-$$pages.xps ] || \
	  $(BUILD_DIR)/bin/bench-document $(BENCH_FONT) $(dir $(BENCH_DOCUMENT))pages-$$pages.xps $$pages || exit 1; done
	@$(BUILD_DIR)/bin/bench-run --xpstext $(BUILD_DIR)/bin/xpstext --floor $(BUILD_DIR)/bin/bench-markup-floor \
	  --mutool mutool --corpus $(CORPUS) $(dir $(BENCH_DOCUMENT))pages-1.xps $(BENCH_DOCUMENT) \
	  $(dir $(BENCH_DOCUMENT))pages-1000.xps $(dir $(BENCH_DOCUMENT))pages-10000.xps \
	  --inflate-floor $(dir $(BENCH_DOCUMENT))cjk-fonts.xps

# Installs into $(PREFIX) (default /usr/local), below $(DESTDIR) when set.
install: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(COVERAGE_DIR)
