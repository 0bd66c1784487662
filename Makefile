# The two front doors: `make run` opens the desk, `make test` proves it.
BUILD := build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps configure build run test demo screenshot asan fuzz benchmark format format-check tidy clean package package-test \
	windows test-windows windows-installer

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f $(BUILD)/build.ninja || cmake --preset default

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/make-demo.sh $(BUILD)

run: demo
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display: starting the desk under xvfb-run."; \
		xvfb-run -a $(BUILD)/bin/velunas; \
	else \
		$(BUILD)/bin/velunas; \
	fi

test: build
	@scripts/run-tests.sh $(BUILD)

screenshot: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/render_screenshot docs/main-window.png
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/render_report_page $(BUILD)/report-page.pdf
	pdftoppm -png -r 90 -singlefile $(BUILD)/report-page.pdf docs/report-page

fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/run-fuzz.sh

benchmark: build
	@scripts/run-benchmark.sh $(BUILD)

asan: deps
	@test -f build-asan/build.ninja || cmake --preset asan
	cmake --build build-asan -j $(JOBS)
	@scripts/run-tests.sh build-asan

# The Debian package (build-package/velunas_<version>_<arch>.deb), and its
# proof on a fresh minimal Debian 12 (as root).
package: deps
	@test -f build-package/build.ninja || cmake --preset package
	cmake --build build-package -j $(JOBS) --target package

package-test: deps
	@scripts/package-test.sh build-package $(BUILD)

# The desk for Windows, cross-built in build-windows/ against Qt, libsodium and
# SQLite built once from Debian's sources (cached in /var/cache/velunas-windows);
# its tests under Wine; its installer (build-windows/Velunas-Setup-<version>.exe).
windows:
	@scripts/install-deps.sh windows
	@JOBS=$(JOBS) scripts/windows-build.sh build-windows

test-windows: windows
	@JOBS=$(JOBS) scripts/windows-test.sh build-windows

windows-installer: windows
	@scripts/windows-installer.sh build-windows
	@scripts/windows-installer-test.sh build-windows

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

format-check: deps
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

tidy: build
	@scripts/run-tidy.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-package build-fuzz
