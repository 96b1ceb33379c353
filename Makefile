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

# A long run against the simulated module under the thread sanitizer, in
# build-thread; not part of `make test`. SOAK_SECONDS=60 for a short one.
SOAK_SECONDS ?= 600
SOAK_SEED ?= 57
.PHONY: soak
soak: deps
	@cmake -S . -B build-thread -G Ninja -DKLV_SANITIZE=thread > /dev/null
	@cmake --build build-thread -j $(JOBS) --target klv57-soak
	@$(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
	  build-thread/soak/klv57-soak --seconds $(SOAK_SECONDS) --seed $(SOAK_SEED); rc=$$?; \
	  if [ $$rc -eq 66 ]; then echo "soak: the thread sanitizer reported (exit 66)"; fi; exit $$rc

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-address build-thread build-fuzz

# The program, its menu entry, icon, metainfo and udev rule under PREFIX,
# through sudo when not root; the udev rule takes effect at once.
PREFIX ?= /usr/local
SUDO = $(if $(filter 0,$(shell id -u)),,sudo)
.PHONY: install package

install: build
	$(SUDO) cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ -z "$$DESTDIR" ] && [ -d /run/udev ] && command -v udevadm > /dev/null; then \
	    $(SUDO) udevadm control --reload && \
	    $(SUDO) udevadm trigger --subsystem-match=hidraw --action=change; fi

# The same as a Debian package: $(BUILD)/klv57-pc_<version>_<arch>.deb
package: build
	@bash scripts/install-deps.sh package
	cd $(BUILD) && cpack -G DEB

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
