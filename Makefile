# Two commands do everything on a fresh Debian 12 machine:
#   make run    install what is missing, build, start eggtimer
#   make test   install what is missing, build, run every test
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: run test build bench setup setup-test clean

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

test: setup-test $(BUILD)/build.ninja
	cmake --build $(BUILD)
	cd $(BUILD) && ctest --output-on-failure

bench: setup-test $(BUILD)/build.ninja
	cmake --build $(BUILD)
	bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
