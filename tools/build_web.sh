#!/usr/bin/env bash
# Builds the web page into ${WEB_BUILD_DIR:-build-web}/site with Emscripten: the
# simulator's sources compiled to WebAssembly, and the page's static files.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${WEB_BUILD_DIR:-build-web}
# Emscripten's JavaScript optimiser loads Debian's acorn module from here.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
options=(-DCMAKE_BUILD_TYPE=Release)
[ -n "${CI:-}" ] && options+=(-DAGV_WERROR=ON)
emcmake cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "$@"
