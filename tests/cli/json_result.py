#!/usr/bin/env python3
"""The batch tool's JSON result: valid against the schema shipped with the help, the same
segments and angles as the table, the edges and tolerances consistent with the segments,
the tolerances stored with the project and the exit code 3 when a segment is outside.

    json_result.py CLI OUT_DIR SAMPLE_STL SCHEMA
"""
import csv
import json
import math
import os
import subprocess
import sys

cli, out, sample, schema_path = sys.argv[1:5]
os.makedirs(out, exist_ok=True)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def run(*args):
    done = subprocess.run([cli, "analyze", *args], capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


try:
    import jsonschema
except ImportError:
    print("FAIL: python3-jsonschema is missing (scripts/install-deps.sh installs it)")
    sys.exit(1)
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft7Validator.check_schema(schema)
validator = jsonschema.Draft7Validator(schema)


def load(path):
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
    for error in errors[:5]:
        check(False, f"{path}: {list(error.path)}: {error.message}")
    return document


road = ["--ssk", "5,30", "--feedplan", "90", "--ksk", "3", "--dsk", "10",
        "--compute", "isk,ssk,ksk,dsk"]

# 1. The sample with every system, a selection and two tolerances, one of them far too
#    narrow: exit 3, and the JSON holds what the table holds.
code, text = run(sample, "-o", f"{out}/a.tsf", "--decimal-separator", ".", "--accuracy", "6",
                 *road, "--range", "ssk.g=0..10", "--nominal", "ssk.g=2:-0.5:0.5",
                 "--nominal", "isk.a=6.5:-1:1", "--csv", f"{out}/a.csv", "--json", f"{out}/a.json")
check(code == 3, f"out of tolerance: exit {code}\n{text}")
check("some segments are out of tolerance" in text, "the summary says so")
document = load(f"{out}/a.json")
check(list(document) == ["file", "check", "settings", "systems", "segments", "edges",
                         "selection", "tolerance"], f"top-level keys {list(document)}")
check(document["check"] is not None and document["check"]["facets_read"] == 3712,
      "the model check of the STL input")
segments = document["segments"]
with open(f"{out}/a.csv", encoding="utf-8") as f:
    rows = list(csv.reader(f))[1:]
check(len(segments) == len(rows) == 168, f"{len(segments)} segments, {len(rows)} rows")
keys = ["isk.g", "isk.a", "isk.l"] + [f"{s}.{a}" for s in ("ssk", "ksk", "dsk")
                                      for a in ("g", "a", "l", "f")]
for segment, row in zip(segments, rows):
    check(segment["number"] == int(row[0]), f"segment {segment['number']} against row {row[0]}")
    check(abs(segment["polar"] - float(row[1])) <= 5.1e-7, f"polar of {row[0]}")
    for key, cell in zip(keys, row[2:]):
        value = segment["angles"][key]
        check(value is not None and abs(value - float(cell)) <= 5.1e-7,
              f"segment {row[0]} {key}: {value} against {cell}")
    if failures:
        break
# The edges: 8 inserts of three sides; every segment in the edge that lists it.
edges = document["edges"]["list"]
check(len(edges) == 24 and document["edges"]["tool"]["edges"] == 24, f"{len(edges)} edges")
check(sum(e["segments"] for e in edges) == 168, "every segment in one edge")
by_number = {s["number"]: s for s in segments}
for edge in edges:
    first = by_number[edge["first_segment"]]
    check(first["edge"] == edge["number"], f"edge {edge['number']}'s first segment")
    stats = edge["angles"]["ssk.g"]
    check(stats["min"] <= stats["mean"] <= stats["max"], f"edge {edge['number']} ssk.g stats")
check(document["edges"]["list"][0]["polar_from"] > 0 > document["edges"]["list"][0]["polar_to"],
      "edge 1 wraps across 180")
# The tolerances: per segment, per edge and for the tool, consistent with the angles.
tolerance = document["tolerance"]
check([t["key"] for t in tolerance["judged"]] == ["isk.a", "ssk.g"], "judged in the angles' order")
inside = [all(abs(s["angles"][t["key"]] - t["nominal"]) <= max(-t["lower"], t["upper"]) and
              t["lower"] <= s["angles"][t["key"]] - t["nominal"] <= t["upper"]
              for t in tolerance["judged"]) for s in segments]
check([s["in_tolerance"] for s in segments] == inside, "in_tolerance per segment")
check(tolerance["tool"]["inside"] == sum(inside), "inside every tolerance, for the tool")
check(not tolerance["all_inside"], "all_inside")
ssk = tolerance["judged"][1]["tool"]
worst = by_number[ssk["worst"]["segment"]]
check(math.isclose(worst["angles"]["ssk.g"] - 2, ssk["worst"]["deviation"], abs_tol=1e-9),
      "the worst deviation is its segment's")
check(document["selection"]["count"] == len(document["selection"]["numbers"]) > 0, "selection")

# 2. The project keeps the tolerances; read back it is judged again (exit 3), its JSON has no
#    model check, and a comma separator changes nothing in the JSON's numbers.
with open(f"{out}/a.tsf", encoding="utf-8", newline="") as f:
    tail = f.read().split("-----Extensions-----\r\n")[-1]
check(tail == "tolerance.isk.a:6.5;-1;1\r\ntolerance.ssk.g:2;-0.5;0.5\r\n", f"stored: {tail!r}")
code, text = run(f"{out}/a.tsf", "-o", f"{out}/b.tsf", "--decimal-separator", ",", "--quiet",
                 "--json", f"{out}/b.json")
check(code == 3, f"stored tolerances judged again: exit {code}\n{text}")
again = load(f"{out}/b.json")
check(again["check"] is None, "no model check for a project")
# (The project stores 15 significant digits.)
check(all(a.keys() == b.keys() and all(
    (a[k] is None and b[k] is None) or math.isclose(a[k], b[k], rel_tol=1e-12, abs_tol=1e-12)
    for k in a) for a, b in zip((s["angles"] for s in again["segments"]),
                                (s["angles"] for s in segments))),
      "the same angles read back from the project")

# 3. Wide tolerances: exit 0; none at all: no tolerance object, in_tolerance null, and a
#    project of the first format.
code, text = run(sample, "-o", f"{out}/c.tsf", *road, "--quiet", "--nominal", "ssk.g=0:-90:90",
                 "--json", f"{out}/c.json")
check(code == 0, f"everything within: exit {code}\n{text}")
check(load(f"{out}/c.json")["tolerance"]["all_inside"], "all inside")
code, text = run(sample, "-o", f"{out}/d.tsf", "--quiet", "--json", f"{out}/d.json")
check(code == 0, f"no tolerances: exit {code}\n{text}")
plain = load(f"{out}/d.json")
check(plain["tolerance"] is None and plain["selection"] is None, "nothing to judge or select")
check(all(s["in_tolerance"] is None and s["angles"] == {} for s in plain["segments"]),
      "no angles computed, nothing judged")
with open(f"{out}/d.tsf", "rb") as f:
    check(b"-----Extensions-----" not in f.read(), "a plain project has no extensions")

if failures:
    sys.exit(1)
print("JSON result: all checks passed")
