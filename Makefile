# bscan: the two everyday commands are `make test` and `make run`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PLAIN_BUILD ?= build-plain
CROSS_BUILD ?= build-aarch64
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
PACKAGES   := cmake g++ make pkg-config libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev \
              openocd pybind11-dev python3-dev python3-pytest chromium chromium-driver python3-selenium

.PHONY: all deps build test run bench fuzz asan plain cross clean

all: build

deps:
	@bash scripts/install-deps.sh $(PACKAGES)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	./$(BUILD)/tools/bscan info examples/demo_device.bsdl
	./$(BUILD)/tools/bscan drive examples/demo_device.bsdl LED=1 'DQ(0)=0'
	./$(BUILD)/tools/bscan view examples/demo_device.bsdl LED=1 'DQ(0)=0' -o $(BUILD)/demo_device.html
	@echo "The example device's page: $(BUILD)/demo_device.html (open it in a browser)"
	./$(BUILD)/tools/bscan view --chain examples/demo_board.chain U2.LED=1 -o $(BUILD)/demo_board.html
	@echo "The example board's chain page: $(BUILD)/demo_board.html"

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBSCAN_SANITIZE=ON -DBSCAN_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The suite again with the fast paths compiled out (BSCAN_ACCELERATE=OFF).
plain: deps
	cmake -S . -B $(PLAIN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBSCAN_ACCELERATE=OFF -DBSCAN_BENCH=OFF -DBSCAN_PYTHON=OFF
	cmake --build $(PLAIN_BUILD) -j $(JOBS)
	cd $(PLAIN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The suite built for 64-bit Arm (Debian's aarch64 cross compiler and
# libgtest-dev:arm64) and run under qemu-user, with the fast paths and
# without; the command-line tool is left out (its tests start it as a
# program of the host). The time each build and run takes is printed.
CROSS_PACKAGES := g++-aarch64-linux-gnu qemu-user libgtest-dev:arm64
cross:
	@dpkg --print-foreign-architectures | grep -qx arm64 || [ "$$(id -u)" -ne 0 ] || dpkg --add-architecture arm64
	@bash scripts/install-deps.sh $(CROSS_PACKAGES)
	@for accelerate in ON OFF; do \
	  dir=$(CROSS_BUILD)-$$accelerate; start=$$(date +%s); \
	  cmake -S . -B $$dir -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBSCAN_ACCELERATE=$$accelerate -DBSCAN_BENCH=OFF \
	    -DBSCAN_TOOLS=OFF -DBSCAN_EXAMPLES=OFF >/dev/null && \
	  cmake --build $$dir -j $(JOBS) && \
	  (cd $$dir && ctest --output-on-failure -j $(JOBS) -E install_and_consume) || exit 1; \
	  echo "aarch64, BSCAN_ACCELERATE=$$accelerate: built and tested in $$(( $$(date +%s) - start )) s"; \
	done

bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBSCAN_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	@for b in $(BUILD)/bench/bscan_bench*; do [ -x "$$b" ] && "$$b"; done
	@if [ -d $(BUILD)/python/bscan ]; then PYTHONPATH=$(BUILD)/python /usr/bin/python3 bench/bench_python.py --cxx $(BUILD)/bench/bscan_bench_read; fi

fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBSCAN_FUZZ=ON -DBSCAN_TESTS=OFF -DBSCAN_BENCH=OFF -DBSCAN_TOOLS=OFF -DBSCAN_EXAMPLES=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PLAIN_BUILD) $(CROSS_BUILD)-ON $(CROSS_BUILD)-OFF
