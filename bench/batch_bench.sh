#!/usr/bin/env bash
# The batch of 20 sample-sized tools (copies of samples/cutter.stl) with -j 2 against 20
# sequential runs of `analyze`, best of REPEAT each; prints both times and their ratio.
#   bench/batch_bench.sh [CLI] [REPEAT]
# CLI defaults to build/release/cli/tessarin-cli. The ratio is sequential / batch: about
# 2 on two free cores, less where the batch tool's own start and summary cost shows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/release/cli/tessarin-cli}
repeat=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
for i in $(seq -w 1 20); do cp "$root/samples/cutter.stl" "$work/in/tool$i.stl"; done
options=(--decimal-separator . --ssk 5,30 --feedplan 30 --compute isk,ssk -q)

now() { date +%s.%N; }
best_batch=
for _ in $(seq 1 "$repeat"); do
    rm -rf "$work/seq" "$work/batch" && mkdir -p "$work/seq"
    start=$(now)
    for model in "$work"/in/*.stl; do
        name=$(basename "$model" .stl)
        "$cli" analyze "$model" -o "$work/seq/$name.tsf" --csv "$work/seq/$name.csv" \
            "${options[@]}" || true
    done
    sequential=$(echo "$(now) - $start" | bc)
    start=$(now)
    "$cli" batch "$work/in" -o "$work/batch" -j 2 --csv "${options[@]}" || true
    batch=$(echo "$(now) - $start" | bc)
    if [[ -z $best_batch ]] || (($(echo "$batch < $best_batch" | bc))); then best_batch=$batch; fi
    if [[ -z ${best_sequential:-} ]] || (($(echo "$sequential < $best_sequential" | bc))); then best_sequential=$sequential; fi
done
printf '20 sequential analyze runs: %.3f s\n' "$best_sequential"
printf 'batch -j 2 of the same 20:  %.3f s\n' "$best_batch"
printf 'ratio sequential / batch:   %.2f (best of %s)\n' "$(echo "$best_sequential / $best_batch" | bc -l)" "$repeat"
