#!/usr/bin/env bash
# Runs every benchmark of the project, then times quorvel-tabwright-export
# against other spreadsheet writers building the same 10,000-entry phone list,
# process to process, and prints the tables, the last one each figure beside
# the target it has to meet.
#
#   bench/run_all.sh BUILD_DIR
#   ROWS=1000 RUNS=2 bench/run_all.sh BUILD_DIR   # a quick look
#
# Peers: python3-xlwt (row heights measured from the font, as ours) and Perl's
# Spreadsheet::WriteExcel writing the same formatted sheet (fonts, fills,
# borders, widths, heights), libxlsxwriter writing it as .xlsx from C, and
# LibreOffice headless converting the list from CSV to .xls. A peer that is not
# installed is left out of the table. hyperfine does the timing when installed;
# a plain timing loop otherwise.
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
export_bin="$build/bin/quorvel-tabwright-export"
export_cmd="$export_bin --csv $list $work/tabwright.xls"
names=("quorvel-tabwright-export")
cmds=("$export_cmd")
# The .xls layer alone (no engine, no font measuring), writing and reading back the same sheet.
names+=("xls layer: write + read back")
cmds+=("$build/bin/xls_write_list $list $work/xls-layer.xls")
if "$py" -c 'import xlwt, fontTools' 2>/dev/null; then
    names+=("python3-xlwt")
    cmds+=("$py $here/peers/xlwt_phone_list.py $list $work/xlwt.xls")
fi
if perl -MSpreadsheet::WriteExcel -e 1 2>/dev/null; then
    names+=("Spreadsheet::WriteExcel")
    cmds+=("perl $here/peers/writeexcel_phone_list.pl $list $work/writeexcel.xls")
fi
if command -v cc >/dev/null 2>&1 && pkg-config --exists xlsxwriter 2>/dev/null; then
    # shellcheck disable=SC2046 # pkg-config's flags are meant to split
    if cc -O2 -o "$work/xlsxwriter_phone_list" "$here/peers/xlsxwriter_phone_list.c" \
        $(pkg-config --cflags --libs xlsxwriter) 2>"$work/xlsxwriter.err"; then
        names+=("libxlsxwriter (C, .xlsx)")
        cmds+=("$work/xlsxwriter_phone_list $list $work/xlsxwriter.xlsx")
    else
        echo "libxlsxwriter peer does not build; left out of the table:" >&2
        cat "$work/xlsxwriter.err" >&2
    fi
fi
if command -v soffice >/dev/null 2>&1; then
    names+=("LibreOffice CSV to xls")
    cmds+=("soffice --headless -env:UserInstallation=file://$work/lo-profile --convert-to xls:\"MS Excel 97\" --outdir $work/lo $list")
fi

# time_cmd NAME COMMAND TSV appends "name, mean wall s, stddev s, mean cpu s" of COMMAND to TSV.
time_cmd() {
    local name=$1 cmd=$2 tsv=$3 json
    if command -v hyperfine >/dev/null 2>&1; then
        json=$(mktemp "$work/timing.XXXXXX")
        hyperfine --style none --warmup 1 --runs "$runs" --export-json "$json" "$cmd" >/dev/null || return 1
        "$py" -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%s\t%f\t%f\t%f" % (sys.argv[2], r["mean"], r["stddev"] or 0, r["user"] + r["system"]))' \
            "$json" "$name" >>"$tsv"
        return
    fi
    bash -c "$cmd" >/dev/null 2>&1 || return 1 # warm-up
    "$py" - "$name" "$runs" "$cmd" >>"$tsv" <<'PY'
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
}

timings="$work/peers.tsv"
: >"$timings"
for i in "${!cmds[@]}"; do
    time_cmd "${names[$i]}" "${cmds[$i]}" "$timings" || echo "${names[$i]} failed; left out of the table" >&2
done

# Growth with the list: 1,000 and 10,000 rows beside the bare process start.
echo "== Export at 1,000 and 10,000 rows" >&2
scaling="$work/scaling.tsv"
: >"$scaling"
for n in 1000 10000; do
    "$py" "$here/peers/make_list.py" "$n" "$work/list$n.csv"
done
time_cmd "help" "$export_bin --help" "$scaling" || echo "--help failed" >&2
for n in 1000 10000; do
    time_cmd "$n" "$export_bin --csv $work/list$n.csv $work/scaling$n.xls" "$scaling" || echo "export of $n rows failed" >&2
done

# Peak memory of one export of 10,000 rows, in kilobytes.
rss_kb=""
if [ -x /usr/bin/time ]; then
    if /usr/bin/time -f %M -o "$work/rss" "$export_bin" --csv "$work/list10000.csv" "$work/rss.xls" >/dev/null 2>&1; then
        rss_kb=$(tail -n 1 "$work/rss")
    else
        echo "export of 10000 rows under /usr/bin/time failed" >&2
    fi
fi

"$py" - "$rows" "$timings" "$scaling" "$rss_kb" "${results[@]}" <<'PY'
import json, os, sys
rows, timings, scaling, rss_kb, files = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]
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
print("Phone list of %s entries to .xls (.xlsx where named), process to process (mean of the runs)" % rows)
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

# Each figure beside its target. A figure that could not be taken is "not measured", never a failure.
print()
print("Targets")
targets = []


def target(what, figure, goal, met):
    targets.append((what, figure, goal, "not measured" if met is None else "met" if met else "not met"))


def times(ratio):
    return "%.1fx faster" % ratio if ratio >= 1 else "%.1fx slower" % (1 / ratio)


def peer(name):
    p = next((p for p in peers if p[0] == name), None)
    return None if p is None else float(p[1])


for name, goal in (("python3-xlwt", 20), ("libxlsxwriter (C, .xlsx)", 2)):
    t = peer(name)
    what = "export %s rows vs %s (wall)" % (rows, name)
    if t is None:
        target(what, "-", "at least %gx faster" % goal, None)
    else:
        target(what, times(t / wall), "at least %gx faster" % goal, t / wall >= goal)

if rss_kb:
    mb = int(rss_kb) / 1024
    target("export 10000 rows, peak memory (max RSS)", "%.1f MB" % mb, "under 60 MB", mb < 60)
else:
    target("export 10000 rows, peak memory (max RSS)", "-", "under 60 MB", None)

scale = {line.split("\t")[0]: float(line.split("\t")[1]) for line in open(scaling) if line.strip()}
for key, what in (("help", "process start (--help)"), ("1000", "export 1000 rows"), ("10000", "export 10000 rows")):
    if key in scale:
        target(what, "%.1f ms" % (scale[key] * 1000), "-", True)
if all(k in scale for k in ("help", "1000", "10000")) and scale["1000"] > scale["help"]:
    ratio = (scale["10000"] - scale["help"]) / (scale["1000"] - scale["help"])
    target("export 10000 vs 1000 rows, beyond process start", "%.1fx" % ratio, "at most about 12x", ratio <= 12)
else:
    target("export 10000 vs 1000 rows, beyond process start", "-", "at most about 12x", None)

to_ms = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
marks = {}
for path in files:
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") != "aggregate":
            marks.setdefault(os.path.basename(path)[:-5], []).append(b)


def named(binary, prefix, exact):
    found = []
    for b in marks.get(binary, []):
        name = b["name"].replace("/process_time", "").replace("/real_time", "")
        if name == prefix or (not exact and name.startswith(prefix)):
            found.append((name, b))
    return found


for n, limit_ms, peak_mb in ((30, 20, None), (10000, 400, 150)):
    found = named("bench_report", "BM_GenerateReportToPreview/%d" % n, True)
    what = "bench_report BM_GenerateReportToPreview/%d" % n
    if not found:
        target(what, "-", "under %g ms" % limit_ms, None)
        if peak_mb:
            target(what + " peak_MB", "-", "under %g MB" % peak_mb, None)
        continue
    b = found[0][1]
    ms = b["real_time"] * to_ms[b["time_unit"]]
    target(what, "%.1f ms" % ms, "under %g ms" % limit_ms, ms < limit_ms)
    if peak_mb:
        target(what + " peak_MB", "%.1f MB" % b["peak_MB"] if "peak_MB" in b else "-", "under %g MB" % peak_mb,
               b["peak_MB"] < peak_mb if "peak_MB" in b else None)

for prefix in ("BM_ScrollStep_10000Rows", "BM_PanStep_10000Rows", "BM_ZoomStep_10000Rows"):
    found = named("bench_preview", prefix, False)
    if not found:
        target("bench_preview %s*" % prefix, "-", "at most 16 ms", None)
    for name, b in found:
        ms = b["real_time"] * to_ms[b["time_unit"]]
        target("bench_preview " + name, "%.2f ms" % ms, "at most 16 ms", ms <= 16)

width = max(len(t[0]) for t in targets)
print("%-*s %16s  %-22s %s" % (width, "what", "figure", "target", ""))
for what, figure, goal, verdict in targets:
    if goal == "-":
        verdict = ""
    print("%-*s %16s  %-22s %s" % (width, what, figure, goal, verdict))
PY
