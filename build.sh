#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Set up, build and run the ZEPH7208 configurator on Debian 12.
#   ./build.sh run    install what is missing, build, start the configurator with its simulated device
#   ./build.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

# Qt's Gui module looks for libxkbcommon's development files when it is found; without them configure
# says "Could NOT find XKB", although nothing here uses it.
# The gateway finds libmosquitto through pkg-config, which nothing else here brings.
# The history window exports its plots as SVG through Qt SVG.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools
  qt6-translations-l10n fonts-dejavu-core libmosquitto-dev prometheus-cpp-dev libxkbcommon-dev)
# Every test's tools, so that none is skipped for want of a package. The tests put Debian's serial server
# in front of the simulated device, started by themselves on 127.0.0.1; installing the package also
# enables its system service, which the tests never use. The report's test reads its PDF back as text
# with poppler's pdftotext. The gateway's test starts Debian's MQTT broker the same way, subscribes with
# its clients and makes its TLS certificate with openssl, reads its Prometheus endpoint with Prometheus'
# own Python parser, and checks its systemd unit. The desktop files' test validates the menu entry, the
# AppStream metadata and the file type and asks GLib's gio and xdg-mime (through mimetype) what a
# settings file is; the package's test builds the .deb (dpkg-dev, file) and runs lintian on it.
[ "${1:-run}" = test ] && packages+=(ser2net poppler-utils mosquitto mosquitto-clients openssl
  python3-prometheus-client systemd desktop-file-utils appstream shared-mime-info libglib2.0-bin xdg-utils
  libfile-mimeinfo-perl dpkg-dev file binutils lintian)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build_dir"

case "${1:-run}" in
  run)  exec "$build_dir/app/zeph7208-configurator" --demo ;;
  test) ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" ;;
  *)    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
