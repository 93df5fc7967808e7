/* The formatted phone-list sheet written with libxlsxwriter as .xlsx, for
 * comparison: the same title, stamp, header row, bordered and alternately
 * filled rows, column widths, row heights and landscape A4 page as the
 * program's own sheet.
 *
 *   xlsxwriter_phone_list LIST.csv OUT.xlsx
 *
 *   cc -O2 -o xlsxwriter_phone_list xlsxwriter_phone_list.c \
 *      $(pkg-config --cflags --libs xlsxwriter)
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <xlsxwriter.h>

#define FIELDS 8
#define FONT "Century Gothic"
#define DARK_BLUE 0x003366
#define LIGHT_YELLOW 0xFFFFCC
#define GREY 0xC0C0C0

static const double widths[] = {2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43}; /* characters, A..I */
static const double heights[] = {11.25, 34.5, 5.25, 13.5};                           /* points, rows 1..4 */
static const char *names[FIELDS] = {"Last Name",   "First Name",  "Spouse/Kids", "Address",
                                    "Home Number", "Work Number", "Cell Number", "E-mail"};
static const double line_pt = 12.75; /* one line of Century Gothic 10 */
static const double min_row_pt = 14;

static char *read_all(const char *path, size_t *size) {
    FILE *f = fopen(path, "rb");
    if (!f)
        return NULL;
    size_t cap = 1 << 16, n = 0, got;
    char *buf = malloc(cap + 1);
    while (buf && (got = fread(buf + n, 1, cap - n, f)) > 0) {
        n += got;
        if (n == cap) {
            char *grown = realloc(buf, 2 * cap + 1);
            if (!grown) {
                free(buf);
                buf = NULL;
                break;
            }
            buf = grown;
            cap *= 2;
        }
    }
    fclose(f);
    if (buf)
        buf[n] = '\0';
    *size = n;
    return buf;
}

/* One RFC 4180 record from *pos: fields are unquoted in place into `text`,
 * each ended by a NUL, and field[i] points at the i-th. Returns the number of
 * fields, 0 at the end of the input. */
static int next_record(char *text, size_t size, size_t *pos, char *field[FIELDS]) {
    size_t i = *pos;
    if (i >= size)
        return 0;
    int count = 0;
    for (;;) {
        char *out = text + i;
        char *start = out;
        if (text[i] == '"') {
            ++i;
            while (i < size) {
                if (text[i] == '"') {
                    if (i + 1 < size && text[i + 1] == '"') {
                        *out++ = '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n')
                    ++i; /* a line break inside a field is kept as one line feed */
                *out++ = text[i++];
            }
        }
        while (i < size && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
            *out++ = text[i++];
        char end = i < size ? text[i] : '\n';
        *out = '\0'; /* never past the separator it replaces */
        if (count < FIELDS)
            field[count] = start;
        ++count;
        ++i;
        if (end == ',')
            continue;
        if (end == '\r' && i < size && text[i] == '\n')
            ++i;
        break;
    }
    *pos = i;
    for (int k = count; k < FIELDS; ++k)
        field[k] = "";
    return count;
}

/* C has no text measuring here: a wrapped field is guessed to need one line
 * per column width of characters, counted as code points. */
static int lines_needed(const char *text, double width) {
    int per = (int)(width * 1.1);
    if (per < 1)
        per = 1;
    int lines = 0, chars = 0;
    for (const unsigned char *p = (const unsigned char *)text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            lines += chars ? (chars + per - 1) / per : 1;
            chars = 0;
            if (!*p)
                break;
        } else if ((*p & 0xC0) != 0x80) {
            ++chars;
        }
    }
    return lines;
}

static lxw_format *cell_format(lxw_workbook *book, double size, lxw_color_t colour) {
    lxw_format *f = workbook_add_format(book);
    format_set_font_name(f, FONT);
    format_set_font_size(f, size);
    if (colour != LXW_COLOR_UNSET)
        format_set_font_color(f, colour);
    return f;
}

static lxw_format *boxed(lxw_format *f, lxw_color_t fill, lxw_color_t edges) {
    format_set_pattern(f, LXW_PATTERN_SOLID);
    format_set_bg_color(f, fill);
    format_set_border(f, LXW_BORDER_THIN);
    format_set_border_color(f, edges);
    format_set_text_wrap(f);
    return f;
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s LIST.csv OUT.xlsx\n", argv[0]);
        return 2;
    }
    size_t size = 0;
    char *text = read_all(argv[1], &size);
    if (!text) {
        perror(argv[1]);
        return 1;
    }

    lxw_workbook *book = workbook_new(argv[2]);
    lxw_worksheet *sheet = book ? workbook_add_worksheet(book, "Phone List") : NULL;
    if (!sheet) {
        fprintf(stderr, "%s: cannot create the workbook\n", argv[2]);
        return 1;
    }
    lxw_format *title = cell_format(book, 20, DARK_BLUE);
    lxw_format *stamp = cell_format(book, 10, DARK_BLUE);
    lxw_format *date = cell_format(book, 10, LXW_COLOR_UNSET);
    format_set_bottom(date, LXW_BORDER_THIN);
    format_set_num_format(date, "m/d/yyyy h:mm AM/PM");
    lxw_format *header = boxed(cell_format(book, 8, LXW_COLOR_WHITE), DARK_BLUE, LXW_COLOR_WHITE);
    format_set_bold(header);
    lxw_format *body[2] = {boxed(cell_format(book, 10, LXW_COLOR_UNSET), LXW_COLOR_WHITE, GREY),
                           boxed(cell_format(book, 10, LXW_COLOR_UNSET), LIGHT_YELLOW, GREY)};

    for (int c = 0; c < (int)(sizeof widths / sizeof widths[0]); ++c)
        worksheet_set_column(sheet, c, c, widths[c], NULL);
    for (int r = 0; r < (int)(sizeof heights / sizeof heights[0]); ++r)
        worksheet_set_row(sheet, r, heights[r], NULL);
    worksheet_write_string(sheet, 1, 1, "Our Organization's Telephone List", title);
    worksheet_write_string(sheet, 1, 7, "Last Updated", stamp);
    lxw_datetime when = {2026, 12, 8, 9, 0, 0};
    worksheet_write_datetime(sheet, 1, 8, &when, date);
    for (int k = 0; k < FIELDS; ++k)
        worksheet_write_string(sheet, 3, 1 + k, names[k], header);

    char *field[FIELDS];
    size_t pos = 0;
    next_record(text, size, &pos, field); /* the column names */
    lxw_row_t r = 4;
    for (int i = 1; next_record(text, size, &pos, field) > 0; ++i, ++r) {
        int lines = 1;
        for (int k = 0; k < FIELDS; ++k) {
            worksheet_write_string(sheet, r, 1 + k, field[k], body[i % 2 == 0]);
            int n = lines_needed(field[k], widths[1 + k]);
            if (n > lines)
                lines = n;
        }
        double pt = lines * line_pt;
        worksheet_set_row(sheet, r, pt < min_row_pt ? min_row_pt : pt, NULL);
    }

    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9); /* A4 */
    worksheet_fit_to_pages(sheet, 1, 1);
    worksheet_set_margins(sheet, 0.7, 0.7, 0.5, 0.5);
    worksheet_repeat_rows(sheet, 3, 3);
    lxw_error error = workbook_close(book);
    free(text);
    if (error != LXW_NO_ERROR) {
        fprintf(stderr, "%s: %s\n", argv[2], lxw_strerror(error));
        return 1;
    }
    return 0;
}
