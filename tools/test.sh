#!/usr/bin/env bash
# Installs what is missing, builds agvsim and the web page and runs every test. The window
# tests need an X display, so the tests run under a virtual one. Under AGV_SANITIZE=1 the
# web page is left out: its tests check the WebAssembly build, not the native one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh --web --python
if [ "${AGV_SANITIZE:-0}" != 1 ]; then
  bash tools/build_web.sh >/dev/null
  if [ ! -d tests/web/node_modules/puppeteer-core ] || [ ! -d tests/web/node_modules/axe-core ]; then
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  fi
  export AGV_WEB_TESTS=1
fi
bash tools/build.sh
build_dir=${BUILD_DIR:-build}
cd "$build_dir"
xvfb-run -a -s "-screen 0 1024x900x24" ctest --output-on-failure -j"$(nproc)"
