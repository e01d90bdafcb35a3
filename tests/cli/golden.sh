#!/usr/bin/env bash
# The whole batch road on the bundled sample with every option, compared byte for byte
# with the checked-in project files and tables. A differing output is kept beside the
# reference's name in OUT for inspection.
#   golden.sh CLI GOLDEN_DIR OUT_DIR SAMPLE_STL [--update]
set -euo pipefail
cli=$1 golden=$2 out=$3 sample=$4 update=${5:-}
mkdir -p "$out"

# 1. From the STL model: settings, all four systems, a working plane on segment 40,
#    angles, and a selection of two ranges on one column and a range on another.
"$cli" analyze "$sample" -o "$out/road.tsf" --csv "$out/road.csv" --quiet \
    --decimal-separator , --gamma 80 --alpha 10 --discard-internal yes --accuracy 3 \
    --mark-negative yes --stl-name 'C:\Models\cutter.stl' \
    --ssk 5,30 --feedplan 90,40 --ksk 3 --dsk 10 --compute isk,ssk,ksk,dsk \
    --range 'ssk.g=-10..-0,5; 6..8' --range 'isk.a=6,5..7,5' --select-logic or

# 2. From that project: a new accuracy, the search narrowed within the selection, the
#    table in "." notation.
"$cli" analyze "$out/road.tsf" -o "$out/narrowed.tsf" --csv "$out/narrowed.csv" --quiet \
    --decimal-separator . --accuracy 2 --range 'dsk.f=0..100' --select-logic and \
    --select-within --compute dsk

status=0
for name in road.tsf road.csv narrowed.tsf narrowed.csv; do
    if [ "$update" = "--update" ]; then
        cp "$out/$name" "$golden/$name"
    elif ! cmp -s "$out/$name" "$golden/$name"; then
        echo "$out/$name differs from $golden/$name (run: diff $out/$name $golden/$name)"
        status=1
    fi
done
exit $status
