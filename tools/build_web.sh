#!/usr/bin/env bash
# Builds the web page into ${WEB_BUILD_DIR:-build-web}/site with Emscripten: the
# simulator's sources compiled to WebAssembly, and the page's static files; the module and
# its loader also precompressed (.gz, .br) for a static host to send as they are.
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

# Reproducible: gzip without the name and time stamp, brotli's format has neither.
site="$build_dir/site"
for file in "$site"/agvsim.wasm "$site"/agvsim.js; do
  [ -f "$file" ] || continue
  gzip -9 -n -c "$file" >"$file.gz.tmp" && mv "$file.gz.tmp" "$file.gz"
  brotli -q 11 -f -o "$file.br.tmp" "$file" && mv "$file.br.tmp" "$file.br"
done
