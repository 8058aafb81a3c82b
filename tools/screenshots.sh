#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Saves a picture of each page of the configurator's main window, of its frame monitor, of its history
# window and of the settings page in Hungarian into docs/,
# under a virtual 1366x768 screen. Builds nothing: give it a build directory that holds zeph7208-screenshots.
#   tools/screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$root/build"}
output_dir=${2:-"$root/docs"}
tool="$build_dir/app/zeph7208-screenshots"
if [ ! -x "$tool" ]; then
  echo "no $tool: build the target zeph7208-screenshots first" >&2
  exit 1
fi
mkdir -p "$output_dir"
exec xvfb-run -a -s "-screen 0 1366x768x24" "$tool" "$output_dir"
