#!/usr/bin/env python3
"""The log p-h diagram as a browser shows it: the SVG rendered by headless
Chromium, the PNG as written and the PDF through pdftoppm (poppler-utils),
each read with Pillow. Each picture must not be blank, its saturation dome
must lie within a few pixels of where the requested axis ranges put the
dome's points (taken from `vantrel_cli sat`), and its text must render.

Then every fluid's default chart (and two with a cycle), all in one Chromium
session: the boxes the browser gives its texts (getBBox) lie inside the plot
area, none on another or on a marked point; every isotherm, isentrope and
isochore drawn has its label on it; the window and the density of the lines
are what engineers expect; the SVG keeps its texts as text, is sized in
pixels and stays small.

Arguments: VANTREL_CLI DATA_DIR
"""
import csv
import html
import io
import itertools
import json
import math
import os
import re
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


HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "plot", "figure.h")
ISOTHERM, ISENTROPE, ISOCHORE, DOME = "#1f5fbf", "#2e8b57", "#b8860b", "#c00000"
CYCLES = {"R507A": ["evap=-10", "cond=40", "superheat=5", "subcool=3", "eta=0.7"],
          "R744": ["evap=-5", "gc_out=35", "high=90", "superheat=5", "eta=0.7"]}
BLENDS = ["R454B", "R407C.mix"]  # mixtures: bubble and dew lines, isotherms gliding across
SVG_BYTES = 300_000

# Each text's box as the browser lays it out, in the page's pixels.
BOXES_SCRIPT = """<script>
const out = [];
for (const svg of document.querySelectorAll('svg')) {
  const texts = [];
  for (const t of svg.querySelectorAll('text')) {
    const b = t.getBBox(), m = t.getCTM();
    const corner = (x, y) => { const p = new DOMPoint(x, y).matrixTransform(m); return [p.x, p.y]; };
    texts.push({text: t.textContent, fill: (t.getAttribute('fill') || '').toLowerCase(),
                box: [corner(b.x, b.y), corner(b.x + b.width, b.y), corner(b.x + b.width, b.y + b.height),
                      corner(b.x, b.y + b.height)]});
  }
  out.push({id: svg.parentNode.id, texts: texts});
}
document.body.innerHTML = '<pre id="boxes"></pre>';
document.getElementById('boxes').textContent = JSON.stringify(out);
</script>"""


def page():
    """The page and the plot area (left, right, top, bottom) in pixels, as figure.h has them."""
    text = open(HEADER).read()
    v = {k: float(re.search(k + r" = ([0-9.]+)", text).group(1))
         for k in ("PAGE_WIDTH", "PAGE_HEIGHT", "AREA_LEFT", "AREA_RIGHT", "AREA_BOTTOM", "AREA_TOP")}
    w, h = v["PAGE_WIDTH"], v["PAGE_HEIGHT"]
    return (w * v["AREA_LEFT"], w * v["AREA_RIGHT"], h * (1 - v["AREA_TOP"]), h * (1 - v["AREA_BOTTOM"]))


def to_page(fig, area, x, y):
    left, right, top, bottom = area
    fx = (x - fig["x_min"]) / (fig["x_max"] - fig["x_min"])
    fy = math.log(y / fig["y_min"]) / math.log(fig["y_max"] / fig["y_min"])
    return left + fx * (right - left), bottom - fy * (bottom - top)


def overlap(a, b):
    """Two convex polygons share more than a touch (separating axis test)."""
    for poly in (a, b):
        for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
            nx, ny = y1 - y2, x2 - x1
            pa = [nx * x + ny * y for x, y in a]
            pb = [nx * x + ny * y for x, y in b]
            n = math.hypot(nx, ny) or 1
            if max(pa) <= min(pb) + 0.01 * n or max(pb) <= min(pa) + 0.01 * n:
                return False
    return True


def distance_to_curve(pts, q):
    best = math.inf
    for (ax, ay), (bx, by) in zip(pts, pts[1:]):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((q[0] - ax) * dx + (q[1] - ay) * dy) / (dx * dx + dy * dy or 1)))
        best = min(best, math.hypot(ax + t * dx - q[0], ay + t * dy - q[1]))
    return best


def number(text):
    return float(text.replace("\u2212", "-"))


def multiples(lo, hi, step):
    return max(0, math.ceil(hi / step) - 1 - (math.floor(lo / step) + 1) + 1)


def fair_count(n, lo, hi):
    """8 to 15 lines across lo..hi, or, when no 1-2-5 step gives that, the nearest a step does."""
    counts = [multiples(lo, hi, m * 10.0 ** e) for e in range(-3, 4) for m in (1, 2, 5)]
    miss = lambda c: max(8 - c, c - 15, 0)
    return miss(n) == min(miss(c) for c in counts)


def check_labels(name, fig, texts, area):
    left, right, top, bottom = area
    # (The driver writes the markers' dots as texts, "•": checked as points below.)
    inner = [t for t in texts if t["text"] != "\u2022"
             and left < sum(x for x, _ in t["box"]) / 4 < right and top < sum(y for _, y in t["box"]) / 4 < bottom]
    for t in inner:
        if not all(left - 0.5 <= x <= right + 0.5 and top - 0.5 <= y <= bottom + 0.5 for x, y in t["box"]):
            sys.exit(f"{name}: label {t['text']!r} leaves the plot area: {t['box']}")
    for a, b in itertools.combinations(inner, 2):
        if overlap(a["box"], b["box"]):
            sys.exit(f"{name}: labels {a['text']!r} and {b['text']!r} overlap")
    for m in fig["markers"]:
        x, y = to_page(fig, area, *m["at"])
        dot = [(x - 3, y - 3), (x + 3, y - 3), (x + 3, y + 3), (x - 3, y + 3)]
        for t in inner:
            if overlap(dot, t["box"]):
                sys.exit(f"{name}: label {t['text']!r} covers the point at {m['at']}")
    for color in (ISOTHERM, ISENTROPE, ISOCHORE):
        labels = [l for l in fig["labels"] if l["color"] == color]
        drawn = sum(t["fill"] == color for t in texts)
        if drawn != len(labels):
            sys.exit(f"{name}: {len(labels)} labels of colour {color} in the figure, {drawn} texts in the SVG")
        for c in (c for c in fig["curves"] if c["style"]["color"] == color):
            pts = [to_page(fig, area, x, y) for x, y in c["points"]]
            on = {l["text"] for l in labels if distance_to_curve(pts, to_page(fig, area, *l["at"])) < 1.5}
            if not on:
                sys.exit(f"{name}: a curve of colour {color} has no label")
    return len(inner)


def vapour_counts(fig, p_cr):
    """How many isentropes and isochores cross the vapour below the critical pressure in the window."""
    dome = next(c for c in fig["curves"] if c["style"]["color"] == DOME)["points"]
    top = max(range(len(dome)), key=lambda k: dome[k][1])
    vapour = sorted(dome[top + 1:], key=lambda q: q[1])

    def h_vap(p):
        for (h1, p1), (h2, p2) in zip(vapour, vapour[1:]):
            if p1 <= p <= p2:
                return h1 + (h2 - h1) * math.log(p / p1) / math.log(p2 / p1)
        return math.inf

    def crosses(c):
        return any(fig["y_min"] < p < min(p_cr, fig["y_max"]) and h_vap(p) < h < fig["x_max"] for h, p in c["points"])
    return {color: sum(crosses(c) for c in fig["curves"] if c["style"]["color"] == color)
            for color in (ISENTROPE, ISOCHORE)}


def check_window(name, fig, fluid, tmp):
    t_lo = max(-60.0, float(fluid["T_tp"]))
    sat = next(csv.DictReader(io.StringIO(run([CLI, "sat", name, f"T={t_lo}", "--format", "csv",
                                               "--data", DATA], tmp))))
    p_lo = float(sat["p"] if "p" in sat else sat["pdew"])  # a mixture's lower pressure, its dew point's
    p_cr, t_cr = float(fluid["p_cr"]), float(fluid["T_cr"])
    if not (0.85 * p_lo <= fig["y_min"] <= p_lo and fig["y_max"] >= 1.2 * p_cr):
        sys.exit(f"{name}: window {fig['y_min']}..{fig['y_max']} bar, not from p_sat({t_lo}) = {p_lo} to above {p_cr}")
    dome = next(c for c in fig["curves"] if c["style"]["color"] == DOME)["points"]
    xs = [h for h, p in dome if fig["y_min"] <= p <= fig["y_max"]]
    width = (max(xs) - min(xs)) / (fig["x_max"] - fig["x_min"])
    if width < 0.6:
        sys.exit(f"{name}: the dome fills {width:.0%} of the plot's width")
    # The window's bottom lies a little below p_sat(t_lo): t_lo's isotherm crosses the dome in it.
    temps = sorted({number(l["text"]) for l in fig["labels"] if l["color"] == ISOTHERM})
    across = sum(t_lo - 2 < t < t_cr for t in temps)
    if not fair_count(across, t_lo - 2, t_cr):
        sys.exit(f"{name}: {across} isotherms across the dome")
    for color, n in vapour_counts(fig, p_cr).items():
        if not 8 <= n <= 15:
            sys.exit(f"{name}: {n} curves of colour {color} across the vapour")
    return across


def check_default_charts(tmp):
    # The pure fluids (a directory each) and a few mixtures.
    fluids = {row["fluid"]: row for row in csv.DictReader(io.StringIO(
        run([CLI, "fluids", "--format", "csv", "--data", DATA], tmp)))
        if os.path.isfile(os.path.join(DATA, row["fluid"], "config.txt")) or row["fluid"] in BLENDS}
    charts = [(f, []) for f in fluids] + [(f, c) for f, c in CYCLES.items()]
    figures, parts = [], []
    for k, (name, cycle) in enumerate(charts):
        extra = ["--cycle"] + cycle if cycle else []
        for ext in ("json", "svg"):
            run([CLI, "diagram", name, "-o", f"chart{k}.{ext}", "--data", DATA] + extra, tmp)
        figures.append(json.load(open(os.path.join(tmp, f"chart{k}.json"))))
        svg = open(os.path.join(tmp, f"chart{k}.svg"), encoding="utf-8").read()
        size = os.path.getsize(os.path.join(tmp, f"chart{k}.svg"))
        if size > SVG_BYTES or '<text' not in svg or not re.search(r'<svg[^>]*width="\d+px"', svg):
            sys.exit(f"{name}: SVG of {size} bytes, texts as text, sized in pixels expected")
        parts.append(f'<div id="chart{k}">' + svg[svg.index("<svg"):] + "</div>")
    with open(os.path.join(tmp, "charts.html"), "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html><html><body>" + "".join(parts) + BOXES_SCRIPT + "</body></html>")
    dom = run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", f"--user-data-dir={tmp}/profile2",
               "--dump-dom", f"file://{tmp}/charts.html"], tmp)
    boxes = json.loads(html.unescape(re.search(r'<pre id="boxes">(.*)</pre>', dom, re.S).group(1)))
    area = page()
    for (name, cycle), fig, got in zip(charts, figures, boxes):
        shown = check_labels(name, fig, got["texts"], area)
        across = check_window(name, fig, fluids[name], tmp) if not cycle else "-"
        print(f"{name}{' with a cycle' if cycle else ''}: {shown} labels in the plot, {across} isotherms across the dome")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        check_default_charts(tmp)
        points = dome_points(tmp)
        ranges = ["--p-range", f"{P_RANGE[0]}:{P_RANGE[1]}", "--h-range", f"{H_RANGE[0]}:{H_RANGE[1]}"]
        for ext in ("svg", "png", "pdf"):
            run([CLI, "diagram", "R507A", "-o", f"d.{ext}", "--data", DATA] + ranges, tmp)

        run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             f"--user-data-dir={tmp}/profile", "--window-size=1200,850", f"--screenshot={tmp}/svg.png",
             f"file://{tmp}/d.svg"], tmp)
        check("SVG in Chromium", Image.open(os.path.join(tmp, "svg.png")), points)
        check("PNG", Image.open(os.path.join(tmp, "d.png")), points)
        run(["pdftoppm", "-png", "-r", "100", "-singlefile", "d.pdf", "pdf"], tmp)
        check("PDF through pdftoppm", Image.open(os.path.join(tmp, "pdf.png")), points)


main()
