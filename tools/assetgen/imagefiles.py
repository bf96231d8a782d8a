"""BMP and ICO encoders for Canvas pixels, and the palette reduction the indexed icon images need."""

import struct

_BI_RGB = 0
_PELS_PER_METRE = 2835          # 72 dpi, what paint programs write; icon images carry 0 there


def _info_header(width, height, bpp, image_size, pels_per_metre=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, _BI_RGB, image_size,
                       pels_per_metre, pels_per_metre, 0, 0)


def _stride(width, bpp):
    return (width * bpp + 31) // 32 * 4


def bmp24(canvas, background=(255, 255, 255)):
    """A bottom-up 24-bit BI_RGB bitmap file; transparency is composed over `background`."""
    w, h = canvas.width, canvas.height
    px = canvas.pixels_rgb(background)
    pad = b"\0" * (_stride(w, 24) - 3 * w)
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for r, g, b in px[y * w:(y + 1) * w]:
            row += bytes((b, g, r))
        rows.append(bytes(row) + pad)
    bits = b"".join(rows)
    offset = 14 + 40
    return b"BM" + struct.pack("<IHHI", offset + len(bits), 0, 0, offset) + \
        _info_header(w, h, 24, len(bits), _PELS_PER_METRE) + bits


def _and_mask(width, height, transparent):
    """1-bit mask rows, bottom-up, padded to 4 bytes; a set bit leaves the screen pixel alone."""
    stride = _stride(width, 1)
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            if transparent[y * width + x]:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


class IconImage:
    """One image of an icon file: the directory fields and the DIB that the entry points at."""

    def __init__(self, width, height, bpp, colours, dib):
        self.width, self.height, self.bpp, self.colours, self.dib = width, height, bpp, colours, dib


def icon_image_32(canvas):
    """32-bit BGRA with real alpha, plus the AND mask for systems that ignore alpha."""
    w, h = canvas.width, canvas.height
    px = canvas.pixels_rgba()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for r, g, b, a in px[y * w:(y + 1) * w]:
            xor += bytes((b, g, r, a))
    mask = _and_mask(w, h, [p[3] < 128 for p in px])
    dib = _info_header(w, 2 * h, 32, len(xor) + len(mask)) + bytes(xor) + mask
    return IconImage(w, h, 32, 0, dib)


def icon_image_indexed(canvas, bpp, palette):
    """4- or 8-bit image against a fixed palette of RGB tuples. Pixels under half coverage become
    transparent through the mask and take index 0, which must be black so that the XOR does
    nothing there."""
    assert palette[0] == (0, 0, 0) and len(palette) <= 1 << bpp
    w, h = canvas.width, canvas.height
    px = canvas.pixels_rgba()
    transparent = [p[3] < 128 for p in px]
    cache = {}
    indices = []
    for p, t in zip(px, transparent):
        if t:
            indices.append(0)
            continue
        rgb = p[:3]
        if rgb not in cache:
            cache[rgb] = nearest(palette, rgb, skip_first=True)
        indices.append(cache[rgb])
    stride = _stride(w, bpp)
    per_byte = 8 // bpp
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            shift = (per_byte - 1 - x % per_byte) * bpp
            row[x // per_byte] |= indices[y * w + x] << shift
        xor += row
    entries = list(palette) + [(0, 0, 0)] * ((1 << bpp) - len(palette))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    mask = _and_mask(w, h, transparent)
    dib = _info_header(w, 2 * h, bpp, len(xor) + len(mask)) + table + bytes(xor) + mask
    return IconImage(w, h, bpp, (1 << bpp) & 0xFF, dib)


def ico(images):
    """An icon file: ICONDIR, one 16-byte entry per image, then the images in the same order."""
    out = [struct.pack("<HHH", 0, 1, len(images))]
    offset = 6 + 16 * len(images)
    for im in images:
        out.append(struct.pack("<BBBBHHII", im.width & 0xFF, im.height & 0xFF, im.colours, 0,
                               1, im.bpp, len(im.dib), offset))
        offset += len(im.dib)
    out.extend(im.dib for im in images)
    return b"".join(out)


def nearest(palette, rgb, skip_first=False):
    best, best_d = 0, None
    for i in range(1 if skip_first else 0, len(palette)):
        p = palette[i]
        d = (p[0] - rgb[0]) ** 2 * 3 + (p[1] - rgb[1]) ** 2 * 4 + (p[2] - rgb[2]) ** 2 * 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def median_cut_palette(canvases, size):
    """A palette of at most `size` colours for the opaque pixels of the canvases, black first.

    Plain median cut over the colour histogram; boxes are split along their widest channel and ties
    are broken by sorting, so the result does not depend on dict or set order."""
    hist = {}
    for c in canvases:
        for r, g, b, a in c.pixels_rgba():
            if a >= 128:
                hist[(r, g, b)] = hist.get((r, g, b), 0) + 1
    colours = sorted(hist)
    if len(colours) < size:
        return [(0, 0, 0)] + colours
    boxes = [colours]
    while len(boxes) < size - 1:
        # Split the box holding the most pixels among those that can still be split.
        candidates = [b for b in boxes if len(b) > 1]
        if not candidates:
            break
        box = max(candidates, key=lambda bx: (sum(hist[c] for c in bx), bx[0]))
        spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
        k = spans.index(max(spans))
        box.sort(key=lambda c: (c[k], c))
        total, acc, cut = sum(hist[c] for c in box), 0, 1
        for i, c in enumerate(box):
            acc += hist[c]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, i + 1))
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        n = sum(hist[c] for c in box)
        palette.append(tuple(int((sum(c[k] * hist[c] for c in box) + n // 2) // n) for k in range(3)))
    return [(0, 0, 0)] + sorted(set(palette))
