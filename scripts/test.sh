#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal
# build, then the same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: scripts/test.sh [--fast]   (--fast: the normal build only)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
if [ "${1:-}" != "--fast" ]; then
  scripts/setup.sh --sanitize
  (cd build-asan && ctest --output-on-failure -j"$(nproc)")
fi
