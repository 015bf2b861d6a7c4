#!/usr/bin/env bash
# Side-by-side speed of two commits.
#
#   bench/compare.sh <commitA> <commitB> [image]
#
# Checks both commits out into a temporary folder (git worktree), builds each
# in Release without the tests, then runs, alternately A and B, the headless
# runner (the built-in demo, or `image`), z80_bench and video_bench, for
# several rounds, and prints the median of each figure side by side with the
# ratio B / A. Alternating the two spreads any change in the machine's load
# over both. A benchmark a commit does not have (or cannot build) shows "-".
# The headless run gives two figures: frames per second of wall-clock time
# (what the runner prints) and frames per second of the process's own
# processor time, which a busy machine disturbs less.
#
# Environment: ROUNDS (default 5), FRAMES for the headless run (default
# 20000), JOBS for the builds (default 2), KEEP=1 keeps the builds.
set -euo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
  echo "usage: $0 <commitA> <commitB> [image]" >&2
  exit 2
fi
commit_a=$1
commit_b=$2
image=${3:-}
rounds=${ROUNDS:-5}
frames=${FRAMES:-20000}
jobs=${JOBS:-2}

repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
# Names such as HEAD are resolved once, before anything is built.
commit_a=$(git -C "$repo" rev-parse --verify "$commit_a^{commit}")
commit_b=$(git -C "$repo" rev-parse --verify "$commit_b^{commit}")
if [[ -n $image ]]; then image=$(realpath "$image"); fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-compare.XXXXXX")

cleanup() {
  for side in a b; do
    if [[ -d $work/$side ]]; then git -C "$repo" worktree remove --force "$work/$side" >/dev/null 2>&1 || true; fi
  done
  if [[ ${KEEP:-0} != 1 ]]; then rm -rf "$work"; else echo "builds kept in $work" >&2; fi
}
trap cleanup EXIT

build() {
  local side=$1 commit=$2
  git -C "$repo" worktree add --detach --quiet "$work/$side" "$commit"
  cmake -S "$work/$side" -B "$work/$side/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF \
    >"$work/$side.configure.log" 2>&1
  local target
  for target in tavrin z80_bench video_bench; do
    if ! cmake --build "$work/$side/build" -j"$jobs" --target "$target" >>"$work/$side.build.log" 2>&1; then
      echo "$side ($commit): $target does not build here; left out" >&2
    fi
  done
}

echo "building A = $commit_a and B = $commit_b in $work" >&2
build a "$commit_a"
build b "$commit_b"

# Each runner prints one number, or nothing when the program is missing.
# The headless runner prints the wall-clock figure; bash's `time` gives the
# user and system seconds the run took, for the processor-time figure.
headless_cpu=""
run_headless() {
  local exe=$1/build/src/tavrin
  headless_cpu=""
  [[ -x $exe ]] || return 0
  local args=(--headless --frames "$frames" --bench)
  if [[ -n $image ]]; then args+=("$image"); fi
  local times TIMEFORMAT="%U %S"
  times=$({ time "$exe" "${args[@]}" >"$work/headless.out" 2>/dev/null; } 2>&1)
  headless_cpu=$(awk -v f="$frames" '{ s = $1 + $2; if (s > 0) printf "%.0f", f / s }' <<<"$times")
  sed -n 's/.*: \([0-9.]*\) frames per second.*/\1/p' "$work/headless.out" | tail -1
}
run_z80() {
  local exe=$1/build/bench/z80_bench
  [[ -x $exe ]] || return 0
  "$exe" | sed -n 's/^median.*: \([0-9.]*\) emulated MHz.*/\1/p'
}
run_video() {
  local exe=$1/build/bench/video_bench
  [[ -x $exe ]] || return 0
  "$exe" | sed -n 's/.*median \([0-9.]*\) us per frame.*/\1/p'
}

declare -A figures
for ((round = 1; round <= rounds; ++round)); do
  echo "round $round of $rounds" >&2
  for what in headless z80 video; do
    for side in a b; do
      # Not in a subshell: run_headless also leaves the processor-time figure.
      "run_$what" "$work/$side" >"$work/value" || true
      value=$(cat "$work/value")
      figures[$what.$side]+="${value:+$value }"
      if [[ $what == headless ]]; then figures[cpu.$side]+="${headless_cpu:+$headless_cpu }"; fi
    done
  done
done

median() {
  if [[ -z ${1// /} ]]; then echo "-"; return; fi
  tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

label_a=${commit_a:0:7}
label_b=${commit_b:0:7}
printf '\nmedians of %d rounds, load average at the end: %s\n' "$rounds" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %12s %12s %8s\n' "figure" "A $label_a" "B $label_b" "B / A"
for what in headless cpu z80 video; do
  case $what in
    headless) name="headless frames per second${image:+ ($(basename "$image"))}" ;;
    cpu) name="  per second of processor time" ;;
    z80) name="z80_bench emulated MHz" ;;
    video) name="video_bench us per frame" ;;
  esac
  a=$(median "${figures[$what.a]:-}")
  b=$(median "${figures[$what.b]:-}")
  ratio="-"
  if [[ $a != "-" && $b != "-" ]]; then ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", b / a }'); fi
  printf '%-34s %12s %12s %8s\n' "$name" "$a" "$b" "$ratio"
done
