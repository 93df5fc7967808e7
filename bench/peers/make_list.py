#!/usr/bin/env python3
"""Writes a phone list of N entries as CSV, the grid's eight fields a line.

    make_list.py ROWS OUT.csv
"""
import csv
import sys

LAST = ["Andersen", "Okafor", "Nguyen", "Fitzgerald-Moore", "Silva", "Kowalczyk", "Haddad", "MacPherson"]
FIRST = ["Maria", "John", "Aiyana", "Bartholomew", "Li", "Sofia"]
FAMILY = ["", "Tom, Ann", "Peter (spouse), Lily, Max, Sam", ""]
STREET = ["West Hills Dr", "Old Mill Road, Apartment 12B", "Elm St", "Lakeshore Boulevard North, Unit 3", "Birch Ln"]
HEADER = ["Last Name", "First Name", "Spouse/Kids", "Address", "Home Number", "Work Number", "Cell Number", "E-mail"]


def rows(n):
    for r in range(n):
        first = FIRST[r % len(FIRST)]
        yield [
            LAST[r % len(LAST)],
            first,
            FAMILY[r % len(FAMILY)],
            "%d %s" % (100 + r % 9000, STREET[r % len(STREET)]),
            "" if r % 3 == 0 else "(989) 923-%d" % (1000 + r % 9000),
            "(989) 555-0100" if r % 4 == 0 else "",
            "(517) 410-%d" % (2000 + r % 7000),
            ("%s.%d@example.org" % (first, r)).lower(),
        ]


def main():
    n, out = int(sys.argv[1]), sys.argv[2]
    with open(out, "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(HEADER)
        w.writerows(rows(n))


if __name__ == "__main__":
    main()
