#!/usr/bin/env bash
# Firings per second of the engine (bench_Pnml, maximum speed, immediate
# timing) and of the plain flat-array reference kernel on every net of
# ../shared/bench-nets, the two programs alternating, median of three rounds.
#
#   bench/engine-vs-kernel.sh [build-rel/bench/bench_Pnml]
# NETS (names without .pnml) and ROUNDS override the defaults.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bench=$(realpath "${1:-$repo/build-rel/bench/bench_Pnml}")
# The shared directory lies beside the checkout, or beside the directory of
# worktrees (as bench_Pnml looks for it).
shared=$repo/../shared
[ -d "$shared" ] || shared=$repo/../../shared
nets_dir=$shared/bench-nets
kernel_src=$shared/bench-kernel/flatkernel.cpp
[ -f "$kernel_src" ] || { echo "no reference kernel at $kernel_src" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -march=native -o "$work/flatkernel" "$kernel_src"
rounds=${ROUNDS:-3}
nets=${NETS:-$(cd "$nets_dir" && ls *.pnml | sed 's/\.pnml$//')}

engine() { # net -> firings/s
  "$bench" --benchmark_filter="BM_Run/$1(/|$)" --benchmark_format=csv 2> /dev/null |
    awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "\"firings/s\"") c = i } NR == 2 { printf "%.0f", $c }'
}
kernel() { # net steps -> firings/s
  "$work/flatkernel" "$nets_dir/$1.pnml" "$2" 1 2> /dev/null | sed -n 's/.*firings_per_s=\([0-9]*\).*/\1/p'
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-26s %14s %14s %8s\n' net engine kernel kernel/engine
for net in $nets; do
  # About two seconds of the kernel: its rate on a short run sets the steps.
  rate=$("$work/flatkernel" "$nets_dir/$net.pnml" 20000 1 2> /dev/null | sed -n 's/.*steps_per_s=\([0-9]*\).*/\1/p')
  steps=$(( rate * 2 > 20000 ? rate * 2 : 20000 ))
  e=() k=()
  for ((r = 0; r < rounds; ++r)); do
    e+=("$(engine "$net")")
    k+=("$(kernel "$net" "$steps")")
  done
  me=$(median "${e[@]}") mk=$(median "${k[@]}")
  if [ "${me:-0}" -gt 0 ]; then ratio=$(awk -v a="$mk" -v b="$me" 'BEGIN { printf "%.2f", a / b }'); else ratio=dead; fi
  printf '%-26s %14s %14s %8s\n' "$net" "$me" "$mk" "$ratio"
done
