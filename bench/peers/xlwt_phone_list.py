#!/usr/bin/env python3
"""The formatted phone-list sheet written with xlwt, for comparison: the same
title, stamp, header row, bordered and alternately filled rows, column widths,
row heights and landscape A4 page as the program's own sheet.

    xlwt_phone_list.py LIST.csv OUT.xls

Data rows get the height their wrapped text needs, measured from the advance
widths of the data font as the program does, so that both do the same work:
every character of every cell is measured.
"""
import csv
import re
import subprocess
import sys

import xlwt
from fontTools.ttLib import TTFont

WIDTHS = [2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43]  # characters, columns A..I
FONT = "Century Gothic"
# Century Gothic itself is rarely installed on Linux; URW Gothic is drawn with its metrics.
FACES = [FONT, "URW Gothic"]
DATA_PT = 10
MIN_ROW_PT = 14  # the program's data rows are never lower
DIGIT_PX = 7  # width of '0' in the default font, the unit of column widths
PAD_PX = 3  # the cell's text padding, left and right together


def font_file():
    for face in FACES:
        out = subprocess.run(["fc-match", "-f", "%{family}\n%{file}", face], capture_output=True, text=True,
                             check=True).stdout.split("\n")
        if face.lower() in out[0].lower():
            return out[1]
    sys.exit("neither %s is installed" % " nor ".join(FACES))


class Measure:
    """Whole-pixel advances of one face at one size, 96 dpi."""

    def __init__(self, path, points):
        font = TTFont(path, lazy=True)
        # Sheets ask for whole-pixel font sizes at 96 dpi: 10 pt is 13 px.
        scale = round(points * 96 / 72) / font["head"].unitsPerEm
        metrics = font["hmtx"].metrics
        self.missing = round(metrics[font.getGlyphOrder()[0]][0] * scale)
        self.px = {chr(c): round(metrics[g][0] * scale) for c, g in font.getBestCmap().items()}
        # The OS/2 extent, not hhea's: it is the one text is laid out with here.
        os2 = font["OS/2"]
        self.line_pt = (os2.usWinAscent + os2.usWinDescent) * points / font["head"].unitsPerEm

    def width(self, text):
        px = self.px
        return sum(px.get(c, self.missing) for c in text)

    def lines(self, text, room):
        n = 0
        for paragraph in text.split("\n"):
            n += self.paragraph_lines(paragraph, room)
        return n

    def paragraph_lines(self, text, room):
        if self.width(text) <= room:
            return 1
        # Greedy: words go on the line while they fit; blanks where a line breaks hang past its end.
        n, x, blanks, started = 1, 0, 0, False
        for token in re.findall(r" +|[^ ]+", text):
            w = self.width(token)
            if token[0] == " ":
                blanks += w
                continue
            if started and x + blanks + w > room:
                n, x = n + 1, 0
            else:
                x += blanks
            blanks, started = 0, True
            if x + w <= room:
                x += w
                continue
            # A word longer than the line breaks between characters.
            for c in token:
                cw = self.px.get(c, self.missing)
                if x > 0 and x + cw > room:
                    n, x = n + 1, 0
                x += cw
        return n


def column_px(units):
    # Column width in 1/256 characters, padding included, to pixels.
    return int(((units + 128 // DIGIT_PX) / 256) * DIGIT_PX)


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

    units = [int(w * 256 + 182) for w in WIDTHS]  # 182/256 of a character: the 5 px padding
    for c, u in enumerate(units):
        sheet.col(c).width = u
    rooms = [column_px(u) - PAD_PX for u in units[1:]]
    measure = Measure(font_file(), DATA_PT)
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
        lines = max([measure.lines(v, room) for v, room in zip(fields, rooms)], default=1)
        row.height = int(max(MIN_ROW_PT, lines * measure.line_pt) * 20)

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
