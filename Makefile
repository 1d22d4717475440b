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
	ctest --preset win32

demo: build
	@echo "demo: the command-line tool is not built yet; the module and its tests are."

clean:
	rm -rf build
