"""A proportional 5x7 pixel font (nine rows with descenders) and a smooth scaled renderer.

Glyph rows are separated by "/"; "#" is ink. Rows 0-6 stand on the baseline, rows 7-8 are the
descender; rows left out at the end are empty.
"""

from math import ceil

from .raster import Mask

CELL_ROWS = 9
CAP_ROWS = 7

_GLYPHS = {
    "A": ".###./#...#/#...#/#####/#...#/#...#/#...#",
    "B": "####./#...#/#...#/####./#...#/#...#/####.",
    "C": ".###./#...#/#..../#..../#..../#...#/.###.",
    "D": "####./#...#/#...#/#...#/#...#/#...#/####.",
    "E": "#####/#..../#..../####./#..../#..../#####",
    "F": "#####/#..../#..../####./#..../#..../#....",
    "G": ".###./#...#/#..../#.###/#...#/#...#/.####",
    "H": "#...#/#...#/#...#/#####/#...#/#...#/#...#",
    "I": "###/.#./.#./.#./.#./.#./###",
    "J": "..###/...#./...#./...#./...#./#..#./.##..",
    "K": "#...#/#..#./#.#../##.../#.#../#..#./#...#",
    "L": "#..../#..../#..../#..../#..../#..../#####",
    "M": "#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#",
    "N": "#...#/#...#/##..#/#.#.#/#..##/#...#/#...#",
    "O": ".###./#...#/#...#/#...#/#...#/#...#/.###.",
    "P": "####./#...#/#...#/####./#..../#..../#....",
    "Q": ".###./#...#/#...#/#...#/#.#.#/#..#./.##.#",
    "R": "####./#...#/#...#/####./#.#../#..#./#...#",
    "S": ".####/#..../#..../.###./....#/....#/####.",
    "T": "#####/..#../..#../..#../..#../..#../..#..",
    "U": "#...#/#...#/#...#/#...#/#...#/#...#/.###.",
    "V": "#...#/#...#/#...#/#...#/#...#/.#.#./..#..",
    "W": "#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#.",
    "X": "#...#/#...#/.#.#./..#../.#.#./#...#/#...#",
    "Y": "#...#/#...#/.#.#./..#../..#../..#../..#..",
    "Z": "#####/....#/...#./..#../.#.../#..../#####",
    "a": "...../...../.###./....#/.####/#...#/.####",
    "b": "#..../#..../####./#...#/#...#/#...#/####.",
    "c": "..../..../.###/#.../#.../#.../.###",
    "d": "....#/....#/.####/#...#/#...#/#...#/.####",
    "e": "...../...../.###./#...#/#####/#..../.###.",
    "f": "..##/.#../####/.#../.#../.#../.#..",
    "g": "...../...../.####/#...#/#...#/#...#/.####/....#/.###.",
    "h": "#..../#..../####./#...#/#...#/#...#/#...#",
    "i": "#/./#/#/#/#/#",
    "j": "..#/.../..#/..#/..#/..#/..#/..#/##.",
    "k": "#.../#.../#..#/#.#./##../#.#./#..#",
    "l": "#./#./#./#./#./#./.#",
    "m": "...../...../##.#./#.#.#/#.#.#/#.#.#/#.#.#",
    "n": "...../...../####./#...#/#...#/#...#/#...#",
    "o": "...../...../.###./#...#/#...#/#...#/.###.",
    "p": "...../...../####./#...#/#...#/#...#/####./#..../#....",
    "q": "...../...../.####/#...#/#...#/#...#/.####/....#/....#",
    "r": "..../..../#.##/##../#.../#.../#...",
    "s": "...../...../.####/#..../.###./....#/####.",
    "t": ".#../.#../####/.#../.#../.#../..##",
    "u": "...../...../#...#/#...#/#...#/#..##/.##.#",
    "v": "...../...../#...#/#...#/#...#/.#.#./..#..",
    "w": "...../...../#...#/#...#/#.#.#/#.#.#/.#.#.",
    "x": "...../...../#...#/.#.#./..#../.#.#./#...#",
    "y": "...../...../#...#/#...#/#...#/#...#/.####/....#/.###.",
    "z": "...../...../#####/...#./..#../.#.../#####",
    "0": ".###./#...#/#..##/#.#.#/##..#/#...#/.###.",
    "1": ".#./##./.#./.#./.#./.#./###",
    "2": ".###./#...#/....#/...#./..#../.#.../#####",
    "3": "####./....#/....#/.###./....#/....#/####.",
    "4": "...#./..##./.#.#./#..#./#####/...#./...#.",
    "5": "#####/#..../####./....#/....#/#...#/.###.",
    "6": "..##./.#.../#..../####./#...#/#...#/.###.",
    "7": "#####/....#/...#./..#../.#.../.#.../.#...",
    "8": ".###./#...#/#...#/.###./#...#/#...#/.###.",
    "9": ".###./#...#/#...#/.####/....#/...#./.##..",
    " ": ".../.../.../.../.../.../...",
    ".": "././././././#",
    ",": "././././././#/#",
    ":": "./././#/././#",
    "'": "#/#",
    "-": "..../..../..../####/..../..../....",
    "!": "#/#/#/#/#/./#",
    "&": ".##../#..#./#.#../.#.../#.#.#/#..#./.##.#",
    "/": "....#/....#/...#./..#../.#.../#..../#....",
}


def _glyph_rows(ch):
    rows = _GLYPHS[ch].split("/")
    width = max(len(r) for r in rows)
    rows = [r.ljust(width, ".") for r in rows] + ["." * width] * (CELL_ROWS - len(rows))
    return [[c == "#" for c in r] for r in rows]


def layout(text, spacing=1):
    """The text as a grid of booleans, CELL_ROWS high, with `spacing` empty columns between glyphs."""
    grid = [[] for _ in range(CELL_ROWS)]
    for n, ch in enumerate(text):
        rows = _glyph_rows(ch)
        for y in range(CELL_ROWS):
            if n:
                grid[y].extend([False] * spacing)
            grid[y].extend(rows[y])
    return grid


def _scale2x(grid, keep_corners=False):
    """EPX/Scale2x: doubles the grid and fills the inner corners of diagonals, so that scaled
    pixel letters get rounded bends instead of staircases. keep_corners only adds ink and never
    rounds an outer corner away, which keeps square letters such as B and D from looking like
    digits at large sizes."""
    h, w = len(grid), len(grid[0])
    out = [[False] * (2 * w) for _ in range(2 * h)]

    def at(x, y):
        return grid[y][x] if 0 <= x < w and 0 <= y < h else False

    for y in range(h):
        for x in range(w):
            p, a, b, c, d = grid[y][x], at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            out[2 * y][2 * x] = a if (c == a and c != d and a != b) else p
            out[2 * y][2 * x + 1] = b if (a == b and a != c and b != d) else p
            out[2 * y + 1][2 * x] = c if (d == c and d != b and c != a) else p
            out[2 * y + 1][2 * x + 1] = d if (b == d and b != a and d != c) else p
            if keep_corners and p:
                out[2 * y][2 * x] = out[2 * y][2 * x + 1] = True
                out[2 * y + 1][2 * x] = out[2 * y + 1][2 * x + 1] = True
    return out


def render(text, scale, rows=CELL_ROWS, spacing=1, smooth=True, weight=0.0, samples=4, stretch=1.0,
           keep_corners=False):
    """Coverage mask of the text, one font pixel being `scale` output pixels (any real number).

    smooth: round the diagonals (two Scale2x passes) before scaling; leave it off at scale 1, where
    the plain pixels are the most legible. weight: extra stroke width in font pixels, added to the
    right of each stroke. rows: how many font rows to keep (CAP_ROWS drops the descender).
    stretch: extra horizontal scale, for wide display letters.
    """
    grid = layout(text, spacing)[:rows]
    sub = 1
    if smooth:
        grid = _scale2x(_scale2x(grid, keep_corners), keep_corners)
        sub = 4
    gw, gh = len(grid[0]), len(grid)
    cell = scale / sub                      # output pixels per grid cell
    cell_x = cell * stretch
    extra = int(weight * sub + 0.5)
    if extra:
        grid = [[any(row[x - k] for k in range(extra + 1) if 0 <= x - k < gw) for x in range(gw + extra)]
                for row in grid]
        gw += extra
    width, height = int(ceil(gw * cell_x)), int(ceil(gh * cell))
    inv = 1.0 / (samples * samples)
    values = []
    for y in range(height):
        for x in range(width):
            hit = 0
            for sy in range(samples):
                gy = int((y + (sy + 0.5) / samples) / cell)
                if gy >= gh:
                    continue
                row = grid[gy]
                for sx in range(samples):
                    gx = int((x + (sx + 0.5) / samples) / cell_x)
                    if gx < gw and row[gx]:
                        hit += 1
            values.append(hit * inv)
    return Mask(width, height, values)
