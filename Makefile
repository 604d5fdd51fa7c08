# make run   builds Aerlo and starts it (with its simulated machine)
# make test  installs what the build needs, builds, and runs every test
# make install  builds and installs under PREFIX (/usr/local): the bundle in lib/aerlo, bin/aerlo, desktop files
# make deb   builds the Debian package build/aerlo_<version>_<arch>.deb
BUILD ?= build
JOBS ?= $(shell nproc)
PROFILE ?= mbp-m1pro-2fan
PREFIX ?= /usr/local
PACKAGES := g++ cmake ninja-build pkg-config libpcre2-dev libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev libgl-dev \
            libssl-dev libxcb1-dev nlohmann-json3-dev libicu-dev libsystemd-dev fonts-dejavu-core fonts-noto-color-emoji fonts-wqy-microhei \
            dbus locales libglib2.0-dev dconf-gsettings-backend haskell-status-notifier-item-utils clang libclang-rt-14-dev \
            xvfb trayer xdotool libglib2.0-bin gsettings-desktop-schemas systemd desktop-file-utils appstream binutils dpkg-dev \
            clang-format

.PHONY: deps configure build test run bench clean install deb

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "Missing packages; run: sudo apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi
	@# A comma-decimal locale for the tests that check number texts stay locale independent.
	@if [ "$$(id -u)" = 0 ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$$'; then \
	  localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

deb: build
	cd $(BUILD) && cpack -G DEB

run: build
	@BUILD=$(BUILD) PROFILE=$(PROFILE) sh Tools/run-aerlo.sh

bench: build
	@for b in $(BUILD)/bench/*; do [ -x $$b ] && $$b; done

clean:
	rm -rf $(BUILD)
