#!/usr/bin/env bash
# Builds the web page into ${WEB_BUILD_DIR:-build-web}/site with Emscripten: the
# simulator's sources compiled to WebAssembly, and the page's static files.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${WEB_BUILD_DIR:-build-web}
# Emscripten's JavaScript optimiser loads Debian's acorn module from here.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# -O2: the module is 12 kB smaller than at -O3 and computes as fast (bench/web/measure.js).
options=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG")
[ -n "${CI:-}" ] && options+=(-DAGV_WERROR=ON)
# emcmake announces its command line; only a failure's output is of interest.
if ! output=$(emcmake cmake -S . -B "$build_dir" "${options[@]}" 2>&1); then
  echo "$output" >&2
  exit 1
fi
cmake --build "$build_dir" -j"$(nproc)" "$@"
