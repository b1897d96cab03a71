#!/usr/bin/env bash
# Submits an ensemble or a sweep of quenzor-cli to Slurm: a job array of
# TASKS tasks, each running its share of the runs, and a merge job that runs
# once every task has succeeded (and is dropped when one fails).
#
#   scripts/slurm/submit.sh [-n TASKS] [-c CPUS] [--wait] CLI WORKDIR OUTPUT -- simulate|sweep NET.pn OPTIONS...
#
# CLI, WORKDIR and NET.pn must be reachable under the same paths on every
# node; QUENZOR_HOME and the rest of the environment are passed on. With
# --wait the script returns when the merge job has ended, with its status.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tasks=4 cpus=1 wait=()
while [ $# -gt 0 ]; do
  case $1 in
    -n) tasks=$2; shift 2 ;;
    -c) cpus=$2; shift 2 ;;
    --wait) wait=(--wait); shift ;;
    *) break ;;
  esac
done
if [ $# -lt 5 ] || [ "$4" != "--" ]; then
  sed -n '2,10p' "$0" >&2
  exit 2
fi
cli=$(realpath "$1") work=$(realpath -m "$2") output=$(realpath -m "$3")
shift 4
mkdir -p "$work"
rm -f "$work"/part-*.qzpart
array=$(sbatch --parsable --array="1-$tasks" --cpus-per-task="$cpus" --output="$work/task-%a.out" \
  "$here/quenzor-array.sbatch" "$cli" "$work" "$@")
echo "array job $array: $tasks tasks"
merge=$(sbatch --parsable "${wait[@]}" --dependency="afterok:$array" --kill-on-invalid-dep=yes \
  --output="$work/merge.out" "$here/quenzor-merge.sbatch" "$cli" "$work" "$output")
echo "merge job $merge: $output"
