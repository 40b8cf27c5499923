#!/usr/bin/env bash
# Installs the package from the source tree with pip into a temporary venv that sees
# Debian's packages (offline, no build isolation) and runs the Python tests against the
# installed package. $1 source tree, $2 a folder kept between runs (the CMake build).
set -euo pipefail
source_dir=$1
keep_dir=$2
shift 2
mkdir -p "$keep_dir"
work=$(mktemp -d "$keep_dir/venv.XXXXXX")
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
mkdir -p "$work/setuptools"
AGVSIM_SETUPTOOLS_BUILD=$work/setuptools AGVSIM_CMAKE_BUILD_DIR=$keep_dir/cmake \
  "$work/venv/bin/pip" install -q --no-build-isolation --no-index "$source_dir"
# Away from the source tree and without PYTHONPATH, only the installed package is found.
cd "$work"
env -u PYTHONPATH AGVSIM_INSTALLED=1 "$work/venv/bin/python" -m pytest -q -p no:cacheprovider \
  -W ignore::DeprecationWarning "$source_dir/tests/python" "$@"
