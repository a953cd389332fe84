# Ostinel: `make run` builds and runs the screen saver under Wine; `make test` builds and tests all.
.PHONY: all deps native windows run test clean

all: native windows

deps:
	@bash tools/install-deps.sh

native: deps
	cmake --preset native
	cmake --build --preset native

windows: deps
	cmake --preset windows
	cmake --build --preset windows

run: windows
	bash tools/run-saver.sh build/windows

test: native windows
	ctest --preset native
	ctest --preset windows

clean:
	rm -rf build out
