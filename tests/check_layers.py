#!/usr/bin/env python3
"""Each folder is one layer: its sources include only from the layers below it,
and the export command loads no widget library.

usage: check_layers.py SOURCE_DIR EXPORT_COMMAND
"""
import os
import re
import subprocess
import sys

# Folder -> the folders its sources may include from (besides their own).
SHEET_CORE = ["sheet/model", "sheet/xls", "sheet/render", "sheet/engine"]
ALLOWED = {
    "sheet/model": [],
    "sheet/xls": ["sheet/model"],
    "sheet/render": ["sheet/model"],
    "sheet/engine": ["sheet/model", "sheet/xls", "sheet/render"],
    "sheet/xlsx": ["sheet/model", "sheet/xls", "sheet/render"],
    "app": [],
    "app/widgets": ["app"],
    "phonelist": ["app"],
    "phonelist/files": ["phonelist", "app", "sheet/model", "sheet/xls"],
    "sheet/report": SHEET_CORE + ["phonelist", "app"],
    "preview": SHEET_CORE + ["sheet/xlsx", "app", "app/widgets"],
    "phonelist/window": SHEET_CORE
    + ["sheet/xlsx", "sheet/report", "phonelist/files", "phonelist", "app", "app/widgets", "preview"],
    "cli": SHEET_CORE + ["sheet/xlsx", "sheet/report", "phonelist/files", "phonelist", "app"],
}
# Above every layer: it only wires them.
TOP = {"app/main.cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

def main():
    src, export_command = sys.argv[1], sys.argv[2]
    problems = []
    for folder in ALLOWED:
        for name in sorted(os.listdir(os.path.join(src, folder))):
            rel = folder + "/" + name
            if not name.endswith((".cpp", ".h")) or rel in TOP:
                continue
            with open(os.path.join(src, rel), encoding="utf-8") as f:
                text = f.read()
            for included in INCLUDE.findall(text):
                target = os.path.dirname(included)
                if "/" not in included or target == folder:
                    continue
                if target not in ALLOWED:
                    problems.append(f"{rel}: includes {included}, which is in no layer")
                elif target not in ALLOWED[folder]:
                    problems.append(f"{rel}: includes {included} from the layer above or beside it")

    libraries = subprocess.run(["ldd", export_command], capture_output=True, text=True, check=True).stdout
    if "libQt6Widgets" in libraries:
        problems.append(f"{export_command} loads Qt Widgets")

    for p in problems:
        print(p)
    if not problems:
        print("every folder keeps to its layer")
    return 1 if problems else 0

if __name__ == "__main__":
    sys.exit(main())
