#!/usr/bin/env bash
# Installs what agvsim needs on Debian 12 (run as root); with --web also what the web page
# needs, with --python what the Python module needs, with --fuzz what the fuzzing harness
# needs. Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  g++ cmake make pkg-config libeigen3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  freeglut3-dev libglu1-mesa-dev libpng-dev libgif-dev
  xvfb xauth xdotool x11-utils imagemagick libxml2-utils
  libssl-dev
)

# The web page's build and tests (tools/web.sh, tools/test.sh): Emscripten, brotli for the
# precompressed files, and headless Chromium with Japanese fonts.
# The Python module and its tests, notebooks and Dask sweeps (tools/test.sh): Debian's own
# Python packages.
# The fuzzing harness (tools/fuzz.sh): clang and libFuzzer.
for option in "$@"; do
  case "$option" in
    --web)
      packages+=(emscripten brotli chromium fonts-noto-cjk)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    --python)
      packages+=(python3-dev python3-pybind11 python3-numpy python3-pandas python3-matplotlib
                 python3-pytest python3-nbclient python3-ipykernel python3-dask
                 python3-distributed python3-venv python3-setuptools python3-mypy
                 python3-tqdm python3-xarray)
      ;;
    --fuzz) packages+=(clang-14 libfuzzer-14-dev) ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "agvsim: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "agvsim: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
