#!/usr/bin/env bash
# Times merely loading the 1 M-facet sample tool with assimp against the whole batch road
# of tessarin-cli (import, sorting, cutting edge, project file), side by side in one run.
#
#   bench/compare_assimp.sh [BUILD_DIR]      (default build/release; RUNS=5 to change runs)
#
# Installs Debian's assimp-utils when the assimp command is missing (needs root or sudo).
# Prints the median of each, the ratio tessarin-cli / assimp and the target (at most 2.5).
set -euo pipefail
export LC_ALL=C

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
runs="${RUNS:-5}"
data="${DATA:-$root/bench/data}"
sample="$build/samples/tessarin-sample"
cli="$build/cli/tessarin-cli"

for tool in "$sample" "$cli"; do
    if [[ ! -x "$tool" ]]; then
        echo "compare_assimp: $tool is missing; build it first, e.g. scripts/build.sh release" >&2
        exit 2
    fi
done

if ! command -v assimp >/dev/null 2>&1; then
    echo "compare_assimp: installing assimp-utils (for this comparison only)" >&2
    sudo=""
    if [[ "$(id -u)" != 0 ]]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq assimp-utils >/dev/null
fi

mkdir -p "$data"
stl="$data/compare-1m-ascii.stl"
out="$data/compare-1m.tsf"
if [[ ! -s "$stl" ]]; then
    "$sample" --facets 1m --format ascii -o "$stl" --name cutter
fi
cat "$stl" >/dev/null  # warm page cache for both

now_ns() { date +%s%N; }

# Runs the command once, discarding its output; prints the seconds it took.
time_once() {
    local start end
    start=$(now_ns)
    "$@" >/dev/null 2>&1 || { echo "compare_assimp: failed: $*" >&2; return 1; }
    end=$(now_ns)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

assimp_times=()
tessarin_times=()
# Alternate the two, so that a slow spell of the shared machine hits both alike.
for ((i = 1; i <= runs; i++)); do
    assimp_times+=("$(time_once assimp info "$stl" -r)")
    tessarin_times+=("$(time_once "$cli" analyze "$stl" -o "$out" --quiet)")
    echo "run $i: assimp ${assimp_times[-1]} s, tessarin-cli ${tessarin_times[-1]} s"
done
rm -f "$out"

a=$(printf '%s\n' "${assimp_times[@]}" | median)
t=$(printf '%s\n' "${tessarin_times[@]}" | median)
facets=$(awk '/^  facet normal/ { n++ } END { print n }' "$stl")
size=$(stat -c %s "$stl")
echo
echo "model: $stl ($facets facets, $(awk -v b="$size" 'BEGIN { printf "%.1f", b / 1e6 }') MB)"
echo "assimp info FILE -r (load only):                     median $a s of $runs runs"
echo "tessarin-cli analyze FILE -o OUT --quiet (the road): median $t s of $runs runs"
awk -v a="$a" -v t="$t" 'BEGIN {
    r = t / a
    printf "ratio tessarin-cli / assimp: %.2f (target: at most 2.5) %s\n", r, (r <= 2.5 ? "ok" : "MISSED")
}'
