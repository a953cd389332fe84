# Ostinel: `make run` builds and runs the screen saver under Wine; `make test` builds and tests all;
# `make dist` leaves the Windows zip and setup program in dist/; `make deb` builds the Linux
# programs for users and packages them as a .deb; `make web` builds the page into build/web/.
PRESETS := native windows release web
.PHONY: all deps $(PRESETS) deb run test dist clean

all: native windows web

deps:
	@bash tools/install-deps.sh

# Each CMake preset: configured and built.
$(PRESETS): deps
	cmake --preset $@
	cmake --build --preset $@

deb: release
	cd build/release && cpack -G DEB
	cp build/release/ostinel_*_amd64.deb .

run: windows
	bash tools/run-saver.sh build/windows

test: native windows web
	ctest --preset native
	ctest --preset windows
	ctest --preset web

dist: windows
	rm -rf dist
	cp -r build/windows/dist dist

clean:
	rm -rf build out dist ostinel_*_amd64.deb
