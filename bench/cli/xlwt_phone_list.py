#!/usr/bin/env python3
"""The phone-list sheet built with python3-xlwt, as a yardstick for the export
command: same fonts, fills, borders, column widths, fixed and fitted row heights,
wrapped unlocked data cells and page setup, from the same CSV.

usage: xlwt_phone_list.py IN.csv OUT.xls
"""
import csv
import datetime
import sys

import xlwt

NAMES = ["Last Name", "First Name", "Spouse/Kids", "Address", "Home Number", "Work Number", "Cell Number", "E-mail"]
WIDTHS = [2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43]
HEIGHTS = [11.25, 34.5, 5.25, 13.5]
WHITE, GREY, YELLOW, BLUE, AUTO = 0x09, 0x16, 0x1A, 0x38, 0x40
LINE_PT = 14.25  # one line of Century Gothic 10


def style(size=10, colour=0x7FFF, bold=False, fill=WHITE, borders=None, wrap=False):
    s = xlwt.XFStyle()
    s.font = xlwt.Font()
    s.font.name = "Century Gothic"
    s.font.height = int(size * 20)
    s.font.colour_index = colour
    s.font.bold = bold
    s.pattern = xlwt.Pattern()
    s.pattern.pattern = xlwt.Pattern.SOLID_PATTERN
    s.pattern.pattern_fore_colour = fill
    s.borders = xlwt.Borders()
    for side, colour_index in (borders or {}).items():
        setattr(s.borders, side, xlwt.Borders.THIN)
        setattr(s.borders, side + "_colour", colour_index)
    s.alignment = xlwt.Alignment()
    s.alignment.wrap = 1 if wrap else 0
    s.protection = xlwt.Protection()
    s.protection.cell_locked = 0
    s.protection.formula_hidden = 0
    return s


def main():
    with open(sys.argv[1], encoding="utf-8", newline="") as f:
        rows = [r + [""] * (8 - len(r)) for r in csv.reader(f)]
    book = xlwt.Workbook(encoding="utf-8")
    sh = book.add_sheet("Phone List")
    plain = style()
    for c, w in enumerate(WIDTHS):
        sh.col(c).width = int(round((round(w * 7) + 5) * 256 / 7))
        sh.col(c).set_style(plain)
    for r, h in enumerate(HEIGHTS):
        sh.row(r).height = int(h * 20)
        sh.row(r).height_mismatch = True
    sh.write(1, 1, "Our Organization's Telephone List", style(size=20, colour=BLUE))
    sh.write(1, 7, "Last Updated", style(colour=BLUE))
    sh.write(1, 8, datetime.date.today().strftime("%m/%d/%y"), style(borders={"bottom": AUTO}))
    n = len(rows)
    for k, name in enumerate(NAMES):
        edges = {"top": AUTO, "bottom": GREY if n else AUTO}
        edges["left"] = AUTO if k == 0 else WHITE
        edges["right"] = AUTO if k == 7 else WHITE
        sh.write(3, 1 + k, name, style(size=8, colour=WHITE, bold=True, fill=BLUE, borders=edges))
    # One style per kind of data cell, as any writer would share them.
    cache = {}
    for i, row in enumerate(rows, 1):
        r = i + 3
        fill = YELLOW if i % 2 == 0 else WHITE
        lines = 1
        for k, value in enumerate(row):
            key = (fill, k == 0, k == 7, i == n)
            if key not in cache:
                edges = {"top": GREY, "bottom": AUTO if i == n else GREY}
                edges["left"] = AUTO if k == 0 else GREY
                edges["right"] = AUTO if k == 7 else GREY
                cache[key] = style(fill=fill, borders=edges, wrap=True)
            sh.write(r, 1 + k, value, cache[key])
            lines = max(lines, value.count("\n") + 1)
        sh.row(r).height = int(lines * LINE_PT * 20)
    sh.set_portrait(False)
    sh.paper_size_code = 9
    sh.left_margin = sh.right_margin = 0.7
    sh.top_margin = sh.bottom_margin = 0.5
    sh.header_margin = sh.footer_margin = 0
    sh.fit_num_pages = 1
    sh.fit_width_to_pages = 1
    sh.fit_height_to_pages = 1
    sh.set_selected(True)
    book.save(sys.argv[2])


if __name__ == "__main__":
    main()
