"""The pictures: product tiles and banners, the setup icon and the greyed tick box."""

from . import pixelfont
from .raster import (Canvas, linear_gradient, mix, sd_circle, sd_intersect, sd_offset, sd_polygon,
                     sd_polyline, sd_round_rect, sd_subtract, sd_union)

WHITE = (255, 255, 255)
SHADOW = (20, 24, 40)


def _soft(shape, width):
    """The same shape with an edge ramp `width` pixels wide: a cheap soft shadow."""
    return lambda x, y: shape(x, y) / width


def _drop_shadow(canvas, mask, left, top, dx, dy, opacity):
    """A blurred copy of the mask under where it will be painted, moved by (dx, dy)."""
    passes = 2
    canvas.paint_mask(mask.blurred(passes), left - passes + dx, top - passes + dy, SHADOW, opacity)


def product_tile(size, initial, dark, light):
    """A rounded tile with a vertical gradient, a soft top sheen and the product's initial.
    Transparent around the tile, so the same drawing serves the bitmap and the package icon."""
    s = size / 64.0
    c = Canvas(size, size)
    x0, y0, x1, y1 = 3 * s, 2 * s, 61 * s, 60 * s
    tile = sd_round_rect(x0, y0, x1, y1, 13 * s)
    if size >= 32:
        c.paint(_soft(sd_offset(tile, 0, 1.5 * s), 2.5 * s), SHADOW, 0.28)
    c.paint(tile, linear_gradient(0, y0, light, 0, y1, dark))
    sheen = sd_intersect(tile, sd_circle(size * 0.5, -34 * s, 62 * s))
    c.paint(sheen, WHITE, 0.16)
    rim = sd_subtract(tile, sd_round_rect(x0 + s, y0 + s, x1 - s, y1 - s, 12 * s))
    c.paint(rim, mix(dark, (0, 0, 0), 0.25), 0.35)
    if size >= 32:
        mask = pixelfont.render(initial, 4.9 * s, rows=pixelfont.CAP_ROWS, weight=0.25, stretch=1.3,
                                keep_corners=True)
    else:
        # Scaled-down smooth letters turn to mush at this size; the bare pixel glyph stays sharp.
        mask = pixelfont.render(initial, 1.0, rows=pixelfont.CAP_ROWS, smooth=False, weight=1.0)
    left = int((size - mask.width) / 2.0 + 0.5)
    top = int((size - mask.height) / 2.0 + 0.5)
    if size >= 32:
        _drop_shadow(c, mask, left, top, int(s), int(2 * s), 0.30)
    c.paint_mask(mask, left, top, WHITE)
    return c


def product_banner(name, tagline, dark, light):
    """190x40: the product name large on a gradient band with soft light rings on the right."""
    w, h = 190, 40
    c = Canvas(w, h)
    band = sd_round_rect(0.0, 0.0, w, h, 7.0)
    c.paint(band, linear_gradient(0, 0, dark, w, h * 0.5, light))
    c.paint(sd_intersect(band, sd_round_rect(-10, -30, w + 10, h * 0.48, 30)), WHITE, 0.10)
    for cx, cy, r, a in ((172, 8, 26, 0.10), (150, 44, 18, 0.08), (186, 36, 10, 0.12)):
        ring = sd_subtract(sd_circle(cx, cy, r), sd_circle(cx, cy, r - 4))
        c.paint(sd_intersect(band, ring), WHITE, a)
    left, top = 10, 5
    title = pixelfont.render(name, 3.0, rows=pixelfont.CAP_ROWS, weight=0.2, keep_corners=True)
    _drop_shadow(c, title, left, top, 1, 1, 0.45)
    c.paint_mask(title, left, top, WHITE)
    if tagline:
        # Plain one-to-one pixels: at this height any smoothing only blurs the letters.
        tag = pixelfont.render(tagline, 1.0, rows=pixelfont.CAP_ROWS, smooth=False)
        if left + tag.width <= w - 8:
            c.paint_mask(tag, left + 1, top + title.height + 4, WHITE, 0.9)
    return c


def setup_icon(size):
    """A handheld with a green arrow coming down into its screen, drawn on a 48-unit grid."""
    k = size / 48.0
    c = Canvas(size, size)

    def pt(x, y):
        return (x * k, y * k)

    body = sd_round_rect(9 * k, 8 * k, 39 * k, 47 * k, 6 * k)
    if size >= 32:
        c.paint(_soft(sd_offset(body, 0.8 * k, 1.2 * k), 1.6 * k), SHADOW, 0.35)
    c.paint(body, linear_gradient(0, 8 * k, (92, 100, 116), 0, 47 * k, (38, 42, 52)))
    c.paint(sd_subtract(body, sd_round_rect(10 * k, 9 * k, 38 * k, 46 * k, 5 * k)), (150, 158, 172), 0.6)
    screen = sd_round_rect(13 * k, 13 * k, 35 * k, 37 * k, 1.5 * k)
    c.paint(screen, linear_gradient(0, 13 * k, (214, 236, 250), 0, 37 * k, (120, 176, 224)))
    c.paint(sd_circle(24 * k, 42 * k, 2.2 * k), (120, 128, 142))
    arrow = sd_union(sd_round_rect(20 * k, 0, 28 * k, 22 * k, 1.2 * k),
                     sd_polygon([pt(13, 19), pt(35, 19), pt(24, 32)]))
    outline = 1.4 * k if size >= 24 else 0.9
    c.paint(lambda x, y: arrow(x, y) - outline, (20, 70, 30), 0.85)
    c.paint(arrow, linear_gradient(0, 0, (132, 222, 96), 0, 32 * k, (36, 150, 52)))
    return c


def locked_tick(size=32):
    """A ticked box drawn as unavailable: light grey frame and tick on a pale face."""
    k = size / 32.0
    c = Canvas(size, size)
    c.paint(sd_round_rect(3 * k, 3 * k, 29 * k, 29 * k, 1.5 * k), (186, 186, 186))
    c.paint(sd_round_rect(5 * k, 5 * k, 27 * k, 27 * k, 0.5 * k),
            linear_gradient(0, 5 * k, (246, 246, 246), 0, 27 * k, (228, 228, 228)))
    tick = sd_polyline([(9 * k, 16.5 * k), (13.5 * k, 21 * k), (23 * k, 10.5 * k)], 3.6 * k)
    c.paint(tick, (170, 170, 170))
    return c
