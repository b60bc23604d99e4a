#!/usr/bin/env bash
# Installs the Debian packages Paperwell needs that are missing, then
# configures and builds. Usage: scripts/setup.sh [--sanitize | --no-build]
# (--no-build: only the packages, as scripts/package.sh wants them)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # build
  cmake g++ make pkg-config
  libpoppler-private-dev libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev libreoffice-dev
  qt6-base-dev libicu-dev libminizip-dev libtesseract-dev libleptonica-dev
  # run time: CJK maps, metric-compatible faces, the office suite
  poppler-data fonts-liberation fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
  fonts-crosextra-carlito fonts-crosextra-caladea fonts-wqy-microhei
  # URW's clones of the PostScript faces: what fontconfig serves for Palatino
  # Linotype, Bookman Old Style, Century Schoolbook and Symbol, the faces the
  # converter writes for Palatino, Bookman, Schoolbook and Symbol text
  fonts-urw-base35
  libreoffice-writer-nogui xdg-utils
  # text recognition of scanned pages: English and the page orientation
  tesseract-ocr-eng tesseract-ocr-osd
  # tests
  poppler-utils qpdf zlib1g-dev python3-docx
  # the Debian package and its checks (scripts/package.sh), the manual pages
  dpkg-dev lintian man-db unzip
  # tests of the built fonts: the validator and font programs of every kind
  opentype-sanitizer fonts-urw-base35
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

[ "${1:-}" = "--no-build" ] && exit 0

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  extra=(-DPW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S . -B "$build_dir" "${extra[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
