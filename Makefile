# Entry points for a fresh machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
OUT ?= out
CONFIG ?= examples/default.kvf

.PHONY: all build run test sanitize bench clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Validates the shipped example configuration.
run: build
	mkdir -p $(OUT)
	cd $(OUT) && ../$(BUILD)/veldax-gen ../$(CONFIG)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELDAX_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELDAX_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	./build-bench/bench/veldax_bench

clean:
	rm -rf $(BUILD) build-asan build-bench $(OUT)
