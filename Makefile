# The project's two commands: `make demo` and `make test`.
.PHONY: all deps build demo test bench fuzz clean

all: build

deps:
	@./tools/install-deps

build: deps
	cmake --preset native >/dev/null
	cmake --build --preset native
	cmake --preset win32 >/dev/null
	cmake --build --preset win32

# The Windows artifacts are built first: native tests inspect them.
test: deps
	cmake --preset win32
	cmake --build --preset win32
	cmake --workflow --preset native
	cmake --workflow --preset native-asan
	ctest --preset win32

# Thickens the sample patch with the native build of the tool and the module.
demo: build
	@mkdir -p build/demo
	@echo "demo: thickening samples/curved_patch.mqo (5.0, centred, all faces)"
	@./build/native/cli/mqthicken samples/curved_patch.mqo -o build/demo/curved_patch-thick.mqo --stats

clean:
	rm -rf build
