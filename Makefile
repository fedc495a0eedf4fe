# The two commands of the project; see README.md.
BUILD      := build
BUILD_TEST := build-asan
GENERATOR  := Ninja
JOBS       ?= $(shell nproc)

# Without a display the game runs headless: the splash, then a scripted walk
# through the menu's screens, leaving the main menu in out/run.png.
ifeq ($(strip $(DISPLAY)$(WAYLAND_DISPLAY)),)
RUN_ARGS ?= --headless --fixed-dt 0.0166667 --script tools/nebulark/walk.script \
	--screenshot out/run.png
else
RUN_ARGS ?=
endif

.PHONY: run test deps

deps:
	@scripts/install-deps

run: deps
	@cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DNEBULARK_TESTS=OFF -DNEBULARK_BENCH=OFF >/dev/null
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
