#!/usr/bin/env bash
# A project analysed again must never show results of values it no longer has: a search
# within an old selection, a system defined anew, new sorting settings, a stored main
# segment past the end of the cutting edge.
#   stale_results.sh CLI OUT_DIR SAMPLE_STL
set -euo pipefail
cli=$1 out=$2 sample=$3
mkdir -p "$out"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The number after "selection: " or before " segments" in a summary.
selected() { sed -n 's/^selection: \([0-9]*\) segments$/\1/p' <<<"$1"; }
segments() { sed -n 's/.*), \([0-9]*\) segments.*/\1/p' <<<"$1" | head -n 1; }

# 1. A selection made while only the tool system's angles existed, searched within after
#    the static angles were computed: the static angles as they are now decide.
"$cli" analyze "$sample" -o "$out/isk.tsf" --decimal-separator , --compute isk \
    --range "isk.a=0..90" --quiet
base=$(selected "$("$cli" analyze "$out/isk.tsf" -o "$out/x.tsf" --decimal-separator ,)")
args=(--decimal-separator , --ssk 5,30 --feedplan 90 --compute ssk --range "ssk.g=-0,5..0,5")
whole=$(selected "$("$cli" analyze "$out/isk.tsf" -o "$out/whole.tsf" "${args[@]}")")
within=$(selected "$("$cli" analyze "$out/isk.tsf" -o "$out/within.tsf" "${args[@]}" \
    --select-within 2>&1)")
[[ -n "$base" && -n "$whole" ]] || fail "no selection counts: base '$base', whole '$whole'"
if [[ -n "$within" && "$within" != "$base" && "$within" -le "$whole" ]]; then
    :
else
    fail "search within the selection: $within of $base kept, whole edge $whole"
fi

# 2. A static system defined anew drops the angles measured with the old one, and the
#    kinematic angles with it (its normal is reset to the static one).
"$cli" analyze "$sample" -o "$out/gn10.tsf" --ssk 10,0 --feedplan 90 --ksk 3 \
    --compute isk,ssk,ksk --quiet
summary=$("$cli" analyze "$out/gn10.tsf" -o "$out/gn0.tsf" --ssk 0,0)
grep -q "angles dropped, their systems were defined anew: SSK KSK" <<<"$summary" ||
    fail "redefined static system: $summary"
grep -qx $'Defined Angles:ISK+;SSK-;KSK-;DSK-\r' "$out/gn0.tsf" ||
    fail "redefined static system: $(grep 'Defined Angles' "$out/gn0.tsf")"

# 3. New sorting settings for a project sort it again: the same cutting edge as the STL
#    file gives with those settings.
"$cli" analyze "$sample" -o "$out/sorted.tsf" --quiet
from_stl=$(segments "$("$cli" analyze "$sample" -o "$out/x.tsf" --alpha 6.5)")
from_tsf=$("$cli" analyze "$out/sorted.tsf" -o "$out/resorted.tsf" --alpha 6.5)
[[ -n "$from_stl" && "$(segments "$from_tsf")" == "$from_stl" ]] ||
    fail "sorting again: $from_tsf, the STL file gives $from_stl segments"
grep -q "sorted again" <<<"$from_tsf" || fail "sorting again is not reported: $from_tsf"

# 4. A stored main segment past the end of the cutting edge: the project still reads (with
#    a warning), --ssk alone is refused with a hint, and --feedplan PHI,HCE mends it.
"$cli" analyze "$sample" -o "$out/hce.tsf" --ssk 5,30 --feedplan 90,40 --quiet
sed 's/;HCE:40\r$/;HCE:500\r/' "$out/hce.tsf" >"$out/stale_hce.tsf"
grep -q 'HCE:500' "$out/stale_hce.tsf" || fail "could not make the stale main segment"
if ! read_out=$("$cli" analyze "$out/stale_hce.tsf" -o "$out/x.tsf" 2>&1); then
    fail "a project with a stale main segment does not read: $read_out"
fi
grep -q "(500)" <<<"$read_out" || fail "no warning for the stale main segment: $read_out"
if ssk_out=$("$cli" analyze "$out/stale_hce.tsf" -o "$out/x.tsf" --ssk 5,30 2>&1); then
    fail "--ssk on a stale main segment was accepted: $ssk_out"
fi
grep -q -- "--feedplan PHI,HCE" <<<"$ssk_out" || fail "no hint for the stale main segment: $ssk_out"
"$cli" analyze "$out/stale_hce.tsf" -o "$out/mended.tsf" --ssk 5,30 --feedplan 90,40 \
    --quiet 2>/dev/null || fail "--ssk with --feedplan PHI,HCE does not mend the main segment"
grep -q ';HCE:40' "$out/mended.tsf" || fail "the mended project has no main segment 40"

if ((failures > 0)); then
    exit 1
fi
echo "stale results: all checks passed"
