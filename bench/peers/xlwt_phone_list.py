#!/usr/bin/env python3
"""The formatted phone-list sheet written with xlwt, for comparison: the same
title, stamp, header row, bordered and alternately filled rows, column widths,
row heights and landscape A4 page as the program's own sheet.

    xlwt_phone_list.py LIST.csv OUT.xls
"""
import csv
import sys

import xlwt

WIDTHS = [2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43]  # characters, columns A..I
FONT = "Century Gothic"


def lines_needed(fields):
    # Wrapped text: roughly one line per column width of characters.
    return max(1, max(-(-len(v) // max(1, int(WIDTHS[i + 1] * 1.1))) for i, v in enumerate(fields)))


def main():
    src, out = sys.argv[1], sys.argv[2]
    with open(src, newline="", encoding="utf-8") as f:
        data = list(csv.reader(f))[1:]

    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Phone List")
    title = xlwt.easyxf("font: name %s, height 400, colour dark_blue_ega; pattern: pattern solid, fore_colour white" % FONT)
    stamp = xlwt.easyxf("font: name %s, height 200, colour dark_blue_ega; pattern: pattern solid, fore_colour white" % FONT)
    date = xlwt.easyxf("font: name %s, height 200; borders: bottom thin; pattern: pattern solid, fore_colour white" % FONT)
    header = xlwt.easyxf(
        "font: name %s, height 160, bold on, colour white; pattern: pattern solid, fore_colour dark_blue_ega;"
        "borders: left thin, right thin, top thin, bottom thin,"
        " left_colour white, right_colour white, top_colour white, bottom_colour white;"
        "align: wrap on" % FONT)
    body = {}
    for fill in ("white", "light_yellow"):
        body[fill] = xlwt.easyxf(
            "font: name %s, height 200; pattern: pattern solid, fore_colour %s; align: wrap on;"
            "borders: left thin, right thin, top thin, bottom thin,"
            " left_colour grey25, right_colour grey25, top_colour grey25, bottom_colour grey25" % (FONT, fill))

    for c, w in enumerate(WIDTHS):
        sheet.col(c).width = int(w * 256 + 182)
    for r, h in enumerate([11.25, 34.5, 5.25, 13.5]):
        sheet.row(r).height_mismatch = True
        sheet.row(r).height = int(h * 20)
    sheet.write(1, 1, "Our Organization's Telephone List", title)
    sheet.write(1, 7, "Last Updated", stamp)
    sheet.write(1, 8, "12/8/2026 9:00 AM", date)
    for c, name in enumerate(["Last Name", "First Name", "Spouse/Kids", "Address", "Home Number", "Work Number",
                              "Cell Number", "E-mail"]):
        sheet.write(3, c + 1, name, header)
    for i, fields in enumerate(data):
        r = 4 + i
        style = body["light_yellow" if (i + 1) % 2 == 0 else "white"]
        for c, v in enumerate(fields):
            sheet.write(r, c + 1, v, style)
        row = sheet.row(r)
        row.height_mismatch = True
        row.height = int(13.5 * 20 * lines_needed(fields))

    sheet.portrait = False
    sheet.paper_size_code = 9  # A4
    sheet.fit_num_pages = 1
    sheet.fit_width_to_pages = 1
    sheet.fit_height_to_pages = 1
    sheet.left_margin = sheet.right_margin = 0.7
    sheet.top_margin = sheet.bottom_margin = 0.5
    book.save(out)


if __name__ == "__main__":
    main()
