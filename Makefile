# Set-up and everyday commands. `make run` and `make test` install what is
# missing (Debian 12), configure, build, then start the program or run the tests.
SANITIZE ?=
BUILD ?= build$(if $(SANITIZE),-$(SANITIZE))
ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench format clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DKLV_SANITIZE=$(SANITIZE) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/klv57-pc $(ARGS)

# Sanitizer reports fail the test that raised them.
SANITIZER_ENV = TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp second_deadlock_stack=1" \
                ASAN_OPTIONS="detect_leaks=0" UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"

test: build
	cd $(BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/klv57-bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-address build-thread

# Fuzz targets (clang, ASan, UBSan, libFuzzer; see fuzz/README.md) in their
# own build directory: FUZZ_SECONDS per target, FUZZ_TARGETS to pick some.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
.PHONY: fuzz
fuzz:
	@bash scripts/install-fuzz-deps.sh
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKLV_FUZZ=ON > /dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz-targets
	@bash fuzz/run.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)
