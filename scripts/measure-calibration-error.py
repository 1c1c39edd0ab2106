#!/usr/bin/env python3
"""Measures how far the two calibration methods are off on charts photographed at an angle.

A chart of W x H pixels has its axis frame from (80, 540) to (760, 40), X from 0 to 10 and Y from
0 to 100, and a curve of 41 data points. The photograph is the chart put through the projective
map that keeps three corners of the picture and moves the top-right one inward (left and down) by
a share of the picture's width. The calibration box is clicked on the photographed frame corners
and the markers on the photographed data points, both rounded to whole pixels. For each share and
method, curvana-cli (calibrate, then convert) gives every marker's values; the error is the
distance from the true value in percent of the axis range, the larger of X and Y.

Usage: measure-calibration-error.py CURVANA-CLI WORK-FOLDER
"""
import math
import os
import struct
import subprocess
import sys

W, H = 800, 600
FRAME = {"x0": 80, "y0": 540, "x1": 760, "y1": 40}
XMIN, XMAX, YMIN, YMAX = 0.0, 10.0, 0.0, 100.0
POINTS = [(10 * k / 40, 50 + 40 * math.sin(k / 40 * 2 * math.pi * 1.5)) for k in range(41)]


def solve(a, b):
    """Solves a x = b by Gaussian elimination with pivoting (a is n x n)."""
    n = len(b)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for c in range(n):
        p = max(range(c, n), key=lambda r: abs(m[r][c]))
        m[c], m[p] = m[p], m[c]
        for r in range(n):
            if r != c:
                f = m[r][c] / m[c][c]
                m[r] = [x - f * y for x, y in zip(m[r], m[c])]
    return [m[i][n] / m[i][i] for i in range(n)]


def homography(src, dst):
    """The projective map taking four points to four others."""
    a, b = [], []
    for (x, y), (u, v) in zip(src, dst):
        a.append([x, y, 1, 0, 0, 0, -u * x, -u * y]); b.append(u)
        a.append([0, 0, 0, x, y, 1, -v * x, -v * y]); b.append(v)
    h = solve(a, b)
    return lambda x, y: ((h[0] * x + h[1] * y + h[2]) / (h[6] * x + h[7] * y + 1),
                         (h[3] * x + h[4] * y + h[5]) / (h[6] * x + h[7] * y + 1))


def white_bmp(path):
    row = b"\xff" * (W * 3)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + len(row) * H, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(row) * H, 2835, 2835, 0, 0))
        f.write(row * H)


def cli(*args):
    return subprocess.run([CLI, *args], check=True, capture_output=True, text=True).stdout


def chart_pixel(x, y):
    return (FRAME["x0"] + (x - XMIN) / (XMAX - XMIN) * (FRAME["x1"] - FRAME["x0"]),
            FRAME["y0"] + (y - YMIN) / (YMAX - YMIN) * (FRAME["y1"] - FRAME["y0"]))


def measure(share):
    photo = homography([(0, 0), (W, 0), (W, H), (0, H)],
                       [(0, 0), (W - share * W, share * W), (W, H), (0, H)])
    click = lambda x, y: tuple(int(math.floor(c + 0.5)) for c in photo(x, y))
    corners = [click(FRAME["x0"], FRAME["y0"]), click(FRAME["x1"], FRAME["y0"]),
               click(FRAME["x0"], FRAME["y1"]), click(FRAME["x1"], FRAME["y1"])]
    picture, project = os.path.join(WORK, "chart.bmp"), os.path.join(WORK, "chart.cvn")
    white_bmp(picture)
    cli("new", picture, project)
    calibrated = os.path.join(WORK, "chart-%d.cvn" % round(share * 100))
    cli("calibrate", project, calibrated, "--corners", *[str(c) for p in corners for c in p],
        "--scales", str(XMIN), str(XMAX), str(YMIN), str(YMAX))
    result = {}
    for method in ("bilinear", "perspective"):
        errors = []
        for x, y in POINTS:
            px, py = click(*chart_pixel(x, y))
            cx, cy = map(float, cli("convert", calibrated, str(px), str(py), "--method", method).split())
            errors.append(max(abs(cx - x) / (XMAX - XMIN), abs(cy - y) / (YMAX - YMIN)) * 100)
        result[method] = (max(errors), sum(errors) / len(errors))
    return result


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    CLI, WORK = sys.argv[1], sys.argv[2]
    os.makedirs(WORK, exist_ok=True)
    print("| corner moved | bilinear max | bilinear mean | perspective max | perspective mean |")
    print("|---|---|---|---|---|")
    for share in (0.0, 0.15, 0.30):
        r = measure(share)
        print("| %d %% | %.2f %% | %.2f %% | %.2f %% | %.2f %% |" % (
            round(share * 100), *r["bilinear"], *r["perspective"]))
