#!/usr/bin/env bash
# Installs what is missing, builds agvsim and runs every test. The window tests
# need an X display, so the tests run under a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh
bash tools/build.sh
build_dir=${BUILD_DIR:-build}
cd "$build_dir"
xvfb-run -a -s "-screen 0 1024x900x24" ctest --output-on-failure -j"$(nproc)"
