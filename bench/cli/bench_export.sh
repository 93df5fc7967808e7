#!/usr/bin/env bash
# Times quorvel-tabwright-export process to process for lists of 30, 499 and
# 10,000 rows, beside the same formatted sheet made by python3-xlwt
# (bench/peers/xlwt_phone_list.py) and beside LibreOffice turning the CSV into
# an unformatted .xls. Needs hyperfine, python3-xlwt, python3-fonttools and
# soffice.
#
#   bench/cli/bench_export.sh [BUILD_DIR] [SIZES...]
#   bench/cli/bench_export.sh build 10000
#
# Writes one Markdown table per size into BUILD_DIR/bench-cli/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(30 499 10000)

export_cmd="$build/bin/quorvel-tabwright-export"
python=/usr/bin/python3
[ -x "$python" ] || python=python3
out="$build/bench-cli"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A list like a real one: every field used, some addresses long enough to wrap.
# Under a row of the column names, which both the export and the xlwt peer skip.
make_csv() {
    "$python" - "$1" "$2" <<'EOF'
import csv, sys
n, path = int(sys.argv[1]), sys.argv[2]
with open(path, "w", encoding="utf-8", newline="") as f:
    w = csv.writer(f, lineterminator="\r\n")
    w.writerow(["Last Name", "First Name", "Spouse/Kids", "Address", "Home Number", "Work Number", "Cell Number",
                "E-mail"])
    for i in range(1, n + 1):
        w.writerow([f"Name{i}", f"Given{i}", "Kid A, Kid B" if i % 3 else "", f"{i} West Hills Drive, Northside",
                    f"(555) 010-{i % 10000:04d}", f"(555) 020-{i % 10000:04d} work" if i % 2 else "",
                    f"(555) 030-{i % 10000:04d}", f"person{i}@example.com"])
EOF
}

# LibreOffice's first start in a fresh profile takes seconds; pay it once, outside the timing.
profile="$work/lo-profile"
make_csv 3 "$work/warm.csv"
soffice --headless "-env:UserInstallation=file://$profile" --convert-to xls --outdir "$work/lo" "$work/warm.csv" >/dev/null 2>&1

for n in "${sizes[@]}"; do
    csv="$work/rows$n.csv"
    make_csv "$n" "$csv"
    export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
    hyperfine --warmup 2 --min-runs 5 --export-markdown "$out/export-$n.md" \
        -n "quorvel-tabwright-export $n rows" "$export_cmd --csv $csv $work/ours$n.xls" \
        -n "python3-xlwt $n rows" "$python $here/../peers/xlwt_phone_list.py $csv $work/xlwt$n.xls" \
        -n "soffice csv->xls $n rows" \
        "soffice --headless -env:UserInstallation=file://$profile --convert-to xls --outdir $work/lo $csv"
done
echo "tables in $out"
