#!/usr/bin/env bash
# The cutting-edge settings on the batch road: stored with the project in its extension
# section, a changed value finding the edge of a project again, and the table's end points.
#   edge_settings.sh CLI OUT_DIR SAMPLE_STL
set -euo pipefail
cli=$1 out=$2 sample=$3
mkdir -p "$out"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

segments() { sed -n 's/.*), \([0-9]*\) segments.*/\1/p' <<<"$1" | head -n 1; }

# 1. A project of the defaults has no extension section; new values for it find the
#    cutting edge again (the sample's edges are sharp: all 168 segments stay) and are
#    stored after the STL file name.
"$cli" analyze "$sample" -o "$out/plain.tsf" --decimal-separator , --quiet
grep -q -- "-----Extensions-----" "$out/plain.tsf" && fail "a default project has extensions"
summary=$("$cli" analyze "$out/plain.tsf" -o "$out/edge.tsf" --decimal-separator , \
    --min-normal-angle 20 --point-tolerance 0.0015)
grep -q "sorted again" <<<"$summary" || fail "new cutting-edge settings: $summary"
[[ "$(segments "$summary")" == 168 ]] || fail "segments with a smallest angle of 20: $summary"
tail -n 3 "$out/edge.tsf" | tr -d '\r' >"$out/tail.txt"
printf '%s\n' -----Extensions----- MinNormalAngle:20 PointTolerance:0,0015 |
    cmp -s - "$out/tail.txt" || fail "extension section: $(cat "$out/tail.txt")"

# 2. Read back without options, the stored values stay and nothing is found again.
summary=$("$cli" analyze "$out/edge.tsf" -o "$out/again.tsf" --decimal-separator ,)
grep -q "sorted again" <<<"$summary" && fail "stored settings sorted again: $summary"
cmp -s "$out/edge.tsf" "$out/again.tsf" || fail "the project does not write back byte for byte"

# 3. The values at their defaults again: the file of the first format once more.
"$cli" analyze "$out/edge.tsf" -o "$out/back.tsf" --decimal-separator , --quiet \
    --min-normal-angle 0 --point-tolerance 0.001
cmp -s "$out/plain.tsf" "$out/back.tsf" || fail "defaults again do not give the plain project"

# 4. --csv-points: the table as without it, and six more cells per row holding the ends of
#    the segments as the project stores them.
"$cli" analyze "$sample" -o "$out/p.tsf" --csv "$out/plain.csv" --decimal-separator . --quiet
"$cli" analyze "$sample" -o "$out/p.tsf" --csv "$out/points.csv" --csv-points \
    --decimal-separator . --quiet
# (The line ends go with the last cell, which cut leaves out.)
cut -d, -f1-2 "$out/points.csv" | cmp -s - <(tr -d '\r' <"$out/plain.csv") ||
    fail "--csv-points changes the table's own columns"
head -n 1 "$out/points.csv" | grep -q $',Точка 1 X,Точка 1 Y,Точка 1 Z,Точка 2 X,Точка 2 Y,Точка 2 Z\r$' ||
    fail "end point titles: $(head -n 1 "$out/points.csv")"
row=$(sed -n 2p "$out/points.csv" | tr -d '\r' | cut -d, -f3-)
stored=$(grep -m 1 '^ Point1:' "$out/p.tsf" | tr -d '\r' |
    sed 's/^ Point1:\(.*\);:Point2:\(.*\);$/\1;\2/' | tr ';' ',')
[[ -n "$row" && "$row" == "$stored" ]] || fail "first row's end points '$row', stored '$stored'"

if ((failures > 0)); then
    exit 1
fi
echo "cutting-edge settings: all checks passed"
