#!/usr/bin/env python3
"""Opens the writer's output with independent readers (xlrd, ssconvert,
LibreOffice) and reads their .xls files back with our reader.

usage: check_real_readers.py XLS_TEST_TOOL WORK_DIR
"""
import csv
import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

import xlrd

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from odf_text import field_text, page_layout_properties, q  # noqa: E402

TOOL, WORK = sys.argv[1], sys.argv[2]
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def rows_of(text):
    rows = [list(r) for r in csv.reader(text.splitlines())]
    for r in rows:
        while r and r[-1] == "":
            r.pop()
    while rows and not rows[-1]:
        rows.pop()
    return rows


def compare(name, got, want):
    if got == want:
        return
    for i, (g, w) in enumerate(zip(got, want)):
        if g != w:
            fail(f"{name}: row {i + 1} is {g[:4]!r}, expected {w[:4]!r}")
            return
    fail(f"{name}: {len(got)} rows, expected {len(want)}")


def soffice(args, outdir):
    profile = tempfile.mkdtemp(dir=WORK, prefix="lo-profile-")
    cmd = ["soffice", "--headless", f"-env:UserInstallation=file://{profile}"] + args + ["--outdir", outdir]
    subprocess.run(cmd, check=True, capture_output=True, timeout=300)


def check_written_file():
    path = os.path.join(WORK, "sample.xls")
    subprocess.run([TOOL, "write-sample", path], check=True)
    with open(path + ".csv", encoding="utf-8") as f:
        want = rows_of(f.read())

    # xlrd with formatting: values, fonts, borders, fills, widths, heights.
    book = xlrd.open_workbook(path, formatting_info=True)
    sh = book.sheet_by_index(0)
    got = []
    for r in range(sh.nrows):
        row = []
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_NUMBER:
                row.append("%.15g" % cell.value)
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                row.append(cell.value)
            else:
                row.append("")
        got.append(row)
    got = [r[:] for r in got]
    for r in got:
        while r and r[-1] == "":
            r.pop()
    compare("xlrd values", got, want)

    def xf(r, c):
        return book.xf_list[sh.cell_xf_index(r, c)]

    header = xf(1, 0)
    font = book.font_list[header.font_index]
    if not (font.bold and font.colour_index == 9 and font.name == "Century Gothic" and font.height == 160):
        fail(f"xlrd header font: bold={font.bold} colour={font.colour_index} name={font.name} height={font.height}")
    if header.background.fill_pattern != 1 or header.background.pattern_colour_index != 56:
        fail(f"xlrd header fill: {header.background.fill_pattern} {header.background.pattern_colour_index}")
    body = xf(2, 0)
    b = body.border
    if (b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style) != (1, 1, 1, 1):
        fail("xlrd border styles")
    if (b.left_colour_index, b.right_colour_index, b.top_colour_index, b.bottom_colour_index) != (22, 22, 22, 22):
        fail("xlrd border colours")
    if body.background.pattern_colour_index != 26 or xf(3, 0).background.fill_pattern != 0:
        fail("xlrd alternating fills")
    if not body.alignment.text_wrapped or body.protection.cell_locked:
        fail("xlrd wrap / locked")
    if not book.font_list[xf(3, 0).font_index].italic:
        fail("xlrd italic font")
    title_font = book.font_list[xf(0, 0).font_index]
    if title_font.colour_index != 56 or title_font.height != 400:
        fail("xlrd title font")
    widths = [sh.colinfo_map[c].width for c in range(4)]
    if widths != [4900, 3620, 2852, 6509]:
        fail(f"xlrd column widths {widths}")
    if sh.rowinfo_map[0].height != 690 or not sh.rowinfo_map[0].height_mismatch:
        fail("xlrd row height")
    if sh.merged_cells != [(0, 1, 0, 4)]:
        fail(f"xlrd merges {sh.merged_cells}")
    area = book.name_and_scope_map.get(("print_area", 0))
    if area is None or area.area2d()[1:] != (0, 601, 0, 4):
        fail("xlrd print area")
    if sh.cell(600, 3).value != "L" * 9000:
        fail("xlrd long text")

    # ssconvert: no message about the input, same values.
    out = os.path.join(WORK, "ssconvert.csv")
    p = subprocess.run(["ssconvert", "--export-type=Gnumeric_stf:stf_csv", path, out], capture_output=True,
                       text=True, timeout=300)
    messages = [l for l in (p.stdout + p.stderr).splitlines() if l.strip() and "Gtk-WARNING" not in l
                and "dbind-WARNING" not in l and "GLib-GIO" not in l]
    if p.returncode != 0 or messages:
        fail(f"ssconvert said: {messages} (exit {p.returncode})")
    else:
        with open(out, encoding="utf-8") as f:
            compare("ssconvert values", rows_of(f.read()), want)

    # LibreOffice: CSV values, and a conversion to xlsx that needs no repair.
    lo = os.path.join(WORK, "lo")
    os.makedirs(lo, exist_ok=True)
    soffice(["--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", path], lo)
    with open(os.path.join(lo, "sample.csv"), encoding="utf-8") as f:
        compare("LibreOffice values", rows_of(f.read()), want)
    soffice(["--convert-to", "xlsx", path], lo)
    if os.path.getsize(os.path.join(lo, "sample.xlsx")) < 1000:
        fail("LibreOffice xlsx conversion")

    # Saved again as .xls by LibreOffice and by Gnumeric, the sample keeps its formatting.
    resaved = os.path.join(WORK, "resaved")
    os.makedirs(resaved, exist_ok=True)
    soffice(["--convert-to", "xls:MS Excel 97", path], resaved)
    gnumeric = os.path.join(WORK, "sample-gnumeric.xls")
    subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff8", path, gnumeric], check=True,
                   capture_output=True, timeout=300)
    for name, copy in (("LibreOffice copy", os.path.join(resaved, "sample.xls")), ("Gnumeric copy", gnumeric)):
        p = subprocess.run([TOOL, "check-sample", copy], capture_output=True, text=True, timeout=300)
        if p.returncode != 0:
            fail(f"{name}: {p.stdout.strip()} {p.stderr.strip()}")


def quiet_ssconvert(args):
    """Runs ssconvert; returns its messages about the input (desktop noise left out) and exit code."""
    p = subprocess.run(["ssconvert"] + args, capture_output=True, text=True, timeout=300)
    return [l for l in (p.stdout + p.stderr).splitlines() if l.strip() and "Gtk-WARNING" not in l
            and "dbind-WARNING" not in l and "GLib-GIO" not in l], p.returncode


def check_print_titles_and_footer():
    """Landscape, 1 page wide by any number tall, row 5 repeated, "Page &P of &N" in the footer."""
    path = os.path.join(WORK, "titled.xls")
    subprocess.run([TOOL, "write-titled", path], check=True)

    book = xlrd.open_workbook(path, formatting_info=True)
    titles = book.name_and_scope_map.get(("print_titles", 0))
    # xlrd clips the columns to the sheet's used ones; the rows are what repeats.
    if titles is None or not titles.builtin or titles.area2d()[1:4] != (4, 5, 0):
        fail(f"xlrd print titles: {titles and titles.area2d()[1:]}")

    messages, code = quiet_ssconvert([path, os.path.join(WORK, "titled.gnumeric")])
    if code != 0 or messages:
        fail(f"ssconvert said about the titled sheet: {messages} (exit {code})")
    else:
        gnm = gzip.open(os.path.join(WORK, "titled.gnumeric"), "rt", encoding="utf-8").read()
        for want in ('<gnm:Scale type="size_fit" cols="1" rows="0"/>', "<gnm:orientation>landscape</gnm:orientation>",
                     "<gnm:value>Titled!$A$5:$IV$5</gnm:value>", 'Middle="Page &amp;[PAGE] of &amp;[PAGES]"'):
            if want not in gnm:
                fail(f"Gnumeric lost {want}")

    lo = os.path.join(WORK, "lo-titled")
    os.makedirs(lo, exist_ok=True)
    soffice(["--convert-to", "ods", path], lo)
    with zipfile.ZipFile(os.path.join(lo, "titled.ods")) as ods:
        content = ET.fromstring(ods.read("content.xml"))
        styles = ET.fromstring(ods.read("styles.xml"))
    table = next(t for t in content.iter(q("table:table")) if t.get(q("table:name")) == "Titled")
    master, page = page_layout_properties(content, styles, table)
    # Fit to 1 page wide, any number tall: LibreOffice 7.4 writes scale-to-X="1" and no scale-to-Y.
    if (page.get(q("style:scale-to-X")), page.get(q("style:scale-to-Y"), "0")) != ("1", "0"):
        fail(f"LibreOffice fit: X={page.get(q('style:scale-to-X'))} Y={page.get(q('style:scale-to-Y'))}")
    if page.get(q("style:print-orientation")) != "landscape":
        fail("LibreOffice orientation")

    # Repeated rows: the rows inside table:table-header-rows, counted from the top.
    row, header_rows = 0, []
    for child in table:
        if child.tag == q("table:table-header-rows"):
            for r in child.iter(q("table:table-row")):
                cells = ["".join(p.itertext()) for p in r.iter(q("text:p"))]
                header_rows.append((row, cells))
                row += int(r.get(q("table:number-rows-repeated"), "1"))
        elif child.tag == q("table:table-row"):
            row += int(child.get(q("table:number-rows-repeated"), "1"))
    if header_rows != [(4, ["Name", "Phone"])]:
        fail(f"LibreOffice repeated rows: {header_rows}")

    footer = master.find(q("style:footer"))
    center = footer.find(q("style:region-center")) if footer is not None else None
    paragraphs = (center if center is not None else footer).iter(q("text:p")) if footer is not None else []
    text = "".join(field_text(p) for p in paragraphs)
    if text != "Page <P> of <N>":
        fail(f"LibreOffice footer: {text!r}")


def check_foreign_files():
    src = os.path.join(WORK, "foreign.csv")
    rows = [["Name", "Phone", "Count", "Note"]]
    for i in range(1500):
        rows.append([f"Name {i} \u00e9\u00e8 \u4e2d\u6587", f"+1 555 {i:04d}", str(i * 3), "x" * (i % 50)])
    rows.append(["long", "", "2.5", "y" * 5000])
    with open(src, "w", encoding="utf-8", newline="") as f:
        csv.writer(f).writerows(rows)
    want = rows_of(open(src, encoding="utf-8").read())

    lo = os.path.join(WORK, "lo-in")
    os.makedirs(lo, exist_ok=True)
    soffice(["--infilter=Text - txt - csv (StarCalc):44,34,76", "--convert-to", "xls", src], lo)
    gnumeric = os.path.join(WORK, "foreign-gnumeric.xls")
    subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff8", src, gnumeric], check=True,
                   capture_output=True, timeout=300)
    # A tiny file: LibreOffice puts its Workbook stream into the mini stream.
    tiny = os.path.join(WORK, "tiny.csv")
    with open(tiny, "w", encoding="utf-8") as f:
        f.write("a,1\n\u00fc,2.5\n")
    soffice(["--infilter=Text - txt - csv (StarCalc):44,34,76", "--convert-to", "xls", tiny], lo)
    p = subprocess.run([TOOL, "to-csv", os.path.join(lo, "tiny.xls")], capture_output=True, text=True, timeout=300)
    compare("LibreOffice tiny file", rows_of(p.stdout), [["a", "1"], ["\u00fc", "2.5"]])
    if p.returncode != 0:
        fail(f"LibreOffice tiny file: {p.stderr.strip()}")

    for name, path in (("LibreOffice file", os.path.join(lo, "foreign.xls")), ("Gnumeric file", gnumeric)):
        p = subprocess.run([TOOL, "to-csv", path], capture_output=True, text=True, timeout=300)
        if p.returncode != 0:
            fail(f"{name}: {p.stderr.strip()}")
            continue
        compare(name, rows_of(p.stdout), want)


os.makedirs(WORK, exist_ok=True)
check_written_file()
check_print_titles_and_footer()
check_foreign_files()
shutil.rmtree(WORK, ignore_errors=True) if not failures else None
print("ok" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
