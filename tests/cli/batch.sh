#!/usr/bin/env bash
# The batch subcommand: results named after the inputs (duplicates numbered), the same
# bytes whatever the number of processes, the worst exit code, list files, a clean stop.
#   batch.sh CLI OUT_DIR SAMPLE_STL SINGLE_FACET_STL
set -uo pipefail
cli=$1 out=$2 sample=$3 single=$4
rm -rf "$out"
mkdir -p "$out/in/a" "$out/in/b"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A good tool, one without a cutting edge, a file that is no model, and a second
# "cutter" in another folder.
cp "$sample" "$out/in/a/cutter.stl"
cp "$single" "$out/in/a/flat.stl"
echo "not a model" >"$out/in/a/notes.txt"
cp "$sample" "$out/in/b/cutter.stl"
analysis=(--decimal-separator . --ssk 5,30 --feedplan 30 --compute isk,ssk)

# The summary without its time column.
timeless() {
    python3 -c '
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline="")))
col = rows[0].index("time s")
for row in rows:
    print(",".join(row[:col] + row[col + 1:]))' "$1"
}

# 1. -j 1 and -j 2 write the same files; the summary differs only in the times.
for jobs in 1 2; do
    "$cli" batch "$out/in/a" "$out/in/b/cutter.stl" -o "$out/j$jobs" -j $jobs --csv --json \
        "${analysis[@]}" >"$out/j$jobs.out" 2>"$out/j$jobs.err"
    code=$?
    [[ $code == 1 ]] || fail "-j $jobs: exit $code, expected 1 (a failing input)"
    grep -q "batch: .*flat.stl: Нет пересечений" "$out/j$jobs.err" ||
        fail "-j $jobs: the failing input is not reported: $(cat "$out/j$jobs.err")"
    grep -q "in/b/cutter.stl: written as cutter-2" "$out/j$jobs.out" ||
        fail "-j $jobs: the renamed duplicate is not reported"
done
# The logs name the folder they were written to, so they are only there.
for file in cutter.log cutter-2.log flat.log; do
    [[ -s "$out/j2/$file" ]] || fail "-j 2: $file missing"
done
for file in cutter.tsf cutter.csv cutter.json cutter-2.tsf cutter-2.csv cutter-2.json; do
    [[ -f "$out/j1/$file" ]] || fail "-j 1: $file missing"
    cmp -s "$out/j1/$file" "$out/j2/$file" || fail "$file differs between -j 1 and -j 2"
done
for file in flat.tsf flat.csv flat.json notes.tsf; do
    [[ ! -e "$out/j1/$file" ]] || fail "$file written for an input that failed or is no model"
done
ls -a "$out/j1" "$out/j2" | grep -q -e '\.figures$' -e '^tessarin-.*\.tmp$' && fail "temporaries left"
cmp -s <(timeless "$out/j1/summary.csv") <(timeless "$out/j2/summary.csv") ||
    fail "summaries differ beyond the times"
# A row per input, in input order, with the exit codes and the failure's reason.
python3 - "$out/j1/summary.csv" <<'PY' || fail "summary content"
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline="")))
head, body = rows[0], rows[1:]
got = [(r[head.index("name")], r[head.index("exit code")]) for r in body]
assert got == [("cutter", "0"), ("flat", "1"), ("cutter-2", "0")], got
cutter = dict(zip(head, body[0]))
assert cutter["facets"] == "3712" and int(cutter["segments"]) > 0, cutter
assert float(cutter["ssk.g min"]) < float(cutter["ssk.g max"]), cutter
assert "Нет пересечений" in dict(zip(head, body[1]))["error"], body[1]
assert body[0][2:] [:-3] == body[2][2:][:-3], "the two copies differ"
PY

# 2. The exit code is the worst: usage 2 > failure 1 > out of tolerance 3 > success 0.
while IFS='|' read -r expected label args; do
    read -ra words <<<"$args"
    "$cli" batch "${words[@]}" -o "$out/code" -q "${analysis[@]}" >/dev/null 2>&1
    code=$?
    [[ $code == "$expected" ]] || fail "$label: exit $code, expected $expected"
done <<TABLE
0|within the tolerance|$out/in/b/cutter.stl --nominal ssk.g=0:-45:45
3|out of tolerance|$out/in/b/cutter.stl --nominal ssk.g=6:-0.5:0.5
1|a failure beats out of tolerance|$out/in/a --nominal ssk.g=6:-0.5:0.5
2|an unreadable list|@$out/no_such_list.txt $out/in/b/cutter.stl
1|a missing input fails like an unreadable one|$out/in/no_such_tool.stl
2|not a model, nothing run|$out/in/a/notes.txt $out/in/b/cutter.stl
2|a bad option, nothing run|$out/in/b/cutter.stl --gamma 8,5
TABLE
mkdir -p "$out/in/none"
"$cli" batch "$out/in/none" -o "$out/none" >/dev/null 2>&1
[[ $? == 2 && ! -e "$out/none/summary.csv" ]] || fail "a folder without models: not a usage error"

# 3. A list file: comments, blank lines, a folder and a path relative to the list's folder.
printf '# the tools\n\na\n  b/cutter.stl  \n' >"$out/in/list.txt"
"$cli" batch "@$out/in/list.txt" -o "$out/list" --csv --json "${analysis[@]}" >/dev/null 2>&1
[[ $? == 1 ]] || fail "list: exit code"
cmp -s <(timeless "$out/j1/summary.csv" | cut -d, -f2-) <(timeless "$out/list/summary.csv" | cut -d, -f2-) ||
    fail "the list gives other inputs than the folder: $(cat "$out/list/summary.csv")"
cmp -s "$out/j1/cutter-2.tsf" "$out/list/cutter-2.tsf" || fail "list: cutter-2.tsf differs"

# 4. A stop: the children end, every result left is whole, no summary, no temporaries.
mkdir -p "$out/in/many"
for i in $(seq -w 1 30); do cp "$sample" "$out/in/many/tool$i.stl"; done
"$cli" analyze "$sample" -o "$out/whole.tsf" --stl-name tool.stl "${analysis[@]}" -q
for signal in TERM INT; do
    stop=$out/stop-$signal
    expected=$((128 + $(kill -l $signal)))
    "$cli" batch "$out/in/many" -o "$stop" -j 2 --csv --stl-name tool.stl "${analysis[@]}" \
        >/dev/null 2>&1 &
    batch=$!
    for _ in $(seq 1 500); do
        # Two finished, two running.
        logs=("$stop"/*.log)
        [[ -e ${logs[0]} && ${#logs[@]} -ge 4 ]] && break
        sleep 0.01
    done
    kill -$signal $batch
    wait $batch
    code=$?
    if [[ $code == 0 ]]; then
        echo "note: the batch ended before SIG$signal; the stop is not tested"
        continue
    fi
    [[ $code == "$expected" ]] || fail "SIG$signal: exit $code, expected $expected"
    [[ ! -e "$stop/summary.csv" ]] || fail "SIG$signal: a summary written"
    ls -a "$stop" | grep -q -e '\.figures$' -e '^tessarin-.*\.tmp$' && fail "SIG$signal: temporaries left"
    kept=0
    for tsf in "$stop"/*.tsf; do
        [[ -e $tsf ]] || continue
        name=${tsf%.tsf}
        [[ -f $name.csv && -f $name.log ]] || fail "SIG$signal: $tsf without its table or log"
        cmp -s "$tsf" "$out/whole.tsf" || fail "SIG$signal: $tsf is not whole"
        kept=$((kept + 1))
    done
    [[ $kept -ge 1 && $kept -lt 30 ]] || fail "SIG$signal: $kept whole results, expected some"
    pgrep -f "tessarin-cli analyze $out/in/many" >/dev/null && fail "SIG$signal: children still running"
done

exit $((failures > 0))
