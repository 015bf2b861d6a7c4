#!/usr/bin/env bash
# The desktop program's processor use with each picture filter, at two and
# four times the console's size, on a private X server with a window manager.
#
#   bench/desktop_filters_cpu.sh [program]   (default build/release/src/tavrin)
#
# For each filter and size (and fullscreen, on the server's 1280 x 1024
# screen) it starts the program on the built-in demo with a
# settings file of its own, lets it settle, and reads the threads' processor
# time from /proc over ten seconds: the whole process, the GL rasteriser's
# threads (Mesa's llvmpipe, present when there is no GPU: the work a GPU
# does) and the rest (emulation, conversion, the renderer's calls). Needs
# Xvfb and openbox (scripts/install-deps.sh brings both).
set -euo pipefail
program=$(realpath "${1:-build/release/src/tavrin}")
seconds=10
display=:$((90 + RANDOM % 100))

ticks() {  # "<thread name> <user+system ticks>" for each thread of $1
  for task in /proc/"$1"/task/*; do
    local fields
    read -ra fields < <(sed 's/^.*) //' "$task/stat")
    echo "$(cat "$task/comm") $((fields[11] + fields[12]))"
  done
}

Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
DISPLAY=$display openbox >/dev/null 2>&1 &
manager=$!
trap 'kill $manager $server 2>/dev/null' EXIT

hz=$(getconf CLK_TCK)
printf '%-10s %5s %8s %12s %8s\n' filter size all rasteriser rest
for filter in none smooth scanlines lcd; do
  for size in 2 4 full; do
    home=$(mktemp -d)
    mkdir -p "$home/.config/tavrin"
    if [ "$size" = full ]; then scale=2 fullscreen=true; else scale=$size fullscreen=false; fi
    printf '[window]\nscale=%s\nfilter=%s\nfullscreen=%s\n' "$scale" "$filter" "$fullscreen" \
      >"$home/.config/tavrin/tavrin.conf"
    (cd "$home" && HOME=$home DISPLAY=$display SDL_AUDIODRIVER=dummy exec "$program" >/dev/null 2>&1) &
    pid=$!
    sleep 4  # start, the first frames, the window manager's placing
    before=$(ticks "$pid")
    sleep "$seconds"
    after=$(ticks "$pid")
    kill "$pid"; wait "$pid" 2>/dev/null || true
    rm -rf "$home"
    awk -v hz="$hz" -v s="$seconds" -v f="$filter" -v x="$size" '
      NR == FNR { was[$1] += $2; next }
      { now[$1] += $2 }
      END {
        for (t in now) { d = now[t] - was[t]; all += d; if (t ~ /^llvmpipe/) gl += d }
        printf "%-10s %5s %7.1f%% %11.1f%% %7.1f%%\n", f, x, 100*all/hz/s, 100*gl/hz/s, 100*(all-gl)/hz/s
      }' <(echo "$before") <(echo "$after")
  done
done
