# Set-up and everyday commands. `make run` and `make test` work on a fresh Debian 12 machine.
BUILD ?= build
JOBS ?= 2
BUILD_TYPE ?= RelWithDebInfo
EXAMPLE ?= examples/example-farm.json

.PHONY: all deps configure build test run bench fuzz clean package install

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The Debian package (build/acremark_*.deb) and a plain install (PREFIX, default /usr/local).
package: build
	@cd $(BUILD) && cpack -G DEB

PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

run: build
	@scripts/run-example $(BUILD)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# libFuzzer targets need clang; each runs for FUZZ_SECONDS over its corpus.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps fuzz
	@cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DACREMARK_FUZZ=ON \
	  -DACREMARK_TESTS=OFF -DACREMARK_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)-fuzz -j$(JOBS) --target fuzz_targets
	@for f in $(BUILD)-fuzz/fuzz/fuzz_*; do n=$$(basename $$f); mkdir -p $(BUILD)-fuzz/corpus-$$n; \
	  mkdir -p $(BUILD)-fuzz/crashes-$$n; echo "== $$n"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=$(BUILD)-fuzz/crashes-$$n/ \
	    $(BUILD)-fuzz/corpus-$$n fuzz/corpus/$${n#fuzz_} || exit 1; done
	@echo "A crash leaves its input in $(BUILD)-fuzz/crashes-NAME/: copy it into fuzz/corpus/NAME/ (ctest replays it)."

clean:
	rm -rf $(BUILD) $(BUILD)-fuzz
