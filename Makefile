# Two commands do everything on a fresh Debian 12 or 13 machine:
#   make run    install what is missing, build, start eggtimer
#   make test   install what is missing, build, run every test
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: run test test-fast build bench setup setup-test clean

setup:
	@bash scripts/setup.sh

setup-test:
	@bash scripts/setup.sh --test

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/app/eggtimer

# Every test runs in a private session of its own, so they can run side by side.
test: setup-test $(BUILD)/build.ninja
	cmake --build $(BUILD) --target all test_programs
	cd $(BUILD) && ctest --output-on-failure -j $(shell nproc)

# The logic, the window and the run loop: seconds, for running after each change.
test-fast: setup-test $(BUILD)/build.ninja
	cmake --build $(BUILD) --target all test_programs
	cd $(BUILD) && ctest --output-on-failure -j $(shell nproc) -L fast

bench: setup-test $(BUILD)/build.ninja
	cmake --build $(BUILD) --target all bench_programs
	bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
