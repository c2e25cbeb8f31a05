# The two everyday commands: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ARGS ?=
# Our own builds stop on a warning; `make WERROR=OFF` builds through them.
WERROR ?= ON

.PHONY: all deps configure build run test bench format clean fuzz soak install uninstall screenshots

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVIDA_WERROR=$(WERROR) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/orvida $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets under clang with ASan and UBSan, FUZZ_SECONDS each.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVIDA_FUZZ=ON -DORVIDA_WERROR=ON \
	  -DORVIDA_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target gfx_bmp_fuzz config_fuzz cli_fuzz formats_fuzz
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The crash soak and the monkey run, far longer than in the test suite.
soak: build
	cd $(BUILD) && ORVIDA_SOAK_RUNS=3000 ORVIDA_MONKEY_HOURS=24 \
	  ctest --output-on-failure -V -R 'KilledAtRandom|Monkey'

# The program, its pictures and sound, the desktop entry and icon, under PREFIX
# (DESTDIR is honoured). uninstall removes exactly what install put there.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "Nothing installed from $(BUILD)." >&2; exit 1; }
	sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt | xargs -d '\n' rm -f
	-sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt | xargs -d '\n' -n1 dirname | sort -ru | \
	  xargs -d '\n' rmdir -p 2>/dev/null
	rm -f $(BUILD)/install_manifest.txt

# The first screens a newcomer meets, at 480x640 and 720x1440, into ./screenshots.
screenshots: build
	bash scripts/screenshots.sh $(BUILD) screenshots

bench: build
	$(BUILD)/bin/orvida_bench
	$(BUILD)/bin/orvida_start_bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
