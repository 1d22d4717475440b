# The project's two commands: `make demo` and `make test`; `make dist` packages.
.PHONY: all deps build demo docs-picture test dist bench fuzz clean

all: build

deps:
	@./tools/install-deps

build: deps
	cmake --preset native >/dev/null
	cmake --build --preset native
	cmake --preset win32 >/dev/null
	cmake --build --preset win32
	cmake --preset win64 >/dev/null
	cmake --build --preset win64

# The Windows artifacts are built first: native tests inspect them. Both
# Windows suites run in one Wine prefix, build/wineprefix.
test: deps
	cmake --preset win32
	cmake --build --preset win32
	cmake --preset win64
	cmake --build --preset win64
	cmake --workflow --preset native
	cmake --workflow --preset native-asan
	ctest --preset win32
	ctest --preset win64

# The package users install: build/dist/thicken-VERSION.zip (the version of
# the project in CMakeLists.txt) with both DLLs, the 64-bit mqthicken.exe and
# the readmes, the same bytes on every run.
dist: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 --target thicken_module
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 --target thicken_module mqthicken
	python3 tools/make-dist --output-dir build/dist \
	  --plugin-32bit build/win32/plugin/thicken.dll --plugin-64bit build/win64/plugin/thicken.dll \
	  --tool-64bit build/win64/tool/mqthicken.exe --readmes packaging --license LICENSE

# Thickens the sample patch with the native build of the tool and the module,
# and draws the shell.
DEMO_COMMAND := ./build/native/tool/mqthicken samples/curved_patch.mqo \
  -o build/demo/curved_patch-thick.mqo
demo: build
	@mkdir -p build/demo
	@echo "demo: thickening samples/curved_patch.mqo (5.0, centred, all faces)"
	@$(DEMO_COMMAND) --stats --preview build/demo/curved_patch-thick.png
	@echo "demo: the shell is in build/demo/curved_patch-thick.mqo, its picture in build/demo/curved_patch-thick.png"

# Redraws the README's pictures: docs/curved_patch-thick.png, as the demo
# draws it, and docs/box_corner-thick.png, the inside corner of a box
# (docs/box_corner.obj) thickened by 0.3 as specified (left) and with
# --even (right), side by side with ImageMagick, without time stamps.
CORNER_COMMAND := ./build/native/tool/mqthicken docs/box_corner.obj -t 0.3 --preview-size 480x480
docs-picture: deps
	cmake --preset native >/dev/null
	cmake --build --preset native --target mqthicken
	@mkdir -p build/demo
	$(DEMO_COMMAND) --preview docs/curved_patch-thick.png
	$(CORNER_COMMAND) -o build/demo/box_corner-thick.obj --preview build/demo/box_corner-default.png
	$(CORNER_COMMAND) --even -o build/demo/box_corner-even.obj --preview build/demo/box_corner-even.png
	convert build/demo/box_corner-default.png build/demo/box_corner-even.png +append \
	  -strip -define png:exclude-chunk=date,time docs/box_corner-thick.png

# Benchmarks of the whole command in process (not part of `make test`): an
# optimised build of its own in build/bench, then the figures for 10k, 100k
# and 1M faces of each generated shape, the stages of the command, the growth
# from 100k to 1M faces and the peak memory, against the targets: first with
# the runs one after another in one process, then with every run in a fresh
# child process (--cold), as a single run of the tool would be, and cold
# again with the even-thickness box checked (--even). Arguments for
# Google Benchmark go in BENCH_ARGS, e.g.
# BENCH_ARGS=--benchmark_filter=quads/1000000. Each of these prints, per
# shape, a table of the command's stages at 100k and 1M faces with each
# stage's growth.
# The readers and writers of each format on 100k and a million triangles:
# medians of three runs taken in random order, so that a slower spell of a
# shared machine does not fall on one format alone.
# The stages of whole mqthicken runs (--timings, reading and writing
# included) at 100k and 1M faces, with each stage's growth.
# Then the command against its peer, Blender's Solidify (installed when
# missing), on equal terms: the same inputs as OBJ files, both allocators on
# huge pages (Blender's jemalloc with MALLOC_CONF=thp:always), in process warm
# against warm and cold against cold, and file to file, in alternating runs;
# Blender with its default policy for reference (PEER_ARGS, e.g.
# --only quads/1000000, --runs 3 or --repeats 5).
BENCH_DIR := build/bench
BENCH_ARGS ?=
PEER_ARGS ?=

bench:
	@./tools/install-deps --bench
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DTHICKEN_BENCH=ON -DTHICKEN_TESTS=ON >/dev/null
	cmake --build $(BENCH_DIR) --target thicken_bench format_bench peer_bench write_bench_input mqthicken -j2
	./$(BENCH_DIR)/bench/format_bench --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
	  --benchmark_report_aggregates_only=true
	./$(BENCH_DIR)/bench/thicken_bench $(BENCH_ARGS)
	./$(BENCH_DIR)/bench/thicken_bench --cold $(BENCH_ARGS)
	./$(BENCH_DIR)/bench/thicken_bench --cold --even $(BENCH_ARGS)
	@mkdir -p $(BENCH_DIR)/peer
	./$(BENCH_DIR)/bench/peer_bench --tool $(BENCH_DIR)/tool/mqthicken --work $(BENCH_DIR)/peer --tool-stages --runs 3
	./$(BENCH_DIR)/bench/peer_bench --tool $(BENCH_DIR)/tool/mqthicken --script bench/solidify.py \
	  --work $(BENCH_DIR)/peer $(PEER_ARGS)

# Runs each fuzz target for FUZZ_SECONDS under libFuzzer (clang 14, with
# AddressSanitizer and UBSan), starting from the seed corpus in
# tests/fuzz/corpus; new inputs collect in build/fuzz/corpus, failing ones in
# build/fuzz/artifacts. Replay one with build/native/tests/fuzz/fuzz_replay_<target>.
# clang knows no CP932 execution character set: a launcher gives the module's
# texts their Shift-JIS bytes as escapes. The g++ builds hold the code to
# -Werror; clang's own warnings are shown here but stop nothing.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= command tool mqo_reader obj_reader stl_reader ply_reader
FUZZ_DIR := build/fuzz
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 \
	  -DCMAKE_CXX_COMPILER_LAUNCHER=$(CURDIR)/tests/fuzz/clang_cp932_launcher.py \
	  "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined \
	  -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined \
	  -DTHICKEN_TESTS=ON -DTHICKEN_SANITIZE=ON -DTHICKEN_FUZZ=ON -DTHICKEN_WERROR=OFF >/dev/null
	cmake --build $(FUZZ_DIR) -j2 --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@for target in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$target $(FUZZ_DIR)/artifacts/$$target; \
	  echo "fuzz: $$target for $(FUZZ_SECONDS) s"; \
	  FUZZ_QUIET=1 $(FUZZ_DIR)/tests/fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) \
	    -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=512 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$target/ \
	    $(FUZZ_DIR)/corpus/$$target tests/fuzz/corpus/$$target || exit 1; \
	done

clean:
	rm -rf build
