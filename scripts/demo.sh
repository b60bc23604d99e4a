#!/usr/bin/env bash
# Installs what is missing, builds, and converts the bundled sample PDF.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p out
build/src/paperwell-cli samples/sample.pdf -o out
