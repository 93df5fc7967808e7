#!/usr/bin/env python3
"""Reads the .xlsx writer's files with readers of our own making neither:
openpyxl (values, fonts, fills, borders, alignment, wrap, protection, number
formats, widths, heights, merges, page setup, selection) and LibreOffice, which
converts them to OpenDocument without complaint and keeps the values, the fit,
the repeated rows and the footer.

The files are written under a decimal-comma locale: the numbers in them must not
follow it.

usage: check_xlsx_readers.py XLSX_TEST_TOOL WORK_DIR
"""
import datetime
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import warnings
import xml.etree.ElementTree as ET
import zipfile

import openpyxl
from openpyxl.cell.read_only import EmptyCell
from openpyxl.utils.datetime import to_excel

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from odf_text import field_text, page_layout_properties, q  # noqa: E402

TOOL, WORK = sys.argv[1], sys.argv[2]
failures = []

BLUE, WHITE, YELLOW, GREY, BLACK, RED = "FF003366", "FFFFFFFF", "FFFFFFCC", "FFC0C0C0", "FF000000", "FFFF0000"


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def expect(name, got, want):
    if got != want:
        fail(f"{name}: got {got!r}, expected {want!r}")


def write(command, name):
    """Runs the tool; returns the file's path and what the model held."""
    path = os.path.join(WORK, name)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="de_DE.UTF-8")
    subprocess.run([TOOL, command, path], check=True, env=env, timeout=300)
    with open(path + ".json", encoding="utf-8", errors="replace") as f:
        return path, json.load(f)


def same_value(got, want):
    if isinstance(got, datetime.datetime):
        got = to_excel(got)
    if isinstance(want, str):
        # The file stores no empty text: such a cell comes back blank.
        return got == want if want else got in (None, "")
    return isinstance(got, (int, float)) and math.isclose(got, want, rel_tol=1e-15)


def compare_values(reader, sheet_name, got, model_sheet):
    """got: {(row, column): value} of every non-blank cell the reader found."""
    want = {(r, c): v for r, c, v in model_sheet["cells"] if v != ""}
    for key in sorted(set(got) | set(want)):
        if key not in want or key not in got or not same_value(got[key], want[key]):
            fail(f"{reader} {sheet_name} cell {key}: got {str(got.get(key))[:40]!r}, "
                 f"expected {str(want.get(key))[:40]!r}")
            return


def rgb(color):
    return color.rgb if color is not None and color.type == "rgb" else None


def text_width_px(file_width):
    """Pixels at 96 dpi of a column of this file width (7-pixel digit, padding included)."""
    return round(file_width * 7)


def check_sizes(ws, model_sheet, name):
    for c, w in model_sheet["widths"]:
        letter = openpyxl.utils.get_column_letter(c + 1)
        # Equal neighbours share one entry, under the first one's letter.
        dim = next((d for d in ws.column_dimensions.values() if d.min <= c + 1 <= d.max), None)
        got = text_width_px(dim.width) if dim is not None and dim.width is not None else None
        # As the spreadsheet shows a width of w characters: whole pixels plus 5 of padding.
        want = round(w * 7) + 5 if w >= 1 else round(w * 12)
        expect(f"{name} width of column {letter} in pixels", got, want)
    for r, h in model_sheet["heights"]:
        dim = ws.row_dimensions[r + 1]
        expect(f"{name} height of row {r + 1}", (dim.height, dim.customHeight), (h, True))


def openpyxl_values(ws):
    got = {}
    for row in ws.iter_rows():
        for cell in row:
            if cell.value is not None and cell.value != "":
                got[(cell.row - 1, cell.column - 1)] = cell.value
    return got


def check_sample_with_openpyxl(path, model):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # openpyxl's note that it ignores the print titles' extent
        wb = openpyxl.load_workbook(path)
    expect("sheet names", wb.sheetnames, [s["name"] for s in model["sheets"]])
    expect("active sheet", wb.active.title, "Bob's Notes")
    for sheet in model["sheets"]:
        compare_values("openpyxl", sheet["name"], openpyxl_values(wb[sheet["name"]]), sheet)
        check_sizes(wb[sheet["name"]], sheet, sheet["name"])
    ws = wb["Phone List"]

    a1 = ws["A1"]
    expect("title font", (a1.font.name, a1.font.sz, a1.font.b, rgb(a1.font.color)), ("Century Gothic", 20, True, BLUE))
    expect("title alignment", (a1.alignment.horizontal, a1.alignment.vertical), ("center", "center"))
    expect("merged areas", [str(r) for r in ws.merged_cells.ranges], ["A1:D1"])
    # openpyxl drops the formats inside merged areas when it loads them whole; read
    # without merging, the cells are as the model holds them.
    plain = openpyxl.load_workbook(path, read_only=True)["Phone List"]
    _, b, c, d = next(plain.iter_rows(min_row=1, max_row=1, max_col=4))
    expect("own format inside the merge", (b.fill.fill_type, rgb(b.fill.fgColor)), ("solid", YELLOW))
    expect("no cells the model does not hold", [type(x) for x in (c, d)], [EmptyCell, EmptyCell])

    for cell, align in zip(ws[2], ["left", "center", "right", "justify", "fill", "centerContinuous"]):
        f, b = cell.font, cell.border
        expect(f"header {cell.coordinate} font", (f.name, f.sz, f.b, rgb(f.color)), ("Century Gothic", 8, True, WHITE))
        expect(f"header {cell.coordinate} fill", (cell.fill.fill_type, rgb(cell.fill.fgColor)), ("solid", BLUE))
        expect(f"header {cell.coordinate} borders",
               [(e.style, rgb(e.color)) for e in (b.left, b.top, b.right, b.bottom)], [("thin", WHITE)] * 4)
        expect(f"header {cell.coordinate} alignment", cell.alignment.horizontal, align)
    for cell, vertical in zip(ws[3], ["top", "center", "bottom", "justify"]):
        expect(f"vertical alignment of {cell.coordinate}", cell.alignment.vertical or "bottom", vertical)

    styles = ["thin", "medium", "dashed", "dotted", "thick", "double", "hair", "mediumDashed", "dashDot",
              "mediumDashDot", "dashDotDot", "mediumDashDotDot", "slantDashDot"]
    for i, (cell, style) in enumerate(zip(ws[4], styles)):
        bottom = cell.border.bottom
        colour = RED if i % 2 == 0 else "auto"
        got = rgb(bottom.color) or ("auto" if bottom.color is not None and bottom.color.auto else None)
        expect(f"line style of {cell.coordinate}", (bottom.style, got), (style, colour))
    expect("left edge of A4", (ws["A4"].border.left.style, rgb(ws["A4"].border.left.color)), ("medium", BLACK))
    expect("no top edge on A4", ws["A4"].border.top.style, None)

    fonts = [c.font for c in ws[5]]
    expect("italic, underline, strikeout", (fonts[0].i, fonts[1].u, fonts[2].strike), (True, "single", True))
    expect("black font", rgb(fonts[3].color), BLACK)
    # Automatic: no colour of its own (the library names the theme's text colour).
    expect("automatic font colour", rgb(fonts[4].color), None)
    expect("default font", (fonts[4].name, fonts[4].sz, fonts[4].b), ("Arial", 10, False))
    expect("half-point size", fonts[5].sz, 10.5)
    expect("white on black", (rgb(fonts[6].color), rgb(ws["G5"].fill.fgColor)), (WHITE, BLACK))

    expect("number formats", [c.number_format for c in ws[6][:7]],
           ["0.00", "General", "#,##0", "0.000%", "@", "mm-dd-yy", "General"])

    expect("wrapped text", (ws["B7"].value, ws["B7"].alignment.wrap_text), ("line one\nline two", True))
    expect("text like an escape", ws["C7"].value, "_x0041_")
    expect("malformed UTF-8", ws["D7"].value, "A\ufffdB")
    e7 = ws["E7"]
    expect("formatted blank", (e7.value, rgb(e7.fill.fgColor), e7.protection.locked, e7.protection.hidden),
           (None, YELLOW, False, True))

    for r in range(9, 31):
        c = ws.cell(r, 1)
        fill = YELLOW if (r - 1) % 2 == 0 else None
        got_fill = rgb(c.fill.fgColor) if c.fill.fill_type == "solid" else None
        if (got_fill, c.border.top.style, rgb(c.border.top.color)) != (fill, "thin", GREY) or \
                not c.alignment.wrap_text or c.protection.locked or c.alignment.vertical != "center":
            fail(f"data row {r}: fill {got_fill}, border {c.border.top.style} {rgb(c.border.top.color)}")
            break
    row_fill = ws.row_dimensions[32].fill
    expect("row format", (ws.row_dimensions[32].customFormat, rgb(row_fill.fgColor)), (True, "FFCCFFCC"))

    expect("hidden column", ws.column_dimensions["E"].hidden, True)
    expect("column format", rgb(ws.column_dimensions["F"].fill.fgColor), YELLOW)
    tail = ws.column_dimensions["N"]
    expect("whole-row columns reach the last column", (tail.min, tail.max, rgb(tail.fill.fgColor)),
           (14, 16384, WHITE))
    expect("default row height", ws.sheet_format.defaultRowHeight, 12.75)

    ps, pm = ws.page_setup, ws.page_margins
    expect("orientation and paper", (ps.orientation, int(ps.paperSize)), ("landscape", 9))
    # fitToWidth is absent when it is 1, its default.
    expect("fit", (ws.sheet_properties.pageSetUpPr.fitToPage, int(ps.fitToWidth or 1), int(ps.fitToHeight)),
           (True, 1, 0))
    expect("print scale kept", int(ps.scale), 85)
    expect("margins", (pm.left, pm.right, pm.top, pm.bottom, pm.header, pm.footer), (0.7, 0.5, 0.75, 1, 0.2, 0.3))
    expect("header", (ws.oddHeader.left.text, ws.oddHeader.right.text), ("Phone List", "Printed &D"))
    expect("footer", ws.oddFooter.center.text, "Page &P of &N")
    expect("print titles", ws.print_title_rows, "$2:$2")
    expect("print area", area(ws), "$A$1:$D$40")
    expect("selection", (ws.sheet_view.selection[0].activeCell, ws.sheet_view.selection[0].sqref), ("B9", "B9:C11"))

    notes = wb["Bob's Notes"]
    expect("second sheet paper and scale", (int(notes.page_setup.paperSize), int(notes.page_setup.scale)), (1, 75))
    expect("second sheet portrait", notes.page_setup.orientation in (None, "portrait"), True)
    expect("second sheet not fitted", bool(notes.sheet_properties.pageSetUpPr and
                                           notes.sheet_properties.pageSetUpPr.fitToPage), False)
    expect("second sheet print area", area(notes), "$A$1:$B$2")
    sel = notes.sheet_view.selection[0]
    expect("second sheet selection", (sel.activeCell, sel.sqref), ("D4", "C3:D4"))


def area(ws):
    a = ws.print_area
    a = a if isinstance(a, str) else ",".join(a)
    return a.split("!")[-1]


def check_phone_list_with_openpyxl(path, model):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        wb = openpyxl.load_workbook(path)
    sheet = model["sheets"][0]
    ws = wb[sheet["name"]]
    compare_values("openpyxl", sheet["name"], openpyxl_values(ws), sheet)
    check_sizes(ws, sheet, "phone list")
    title = ws["B2"].font
    expect("phone list title", (title.name, title.sz, rgb(title.color)), ("Century Gothic", 20, BLUE))
    for cell in ws[4][1:9]:
        f = cell.font
        expect(f"phone list heading {cell.coordinate}", (f.b, f.sz, rgb(f.color), rgb(cell.fill.fgColor)),
               (True, 8, WHITE, BLUE))
    # Alternating fills, wrapped and unlocked, in a frame of automatic colour.
    last = max(r for r, _, _ in sheet["cells"]) + 1
    for r in range(5, last + 1):
        cells = ws[r][1:9]
        want = YELLOW if (r - 4) % 2 == 0 else WHITE
        if [rgb(c.fill.fgColor) for c in cells] != [want] * 8 or \
                not all(c.alignment.wrap_text and not c.protection.locked for c in cells):
            fail(f"phone list row {r}: fills {[rgb(c.fill.fgColor) for c in cells]}")
            break
    expect("phone list frame", (bool(ws.cell(5, 2).border.left.color.auto),
                                bool(ws.cell(last, 5).border.bottom.color.auto)), (True, True))
    expect("phone list sheet fill", rgb(ws.column_dimensions["J"].fill.fgColor), WHITE)
    ps = ws.page_setup
    expect("phone list page", (ps.orientation, int(ps.paperSize), int(ps.fitToWidth or 1), int(ps.fitToHeight)),
           ("landscape", 9, 1, 0))
    expect("phone list fit", ws.sheet_properties.pageSetUpPr.fitToPage, True)
    expect("phone list print titles", ws.print_title_rows, "$4:$4")
    expect("phone list footer", (ws.oddFooter.center.text, ws.page_margins.footer), ("Page &P of &N", 0.3))
    expect("phone list margins", (ws.page_margins.left, ws.page_margins.top), (0.7, 0.5))


# LibreOffice


def soffice_to_ods(path):
    out = os.path.join(WORK, "lo")
    os.makedirs(out, exist_ok=True)
    profile = tempfile.mkdtemp(dir=WORK, prefix="lo-profile-")
    cmd = ["soffice", "--headless", f"-env:UserInstallation=file://{profile}", "--convert-to", "ods", path,
           "--outdir", out]
    p = subprocess.run(cmd, capture_output=True, text=True, timeout=300)
    ods = os.path.join(out, os.path.splitext(os.path.basename(path))[0] + ".ods")
    errors = [l for l in (p.stdout + p.stderr).splitlines() if "error" in l.lower()]
    if p.returncode != 0 or errors or not os.path.exists(ods):
        fail(f"LibreOffice could not open {os.path.basename(path)}: {errors} (exit {p.returncode})")
        return None
    with zipfile.ZipFile(ods) as z:
        return ET.fromstring(z.read("content.xml")), ET.fromstring(z.read("styles.xml"))


def table_rows(element):
    """The rows of a table in order, header rows and row groups included."""
    for child in element:
        if child.tag == q("table:table-row"):
            yield child, False
        elif child.tag == q("table:table-header-rows"):
            for row, _ in table_rows(child):
                yield row, True
        elif child.tag == q("table:table-row-group"):
            yield from table_rows(child)


def ods_value(cell):
    kind = cell.get(q("office:value-type"))
    if kind in ("float", "percentage", "currency"):
        return float(cell.get(q("office:value")))
    if kind == "date":
        d = datetime.datetime.fromisoformat(cell.get(q("office:date-value")))
        return (d - datetime.datetime(1899, 12, 30)).total_seconds() / 86400
    if kind == "string":
        return "\n".join(field_text(p) for p in cell.iter(q("text:p")))
    return None


def ods_table(content, name):
    """Values and the rows repeated at the top of each page: ({(row, column): value}, [rows])."""
    table = next((t for t in content.iter(q("table:table")) if t.get(q("table:name")) == name), None)
    if table is None:
        fail(f"LibreOffice has no sheet {name!r}")
        return None, {}, []
    values, header_rows, r = {}, [], 0
    for row, is_header in table_rows(table):
        repeat = int(row.get(q("table:number-rows-repeated"), "1"))
        c = 0
        for cell in row:
            span = int(cell.get(q("table:number-columns-repeated"), "1"))
            v = ods_value(cell) if cell.tag == q("table:table-cell") else None
            if v is not None and v != "":
                for k in range(span):
                    values[(r, c + k)] = v
            c += span
        if is_header:
            header_rows.extend(range(r, r + repeat))
        r += repeat
    return table, values, header_rows


def check_with_libreoffice(path, model, footer_sheet, title_rows):
    docs = soffice_to_ods(path)
    if docs is None:
        return
    content, styles = docs
    for sheet in model["sheets"]:
        table, values, header_rows = ods_table(content, sheet["name"])
        if table is None:
            continue
        compare_values("LibreOffice", sheet["name"], values, sheet)
        if sheet["name"] != footer_sheet:
            continue
        expect(f"LibreOffice repeated rows of {sheet['name']}", header_rows, title_rows)
        master, page = page_layout_properties(content, styles, table)
        # One page wide, any number tall: LibreOffice 7.4 writes scale-to-X="1" and no scale-to-Y.
        expect("LibreOffice fit", (page.get(q("style:scale-to-X")), page.get(q("style:scale-to-Y"), "0")), ("1", "0"))
        expect("LibreOffice orientation", page.get(q("style:print-orientation")), "landscape")
        footer = master.find(q("style:footer"))
        # A footer with only a centre section comes as plain paragraphs, without regions.
        center = footer.find(q("style:region-center")) if footer is not None else None
        if center is None:
            center = footer
        text = "".join(field_text(p) for p in center.iter(q("text:p"))) if center is not None else None
        expect("LibreOffice footer", text, "Page <P> of <N>")


os.makedirs(WORK, exist_ok=True)
sample, sample_model = write("write-sample", "sample.xlsx")
phone_list, phone_model = write("write-phone-list", "phone-list.xlsx")
check_sample_with_openpyxl(sample, sample_model)
check_phone_list_with_openpyxl(phone_list, phone_model)
check_with_libreoffice(sample, sample_model, "Phone List", [1])
check_with_libreoffice(phone_list, phone_model, phone_model["sheets"][0]["name"], [3])
shutil.rmtree(WORK, ignore_errors=True) if not failures else None
print("ok" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
