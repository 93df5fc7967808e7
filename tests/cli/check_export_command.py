#!/usr/bin/env python3
"""Runs quorvel-tabwright-export as a process: every input kind, every output
kind, every kind of bad input and both page layouts, checked with xlrd,
pdfinfo/pdftotext and LibreOffice; the exit status of each kind of failure, and
'-' for standard input and output.

usage: check_export_command.py EXPORT_COMMAND WORK_DIR VERSION
"""
import csv
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile
import zlib

import xlrd

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from odf_text import field_text, page_layout_properties, q  # noqa: E402

EXPORT, WORK, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]
# Exit statuses: bad input or an unwritable output, and a wrong command line.
DATA_ERROR, USAGE_ERROR = 1, 2
failures = []

NAMES = ["Last Name", "First Name", "Spouse/Kids", "Address", "Home Number", "Work Number", "Cell Number", "E-mail"]
EXAMPLES = [
    ["Darezo", "Zivo", "Jess", "West Hills dr", "(989) 923-4508", "", "", ""],
    ["Vivaduvu", "Dediz", "", "", "", "", "", "dediz.vivaduvu@example.com"],
    ["Veruzu", "Vorod", "James, Ben, Dana", "", "", "(995) 267-8237 work", "", ""],
]
# Pixel widths of columns A..I (round(characters x 7) + 5) and heights of rows 1..4.
COLUMN_PX = [19, 78, 75, 96, 178, 99, 92, 92, 134]
FIXED_ROW_PX = [15, 46, 7, 18]


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def expect(name, got, want):
    if got != want:
        fail(f"{name}: got {got!r}, expected {want!r}")
        return False
    return True


def run(args, config=None):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=config or CFG_EMPTY)
    res = subprocess.run([EXPORT] + args, env=env, capture_output=True, text=True, timeout=900)
    # A sanitizer build reports faults on stderr; on the error paths the exit status alone would hide them.
    if "Sanitizer" in res.stderr or "runtime error:" in res.stderr:
        fail(f"{args}: {res.stderr[:2000]}")
    return res


def run_streams(args, stdin=b"", cwd=None):
    """As run, with bytes for standard input and standard output kept as bytes."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=CFG_EMPTY)
    res = subprocess.run([EXPORT] + args, env=env, input=stdin, capture_output=True, timeout=900, cwd=cwd)
    res.stderr = res.stderr.decode("utf-8", "replace")
    if "Sanitizer" in res.stderr or "runtime error:" in res.stderr:
        fail(f"{args}: {res.stderr[:2000]}")
    return res


def run_ok(name, args, config=None):
    res = run(args, config)
    if res.returncode != 0:
        fail(f"{name}: exit {res.returncode}: {res.stderr.strip()}")
    return res


def write_csv(path, rows, header=False):
    with open(path, "w", encoding="utf-8", newline="") as f:
        w = csv.writer(f, lineterminator="\r\n")
        if header:
            w.writerow(NAMES)
        w.writerows(rows)


def ini_value(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_store(config_dir, rows, last_updated=None, page_layout=None):
    os.makedirs(config_dir, exist_ok=True)
    lines = ["[Quorvel%20Tabwright]", f"RowCount={len(rows)}"]
    if last_updated is not None:
        lines.append(f"Last%20Updated={ini_value(last_updated)}")
    if page_layout is not None:
        lines.append(f"Page%20Layout={ini_value(page_layout)}")
    for r, row in enumerate(rows, 1):
        for c, value in enumerate(row, 1):
            lines.append(f"RowSource{c}%20{r}={ini_value(value)}")
    with open(os.path.join(config_dir, "Brenmoor.ini"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def list_of(xls):
    """The list as the sheet holds it: rows 5 on, columns B to I, as text."""
    sh = xlrd.open_workbook(xls).sheet_by_index(0)
    rows = []
    for r in range(4, sh.nrows):
        row = []
        for c in range(1, 9):
            v = sh.cell_value(r, c) if c < sh.ncols else ""
            row.append(v if isinstance(v, str) else "%.15g" % v)
        rows.append(row)
    return rows


def row_heights_px(xls):
    sh = xlrd.open_workbook(xls, formatting_info=True).sheet_by_index(0)
    return [round(sh.rowinfo_map[r].height / 20 * 96 / 72) for r in range(sh.nrows)]


def png_pixels(path):
    """Width, height and an RGB getter of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        size, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8 : pos + 8 + size]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + size
    width, height, depth, colour_type = ihdr[:4]
    if depth != 8 or colour_type not in (2, 6):
        fail(f"{path}: PNG of bit depth {depth}, colour type {colour_type}")
        return width, height, None
    bpp = 3 if colour_type == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        ftype, line = raw[pos], bytearray(raw[pos + 1 : pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, lambda x, y: "%02X%02X%02X" % tuple(rows[y][x * bpp : x * bpp + 3])


def pdf_info(pdf):
    out = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    fields = dict(line.split(":", 1) for line in out.splitlines() if ":" in line)
    size = fields["Page size"].split()
    return int(fields["Pages"]), round(float(size[0])), round(float(size[2]))


def pdf_text(pdf):
    return subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True, check=True).stdout


def pdf_page_sizes(pdf, pages):
    """The rounded size in points of every page, not only the first."""
    out = subprocess.run(["pdfinfo", "-f", "1", "-l", str(pages), pdf], capture_output=True, text=True,
                         check=True).stdout
    return [(round(float(l.split()[3])), round(float(l.split()[5])))
            for l in out.splitlines() if l.startswith("Page ") and " size:" in l]


def check_inputs(tmp):
    # --help and --version
    res = run(["--help"])
    expect("--help exit", res.returncode, 0)
    for needle in ("--csv FILE", "--xls FILE", "--version", "'-'", "standard input", "standard output",
                   "Exit status: 0", "1 for bad input", "2 for a wrong command line"):
        if needle not in res.stdout:
            fail(f"--help does not mention {needle!r}")
    res = run(["--version"])
    expect("--version exit", res.returncode, 0)
    expect("--version", res.stdout, f"quorvel-tabwright-export {VERSION}\n")

    # The stored list, as the program would show it at its next start.
    cfg = os.path.join(tmp, "cfg-stored")
    write_store(cfg, EXAMPLES, "12/08/2026 10:15")
    out = os.path.join(tmp, "stored.xls")
    run_ok("stored list", [out], cfg)
    if os.path.exists(out):
        expect("stored list", list_of(out), EXAMPLES)
        expect("stored stamp", xlrd.open_workbook(out).sheet_by_index(0).cell_value(1, 8), "12/08/2026 10:15")

    # Stored text comes back exactly, whatever it looks like.
    odd = [[" lead", "trail ", "=1+1", "\U0001F4DE \u0416", "a, b", 'q"q', "tab\tx", "0123"], ["12345", "1e5", "", "", "", "", "", ""]]
    cfg = os.path.join(tmp, "cfg-odd")
    write_store(cfg, odd)
    out = os.path.join(tmp, "stored-odd.xls")
    run_ok("stored odd text", [out], cfg)
    if os.path.exists(out):
        expect("stored odd text", list_of(out), odd)

    # CSV with a header line, quoting, UTF-8 and line breaks in fields.
    rows = EXAMPLES + [["Ölund", 'say "hi"', "a,b", "1 Rd\nFlat 2", "", "", "", "\U0001F4DE"], ["Solo"]]
    src = os.path.join(tmp, "in.csv")
    write_csv(src, rows, header=True)
    out = os.path.join(tmp, "from-csv.xls")
    run_ok("--csv", ["--csv", src, out])
    want = [r + [""] * (8 - len(r)) for r in rows]
    if os.path.exists(out):
        expect("--csv list", list_of(out), want)

        # A workbook this program made reads back as the same list.
        again = os.path.join(tmp, "from-own-xls.xls")
        run_ok("--xls own workbook", ["--xls", out, again])
        if os.path.exists(again):
            expect("--xls own workbook", list_of(again), want)

    # Plain tables from column A, made by LibreOffice from CSV, with and without a header.
    plain = [["Darezo", "Zivo", "Jess", "West Hills dr", "(989) 923-4508", "", "", ""], ["Veruzu", "Vorod", "", "", "", "", "", "v@example.com"]]
    lo_in = os.path.join(tmp, "lo-in")
    os.makedirs(lo_in)
    write_csv(os.path.join(lo_in, "plain-header.csv"), plain, header=True)
    write_csv(os.path.join(lo_in, "plain-bare.csv"), plain)
    lo_out = os.path.join(tmp, "lo-out")
    profile = tempfile.mkdtemp(dir=tmp, prefix="lo-profile-")
    subprocess.run(
        ["soffice", "--headless", f"-env:UserInstallation=file://{profile}", "--convert-to", "xls", "--outdir", lo_out,
         os.path.join(lo_in, "plain-header.csv"), os.path.join(lo_in, "plain-bare.csv")],
        check=True, capture_output=True, timeout=600)
    for name in ("plain-header", "plain-bare"):
        out = os.path.join(tmp, f"from-{name}.xls")
        run_ok(f"--xls {name}", ["--xls", os.path.join(lo_out, name + ".xls"), out])
        if os.path.exists(out):
            expect(f"--xls {name}", list_of(out), plain)


def check_bad_input(tmp):
    out = os.path.join(tmp, "never.xls")
    png = os.path.join(tmp, "never.png")

    def bad(name, args, *needles):
        res = run(args + ["--png", png, out])
        if res.returncode != DATA_ERROR:
            fail(f"{name}: exit status {res.returncode}, expected {DATA_ERROR}")
        for needle in needles:
            if needle not in res.stderr:
                fail(f"{name}: message {res.stderr.strip()!r} lacks {needle!r}")
        for left in (out, png):
            if os.path.exists(left):
                fail(f"{name}: {os.path.basename(left)} was written")
                os.remove(left)
        stray = [f for f in os.listdir(tmp) if f.startswith("never")]
        if stray:
            fail(f"{name}: left {stray}")

    def csv_file(name, data):
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    missing = os.path.join(tmp, "missing.csv")
    bad("missing file", ["--csv", missing], missing)
    bad("a folder as the list", ["--csv", tmp], tmp)
    p = csv_file("nine.csv", b"a,b\n1,2,3,4,5,6,7,8,9\n")
    bad("nine fields", ["--csv", p], p + ":2:", "8")
    p = csv_file("long.csv", b"ok\nok\n" + b"x" * 1025 + b"\n")
    bad("long field", ["--csv", p], p + ":3:", "1025")
    p = csv_file("latin1.csv", b"Darezo\nM\xfcller\n")
    bad("invalid UTF-8", ["--csv", p], p + ":2:", "UTF-8")
    p = csv_file("text.xls", b"Last Name,First Name\nDarezo,Zivo\n")
    bad("not a workbook", ["--xls", p], p)
    bad("missing workbook", ["--xls", missing.replace(".csv", ".xls")], "missing.xls")

    # One file named as two outputs, or as input and output, is refused before anything is written.
    src = csv_file("twice.csv", b"Darezo,Zivo\n")
    twice = os.path.join(tmp, "twice.xls")
    for args in (["--csv", src, "--png", twice, twice], ["--csv", src, "--pdf", twice, "--png", twice],
                 ["--csv", src, src]):
        res = run(args)
        if res.returncode != USAGE_ERROR or "named twice" not in res.stderr:
            fail(f"{args}: exit {res.returncode}, message {res.stderr.strip()!r}")
        if os.path.exists(twice):
            fail(f"{args}: wrote {twice}")
    expect("input kept", open(src, "rb").read(), b"Darezo,Zivo\n")

    # Outputs that cannot be written: nothing at all is left behind.
    src = csv_file("good.csv", b"Darezo,Zivo\n")
    regular = csv_file("regular-file", b"")
    for where in (os.path.join(tmp, "no-such-folder", "out.xls"), os.path.join(regular, "out.xls"), "/proc/quorvel-out.xls"):
        res = run(["--csv", src, "--png", png, where])
        if res.returncode != DATA_ERROR or where not in res.stderr:
            fail(f"unwritable {where}: exit {res.returncode}, message {res.stderr.strip()!r}")
        if os.path.exists(png):
            fail(f"unwritable {where}: the picture was written anyway")
            os.remove(png)
        res = run(["--csv", src, "--png", where, out])
        if res.returncode != DATA_ERROR or where not in res.stderr:
            fail(f"unwritable picture {where}: exit {res.returncode}, message {res.stderr.strip()!r}")
        if os.path.exists(out):
            fail(f"unwritable picture {where}: the workbook was written anyway")
            os.remove(out)

    # A link planted at any output is refused; what it points to is untouched.
    victim = csv_file("victim.txt", b"keep me")
    for option in (None, "--png", "--pdf"):
        planted = os.path.join(tmp, "planted.out")
        if os.path.lexists(planted):
            os.remove(planted)
        os.symlink(victim, planted)
        args = ["--csv", src] + ([option, planted, out] if option else [planted])
        res = run(args)
        if res.returncode != DATA_ERROR or "symbolic link" not in res.stderr:
            fail(f"link at {option or 'OUT.xls'}: exit {res.returncode}, message {res.stderr.strip()!r}")
        if not os.path.islink(planted) or open(victim, "rb").read() != b"keep me":
            fail(f"link at {option or 'OUT.xls'}: written through")
        if os.path.exists(out):
            fail(f"link at {option}: the workbook was written anyway")
            os.remove(out)
        os.remove(planted)

    # An existing output survives a failed run unchanged.
    keep = os.path.join(tmp, "keep.xls")
    with open(keep, "wb") as f:
        f.write(b"old")
    run(["--csv", os.path.join(tmp, "nine.csv"), keep])
    expect("old output after bad input", open(keep, "rb").read(), b"old")


def check_outputs(tmp):
    src = os.path.join(tmp, "examples.csv")
    write_csv(src, EXAMPLES)
    xls, png, pdf = (os.path.join(tmp, "examples." + e) for e in ("xls", "png", "pdf"))
    run_ok("all outputs", ["--csv", src, "--png", png, "--pdf", pdf, xls])
    if not all(os.path.exists(p) for p in (xls, png, pdf)):
        fail("all outputs: a file is missing")
        return

    # The picture: the used range A1:I7 at 96 dpi, edge line included.
    heights = FIXED_ROW_PX + row_heights_px(xls)[4:]
    decoded = png_pixels(png)
    if decoded is None:
        fail("--png did not write a PNG")
        return
    width, height, pixel = decoded
    expect("picture size", (width, height), (1 + sum(COLUMN_PX), 1 + sum(heights)))
    if pixel and (width, height) == (1 + sum(COLUMN_PX), 1 + sum(heights)):
        x_h = 1 + sum(COLUMN_PX[:7]) + COLUMN_PX[7] // 2  # middle of column H: no text in the examples
        x_i = 1 + sum(COLUMN_PX[:8]) + COLUMN_PX[8] - 10  # right end of the header's "E-mail" cell
        y = [1 + sum(heights[:r]) + heights[r] // 2 for r in range(len(heights))]
        expect("header fill", pixel(x_i, y[3]), "003366")
        expect("first row fill", pixel(x_h, y[4]), "FFFFFF")
        expect("second row fill", pixel(x_h, y[5]), "FFFFCC")
        expect("third row fill", pixel(x_h, y[6]), "FFFFFF")
        expect("left margin column", pixel(5, y[5]), "FFFFFF")

    # The print: landscape A4, one page, real text.
    expect("pdf pages and size", pdf_info(pdf), (1, 842, 595))
    text = pdf_text(pdf)
    for word in [w for row in EXAMPLES for w in row[:2]] + ["Our Organization", "Last Updated", "E-mail"]:
        if word not in text:
            fail(f"pdf text lacks {word!r}")

    # A long list prints on more pages, never shrunk below 10 %.
    rows = [[f"Sur{i}", f"Giv{i}", "", f"{i} Long Road", "", "", "", ""] for i in range(1, 10001)]
    big = os.path.join(tmp, "big.csv")
    write_csv(big, rows)
    big_pdf = os.path.join(tmp, "big.pdf")
    big_xls = os.path.join(tmp, "big.xls")
    run_ok("10,000 rows", ["--csv", big, "--pdf", big_pdf, big_xls])
    if os.path.exists(big_pdf):
        pages, w, h = pdf_info(big_pdf)
        expect("10,000 rows: page size", (w, h), (842, 595))
        sheet_pt = (sum(FIXED_ROW_PX) + sum(row_heights_px(big_xls)[4:])) * 0.75
        fewest = int(sheet_pt * 0.10 // (595 - 72))  # pages at 10 %, the top and bottom margins off
        if pages <= max(1, fewest - 1):
            fail(f"10,000 rows: {pages} pages; at 10 % the sheet needs more than {fewest}")
        text = pdf_text(big_pdf)
        for i in (1, 5000, 10000):
            if f"Sur{i}" not in text or f"Giv{i}" not in text:
                fail(f"10,000 rows: pdf text lacks row {i}")


def check_scripts(tmp):
    """Phone numbers on one line, other scripts drawn and embedded, a character
    no font has named once with its cell, and no font-engine noise."""
    rows = [
        ["Fitzgerald", "Anna", "", "12 Elm Road", "(760) 990-9437", "(989) 923-4508", "(213) 555-0188", ""],
        ["\u0645\u062d\u0645\u062f", "\u0639\u0644\u064a", "", "", "", "", "", ""],
        ["\u0936\u0930\u094d\u092e\u093e", "\u0930\u093e\u0939\u0941\u0932", "", "", "", "", "", ""],
        ["\u0e2a\u0e21\u0e0a\u0e32\u0e22", "\u0e43\u0e08\u0e14\u0e35", "", "", "", "", "", ""],
        ["\u5c71\u7530", "\u592a\u90ce", "", "\uc11c\uc6b8", "", "", "", ""],
        ["Private", "Use", "", "x\U0010fffd", "", "", "", ""],
    ]
    src = os.path.join(tmp, "scripts.csv")
    write_csv(src, rows)
    xls, pdf = os.path.join(tmp, "scripts.xls"), os.path.join(tmp, "scripts.pdf")
    res = run(["--csv", src, "--pdf", pdf, xls])
    expect("scripts: exit", res.returncode, 0)
    expect("scripts: standard error", res.stderr,
           "quorvel-tabwright-export: warning: E10: no installed font shows U+10FFFD\n")
    if not os.path.exists(xls) or not os.path.exists(pdf):
        fail("scripts: a file is missing")
        return
    expect("scripts: one line a row", row_heights_px(xls)[4:], [19] * len(rows))
    fonts = subprocess.run(["pdffonts", pdf], capture_output=True, text=True, check=True).stdout.splitlines()[2:]
    if len(fonts) < 5 or any(line.split()[-5] != "yes" for line in fonts):
        fail(f"scripts: every font embedded: {fonts}")
    text = pdf_text(pdf)
    for word in ("Fitzgerald", "(760) 990-9437", "\u592a\u90ce", "\uc11c\uc6b8", "\u0e2a\u0e21\u0e0a\u0e32\u0e22"):
        if word not in text:
            fail(f"scripts: pdf text lacks {word!r}")


def check_page_width(tmp):
    """"Fit to page width" in the store: the workbook asks for one page wide,
    any number tall, the header row on every page and page numbers at the
    foot, and the print is laid out that way; "One page" keeps one page."""
    rows = [[f"Brook{i:03d}", f"Giv{i}", "", f"{i} Long Road", "", "", "", ""] for i in range(1, 151)]
    last_names = [r[0] for r in rows]
    src = os.path.join(tmp, "long.csv")
    write_csv(src, rows)
    cfg = os.path.join(tmp, "cfg-page-width")
    write_store(cfg, [], page_layout="Fit to page width")
    xls, pdf = os.path.join(tmp, "page-width.xls"), os.path.join(tmp, "page-width.pdf")
    run_ok("page width", ["--csv", src, "--pdf", pdf, xls], cfg)
    if not os.path.exists(xls) or not os.path.exists(pdf):
        fail("page width: a file is missing")
        return

    # The workbook as LibreOffice reads it: table style -> master page -> page layout.
    sh = xlrd.open_workbook(xls).sheet_by_index(0)
    header_row = next((r for r in range(sh.nrows) if sh.cell_value(r, 1) == "Last Name"), None)
    lo = os.path.join(tmp, "lo-page-width")
    profile = tempfile.mkdtemp(dir=tmp, prefix="lo-profile-")
    subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{profile}", "--convert-to", "ods",
                    "--outdir", lo, xls], check=True, capture_output=True, timeout=600)
    with zipfile.ZipFile(os.path.join(lo, "page-width.ods")) as ods:
        content = ET.fromstring(ods.read("content.xml"))
        styles = ET.fromstring(ods.read("styles.xml"))
    table = next(content.iter(q("table:table")))
    master, page = page_layout_properties(content, styles, table)
    # Fit to 1 page wide, any number tall: LibreOffice 7.4 writes scale-to-X="1" and no scale-to-Y.
    expect("page width: LibreOffice fit (X, Y)", (page.get(q("style:scale-to-X")), page.get(q("style:scale-to-Y"))),
           ("1", None))

    # The repeated rows, counted from the top: the header row alone.
    row, header_rows = 0, []
    for child in table:
        if child.tag == q("table:table-header-rows"):
            for r in child.iter(q("table:table-row")):
                header_rows.append((row, ["".join(p.itertext()) for p in r.iter(q("text:p"))]))
                row += int(r.get(q("table:number-rows-repeated"), "1"))
        elif child.tag == q("table:table-row"):
            row += int(child.get(q("table:number-rows-repeated"), "1"))
    expect("page width: LibreOffice repeated rows (row index, text)", header_rows, [(header_row, NAMES)])

    footer = master.find(q("style:footer"))
    center = footer.find(q("style:region-center")) if footer is not None else None
    paragraphs = (center if center is not None else footer).iter(q("text:p")) if footer is not None else []
    expect("page width: LibreOffice footer", "".join(field_text(p) for p in paragraphs), "Page <P> of <N>")

    # The print: A4 landscape pages, each numbered, the header row atop every one.
    pages = pdf_info(pdf)[0]
    if pages < 2:
        fail(f"page width: {pages} page(s) for 150 rows")
    expect("page width: page sizes", pdf_page_sizes(pdf, pages), [(842, 595)] * pages)
    text = pdf_text(pdf)
    texts = text.split("\f")
    if texts and not texts[-1].strip():
        texts.pop()
    expect("page width: pages in the text", len(texts), pages)
    for k, page_text in enumerate(texts, 1):
        lines = [l.strip() for l in page_text.splitlines() if l.strip()]
        if not lines or lines[-1] != f"Page {k} of {pages}":
            fail(f"page width: page {k} ends with {lines[-1:]!r}, expected 'Page {k} of {pages}'")
        if k > 1 and not any(l.startswith("Last Name") for l in lines[:2]):
            fail(f"page width: page {k} starts with {lines[:2]!r}, not the header row")
    repeated = {n: text.count(n) for n in last_names if text.count(n) != 1}
    if repeated:
        fail(f"page width: last names not printed exactly once: {dict(list(repeated.items())[:10])}")

    # One page, stored or by default: a single page and no page numbers.
    cfg = os.path.join(tmp, "cfg-one-page")
    write_store(cfg, [], page_layout="One page")
    for name, config in (("stored one page", cfg), ("default layout", None)):
        one = os.path.join(tmp, name.replace(" ", "-") + ".pdf")
        run_ok(name, ["--csv", src, "--pdf", one], config)
        if os.path.exists(one):
            expect(f"{name}: pdf pages and size", pdf_info(one), (1, 842, 595))
            if "Page 1 of" in pdf_text(one):
                fail(f"{name}: the page is numbered")


def check_lists_in_and_out(tmp):
    """--list reads a list by its content, --title heads the sheet, --write-csv writes the list,
    and OUT.xlsx is an Excel workbook that openpyxl and LibreOffice read as the .xls."""
    # A semicolon-separated address-book file in Windows-1252, under a header of synonyms.
    src = os.path.join(tmp, "contacts.txt")
    with open(src, "wb") as f:
        f.write("Surname;Given Name;Mobile;Email\r\nMüller;Jörg;0170 555;j@example.de\r\nAdams;Anna;;\r\n"
                .encode("cp1252"))
    xls, xlsx, out_csv = (os.path.join(tmp, "list." + e) for e in ("xls", "xlsx", "csv"))
    title = "St. Mary's Choir – Members"
    run_ok("--list, --title, --write-csv", ["--list", src, "--title", title, "--write-csv", out_csv, xls])
    want = [["Müller", "Jörg", "", "", "", "", "0170 555", "j@example.de"], ["Adams", "Anna", "", "", "", "", "", ""]]
    expect("--list: the list", list_of(xls), want)
    expect("--title: the title cell", xlrd.open_workbook(xls).sheet_by_index(0).cell_value(1, 1), title)
    with open(out_csv, encoding="utf-8", newline="") as f:
        expect("--write-csv", list(csv.reader(f)), [NAMES] + want)
    # The CSV it wrote comes back in unchanged.
    again = os.path.join(tmp, "again.xls")
    run_ok("--list of --write-csv's file", ["--list", out_csv, again])
    expect("--write-csv round trip", list_of(again), want)

    run_ok("OUT.xlsx", ["--list", src, "--title", title, xlsx])
    with open(xlsx, "rb") as f:
        expect("OUT.xlsx is a zip", f.read(2), b"PK")
    try:
        import openpyxl
    except ImportError:
        openpyxl = None
    if openpyxl:
        ws = openpyxl.load_workbook(xlsx).worksheets[0]
        expect("xlsx: sheet name", ws.title, "Phone List")
        expect("xlsx: title", ws.cell(2, 2).value, title)
        expect("xlsx: header", [ws.cell(4, c).value for c in range(2, 10)], NAMES)
        expect("xlsx: first entry", [ws.cell(5, c).value or "" for c in range(2, 10)], want[0])
        expect("xlsx: landscape", ws.page_setup.orientation, "landscape")
        expect("xlsx: header row repeated", (ws.print_title_rows or "").replace("$", ""), "4:4")
    lo = os.path.join(tmp, "lo-xlsx")
    profile = tempfile.mkdtemp(dir=tmp, prefix="lo-profile-")
    subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{profile}", "--convert-to", "xls",
                    "--outdir", lo, xlsx], check=True, capture_output=True, timeout=600)
    expect("xlsx as LibreOffice reads it", list_of(os.path.join(lo, "list.xls")), want)

    # Refusals name the file and what was expected, and write nothing.
    bad = os.path.join(tmp, "colours.csv")
    with open(bad, "w") as f:
        f.write("Colour,Size\nred,10\n")
    res = run(["--list", bad, os.path.join(tmp, "bad.xls")])
    expect("--list of an unknown table: exit", res.returncode, 1)
    if bad not in res.stderr or "Last Name" not in res.stderr:
        fail(f"--list of an unknown table: message {res.stderr.strip()!r}")
    if os.path.exists(os.path.join(tmp, "bad.xls")):
        fail("--list of an unknown table wrote a workbook")
    res = run(["--list", src, "--csv", src, os.path.join(tmp, "two.xls")])
    expect("--list with --csv: exit", res.returncode, USAGE_ERROR)


def check_command_line(tmp):
    """A wrong command line exits 2 with a message on standard error and touches nothing."""
    src = os.path.join(tmp, "good.csv")
    with open(src, "wb") as f:
        f.write(b"Darezo,Zivo\n")
    out = os.path.join(tmp, "out.xls")
    png = os.path.join(tmp, "out.png")
    cases = {
        "unknown option": (["--bogus", out], "bogus"),
        "unknown short option": (["-q", out], "q"),
        "missing option value": (["--csv", src, "--png"], "--png"),
        "two list inputs": (["--csv", src, "--xls", src, out], "one of --list, --csv and --xls"),
        "nothing to write": (["--csv", src], "nothing to write"),
        "nothing to write, title only": (["--title", "T"], "nothing to write"),
        "two workbooks": (["--csv", src, out, os.path.join(tmp, "second.xls")], "one output workbook"),
        "a file named twice": (["--csv", src, "--png", out, out], "named twice"),
        "an option given twice": (["--csv", src, "--png", png, "--png", os.path.join(tmp, "b.png")], "--png"),
        "an empty file name": (["--csv", src, "--pdf", "", out], "--pdf"),
        "an empty workbook name": (["--csv", src, ""], "file name"),
        "'-' as two outputs": (["--csv", src, "--png", "-", "-"], "'-' is named twice"),
        "'-' as three outputs": (["--csv", src, "--pdf", "-", "--write-csv", "-", "--png", "-"], "'-'"),
    }
    for name, (args, needle) in cases.items():
        res = run_streams(args, cwd=tmp)
        expect(f"{name}: exit", res.returncode, USAGE_ERROR)
        if not res.stderr.startswith("quorvel-tabwright-export: ") or needle not in res.stderr:
            fail(f"{name}: message {res.stderr.strip()!r} lacks {needle!r}")
        if res.stdout:
            fail(f"{name}: wrote {len(res.stdout)} bytes to standard output")
    left = sorted(set(os.listdir(tmp)) - {"good.csv"})
    if left:
        fail(f"wrong command lines left {left}")


def check_standard_streams(tmp):
    """'-' reads the list from standard input and writes one output to standard output,
    all or nothing; './-' is a file called '-'."""
    rows = [r + [""] * (8 - len(r)) for r in EXAMPLES]
    csv_bytes = "".join(",".join(f'"{v}"' if "," in v else v for v in r) + "\r\n" for r in rows).encode()
    header = (",".join(NAMES) + "\r\n").encode()

    # Every kind of input from standard input, the list written back to standard output.
    res = run_streams(["--csv", "-", "--write-csv", "-"], stdin=csv_bytes)
    expect("--csv - --write-csv -: exit", res.returncode, 0)
    expect("--csv - --write-csv -", res.stdout, header + csv_bytes)
    vcard = b"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Darezo;Zivo;;;\r\nFN:Zivo Darezo\r\nEND:VCARD\r\n"
    res = run_streams(["--list", "-", "--write-csv", "-"], stdin=vcard)
    expect("--list - (vCard): exit", res.returncode, 0)
    expect("--list - (vCard)", res.stdout, header + b"Darezo,Zivo,,,,,,\r\n")

    # OUT '-' is an .xls workbook on standard output, read back through --xls -.
    made = os.path.join(tmp, "made.xls")
    res = run_streams(["--csv", "-", "-"], stdin=csv_bytes)
    expect("OUT -: exit", res.returncode, 0)
    if res.returncode == 0:
        with open(made, "wb") as f:
            f.write(res.stdout)
        expect("OUT -: the list", list_of(made), rows)
        back = run_streams(["--xls", "-", "--write-csv", "-"], stdin=res.stdout)
        expect("--xls -: exit", back.returncode, 0)
        expect("--xls -", back.stdout, header + csv_bytes)

    # A picture and a print on standard output, the workbook beside them in a file.
    beside = os.path.join(tmp, "beside.xls")
    for option, magic in (("--png", b"\x89PNG\r\n\x1a\n"), ("--pdf", b"%PDF-")):
        res = run_streams(["--csv", "-", option, "-", beside], stdin=csv_bytes)
        expect(f"{option} -: exit", res.returncode, 0)
        expect(f"{option} -: what standard output starts with", res.stdout[: len(magic)], magic)
        expect(f"{option} -: the workbook beside it", os.path.exists(beside), True)
        if os.path.exists(beside):
            os.remove(beside)

    # Bad input from standard input is named as such, and nothing reaches standard output.
    for args, data, needle in ((["--csv", "-"], b"Darezo\nM\xfcller\n", "standard input:2:"),
                               (["--xls", "-"], csv_bytes, "standard input: "),
                               (["--list", "-"], b"Colour,Size\nred,10\n", "standard input")):
        res = run_streams(args + ["-"], stdin=data)
        expect(f"{args} of bad input: exit", res.returncode, DATA_ERROR)
        if needle not in res.stderr:
            fail(f"{args} of bad input: message {res.stderr.strip()!r} lacks {needle!r}")
        expect(f"{args} of bad input: standard output", res.stdout, b"")

    # An output that cannot be written keeps standard output empty too.
    unwritable = os.path.join(tmp, "no-such-folder", "out.xls")
    res = run_streams(["--csv", "-", "--png", "-", unwritable], stdin=csv_bytes)
    expect("unwritable file beside standard output: exit", res.returncode, DATA_ERROR)
    expect("unwritable file beside standard output: standard output", res.stdout, b"")
    # And an unwritable standard output leaves no file behind.
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=CFG_EMPTY)
    kept = os.path.join(tmp, "kept.png")
    with open("/dev/full", "wb") as full:
        res = subprocess.run([EXPORT, "--csv", "-", "--png", kept, "-"], env=env, input=csv_bytes, stdout=full,
                             stderr=subprocess.PIPE, timeout=900)
    expect("full standard output: exit", res.returncode, DATA_ERROR)
    if b"standard output" not in res.stderr:
        fail(f"full standard output: message {res.stderr.strip()!r}")
    expect("full standard output: the picture", os.path.exists(kept), False)

    # "./-" is a file called "-", written in the working folder; nothing goes to standard output.
    res = run_streams(["--csv", "-", "--write-csv", "./-"], stdin=csv_bytes, cwd=tmp)
    expect("./-: exit", res.returncode, 0)
    expect("./-: standard output", res.stdout, b"")
    dash = os.path.join(tmp, "-")
    if os.path.exists(dash):
        expect("./-: the file", open(dash, "rb").read(), header + csv_bytes)
    else:
        fail("./- was not written as a file")


def main():
    global CFG_EMPTY
    os.makedirs(WORK, exist_ok=True)
    tmp = tempfile.mkdtemp(dir=WORK, prefix="export-")
    CFG_EMPTY = os.path.join(tmp, "cfg-empty")
    os.makedirs(CFG_EMPTY)
    for part in (check_inputs, check_command_line, check_bad_input, check_standard_streams, check_outputs,
                 check_scripts, check_page_width, check_lists_in_and_out):
        sub = os.path.join(tmp, part.__name__)
        os.makedirs(sub)
        part(sub)
    if failures:
        print(f"{len(failures)} failure(s)")
        sys.exit(1)
    shutil.rmtree(tmp, ignore_errors=True)
    print("all checks passed")


if __name__ == "__main__":
    main()
