# The two commands a newcomer needs:
#   make run   - install what is missing, build, and start the game
#   make test  - install what is missing, build, and run every test
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

# The AddressSanitizer + UBSan build, shared by asan-test, soak and bench.
ASAN_CONFIGURE = cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELOR_SANITIZE=ON -DTESSELOR_BENCH=OFF >/dev/null

.PHONY: run test deps configure build asan-test tsan-test fuzz soak bench screenshots clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@cd $(BUILD) && ./tesselor

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test: deps
	@$(ASAN_CONFIGURE)
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) -LE slow

# The tests labelled tsan (the music player's threads, the sound mix against the window thread)
# under ThreadSanitizer. Only their binaries are built; the label leaves every other test out.
TSAN_TESTS = music_stress_tests sound_tests
tsan-test: deps
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSELOR_TSAN=ON -DTESSELOR_BENCH=OFF >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L tsan

# Every fuzz target for FUZZ_SECONDS each (CI runs them briefly).
FUZZ_SECONDS ?= 300
fuzz: deps
	@scripts/fuzz-run $(FUZZ_SECONDS)

# A million frames of random play under AddressSanitizer's leak checker.
soak: deps
	@$(ASAN_CONFIGURE)
	@cmake --build $(ASAN_BUILD) -j $(JOBS) --target frame_tests
	@TESSELOR_SOAK_FRAMES=1000000 ASAN_OPTIONS=detect_leaks=1 $(ASAN_BUILD)/tests/frame/frame_tests --gtest_filter='SoakTest.*'

# Every benchmark binary in a process of its own, the real program on a private X server (where Xvfb
# is installed), then one table: each figure beside its goal.
bench: build
	@$(ASAN_CONFIGURE) && cmake --build $(ASAN_BUILD) -j $(JOBS) --target tesselor e2e_shot_check >/dev/null
	@cd $(BUILD) && { for b in bench/tesselor_*_bench; do [ -x "$$b" ] && "$$b"; done; \
		"$(CURDIR)/bench/xvfb.sh" .; "$(CURDIR)/bench/lost_display.sh" "$(CURDIR)/$(ASAN_BUILD)"; } 2>&1 | tee bench-output.txt
	@bench/table.sh $(BUILD)/bench-output.txt

# The README's pictures: a game played on a private X server, as the end-to-end test plays it.
screenshots: build
	@PLAY_FAILED_DIR=$(BUILD)/play-failed tests/e2e/play.sh $(BUILD)/tesselor $(BUILD)/tests/e2e/e2e_shot_check resources --screenshots docs/screenshots

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-tsan build-fuzz
