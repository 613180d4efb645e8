# The two entry points of the README: `make run` and `make test`.
BUILD ?= build
GENERATOR ?= Ninja
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test bench package clean fuzz-build fuzz fuzz-regress

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD)

run: build
	$(BUILD)/src/quillmark $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 300

package: build
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/quillmark_*.deb .

bench: build
	$(BUILD)/bench/quillmark-bench

# libFuzzer targets in their own clang build; FUZZ_TARGETS picks some of them.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=

$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G $(GENERATOR) -DQUILLMARK_FUZZ=ON

fuzz-build: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD)

fuzz: fuzz-build
	scripts/fuzz run $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Each target once over its seeds: a quick check that no known input crashes.
fuzz-regress: fuzz-build
	scripts/fuzz regress $(FUZZ_BUILD) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
