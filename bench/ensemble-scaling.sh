#!/usr/bin/env bash
# Ensemble throughput against the number of worker processes: runs per
# second of `quenzor-cli simulate --runs N --jobs J` for J = 1 and 2 (and
# every core count up to nproc), alternating, median of three. The net is a
# stochastic one that stays live (a dead net steps in a few ns) and whose run
# takes well over 100 ms; the figure is the CLI's own (--stats: runs over the
# time the workers took).
#
#   bench/ensemble-scaling.sh [build-rel/src/cli/quenzor-cli]
# NET, STEPS, RUNS and TRACE override the defaults below.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cli=$(realpath "${1:-$repo/build-rel/src/cli/quenzor-cli}")
net=${NET:-$repo/../shared/bench-nets/Kanban-PT-00005.pnml}
steps=${STEPS:-2000000}
runs=${RUNS:-16}
trace=${TRACE:-P1,Pm1}
[ -f "$net" ] || { echo "no net $net: give NET=FILE" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
common=("$net" --steps "$steps" --sample-time 1 --trace "$trace")

start=$(date +%s%N)
"$cli" simulate "${common[@]}" --seed 1 --csv "$work/one.csv" > /dev/null 2>&1
echo "one run: $(( ($(date +%s%N) - start) / 1000000 )) ms ($steps steps of $(basename "$net"), loading included)"

rate() { # jobs -> runs per second
  "$cli" simulate "${common[@]}" --runs "$runs" --jobs "$1" --csv "$work/j$1.csv" --stats 2> /dev/null |
    sed -n 's/^Runs per second: //p' | tr , .
}
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
jobs=(1 2)
for ((j = 3; j <= $(nproc); ++j)); do jobs+=("$j"); done
declare -A seen
for round in 1 2 3; do
  for j in "${jobs[@]}"; do seen[$j]+="$(rate "$j") "; done
done
base=$(median ${seen[1]})
for j in "${jobs[@]}"; do
  m=$(median ${seen[$j]})
  printf -- '--jobs %-3s %8.2f runs/s (%s) %5.2fx\n' "$j" "$m" "${seen[$j]% }" "$(echo "$m / $base" | bc -l)"
done
cmp -s "$work/j1.csv" "$work/j2.csv" && echo "the statistics of --jobs 1 and --jobs 2 are the same bytes"
