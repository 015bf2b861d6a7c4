#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs each for the given
# number of seconds (default 60), one job at a time and at the lowest
# priority, so other work on the machine keeps its cores. New inputs go to
# build/fuzz/corpus/<target>; the small seed corpora in fuzz/corpus/ are only
# read. A crash leaves its input in build/fuzz/ and fails the script.
#   scripts/fuzz.sh [seconds] [target...]   targets: cartridge save_state battery command_line input_script settings dap_message
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then targets=(cartridge save_state battery command_line input_script settings dap_message); fi

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed; skipping the fuzz targets (scripts/install-deps.sh installs it)"
  exit 0
fi

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIN_FUZZ=ON -DTAVRIN_TESTS=OFF -DTAVRIN_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

# Per target: the longest input worth trying (a cartridge of five pages, a
# battery file past its 32 KB) and the dictionary, if any.
declare -A options=(
  [cartridge]="-max_len=81921 -close_fd_mask=1"
  [save_state]="-max_len=65536 -len_control=0"
  [battery]="-max_len=40000 -len_control=0"
  [command_line]="-max_len=512 -close_fd_mask=3 -dict=fuzz/command_line.dict"
  [input_script]="-max_len=256 -dict=fuzz/command_line.dict"
  [settings]="-max_len=4096"
  [dap_message]="-max_len=4096 -dict=fuzz/dap_message.dict"
)

for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  echo "fuzz: $target for ${seconds}s"
  # shellcheck disable=SC2086
  (cd "$build" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice -n 19 "./fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 ${options[$target]//fuzz\//../../fuzz/} \
      "corpus/$target" "../../fuzz/corpus/$target" 2>&1 | tail -n 15)
done
