#!/usr/bin/env bash
# Configures and builds agvsim into ${BUILD_DIR:-build}. Warnings are errors under CI,
# AGV_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer, and
# AGV_WEB_TESTS=1 adds the web page's tests (they need tools/build_web.sh first).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
options=(-DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo})
[ -n "${CI:-}" ] && options+=(-DAGV_WERROR=ON)
[ "${AGV_SANITIZE:-0}" = 1 ] && options+=(-DAGV_SANITIZE=ON)
[ "${AGV_WEB_TESTS:-0}" = 1 ] && options+=(-DAGV_WEB_TESTS=ON)
cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "$@"
