BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

SAN_DIR ?= build-san
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 4
# Sanitizer reports end the run at the first one.
SAN_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: all deps configure build run test bench pictures clean sanitize fuzz san-configure

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

# The whole test suite built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, in its own build folder.
san-configure: deps
	@cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
		-DCMAKE_CXX_COMPILER=clang++ -DSONVELA_SANITIZE=ON > /dev/null

sanitize: san-configure
	@cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && $(SAN_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every fuzz target of fuzz/ for FUZZ_SECONDS each (FUZZ_JOBS at once) on
# the seeds the program's own writers make; FUZZ_TARGETS=name limits it.
fuzz: san-configure
	@cmake --build $(SAN_DIR) -j $(JOBS) --target fuzz_targets
	@$(SAN_ENV) bash scripts/fuzz.sh $(SAN_DIR) $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR)
