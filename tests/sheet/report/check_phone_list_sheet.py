#!/usr/bin/env python3
"""Builds phone-list workbooks with the export command and checks them with
readers of our own making neither: xlrd (values, fonts, fills, borders, widths,
heights, protection, page setup) and LibreOffice (the sheet prints on one
landscape A4 page).

usage: check_phone_list_sheet.py EXPORT_COMMAND WORK_DIR
"""
import csv
import datetime
import os
import shutil
import struct
import subprocess
import sys
import tempfile

import xlrd
from xlrd import compdoc

EXPORT, WORK = sys.argv[1], sys.argv[2]
failures = []

NAMES = ["Last Name", "First Name", "Spouse/Kids", "Address", "Home Number", "Work Number", "Cell Number", "E-mail"]
WIDTHS = [2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43]
FIXED_HEIGHTS = {0: 11.25, 1: 34.5, 2: 5.25, 3: 13.5}
WHITE, GREY, YELLOW, BLUE = (255, 255, 255), (192, 192, 192), (255, 255, 204), (0, 51, 102)
AUTO = "auto"
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
EXAMPLES = [
    ["Darezo", "Zivo", "Jess", "West Hills dr", "(989) 923-4508", "", "", ""],
    ["Vivaduvu", "Dediz", "", "", "", "", "", "dediz.vivaduvu@example.com"],
    ["Veruzu", "Vorod", "James, Ben, Dana", "", "", "(995) 267-8237 work", "", ""],
]
# Text that a spreadsheet is tempted to read as something else, or to trim.
TRICKY = [
    ["=1+1", "+44 20", "0123", "1e5", "3/4", " lead", "trail ", "tab\there"],
    ["12345", "-5", "2.5", "TRUE", "1 Main St\nFlat 2\nNorthside", "#N/A", "'quoted", "\U0001F4DE \u0416 \u00e9"],
    ["", "", "", "", "", "", "", ""],
    ["x" * 1024, "", "", "line\r\nbreak", "", "", "", ""],
    # Each word is wider than half the address column and narrower than all of it: three lines.
    ["Wrap", "", "", "WWWWWWWWWW WWWWWWWWWW WWWWWWWWWW", "", "", "", ""],
]


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def expect(name, got, want):
    if got != want:
        fail(f"{name}: got {got!r}, expected {want!r}")
        return False
    return True


def run_export(args, config_dir):
    # The C locale's short date, so the stamp's default is known exactly.
    env = dict(os.environ, XDG_CONFIG_HOME=config_dir, QT_QPA_PLATFORM="offscreen", LC_ALL="C")
    res = subprocess.run([EXPORT] + args, env=env, capture_output=True, text=True, timeout=600)
    if res.returncode != 0:
        fail(f"export {args} failed: {res.stderr.strip()}")
    return res


def write_csv(path, rows):
    with open(path, "w", encoding="utf-8", newline="") as f:
        csv.writer(f, lineterminator="\r\n").writerows(rows)


def ini_value(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_store(config_dir, rows, last_updated):
    """The settings file as the program keeps it: INI, keys percent-encoded."""
    os.makedirs(config_dir, exist_ok=True)
    lines = ["[Quorvel%20Tabwright]", f"RowCount={len(rows)}"]
    if last_updated is not None:
        lines.append(f"Last%20Updated={ini_value(last_updated)}")
    for r, row in enumerate(rows, 1):
        for c, value in enumerate(row, 1):
            lines.append(f"RowSource{c}%20{r}={ini_value(value)}")
    with open(os.path.join(config_dir, "Brenmoor.ini"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


# ---- reading the file ----------------------------------------------------------------


def sheet_records(path):
    """(type, data) of every record of the first sheet's substream."""
    with open(path, "rb") as f:
        stream = compdoc.CompDoc(f.read(), logfile=open(os.devnull, "w")).get_named_stream("Workbook")
    records, pos, depth = [], 0, 0
    while pos + 4 <= len(stream):
        rtype, size = struct.unpack_from("<HH", stream, pos)
        data = stream[pos + 4 : pos + 4 + size]
        pos += 4 + size
        if rtype == 0x0809:
            depth += 1
        if depth == 2:
            records.append((rtype, data))
        if rtype == 0x000A and depth == 2:
            break
    return records


def column_width_chars(coldx):
    px = round(coldx * 7 / 256)
    return round((px - 5) / 7, 2) if px >= 12 else round(px / 12, 2)


class Sheet:
    def __init__(self, path):
        self.book = xlrd.open_workbook(path, formatting_info=True)
        self.sh = self.book.sheet_by_index(0)

    def xf(self, r, c):
        sh = self.sh
        if r < sh.nrows and c < sh.ncols:
            return self.book.xf_list[sh.cell_xf_index(r, c)]
        ri = sh.rowinfo_map.get(r)
        if ri is not None and ri.has_default_xf_index:
            return self.book.xf_list[ri.xf_index]
        ci = sh.colinfo_map.get(c)
        return self.book.xf_list[ci.xf_index if ci is not None else 15]

    def text(self, r, c):
        if r >= self.sh.nrows or c >= self.sh.ncols:
            return None
        cell = self.sh.cell(r, c)
        return cell.value if cell.ctype == xlrd.XL_CELL_TEXT else None if cell.ctype == xlrd.XL_CELL_EMPTY or cell.ctype == xlrd.XL_CELL_BLANK else ("number", cell.value)

    def font(self, r, c):
        return self.book.font_list[self.xf(r, c).font_index]

    def colour(self, index, automatic):
        if index in automatic:
            return AUTO
        return self.book.colour_map.get(index)

    def fill(self, r, c):
        bg = self.xf(r, c).background
        return self.colour(bg.pattern_colour_index, (64,)) if bg.fill_pattern == 1 else None

    def edge(self, r, c, side):
        """Line on one side of a cell as stored there: None or its colour."""
        b = self.xf(r, c).border
        style = getattr(b, f"{side}_line_style")
        if style == 0:
            return None
        if style != 1:
            return ("style", style)
        return self.colour(getattr(b, f"{side}_colour_index"), (64,))

    def hline(self, r, c):
        """The line above cell (r, c): its top edge or the bottom edge of the cell above."""
        return self.shared(self.edge(r, c, "top"), self.edge(r - 1, c, "bottom") if r > 0 else None, f"top of {r},{c}")

    def vline(self, r, c):
        """The line left of cell (r, c)."""
        return self.shared(self.edge(r, c, "left"), self.edge(r, c - 1, "right") if c > 0 else None, f"left of {r},{c}")

    def shared(self, a, b, where):
        if a is not None and b is not None and a != b:
            fail(f"{where}: both cells carry a line, {a} and {b}; readers disagree on which shows")
        return a if a is not None else b


def cell_name(r, c):
    return "ABCDEFGHIJKLM"[c] + str(r + 1)


def check_layout(path, rows, last_updated):
    """Every property of the sheet that the layout defines, for a list of rows."""
    label = os.path.basename(path)
    s = Sheet(path)
    sh, book = s.sh, s.book
    n = len(rows)
    errors_before = len(failures)

    expect(f"{label}: sheets", book.sheet_names(), ["Phone List"])
    expect(f"{label}: merged cells", sh.merged_cells, [])

    # Values: exactly the typed text, never a number, a formula or a trimmed string.
    want = {(1, 1): "Our Organization's Telephone List", (1, 7): "Last Updated", (1, 8): last_updated}
    for k, name in enumerate(NAMES):
        want[(3, 1 + k)] = name
    for i, row in enumerate(rows):
        for k, value in enumerate(row):
            if value != "":
                want[(4 + i, 1 + k)] = value
    for r in range(max(sh.nrows, n + 5)):
        for c in range(max(sh.ncols, 10)):
            got = s.text(r, c)
            if got != want.get((r, c)):
                fail(f"{label}: {cell_name(r, c)} holds {str(got)[:40]!r}, expected {str(want.get((r, c)))[:40]!r}")
                return

    # Column widths and the fixed row heights.
    for c, w in enumerate(WIDTHS):
        info = sh.colinfo_map.get(c)
        expect(f"{label}: width of column {'ABCDEFGHI'[c]}", info and column_width_chars(info.width), w)
    for r, h in FIXED_HEIGHTS.items():
        info = sh.rowinfo_map.get(r)
        expect(f"{label}: height of row {r + 1}", info and (info.height / 20, bool(info.height_mismatch)), (h, True))

    # Fonts.
    def font_of(r, c):
        f = s.font(r, c)
        return (f.name, f.height / 20, bool(f.bold), s.colour(f.colour_index, (0x7FFF,)))

    expect(f"{label}: title font", font_of(1, 1), ("Century Gothic", 20, False, BLUE))
    expect(f"{label}: stamp label font", font_of(1, 7), ("Century Gothic", 10, False, BLUE))
    expect(f"{label}: stamp font", font_of(1, 8), ("Century Gothic", 10, False, AUTO))
    for c in range(1, 9):
        expect(f"{label}: header font {cell_name(3, c)}", font_of(3, c), ("Century Gothic", 8, True, WHITE))
    for r in list(range(4, n + 4))[:40] + [n + 5, 60]:
        for c in (0, 1, 4, 8, 9):
            expect(f"{label}: font of {cell_name(r, c)}", font_of(r, c), ("Century Gothic", 10, False, AUTO))

    # Fills: white everywhere, dark blue header, yellow every second data row.
    fills = {}
    for c in range(1, 9):
        fills[(3, c)] = BLUE
        for i in range(1, n + 1):
            fills[(3 + i, c)] = YELLOW if i % 2 == 0 else WHITE
    for r in range(0, n + 8):
        for c in range(0, 12):
            if not expect(f"{label}: fill of {cell_name(r, c)}", s.fill(r, c), fills.get((r, c), WHITE)):
                return

    # Borders after the later-wins overrides.
    last = n + 3  # last framed row (0-based)
    hwant, vwant = {}, {}
    hwant[(2, 8)] = AUTO  # under I2
    for c in range(1, 9):
        hwant[(3, c)] = AUTO  # frame top over the header's white top
        for r in range(4, last + 1):
            hwant[(r, c)] = GREY  # data rows' tops (the first over the header's white bottom) and bottoms
        hwant[(last + 1, c)] = AUTO  # frame bottom
    for r in range(3, last + 1):
        vwant[(r, 1)] = AUTO  # frame left
        vwant[(r, 9)] = AUTO  # frame right
        for c in range(2, 9):
            vwant[(r, c)] = WHITE if r == 3 else GREY
    for r in range(0, n + 8):
        for c in range(0, 11):
            if not expect(f"{label}: line above {cell_name(r, c)}", s.hline(r, c), hwant.get((r, c))):
                return
            if not expect(f"{label}: line left of {cell_name(r, c)}", s.vline(r, c), vwant.get((r, c))):
                return

    # Data cells: wrapped, unlocked, not hidden; the data rows' heights are fitted.
    for r in range(4, n + 4):
        for c in range(1, 9):
            x = s.xf(r, c)
            if not expect(
                f"{label}: wrap/locked/hidden of {cell_name(r, c)}",
                (x.alignment.text_wrapped, x.protection.cell_locked, x.protection.formula_hidden),
                (1, 0, 0),
            ):
                return
        info = sh.rowinfo_map.get(r)
        if info is None or info.height_mismatch:
            fail(f"{label}: row {r + 1} has a fixed height, expected a fitted one")
            return
    for r, c in ((0, 0), (1, 1), (60, 12)):
        x = s.xf(r, c)
        expect(f"{label}: protection of {cell_name(r, c)}", (x.protection.cell_locked, x.protection.formula_hidden), (0, 0))

    # Page setup, print area and the active cell, from the records themselves.
    recs = sheet_records(path)
    def record(rtype):
        return next((d for t, d in recs if t == rtype), None)

    margins = [record(t) for t in (0x26, 0x27, 0x28, 0x29)]
    expect(f"{label}: margins L/R/T/B", [d and round(struct.unpack("<d", d)[0], 6) for d in margins], [0.7, 0.7, 0.5, 0.5])
    setup = record(0xA1)
    if setup is None:
        fail(f"{label}: no SETUP record")
    else:
        paper, _scale, _start, fit_w, fit_h, grbit = struct.unpack_from("<6H", setup)
        hdr, ftr = struct.unpack_from("<dd", setup, 16)
        expect(f"{label}: paper", paper, 9)
        expect(f"{label}: fit to pages", (fit_w, fit_h), (1, 1))
        expect(f"{label}: landscape, printer data valid, no notes", grbit & 0x0066, 0)
        expect(f"{label}: header/footer margins", (hdr, ftr), (0.0, 0.0))
    wsbool = record(0x81)
    expect(f"{label}: fit to page", wsbool is not None and bool(struct.unpack("<H", wsbool)[0] & 0x0100), True)
    if b"\x06" in [d[15:16] for t, d in sheet_records_global(path) if t == 0x18 and d[0] & 0x20]:
        fail(f"{label}: a print area is defined")
    sel = record(0x1D)
    expect(f"{label}: active cell", sel and struct.unpack_from("<HH", sel, 1), (5, 1))
    protect = record(0x12)
    if protect is not None and protect != b"\x00\x00":
        fail(f"{label}: the sheet is protected")

    if len(failures) == errors_before:
        print(f"ok: {label} ({n} rows)")
    return s


def sheet_records_global(path):
    with open(path, "rb") as f:
        stream = compdoc.CompDoc(f.read(), logfile=open(os.devnull, "w")).get_named_stream("Workbook")
    out, pos = [], 0
    while pos + 4 <= len(stream):
        rtype, size = struct.unpack_from("<HH", stream, pos)
        out.append((rtype, stream[pos + 4 : pos + 4 + size]))
        pos += 4 + size
        if rtype == 0x000A:
            break
    return out


def row_height(s, r):
    return s.sh.rowinfo_map[r].height / 20


def pdf_pages(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    fields = dict(line.split(":", 1) for line in info.splitlines() if ":" in line)
    pages = int(fields["Pages"])
    size = fields["Page size"].split()
    return pages, float(size[0]), float(size[2])


def main():
    os.makedirs(WORK, exist_ok=True)
    tmp = tempfile.mkdtemp(dir=WORK, prefix="layout-")
    today = None
    made = []

    # First start: nothing stored gives 30 empty rows and today's date.
    cfg = os.path.join(tmp, "cfg-first")
    os.makedirs(cfg)
    out = os.path.join(tmp, "first-start.xls")
    run_export([out], cfg)
    if os.path.exists(out):
        s = Sheet(out)
        today = s.text(1, 8)
        dates = [datetime.date.today() + datetime.timedelta(days=d) for d in (-1, 0)]
        if today not in [f"{d.day} {MONTHS[d.month - 1]} {d.year}" for d in dates]:
            fail(f"first start: I2 holds {today!r}, expected today's date")
        check_layout(out, [[""] * 8] * 30, today)
        made.append(out)

    # The stored example list and its stamp.
    cfg = os.path.join(tmp, "cfg-examples")
    write_store(cfg, EXAMPLES, "12/08/2026 10:15")
    out = os.path.join(tmp, "examples.xls")
    run_export([out], cfg)
    if os.path.exists(out):
        check_layout(out, EXAMPLES, "12/08/2026 10:15")
        made.append(out)

    # Text kept exactly, rows fitted to their lines.
    src = os.path.join(tmp, "tricky.csv")
    write_csv(src, TRICKY)
    out = os.path.join(tmp, "tricky.xls")
    run_export(["--csv", src, out], os.path.join(tmp, "cfg-first"))
    if os.path.exists(out):
        s = check_layout(out, TRICKY, today)
        if s:
            one, three, empty, wrapped = row_height(s, 4), row_height(s, 5), row_height(s, 6), row_height(s, 8)
            if not (empty > 5 and abs(three - 3 * empty) <= 1.5):
                fail(f"tricky: a three-line address gives a row of {three} pt, one line {empty} pt")
            if wrapped != three:
                fail(f"tricky: an address wrapped to three lines gives a row of {wrapped} pt, not {three} pt")
            if one < empty:
                fail(f"tricky: a one-line row of {one} pt is lower than an empty one ({empty} pt)")

    # An empty list frames the header alone.
    src = os.path.join(tmp, "empty.csv")
    open(src, "w").close()
    out = os.path.join(tmp, "empty.xls")
    run_export(["--csv", src, out], os.path.join(tmp, "cfg-first"))
    if os.path.exists(out):
        check_layout(out, [], today)
        made.append(out)

    for count in (100, 499):
        rows = [[f"Name{i}", f"First{i}", "", f"{i} Long Road", f"(555) 010-{i % 10000:04d}", "", "", f"p{i}@example.com"] for i in range(1, count + 1)]
        src = os.path.join(tmp, f"rows{count}.csv")
        write_csv(src, rows)
        out = os.path.join(tmp, f"rows{count}.xls")
        run_export(["--csv", src, out], os.path.join(tmp, "cfg-first"))
        if os.path.exists(out):
            check_layout(out, rows, today)
            made.append(out)

    # LibreOffice prints every one of them on a single landscape A4 page.
    if made:
        pdf_dir = os.path.join(tmp, "pdf")
        profile = tempfile.mkdtemp(dir=tmp, prefix="lo-profile-")
        subprocess.run(
            ["soffice", "--headless", f"-env:UserInstallation=file://{profile}", "--convert-to", "pdf", "--outdir", pdf_dir] + made,
            check=True,
            capture_output=True,
            timeout=600,
        )
        for xls in made:
            pdf = os.path.join(pdf_dir, os.path.splitext(os.path.basename(xls))[0] + ".pdf")
            if not os.path.exists(pdf):
                fail(f"LibreOffice made no PDF of {os.path.basename(xls)}")
                continue
            pages, width, height = pdf_pages(pdf)
            if xls.endswith("rows499.xls"):
                # 499 rows are some 7,100 pt tall; even at the smallest print scale of 10 %
                # that is more than the 523 pt of one page, so the print takes a few pages
                # (at 100 % it would take fourteen).
                if not 2 <= pages <= 4:
                    fail(f"rows499.pdf: {pages} pages, expected the 2 to 4 of a 10 % print")
            else:
                expect(f"{os.path.basename(pdf)}: pages", pages, 1)
            expect(f"{os.path.basename(pdf)}: landscape A4 (pt)", (round(width), round(height)), (842, 595))

    if failures:
        print(f"{len(failures)} failure(s)")
        sys.exit(1)
    shutil.rmtree(tmp, ignore_errors=True)
    print("all checks passed")


if __name__ == "__main__":
    main()
