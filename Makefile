# The two commands of the README: `make run` and `make test`. Everything builds under build*/.
BUILD        ?= build
WIN_BUILD    ?= build-windows
SAN_BUILD    ?= build-sanitize
JOBS         ?= $(shell nproc)
MINGW_CXX    := x86_64-w64-mingw32-g++-posix
WINE         := $(firstword $(wildcard /usr/lib/wine/wine64) $(shell command -v wine64 2>/dev/null) $(shell command -v wine 2>/dev/null))
HAVE_WINDOWS := $(and $(shell command -v $(MINGW_CXX) 2>/dev/null),$(WINE))
# Wine gets a display of its own when xvfb is there, so the Win32 window is really created.
XVFB         := $(if $(shell command -v xvfb-run 2>/dev/null),xvfb-run -a,)

.PHONY: all build run test test-linux test-windows windows sanitize clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Runs the program in its scenario directory, then lists what it wrote.
run: build
	cd $(BUILD)/scenario && ./zelnor-scenario
	@echo "Files in $(BUILD)/scenario:"
	@ls -l $(BUILD)/scenario

test: test-linux test-windows

test-linux: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(WIN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake

windows: $(WIN_BUILD)/CMakeCache.txt
	cmake --build $(WIN_BUILD) -j $(JOBS)

ifeq ($(HAVE_WINDOWS),)
test-windows:
	@echo "Windows tests skipped: the mingw-w64 cross compiler ($(MINGW_CXX)) or wine is not installed."
else
test-windows: windows build
	cd $(WIN_BUILD) && WINEDEBUG=-all $(XVFB) ctest --output-on-failure
	SCENARIO_LINUX_PROGRAM=$(CURDIR)/$(BUILD)/scenario/zelnor-scenario \
	SCENARIO_WINDOWS_PROGRAM=$(CURDIR)/$(WIN_BUILD)/scenario/zelnor-scenario.exe \
	WINE=$(WINE) $(XVFB) tests/compare_windows_linux.sh
endif

clean:
	rm -rf $(BUILD) $(WIN_BUILD) $(SAN_BUILD)
