#!/usr/bin/env bash
# Builds the Debian package from this checkout: dist/paperwell_<version>_amd64.deb,
# then checks it (tests/package/check_package.sh: its contents, a conversion
# from an unpacked copy, lintian). Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --no-build

build_dir=build-package
# Debian's build flags (hardening included), for the programs a user installs.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake reads no CPPFLAGS: the preprocessor flags (fortified functions) go with the compiler's.
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DPW_BUILD_TESTS=OFF -DPW_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -f "$build_dir"/paperwell_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
mkdir -p dist
deb=$(ls "$build_dir"/paperwell_*_amd64.deb)
mv -f "$deb" dist/
deb="dist/$(basename "$deb")"
echo "built $deb"
tests/package/check_package.sh "$deb"
