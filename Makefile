# Thin wrapper over CMake: `make run` builds the programs and runs the built-in example, `make test`
# builds everything and runs all tests; `make clang-test` and `make portable-test` are the further
# checks CI runs. `make run` installs only what building and running need, `make test` adds the
# packages only the tests use (scripts/deps.sh --test).
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps test-deps configure build programs run test sanitize clang-test portable-test bench clean

all: build

deps:
	@scripts/deps.sh

test-deps:
	@scripts/deps.sh --test

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The three programs only: no test program is compiled.
programs: configure
	@cmake --build $(BUILD) -j $(JOBS) --target inflations velorin bigraph

run: programs
	$(BUILD)/console/inflations --Nakayama 5 2

test: test-deps build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Leaks that libraries keep on purpose are silenced by scripts/lsan.supp.
sanitize:
	@LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  $(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DINFL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo"

# The second compiler: the whole suite built with clang, where any warning fails the build.
clang-test:
	@$(MAKE) --no-print-directory test BUILD=build-clang CMAKE_FLAGS="-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_COMPILE_WARNING_AS_ERROR=ON"

# The integer layer on its portable kernels (no x86-64 assembly or carry intrinsics), which
# other processors run: only the integer tests are built and run.
portable-test: deps
	@cmake -S . -B build-portable -DCMAKE_BUILD_TYPE=Release -DINFL_PORTABLE_KERNELS=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
	@cmake --build build-portable -j $(JOBS) --target bigint_tests
	ctest --test-dir build-portable --output-on-failure -j $(JOBS) -L bigint

bench:
	@scripts/deps.sh --bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DINFL_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS)

clean:
	rm -rf build build-asan build-bench build-clang build-portable build-pip
