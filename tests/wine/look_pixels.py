#!/usr/bin/env python3
"""look_pixels.py SCREENSHOT TIP BOLD REGULAR -- what a screenshot shows of
the program's look, each region given as X,Y,WIDTH,HEIGHT in pixels of the
screen: TIP a tooltip, which must be dark text on a pale yellow ground;
BOLD a caption drawn in bold, whose strokes must be clearly wider than those
of REGULAR, text of the same face and size drawn regular. Prints the
figures; exits 1 when the look is not as designed."""
import subprocess
import sys


def read(path):
    ppm = subprocess.run(["convert", path, "ppm:-"], check=True, capture_output=True).stdout
    # P6, width, height, maximum, each followed by one whitespace byte.
    fields, pos = [], 0
    while len(fields) < 4:
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end + 1
    return int(fields[1]), ppm[pos:]


def region(shot, box):
    width, data = shot
    x, y, w, h = (int(v) for v in box.split(","))
    return [[tuple(data[3 * ((y + j) * width + x + i):3 * ((y + j) * width + x + i) + 3]) for i in range(w)]
            for j in range(h)]


def lightness(rgb):
    return (max(rgb) + min(rgb)) / 2


def ground(pixels):
    counts = {}
    for row in pixels:
        for p in row:
            counts[p] = counts.get(p, 0) + 1
    return max(counts, key=counts.get)


def stroke_width(pixels):
    """The mean width of the strokes: twice the ink (1 for a pixel in the
    text's colour, less for the shades at its edges) over the length of the
    strokes' outline (the sides between an inked pixel and one not inked,
    along the rows and the columns), as a stroke of width w and length l
    has the ink w*l and an outline of about 2*l."""
    back = lightness(ground(pixels))
    ink_colour = min(lightness(p) for row in pixels for p in row)
    if back - ink_colour < 64:
        return 0.0
    cover = [[min(1.0, max(0.0, (back - lightness(p)) / (back - ink_colour))) for p in row] for row in pixels]
    inked = [[c >= 0.5 for c in row] + [False] for row in cover]
    inked.append([False] * len(inked[0]))
    ink = sum(sum(row) for row in cover)
    outline = 0
    for j in range(len(cover)):
        for i in range(len(cover[0])):
            outline += (inked[j][i] != inked[j][i - 1]) + (inked[j][i] != inked[j - 1][i])
    return 2 * ink / outline if outline else 0.0


def main():
    shot = read(sys.argv[1])
    tip = region(shot, sys.argv[2])
    inner = [row[2:-2] for row in tip[2:-2]]
    back = ground(inner)
    text = min((p for row in inner for p in row), key=lightness)
    bold = stroke_width(region(shot, sys.argv[3]))
    regular = stroke_width(region(shot, sys.argv[4]))
    print("tooltip: text #%02x%02x%02x on #%02x%02x%02x" % (text + back))
    print("strokes: bold %.2f px, regular %.2f px" % (bold, regular))
    failed = []
    r, g, b = back
    if not (min(r, g) >= 0xF0 and b <= min(r, g) - 0x10):
        failed.append("the tooltip's ground is not pale yellow")
    if lightness(back) - lightness(text) < 200:
        failed.append("the tooltip's text is not dark on its ground")
    if bold < 1.25 * regular:
        failed.append("the bold caption is drawn no wider than regular text")
    for f in failed:
        print("FAILED: " + f, file=sys.stderr)
    sys.exit(1 if failed else 0)


main()
