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

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/klv57-bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-address build-thread
