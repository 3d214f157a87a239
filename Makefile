# Thin wrapper over CMake: `make run` builds and runs the built-in example, `make test` runs all tests.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test sanitize bench clean

all: build

deps:
	@scripts/deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/console/inflations --Nakayama 5 2

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DINFL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo"

bench:
	@scripts/deps.sh --bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DINFL_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS)

clean:
	rm -rf build build-asan build-bench
