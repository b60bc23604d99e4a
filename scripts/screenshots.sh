#!/usr/bin/env bash
# Walks the real wizard, under a virtual X server, through a conversion of
# samples/sample.pdf and saves a picture of each step into docs/screenshots/.
# Usage: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(xvfb xauth xdotool imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
scripts/setup.sh >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/walk_wizard.sh
