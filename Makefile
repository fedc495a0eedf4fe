# The two commands of the project; see README.md.
BUILD      := build
BUILD_TEST := build-asan
GENERATOR  := Ninja
JOBS       ?= $(shell nproc)

# Without a display the game shows itself: a tour of every screen played by
# its autopilot, one line per screen, out/run.png (a moment of Quick Play)
# and out/tour.png (a frame of every screen).
ifeq ($(strip $(DISPLAY)$(WAYLAND_DISPLAY)),)
RUN_ARGS ?= --headless --tour full --fixed-dt 0.0166667 --seed 1
else
RUN_ARGS ?=
endif

# Where `make install` puts the game (DESTDIR is honoured as well).
PREFIX ?= /usr/local

# make soak [SOAK_MINUTES=30]: the game left alone under the sanitizers.
SOAK_MINUTES ?= 30
# make fuzz [FUZZ_SECONDS=300]: each fuzz target for that long (clang, libFuzzer).
FUZZ_SECONDS ?= 300

.PHONY: run test deps release install package screenshot soak fuzz

deps:
	@scripts/install-deps

release: deps
	@cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DNEBULARK_TESTS=OFF -DNEBULARK_BENCH=OFF >/dev/null

run: release
	@cmake --build $(BUILD) -j $(JOBS) --target nebulark
	@mkdir -p out
# The contact sheet of the generated art: out/resources.png.
	@cmake --build $(BUILD) -j $(JOBS) --target resource_sheet_png >/dev/null
	@echo "contact sheet of the game's art: out/resources.png"
	$(BUILD)/nebulark $(RUN_ARGS)

test: deps
	@cmake -S . -B $(BUILD_TEST) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
		-DNEBULARK_SANITIZE=ON -DNEBULARK_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_TEST) -j $(JOBS)
	@cd $(BUILD_TEST) && ctest --output-on-failure -j $(JOBS)

# Not part of `make test`: long runs for what short tests cannot show.
soak: deps
	@cmake -S . -B $(BUILD_TEST) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
		-DNEBULARK_SANITIZE=ON -DNEBULARK_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_TEST) -j $(JOBS) --target nebulark
	@scripts/soak $(SOAK_MINUTES) $(BUILD_TEST)

fuzz: deps
	@JOBS=$(JOBS) scripts/fuzz $(FUZZ_SECONDS)

# The program, its resources, desktop entry, icons, metadata and manual page.
install: release
	@cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# A Debian package of the same, in out/ (apt install ./out/nebulark-skirmage_*.deb).
package: release
	@cmake --build $(BUILD) -j $(JOBS)
	@rm -rf $(BUILD)/package
	@cd $(BUILD) && cpack -B package >/dev/null
	@mkdir -p out && cp $(BUILD)/package/*.deb out/
	@cd $(BUILD)/package && ls *.deb | sed 's|^|out/|'

# The desktop metadata's screenshot: the main menu at twice the size.
screenshot: release
	@cmake --build $(BUILD) -j $(JOBS) --target nebulark
	@docs=$$(mktemp -d) && $(BUILD)/nebulark --headless --scale 2 --seed 1 --fixed-dt 0.0166667 \
		--start menu --frames 30 --documents $$docs --screenshot dist/screenshots/main-menu.png; \
		status=$$?; rm -rf $$docs; exit $$status
