# Entry points for a fresh machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
OUT ?= out
CONFIG ?= examples/default.kvf

.PHONY: all program build run test sanitize bench clean

all: build

program:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target veldax-gen veldax-inspect

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# A ramp run ("-d") of the example configuration inside $(OUT), never in the
# repository itself, then the files it wrote with their sizes.
run: program
	@if [ "$(abspath $(OUT))" = "$(CURDIR)" ]; then \
	  echo "OUT must name a folder other than the repository root"; exit 1; fi
	mkdir -p $(OUT)
	cd $(OUT) && $(abspath $(BUILD))/veldax-gen $(abspath $(CONFIG)) -d
	ls -l $(OUT)

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
