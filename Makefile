BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench pictures clean

all: build

deps:
	@bash scripts/setup-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/sonvela $(ARGS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b; done

# A picture of every form as the layout test shows it, in $(BUILD_DIR)/pictures.
pictures: build
	rm -rf $(BUILD_DIR)/pictures
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen SONVELA_FORM_PICTURES=$(abspath $(BUILD_DIR))/pictures \
		tests/test_layout --gtest_filter='Every/FormLayout.*' > /dev/null
	@echo "pictures of every form in $(BUILD_DIR)/pictures"

clean:
	rm -rf $(BUILD_DIR)
