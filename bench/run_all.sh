#!/usr/bin/env bash
# Runs every benchmark of the project, then times quorvel-tabwright-export
# against other .xls writers building the same 10,000-entry phone list,
# process to process, and prints one table.
#
#   bench/run_all.sh BUILD_DIR
#
# Peers: python3-xlwt and Perl's Spreadsheet::WriteExcel writing the same
# formatted sheet (fonts, fills, borders, widths, heights), and LibreOffice
# headless converting the list from CSV to .xls. A peer that is not installed
# is left out of the table. hyperfine does the timing when installed; a plain
# timing loop otherwise.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
rows=${ROWS:-10000}
runs=${RUNS:-5}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$work/config"
export TEMP="$work/temp"
mkdir -p "$XDG_CONFIG_HOME" "$TEMP"

# Debian's own interpreter, where its python3-xlwt lives.
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3

echo "== Benchmarks of the project"
results=()
for b in "$build"/bin/bench_*; do
    [ -x "$b" ] || continue
    name=$(basename "$b")
    echo "-- $name" >&2
    "$b" --benchmark_format=json --benchmark_out="$work/$name.json" --benchmark_out_format=json \
        >/dev/null 2>"$work/$name.err" || { echo "$name failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
    results+=("$work/$name.json")
done

echo "== Peers" >&2
list="$work/list.csv"
"$py" "$here/peers/make_list.py" "$rows" "$list"
export_cmd="$build/bin/quorvel-tabwright-export --csv $list $work/tabwright.xls"
names=("quorvel-tabwright-export")
cmds=("$export_cmd")
# The .xls layer alone (no engine, no font measuring), writing and reading back the same sheet.
names+=("xls layer: write + read back")
cmds+=("$build/bin/xls_write_list $list $work/xls-layer.xls")
if "$py" -c 'import xlwt' 2>/dev/null; then
    names+=("python3-xlwt")
    cmds+=("$py $here/peers/xlwt_phone_list.py $list $work/xlwt.xls")
fi
if perl -MSpreadsheet::WriteExcel -e 1 2>/dev/null; then
    names+=("Spreadsheet::WriteExcel")
    cmds+=("perl $here/peers/writeexcel_phone_list.pl $list $work/writeexcel.xls")
fi
if command -v soffice >/dev/null 2>&1; then
    names+=("LibreOffice CSV to xls")
    cmds+=("soffice --headless -env:UserInstallation=file://$work/lo-profile --convert-to xls:\"MS Excel 97\" --outdir $work/lo $list")
fi

timings="$work/peers.tsv"
: >"$timings"
if command -v hyperfine >/dev/null 2>&1; then
    for i in "${!cmds[@]}"; do
        if ! hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/peer$i.json" "${cmds[$i]}" >/dev/null; then
            echo "${names[$i]} failed; left out of the table" >&2
            continue
        fi
        "$py" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%s\t%f\t%f\t%f" % (sys.argv[2], r["mean"], r["stddev"] or 0, r["user"] + r["system"]))' \
            "$work/peer$i.json" "${names[$i]}" >>"$timings"
    done
else
    for i in "${!cmds[@]}"; do
        bash -c "${cmds[$i]}" >/dev/null 2>&1 # warm-up
        "$py" - "${names[$i]}" "$runs" "${cmds[$i]}" >>"$timings" <<'PY'
import os, statistics, subprocess, sys, time
name, runs, cmd = sys.argv[1], int(sys.argv[2]), sys.argv[3]
t = []
cpu = []
for _ in range(runs):
    before = os.times()
    start = time.perf_counter()
    subprocess.run(["bash", "-c", cmd], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    t.append(time.perf_counter() - start)
    after = os.times()
    cpu.append(after.children_user + after.children_system - before.children_user - before.children_system)
print("%s\t%f\t%f\t%f" % (name, statistics.mean(t), statistics.stdev(t) if len(t) > 1 else 0, statistics.mean(cpu)))
PY
    done
fi

"$py" - "$rows" "$timings" "${results[@]}" <<'PY'
import json, os, sys
rows, timings, files = sys.argv[1], sys.argv[2], sys.argv[3:]
print("Benchmarks (Google Benchmark, per iteration: real time and CPU time)")
print("%-16s %-56s %12s %12s  %s" % ("binary", "benchmark", "real", "cpu", "counters"))
for path in files:
    binary = os.path.basename(path)[:-5]
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") == "aggregate":
            continue
        extra = ", ".join("%s=%g" % (k, b[k]) for k in ("peak_MB", "file_bytes", "picture_bytes") if k in b)
        unit = b["time_unit"]
        print("%-16s %-56s %9.3f %-2s %9.3f %-2s  %s" % (binary, b["name"].replace("/process_time/real_time", ""),
                                                       b["real_time"], unit, b["cpu_time"], unit, extra))
print()
print("Phone list of %s entries to .xls, process to process (mean of the runs)" % rows)
peers = [line.rstrip("\n").split("\t") for line in open(timings) if line.strip()]
base = next((p for p in peers if p[0] == "quorvel-tabwright-export"), None)
if base is None:
    sys.exit("quorvel-tabwright-export could not be timed")
wall, cpu = float(base[1]), float(base[3])
print("%-26s %10s %10s %10s %12s %12s" % ("writer", "wall s", "stddev s", "cpu s", "wall ratio", "cpu ratio"))
for name, mean, sd, used in peers:
    print("%-26s %10.3f %10.3f %10.3f %11.1fx %11.1fx" % (name, float(mean), float(sd), float(used),
                                                         float(mean) / wall, float(used) / cpu))
print("(ratios: how many times longer than quorvel-tabwright-export; cpu = user + system of the process tree)")
layer = next((p for p in peers if p[0].startswith("xls layer")), None)
if layer is not None:
    for name, mean, sd, used in peers:
        if name in ("python3-xlwt", "Spreadsheet::WriteExcel"):
            print("%s takes %.1fx the wall time and %.1fx the cpu of the xls layer writing and reading back"
                  % (name, float(mean) / float(layer[1]), float(used) / float(layer[3])))
PY
