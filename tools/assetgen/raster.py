"""A tiny anti-aliased rasteriser: signed-distance shapes, gradients and masks on an RGBA canvas.

Only +, -, *, /, sqrt and floor are used on floats: those are exactly rounded under IEEE 754, so the
pixels come out the same on every machine (sin, exp or pow could differ between C libraries).
"""

from math import floor, sqrt


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(c0, c1, t):
    """Linear blend of two RGB tuples (0..255), t in 0..1."""
    t = clamp01(t)
    return (c0[0] + (c1[0] - c0[0]) * t, c0[1] + (c1[1] - c0[1]) * t, c0[2] + (c1[2] - c0[2]) * t)


def hex_rgb(text):
    v = int(text.lstrip("#"), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def linear_gradient(x0, y0, c0, x1, y1, c1):
    """Colour function for paint(): c0 at (x0, y0) to c1 at (x1, y1), constant across the axis."""
    dx, dy = x1 - x0, y1 - y0
    inv = 1.0 / (dx * dx + dy * dy)
    return lambda x, y: mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) * inv)


# Signed distances in pixels, negative inside. Coverage of a pixel is then 0.5 - d, clamped: a
# one-pixel-wide ramp across the edge, which is all the anti-aliasing these small images need.

def sd_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) * 0.5, (y0 + y1) * 0.5
    hx, hy = (x1 - x0) * 0.5 - r, (y1 - y0) * 0.5 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        return sqrt(ox * ox + oy * oy) + min(max(qx, qy), 0.0) - r
    return d


def sd_circle(cx, cy, r):
    return lambda x, y: sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - r


def segment_dist2(ax, ay, bx, by, x, y):
    """The squared distance from (x, y) to the segment from (ax, ay) to (bx, by)."""
    vx, vy, wx, wy = bx - ax, by - ay, x - ax, y - ay
    t = clamp01((wx * vx + wy * vy) / (vx * vx + vy * vy))
    ex, ey = wx - vx * t, wy - vy * t
    return ex * ex + ey * ey


def sd_polyline(points, width):
    """A stroke of the given width along connected segments, with round caps and joins."""
    segs = list(zip(points, points[1:]))
    half = width * 0.5

    def d(x, y):
        best = None
        for (ax, ay), (bx, by) in segs:
            dd = segment_dist2(ax, ay, bx, by, x, y)
            if best is None or dd < best:
                best = dd
        return sqrt(best) - half
    return d


def sd_polygon(points):
    """Any simple polygon; the sign comes from the crossing count."""
    n = len(points)

    def d(x, y):
        best = None
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            dd = segment_dist2(ax, ay, bx, by, x, y)
            if best is None or dd < best:
                best = dd
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -sqrt(best) if inside else sqrt(best)
    return d


def sd_union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def sd_subtract(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def sd_intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def sd_offset(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


class Canvas:
    """Premultiplied RGBA, 0..255 per channel, row 0 at the top."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        n = width * height
        self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n

    def _blend(self, i, cov, col):
        # "Source over" with premultiplied destination; cov already includes the layer's opacity.
        k = 1.0 - cov
        self.r[i] = col[0] * cov + self.r[i] * k
        self.g[i] = col[1] * cov + self.g[i] * k
        self.b[i] = col[2] * cov + self.b[i] * k
        self.a[i] = 255.0 * cov + self.a[i] * k

    def paint(self, shape, colour, opacity=1.0, bbox=None):
        """Fill a signed-distance shape; colour is an RGB tuple or a function of (x, y)."""
        x0, y0, x1, y1 = bbox if bbox else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(floor(x0)) - 1), max(0, int(floor(y0)) - 1)
        x1, y1 = min(self.width, int(floor(x1)) + 2), min(self.height, int(floor(y1)) + 2)
        solid = not callable(colour)
        for y in range(y0, y1):
            cy = y + 0.5
            row = y * self.width
            for x in range(x0, x1):
                cx = x + 0.5
                cov = 0.5 - shape(cx, cy)
                if cov <= 0.0:
                    continue
                cov = opacity if cov >= 1.0 else cov * opacity
                self._blend(row + x, cov, colour if solid else colour(cx, cy))

    def paint_mask(self, mask, left, top, colour, opacity=1.0):
        """Blend a Mask (coverage 0..1) with its top-left corner at (left, top)."""
        solid = not callable(colour)
        for my in range(mask.height):
            y = top + my
            if not 0 <= y < self.height:
                continue
            for mx in range(mask.width):
                x = left + mx
                cov = mask.v[my * mask.width + mx]
                if cov <= 0.0 or not 0 <= x < self.width:
                    continue
                self._blend(y * self.width + x, cov * opacity,
                            colour if solid else colour(x + 0.5, y + 0.5))

    def pixels_rgba(self):
        """Straight (not premultiplied) 8-bit RGBA tuples, row by row from the top."""
        out = []
        for i in range(self.width * self.height):
            a = self.a[i]
            if a <= 0.0:
                out.append((0, 0, 0, 0))
                continue
            s = 255.0 / a
            out.append((_byte(self.r[i] * s), _byte(self.g[i] * s), _byte(self.b[i] * s), _byte(a)))
        return out

    def pixels_rgb(self, background=(255, 255, 255)):
        """Opaque 8-bit RGB tuples after composing the canvas over a background colour."""
        out = []
        for i in range(self.width * self.height):
            k = 1.0 - self.a[i] / 255.0
            out.append((_byte(self.r[i] + background[0] * k), _byte(self.g[i] + background[1] * k),
                        _byte(self.b[i] + background[2] * k)))
        return out


def _byte(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


class Mask:
    """A coverage map (0..1) of a given size."""

    def __init__(self, width, height, values=None):
        self.width, self.height = width, height
        self.v = values if values is not None else [0.0] * (width * height)

    def blurred(self, passes=1):
        """3x3 box blur, grown by one pixel per side and pass so nothing is cut off."""
        m = self
        for _ in range(passes):
            w, h = m.width + 2, m.height + 2
            out = [0.0] * (w * h)
            for y in range(h):
                for x in range(w):
                    s = 0.0
                    for yy in (y - 2, y - 1, y):
                        if 0 <= yy < m.height:
                            base = yy * m.width
                            for xx in (x - 2, x - 1, x):
                                if 0 <= xx < m.width:
                                    s += m.v[base + xx]
                    out[y * w + x] = s / 9.0
            m = Mask(w, h, out)
        return m
