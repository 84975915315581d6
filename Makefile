# The two commands of the README: `make run` and `make test`. Everything builds under build*/.
BUILD        ?= build
WIN_BUILD    ?= build-windows
SAN_BUILD    ?= build-sanitize
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
BENCH_BUILD  ?= build-bench
BENCH_ARGS   ?=
# The ZIP for Windows users is made here, alone in its folder but for the VS Code extension.
DIST_DIR     := $(WIN_BUILD)/dist
VERSION      := $(shell grep -o 'zelnor_scenario VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
VSIX         := $(DIST_DIR)/scenario-texts-$(VERSION).vsix
JOBS         ?= $(shell nproc)
MINGW_CXX    := x86_64-w64-mingw32-g++-posix
WINE         := $(firstword $(wildcard /usr/lib/wine/wine64) $(shell command -v wine64 2>/dev/null) $(shell command -v wine 2>/dev/null))
HAVE_WINDOWS := $(and $(shell command -v $(MINGW_CXX) 2>/dev/null),$(WINE))
# Wine gets a display of its own when xvfb is there, so the Win32 window is really created.
XVFB         := $(if $(shell command -v xvfb-run 2>/dev/null),xvfb-run -a,)
# A new wine prefix would otherwise offer to install Mono and Gecko in a dialog nobody answers.
export WINEDLLOVERRIDES := mscoree,mshtml=
export WINEDEBUG := -all

# What each command needs on a Debian machine; missing packages are installed first (as root) or
# named with the command that installs them. They come without their recommendations, so every
# program the suites call is named here, except those every Debian has (coreutils, diffutils,
# findutils, grep, sed, mawk, util-linux, libc-bin's iconv). node and npm, for the editors'
# packages and their tests, come through cmake/need-node.sh.
RUN_PACKAGES  := cmake g++ make libx11-dev nlohmann-json3-dev
# The suite (strace: durability; chromium, imagemagick's convert: the plot's rendering); the
# browser tests (python3, selenium, chromedriver); the language server in Neovim; the Windows
# build under wine in xvfb-run, which needs xauth; the packages' checks (unzip, the cross objdump,
# python3); the fuzzers (clang).
TEST_PACKAGES := $(RUN_PACKAGES) libgtest-dev strace chromium imagemagick \
                 python3 python3-selenium chromium-driver neovim \
                 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth unzip \
                 clang libclang-rt-14-dev
# The ZIP and the VS Code extension: the Windows tool, and the Linux tool and the Notepad++ files
# of the Linux build.
DIST_PACKAGES := $(RUN_PACKAGES) g++-mingw-w64-x86-64-posix googletest
BENCH_PACKAGES := $(TEST_PACKAGES) libbenchmark-dev

.PHONY: all build run tool test test-linux test-windows windows dist windows-package sanitize fuzz \
        fuzz-ci bench clean run-packages test-packages

all: build

run-packages:
	@cmake/need-packages.sh $(RUN_PACKAGES)

test-packages:
	@cmake/need-packages.sh $(TEST_PACKAGES)
	@cmake/need-node.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Builds the program alone (the tool is `make tool`), runs it in its scenario directory, then
# lists what it wrote.
run: run-packages $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target zelnor-scenario
	cd $(BUILD)/scenario && ./zelnor-scenario
	@echo "Files in $(BUILD)/scenario:"
	@ls -l $(BUILD)/scenario

# The authors' tool alone: build/tools/scenario-tool.
tool: run-packages $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target scenario-tool
	@echo "The tool: $(BUILD)/tools/scenario-tool"

# In CI (CI=true) the suite runs once more under the sanitizers, and each fuzz target for 30 s.
# The packages come first; a second make then sees the cross compiler and wine they bring.
test: test-packages
	$(MAKE) test-linux test-windows $(if $(filter true,$(CI)),sanitize fuzz-ci)

# Configured afresh, so that a build directory made by `make run` before GoogleTest was there
# gains its tests.
test-linux:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(WIN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake

windows: $(WIN_BUILD)/CMakeCache.txt
	cmake --build $(WIN_BUILD) -j $(JOBS)

# The ZIP for Windows users (cmake/windows_package.cmake): the two statically linked executables,
# the guide and the Notepad++ files under one folder; beside it the VS Code extension with the
# tool for Linux and for Windows (editors/pack_vscode.sh). The Notepad++ files and the Linux tool
# come from the Linux build. The packages come first, then a second make sees the cross compiler
# they bring.
dist:
	@cmake/need-packages.sh $(DIST_PACKAGES)
	@cmake/need-node.sh
	@$(MAKE) --no-print-directory windows-package

windows-package: $(WIN_BUILD)/CMakeCache.txt $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target scenario-tool notepadpp-files
	cmake -S . -B $(WIN_BUILD) -DSCENARIO_HOST_NOTEPADPP_DIR=$(CURDIR)/$(BUILD)/editors/notepad++
	cmake --build $(WIN_BUILD) -j $(JOBS) --target zelnor-scenario scenario-tool windows-guide
	rm -rf $(DIST_DIR)
	cd $(WIN_BUILD) && cpack -B $(CURDIR)/$(DIST_DIR)
	editors/pack_vscode.sh $(BUILD)/tools/scenario-tool $(WIN_BUILD)/tools/scenario-tool.exe \
	  $(VERSION) $(BUILD)/editors/vscode-package $(BUILD)/npm-cache $(CURDIR)/$(VSIX)
	@echo "Windows package: $$(ls $(CURDIR)/$(DIST_DIR)/*.zip)"
	@echo "VS Code extension: $(CURDIR)/$(VSIX)"

ifeq ($(HAVE_WINDOWS),)
test-windows:
	@echo "Windows tests skipped: the mingw-w64 cross compiler ($(MINGW_CXX)) or wine is not installed."
else
test-windows: windows build
	cd $(WIN_BUILD) && $(XVFB) ctest --output-on-failure --verbose
	SCENARIO_LINUX_PROGRAM=$(CURDIR)/$(BUILD)/scenario/zelnor-scenario \
	SCENARIO_WINDOWS_PROGRAM=$(CURDIR)/$(WIN_BUILD)/scenario/zelnor-scenario.exe \
	WINE=$(WINE) $(XVFB) tests/compare_windows_linux.sh
	@$(MAKE) --no-print-directory windows-package
	SCENARIO_WINDOWS_PACKAGE="$$(ls $(CURDIR)/$(DIST_DIR)/*.zip)" \
	SCENARIO_LINUX_PROGRAM=$(CURDIR)/$(BUILD)/scenario/zelnor-scenario \
	SCENARIO_LINUX_TOOL=$(CURDIR)/$(BUILD)/tools/scenario-tool \
	WINE=$(WINE) $(XVFB) tests/dist_package_test.sh
	SCENARIO_VSCODE_PACKAGE=$(CURDIR)/$(VSIX) WINE=$(WINE) $(XVFB) tests/vscode_package_test.sh
endif

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCENARIO_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang), each run FUZZ_SECONDS over its corpus in $(FUZZ_BUILD)/fuzz.
$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DSCENARIO_BUILD_FUZZ=ON -DSCENARIO_BUILD_TESTS=OFF

fuzz: $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target compile_fuzzer readers_fuzzer \
	  http_request_fuzzer lsp_fuzzer fuzz_corpus
	fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-ci:
	$(MAKE) fuzz FUZZ_SECONDS=30

# The benchmarks (Release), then the figures against the targets, then the view page's first
# view and wheel zoom on the largest route in headless Chromium beside theirs. Not part of CI:
# timings on a shared machine say little. BENCH_ARGS goes to Google Benchmark, e.g.
# --benchmark_filter=.
bench:
	@cmake/need-packages.sh $(BENCH_PACKAGES)
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target scenario_bench scenario_view_fixtures
	$(BENCH_BUILD)/bench/scenario_bench $(BENCH_ARGS)
	/usr/bin/python3 tests/browser/view_zoom_test.py --report \
	  --tool $(BENCH_BUILD)/tools/scenario-tool \
	  --fixtures $(BENCH_BUILD)/tests/scenario_view_fixtures --work $(BENCH_BUILD)/view-zoom

clean:
	rm -rf $(BUILD) $(WIN_BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
