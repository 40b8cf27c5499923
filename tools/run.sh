#!/usr/bin/env bash
# Installs what is missing, builds agvsim and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh
bash tools/build.sh --target agvsim >/dev/null
exec ./build/src/agvsim "$@"
