#!/usr/bin/python3
"""Reads the five exports of the fixture listing with independent readers and compares their cells
with what the listing holds (expected.json, written by the test beside the files).

    check_export.py FOLDER

CSV and tab-separated text through Python's csv module, the Excel file through xlrd (texts, numbers
and alignment), both worksheets through gnumeric's ssconvert (texts, numbers and alignment; gnumeric ignores
the alignment of Lotus labels, so that is checked on the Excel file only)."""
import csv
import gzip
import io
import json
import math
import os
import subprocess
import sys
import tempfile

import xlrd
from xml.etree import ElementTree

folder = sys.argv[1]
expected = json.load(open(os.path.join(folder, "expected.json"), encoding="utf-8"))
columns = expected["columns"]
failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def close(a, b):
    return math.isclose(a, b, rel_tol=1e-12, abs_tol=1e-12)


# --- The worksheet grid the listing should give: (row, col) -> text or number, 1-based.
def worksheet_grid():
    grid = {}
    for i, line in enumerate(expected["title"]):
        grid[(i + 1, 1)] = line
    for c, col in enumerate(columns):
        grid[(5, c + 1)] = col["caption"]
    r = 7
    for row in expected["rows"]:
        if not row["separator"]:
            for c, value in enumerate(row["cells"]):
                if value is not None and value != "":
                    grid[(r, c + 1)] = value
        r += 1
    return grid


def compare_grid(name, got):
    want = worksheet_grid()
    for key in sorted(set(want) | set(got)):
        w, g = want.get(key), got.get(key)
        if isinstance(w, float) or isinstance(w, int):
            try:
                ok = g is not None and close(float(g), float(w))
            except ValueError:
                ok = False
            if not ok:
                failures.append(f"{name} cell {key}: got {g!r}, want the number {w!r}")
        else:
            check(f"{name} cell {key}", g, w)


# --- Text files: the values as text, sizes rounded up to the unit, percentages to one decimal.
def size_text(kb):
    if kb >= 1:
        return str(math.ceil(kb - 1e-12) if kb != int(kb) else int(kb))
    return f"{math.ceil(kb * 100 - 1e-9) / 100:.2f}"


def text_rows():
    rows = [[line] + [""] * (len(columns) - 1) for line in expected["title"]]
    rows.append([])
    rows.append([col["caption"] for col in columns])
    for row in expected["rows"]:
        if row["separator"]:
            continue
        out = []
        for c, value in enumerate(row["cells"]):
            kind = columns[c]["kind"]
            if value is None:
                out.append("")
            elif c > 0 and kind == 1:
                out.append(size_text(value))
            elif c > 0 and kind == 2:
                out.append(f"{value:.1f}")
            elif c > 0 and kind == 4:
                out.append(str(value))
            else:
                out.append(value)
        rows.append(out)
    return rows


def check_text(file, delimiter):
    with open(os.path.join(folder, file), newline="", encoding="utf-8") as f:
        data = f.read()
    check(f"{file} starts without a byte-order mark", data[:1] != "\ufeff", True)
    got = list(csv.reader(io.StringIO(data, newline=""), delimiter=delimiter, strict=True))
    want = text_rows()
    if delimiter == "\t":  # the tab file pads no title line
        for i in range(3):
            want[i] = want[i][:1]
    check(f"{file} row count", len(got), len(want))
    for i, (g, w) in enumerate(zip(got, want)):
        check(f"{file} line {i + 1}", g, w)


check_text("fixture.csv", ",")
check_text("fixture-tab.txt", "\t")

# --- Excel through xlrd: cells, and the alignment of labels (3 right, 0 general) and numbers (3).
book = xlrd.open_workbook(os.path.join(folder, "fixture.xls"), formatting_info=True)
check("xls code page", book.codepage, 1252)
sheet = book.sheet_by_index(0)
got = {}
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype == xlrd.XL_CELL_TEXT and cell.value != "":
            got[(r + 1, c + 1)] = cell.value
        elif cell.ctype == xlrd.XL_CELL_NUMBER:
            got[(r + 1, c + 1)] = cell.value
        if cell.ctype in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_NUMBER) and r >= 4:
            align = book.xf_list[cell.xf_index].alignment.hor_align
            right = columns[c]["right"]
            check(f"xls alignment of {(r + 1, c + 1)}", align, 3 if right else 0)
compare_grid("xls (xlrd)", got)


# --- Both worksheets through gnumeric.
def ssconvert(file):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.csv")
        subprocess.run(["ssconvert", os.path.join(folder, file), out], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        with open(out, newline="", encoding="utf-8") as f:
            rows = list(csv.reader(f))
    return {(r + 1, c + 1): v for r, row in enumerate(rows) for c, v in enumerate(row) if v != ""}


compare_grid("xls (gnumeric)", ssconvert("fixture.xls"))


# gnumeric's alignment of the Excel cells: right for the right-aligned columns, general elsewhere.
def gnumeric_alignment(file):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.gnumeric")
        subprocess.run(["ssconvert", "-T", "Gnumeric_XmlIO:sax", os.path.join(folder, file), out], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        root = ElementTree.fromstring(gzip.open(out).read())
    ns = {"gnm": "http://www.gnumeric.org/v10.dtd"}
    regions = []
    for region in root.iterfind(".//gnm:Sheet/gnm:Styles/gnm:StyleRegion", ns):
        style = region.find("gnm:Style", ns)
        regions.append(([int(region.get(k)) for k in ("startRow", "startCol", "endRow", "endCol")],
                        style.get("HAlign")))

    def align(row, col):  # 1-based
        for (r0, c0, r1, c1), h in regions:
            if r0 <= row - 1 <= r1 and c0 <= col - 1 <= c1:
                return h
        return None
    return align


align = gnumeric_alignment("fixture.xls")
for (r, c) in worksheet_grid():
    if r >= 5:
        want = "GNM_HALIGN_RIGHT" if columns[c - 1]["right"] else "GNM_HALIGN_GENERAL"
        check(f"xls (gnumeric) alignment of {(r, c)}", align(r, c), want)
# gnumeric reads Lotus labels in the Lotus character set (code page 850 for the accented letters);
# the file holds Windows-1252, so the expected texts go through the same reading.
lotus = ssconvert("fixture.wk1")
want = worksheet_grid()
for key, value in want.items():
    if isinstance(value, str):
        want[key] = value.encode("cp1252").decode("cp850")
saved, worksheet_grid = worksheet_grid, lambda: want
compare_grid("wk1 (gnumeric)", lotus)
worksheet_grid = saved

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("all readers agree with the listing")
