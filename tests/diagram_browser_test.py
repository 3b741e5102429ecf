#!/usr/bin/env python3
"""The log p-h diagram as a browser shows it: the SVG rendered by headless
Chromium, the PNG as written and the PDF through pdftoppm (poppler-utils),
each read with Pillow. Each picture must not be blank, its saturation dome
must lie within a few pixels of where the requested axis ranges put the
dome's points (taken from `vantrel_cli sat`), and its text must render.

Arguments: VANTREL_CLI DATA_DIR
"""
import csv
import io
import math
import os
import subprocess
import sys
import tempfile

from PIL import Image

CLI, DATA = sys.argv[1], sys.argv[2]
P_RANGE, H_RANGE = (0.5, 50.0), (100.0, 500.0)  # bar, kJ/kg
TOLERANCE = 4  # pixels


def run(args, cwd):
    r = subprocess.run(args, cwd=cwd, capture_output=True, text=True, timeout=240)
    if r.returncode != 0:
        sys.exit(f"{' '.join(args)} failed ({r.returncode}): {r.stderr}")
    return r.stdout


def dark(p):
    return p[0] < 90 and p[1] < 90 and p[2] < 90


def grey_or_darker(p):  # a 1-pixel black line, antialiased across two pixels; the grid is lighter
    return p[0] < 170 and p[1] < 170 and p[2] < 170 and abs(p[0] - p[2]) < 30


def dome_red(p):  # the dome's #c00000, antialiased
    return p[0] > 140 and p[1] < 100 and p[2] < 100


def frame_of(img):
    """The plot area's frame: the long dark lines of the box around it."""
    w, h = img.size
    px = img.load()
    cols = [x for x in range(w) if sum(grey_or_darker(px[x, y]) for y in range(0, h, 2)) > 0.3 * h]
    rows = [y for y in range(h) if sum(grey_or_darker(px[x, y]) for x in range(0, w, 2)) > 0.25 * w]
    if not cols or not rows:
        sys.exit("no plot frame found")
    return min(cols), max(cols), min(rows), max(rows)


def dome_points(cwd):
    out = run([CLI, "sat", "R507A", "T=-70:70:2", "--format", "csv", "--data", DATA], cwd)
    points = []
    for row in csv.DictReader(io.StringIO(out)):
        if not row["p"]:
            continue
        p = float(row["p"])
        for h in (float(row["h_liq"]), float(row["h_vap"])):
            if P_RANGE[0] < p < P_RANGE[1] and H_RANGE[0] < h < H_RANGE[1]:
                points.append((h, p))
    return points


def check(name, img, points):
    img = img.convert("RGB")
    w, h = img.size
    px = img.load()
    pixels = [px[x, y] for x in range(0, w, 3) for y in range(0, h, 3)]
    coloured = sum(p != (255, 255, 255) for p in pixels) / len(pixels)
    red = sum(dome_red(p) for p in pixels) / len(pixels)
    if coloured < 0.03:
        sys.exit(f"{name}: blank ({coloured:.3%} not white)")
    if not 0.0005 < red < 0.05:
        sys.exit(f"{name}: dome colour covers {red:.3%} of the picture")
    left, right, top, bottom = frame_of(img)
    missed = []
    for hv, pv in points:
        x = left + (hv - H_RANGE[0]) / (H_RANGE[1] - H_RANGE[0]) * (right - left)
        y = bottom - math.log(pv / P_RANGE[0]) / math.log(P_RANGE[1] / P_RANGE[0]) * (bottom - top)
        near = any(dome_red(px[int(round(x)) + dx, int(round(y)) + dy])
                   for dx in range(-TOLERANCE, TOLERANCE + 1) for dy in range(-TOLERANCE, TOLERANCE + 1))
        if not near:
            missed.append((hv, pv, round(x), round(y)))
    if len(points) < 40 or len(missed) > 0.05 * len(points):
        sys.exit(f"{name}: {len(missed)} of {len(points)} dome points not where the axes put them: {missed[:5]}")
    # Text: the title above the frame and the axis label below it.
    title = sum(dark(px[x, y]) for x in range(w) for y in range(0, max(top - 40, 1)))
    below = sum(dark(px[x, y]) for x in range(left, right) for y in range(bottom + 30, h))
    if title < 300 or below < 100:
        sys.exit(f"{name}: no text rendered (title {title}, axis label {below} dark pixels)")
    print(f"{name}: {w}x{h}, frame {left}..{right} x {top}..{bottom}, "
          f"{len(points) - len(missed)}/{len(points)} dome points in place")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        points = dome_points(tmp)
        ranges = ["--p-range", f"{P_RANGE[0]}:{P_RANGE[1]}", "--h-range", f"{H_RANGE[0]}:{H_RANGE[1]}"]
        for ext in ("svg", "png", "pdf"):
            run([CLI, "diagram", "R507A", "-o", f"d.{ext}", "--data", DATA] + ranges, tmp)

        run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             f"--user-data-dir={tmp}/profile", "--window-size=1600,1134", f"--screenshot={tmp}/svg.png",
             f"file://{tmp}/d.svg"], tmp)
        check("SVG in Chromium", Image.open(os.path.join(tmp, "svg.png")), points)
        check("PNG", Image.open(os.path.join(tmp, "d.png")), points)
        run(["pdftoppm", "-png", "-r", "100", "-singlefile", "d.pdf", "pdf"], tmp)
        check("PDF through pdftoppm", Image.open(os.path.join(tmp, "pdf.png")), points)


main()
