#!/usr/bin/env bash
# Checks a built Debian package: what it holds, its control fields, that it
# converts from a copy unpacked into a scratch root (dpkg -x, as dpkg would
# install it under /), and that lintian finds no error (warnings are listed).
# Usage: tests/package/check_package.sh [PACKAGE.deb]   (default: dist/paperwell_*_amd64.deb)
# Exit status 0: fine; 1: a check failed; 77: no package to check.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
deb=${1:-$(ls "$here"/dist/paperwell_*_amd64.deb 2>/dev/null | tail -1)}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "no package (scripts/package.sh builds one)"
  exit 77
fi
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d /tmp/pw-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# The files a user gets.
listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/bin/paperwell /usr/bin/paperwell-cli /usr/libexec/paperwell/paperwell-worker \
            /usr/share/applications/paperwell.desktop /usr/share/icons/hicolor/48x48/apps/paperwell.png \
            /usr/share/man/man1/paperwell.1.gz /usr/share/man/man1/paperwell-cli.1.gz \
            /usr/share/paperwell/Paperwell.html /usr/share/doc/paperwell/copyright \
            /usr/share/doc/paperwell/changelog.gz; do
  grep -qx "$path" <<<"$listing" || fail "the package lacks $path"
done
grep -q '^/usr/local' <<<"$listing" && fail "files under /usr/local"

# The control fields: the libraries it links, the office suite it recommends.
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "paperwell_${version}_amd64.deb" ] || fail "file name $(basename "$deb") for version $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libpoppler libqt6widgets6 libjpeg62-turbo libicu libminizip libtesseract; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -q 'libreoffice-writer-nogui' <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks libreoffice-writer-nogui"
grep -q 'MimeType=application/pdf;' <<<"$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/paperwell.desktop)" ||
  fail "the desktop entry does not open PDF files"

# Unpacked into a scratch root, the programs run from there: the worker is
# found beside them, and a PDF becomes a .docx.
dpkg -x "$deb" "$scratch/root"
cli="$scratch/root/usr/bin/paperwell-cli"
out=$("$cli" --version) || fail "paperwell-cli --version"
[ "$out" = "paperwell-cli $version" ] || fail "paperwell-cli --version says '$out'"
out=$("$scratch/root/usr/bin/paperwell" --version) || fail "paperwell --version"
[ "$out" = "paperwell $version" ] || fail "paperwell --version says '$out'"
mkdir -p "$scratch/out"
if ! env -u PW_WORKER_PROGRAM PW_SOFFICE= "$cli" -q --format docx "$here/samples/sample.pdf" -o "$scratch/out"; then
  fail "paperwell-cli could not convert samples/sample.pdf"
fi
docx=$(ls "$scratch"/out/Paperwell*/sample.docx 2>/dev/null)
# (Whole outputs are read before they are searched: grep -q would end a
# pipe early, and pipefail would count that as a failure.)
if [ -z "$docx" ] || ! grep -q 'word/document.xml' <<<"$(unzip -l "$docx")"; then
  fail "no Word package from the unpacked paperwell-cli"
fi
# The manual pages are there for man.
grep -q -- '--resolution' <<<"$(man -l "$scratch/root/usr/share/man/man1/paperwell-cli.1.gz" 2>/dev/null)" ||
  fail "man paperwell-cli does not read"

# lintian: errors fail the check, warnings are listed.
if command -v lintian >/dev/null; then
  report=$(lintian --tag-display-limit 0 --show-overrides -I "$deb" 2>&1 | grep -v "running with root privileges")
  echo "lintian:"
  if [ -n "$report" ]; then sed 's/^/  /' <<<"$report"; else echo "  (nothing)"; fi
  grep -q '^E:' <<<"$report" && fail "lintian reports errors"
else
  fail "lintian is not installed"
fi

if ((failures)); then
  echo "$failures check(s) failed for $deb"
  exit 1
fi
echo "package checks passed: $deb"
