# SPDX-License-Identifier: GPL-3.0-or-later
# Wraps CMake: `make run` and `make test` do all set-up on a fresh Debian machine.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build run test package clean

all: build

bootstrap:
	@bash scripts/bootstrap.sh

configure: bootstrap
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR)

run: build
	./$(BUILD_DIR)/ui/corvane

# Two at a time, so that tests which could meet (a server, a share, a drive) do meet.
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

package: build
	bash scripts/check-package.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-fuzz
