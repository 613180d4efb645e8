# The two entry points of the README: `make run` and `make test`.
BUILD ?= build
GENERATOR ?= Ninja
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test bench package clean

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

clean:
	rm -rf $(BUILD)
