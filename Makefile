# The two set-up commands: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
CMAKE_FLAGS ?=

.PHONY: run test deps configure build bench format clean install uninstall

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: run headless with '$(BUILD)/bin/game --headless --fixed-step --steps 200 --shot shot.png'"; \
	  exit 0; \
	fi; \
	$(BUILD)/bin/game

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# The install writes $(BUILD)/install_manifest.txt, which uninstall reads.
install: build
	cmake --install $(BUILD) --prefix "$(abspath $(PREFIX))"

uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "no $(BUILD)/install_manifest.txt: nothing was installed from $(BUILD)"; exit 1; }
	@while IFS= read -r f || [ -n "$$f" ]; do rm -f -- "$$f"; done <$(BUILD)/install_manifest.txt
	@# The program folder, now empty but for its own empty folders.
	@grep '/lib/skyward/game$$' $(BUILD)/install_manifest.txt | while IFS= read -r f || [ -n "$$f" ]; do d="$${f%/game}"; \
	  rmdir -- "$$d/sound" "$$d/cache" "$$d/shots" "$$d" 2>/dev/null; done; true
	@echo "removed the files listed in $(BUILD)/install_manifest.txt"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
