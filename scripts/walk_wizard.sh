#!/usr/bin/env bash
# The screenshot walk itself; scripts/screenshots.sh runs it on a virtual
# display. Drives the program with the keyboard and mouse as a user would.
set -euo pipefail
shots=docs/screenshots
work=$(mktemp -d)
mkdir -p "$shots"
# A profile of its own, so the pictures do not depend on this user's settings.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"

build/paperwell "$PWD/samples/sample.pdf" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT

wait_window() { # title → window id of the visible window with that title
  local id
  for _ in $(seq 1 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window '$1'" >&2
  return 1
}
shot() { # window, file: let it paint, then save it
  sleep 0.6
  import -window "$1" "$shots/$2"
  echo "saved $shots/$2"
}
# The pages are laid out in dialog units; with the 11-pixel Liberation Sans
# the setup installs, one unit is 1.5 pixels each way.
ux=1.5 uy=1.5
at() { # x y in dialog units → pixels
  echo "$(printf '%.0f' "$(echo "$1 * $ux" | bc -l)") $(printf '%.0f' "$(echo "$2 * $uy" | bc -l)")"
}

sheet=$(wait_window Paperwell)
# The output folder edit (22,185 269x14): click into it and type.
read -r x y < <(at 150 192)
xdotool mousemove --window "$sheet" "$x" "$y" click 1
xdotool type --delay 5 "$work/Converted"
xdotool mousemove 1200 1000
shot "$sheet" 1-input-page.png

xdotool key --window "$sheet" alt+n
sleep 0.3
shot "$sheet" 2-settings-page.png

xdotool key --window "$sheet" alt+n
done_dialog=$(wait_window "Conversion complete")
# Out of the way of the page, so both can be pictured whole.
xdotool windowmove "$done_dialog" 0 760
sleep 0.3
shot "$done_dialog" 4-conversion-complete.png
read -r x y < <(at 137 148) # its OK button
xdotool mousemove --window "$done_dialog" "$x" "$y" click 1
xdotool mousemove 1200 1000
sleep 0.3
shot "$sheet" 3-progress-page.png

# The About button in the bottom-left corner.
height=$(xdotool getwindowgeometry "$sheet" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
xdotool mousemove --window "$sheet" 27 $((height - 22)) click 1
about=$(wait_window "About Paperwell")
xdotool mousemove 1200 1000
shot "$about" 5-about.png
read -r x y < <(at 124 181) # its OK button
xdotool mousemove --window "$about" "$x" "$y" click 1
sleep 0.3

kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
ls -l "$shots"
