# The README's commands. Each one installs what it needs first.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   := cmake -G Ninja

.PHONY: all deps test release run bench fuzz mutate package format clean

all: test

deps:
	@scripts/install-deps

# Debug-ish build with AddressSanitizer and UndefinedBehaviorSanitizer; every test through CTest. Then
# the threaded code (the pool, the threaded step, the steps ahead, snapshot, the viewer losing its
# display) under ThreadSanitizer: only the programs those tests need, and the tests labelled threads.
TSAN_TARGETS := core_tests mesh_tests snapshot snapshot_tests springview objgen
test: deps
	$(CMAKE) -S . -B $(BUILD)/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSV_SANITIZE=ON -DSV_BUILD_TESTS=ON
	cmake --build $(BUILD)/test -j $(JOBS)
	cd $(BUILD)/test && ctest --output-on-failure -j $(JOBS)
	$(CMAKE) -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSV_TSAN=ON -DSV_BUILD_TESTS=ON
	cmake --build $(BUILD)/tsan -j $(JOBS) --target $(TSAN_TARGETS)
	cd $(BUILD)/tsan && ctest -L threads --output-on-failure -j $(JOBS)
	@scripts/linecount

release: deps
	$(CMAKE) -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DSV_BUILD_TESTS=OFF -DSV_BUILD_BENCH=ON
	cmake --build $(BUILD)/release -j $(JOBS)

run: release
	@scripts/run $(BUILD)/release

bench: release
	@scripts/bench $(BUILD)/release

fuzz: deps
	@scripts/fuzz $(BUILD)/fuzz

# Mutation testing of the committed HEAD on two workers, resumable (docs/mutation/README.md).
mutate: deps
	@scripts/mutate.py all

# The Debian package and the Windows zip, each from a Release build of its own, checked, then copied
# into $(BUILD)/package.
package: deps
	cmake -DSOURCE_DIR=$(CURDIR) -DBINARY_DIR=$(abspath $(BUILD))/package/debian -P cmake/DebianPackageCheck.cmake
	cmake -DSOURCE_DIR=$(CURDIR) -DBINARY_DIR=$(abspath $(BUILD))/package/windows -P cmake/WindowsBuildCheck.cmake
	cp $(BUILD)/package/debian/*.deb $(BUILD)/package/windows/*.zip $(BUILD)/package/
	@ls -1 $(BUILD)/package/*.deb $(BUILD)/package/*.zip

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
