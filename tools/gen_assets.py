#!/usr/bin/env python3
"""Generates the setup's art and the device packages it carries, byte for byte the same on every run.

    gen_assets.py OUTDIR                  everything the resource script includes, and the
                                          sibling packages the download server hands out
    gen_assets.py --check OUTDIR          regenerate into a temporary folder, compare with OUTDIR,
                                          check the exact sizes; exit 1 on any difference
    gen_assets.py --big NAME SIZE OUTDIR  one sibling package whose cabinet is SIZE bytes (the next
                                          reachable size if SIZE itself is not), written to
                                          OUTDIR/NAME/ like the siblings; for download benchmarks

Files written to OUTDIR:
    PROGRAM.CAB PROGRAM.DAT PROGRAM.ICO PROGRAM.INI   the main product's device package
    LICENSE.TXT                                       the licence agreement
    <Name>_ICON.bmp <Name>_SLOGAN.bmp                 64x64 and 190x40, for each catalogue row
    setup.ico locked_tick.ico                         the wizard's icon and the greyed tick box
    siblings/<Name>/<Name>.CAB .ini .dat .ico         the four sibling products' packages

Standard library only. Pixels are computed with exactly rounded float operations and no hash or
dict ordering reaches the output, so the bytes do not depend on the machine.
"""

import hashlib
import io
import os
import struct
import sys
import tempfile

sys.dont_write_bytecode = True          # keep the source tree free of __pycache__ during builds

from assetgen import art, cabinet, ceheader, imagefiles, texts   # noqa: E402
from assetgen.raster import hex_rgb                               # noqa: E402

MAKER = "Quorvex"

# name, tile and banner colours (dark, light), program size for siblings (the main one is solved).
CATALOGUE = [
    ("Orvella", "#123f85", "#3f9be0", None),
    ("Zentaro", "#0f6b4a", "#45c08a", 12000),
    ("Plovic", "#b33a10", "#f5a142", 24000),
    ("Yarnex", "#4b2590", "#a77be0", 40000),      # spans two data blocks
    ("Brisko", "#9e1b32", "#ec6a78", 70000),      # and this one three
]
TAGLINE = "for Pocket PC"

# Sizes the setup's resources are held to.
MAIN_CAB_SIZE = 989440
EXACT_SIZES = {
    "PROGRAM.CAB": MAIN_CAB_SIZE,
    "PROGRAM.DAT": 507,
    "PROGRAM.ICO": 22382,
    "PROGRAM.INI": 201,
    "LICENSE.TXT": 6093,
}
ICON_BMP_SIZE = 54 + 64 * 64 * 3
SLOGAN_BMP_SIZE = 54 + 40 * 572

FILE_TIME = (2005, 6, 1, 12, 0, 0)        # stamped on every cabinet member
TICK_PALETTE = [(0, 0, 0)] + [(v, v, v) for v in range(136, 256, 8)]


def _colours(name):
    for n, dark, light, _ in CATALOGUE:
        if n.lower() == name.lower():
            return hex_rgb(dark), hex_rgb(light)
    # Unknown names (benchmark packages) get a colour of their own, still reproducible.
    h = hashlib.sha256(name.encode("ascii")).digest()
    dark = (h[0] // 3, h[1] // 3, 60 + h[2] // 3)
    return dark, tuple(min(255, c + 110) for c in dark)


def placeholder_program(name, length):
    """Stands in for the device program: a short note, then bytes no compressor can shrink
    (SHAKE-256 of the name and a counter), so the package's size stays what we ask for."""
    note = ("%s placeholder device program\r\n" % name).encode("ascii")[:length]
    out = [note]
    left, counter = length - len(note), 0
    seed = ("%s/%s" % (MAKER, name)).encode("ascii")
    while left > 0:
        n = min(left, 1 << 20)
        out.append(hashlib.shake_256(seed + counter.to_bytes(8, "little")).digest(n))
        left, counter = left - n, counter + 1
    return b"".join(out)


def install_header(name):
    exe = name + ".exe"
    pkg = ceheader.Package(
        app=name, provider=MAKER, folder=["%CE1%", name],
        files=[(1, exe), (2, "Readme.txt")],
        registry=(ceheader.HKLM, ["Software", MAKER, name],
                  [("Description", texts.registry_description(name, MAKER))]),
        link=(name, 1))
    return ceheader.build(pkg)


def package_icon(name):
    dark, light = _colours(name)
    return imagefiles.ico([imagefiles.icon_image_32(art.product_tile(s, name[0].upper(), dark, light))
                           for s in (64, 32, 16)])


def device_package(name, program_length=None, cab_size=None):
    """The four files of a package, keyed by extension. Give either the program's length or the
    cabinet's size; for the latter the program's length is solved for."""
    header = install_header(name)
    readme = texts.device_readme(name, MAKER)
    names = [cabinet.member_name(name, 0), cabinet.member_name("Readme.txt", 2),
             cabinet.member_name(name + ".exe", 1)]
    if program_length is None:
        # A size just past a block boundary cannot be met; the next reachable one is 8 bytes on.
        for size in range(cab_size, cab_size + 16):
            program_length = cabinet.solve_member_length(names, len(header) + len(readme), size)
            if program_length is not None:
                break
        else:
            raise SystemExit("gen_assets: a %s cabinet cannot be %d bytes" % (name, cab_size))
    members = list(zip(names, [header, readme, placeholder_program(name, program_length)]))
    set_id = int.from_bytes(hashlib.sha256(name.encode("ascii")).digest()[:2], "little")
    cab = io.BytesIO()
    cabinet.write(members, cab, FILE_TIME, set_id)
    return {"cab": cab.getvalue(), "dat": header, "ico": package_icon(name),
            "ini": texts.manager_ini(name)}


def setup_icon():
    canvases = [art.setup_icon(s) for s in (48, 32, 24, 16)]
    palette = imagefiles.median_cut_palette(canvases, 256)
    return imagefiles.ico([imagefiles.icon_image_indexed(c, 8, palette) for c in canvases] +
                          [imagefiles.icon_image_32(c) for c in canvases])


def locked_tick_icon():
    return imagefiles.ico([imagefiles.icon_image_indexed(art.locked_tick(32), 4, TICK_PALETTE)])


def all_files():
    """Relative path -> bytes, for everything OUTDIR receives."""
    files = {}
    main = CATALOGUE[0][0]
    pkg = device_package(main, cab_size=MAIN_CAB_SIZE)
    for ext in ("cab", "dat", "ico", "ini"):
        files["PROGRAM." + ext.upper()] = pkg[ext]
    files["LICENSE.TXT"] = texts.licence(main, MAKER)
    for name, _, _, program_length in CATALOGUE:
        dark, light = _colours(name)
        files[name + "_ICON.bmp"] = imagefiles.bmp24(art.product_tile(64, name[0], dark, light))
        files[name + "_SLOGAN.bmp"] = imagefiles.bmp24(art.product_banner(name, TAGLINE, dark, light))
        if program_length is not None:
            files.update(_sibling_files(name, device_package(name, program_length=program_length)))
    files["setup.ico"] = setup_icon()
    files["locked_tick.ico"] = locked_tick_icon()
    _verify(files)
    return files


def _sibling_files(name, pkg):
    base = "siblings/%s/%s" % (name, name)
    return {base + ".CAB": pkg["cab"], base + ".ini": pkg["ini"], base + ".dat": pkg["dat"],
            base + ".ico": pkg["ico"]}


def _verify(files):
    """Exact sizes, and every cabinet read back: the build must fail here rather than on a device."""
    wrong = []
    for path, data in sorted(files.items()):
        want = EXACT_SIZES.get(path)
        if path.endswith("_ICON.bmp"):
            want = ICON_BMP_SIZE
        elif path.endswith("_SLOGAN.bmp"):
            want = SLOGAN_BMP_SIZE
        elif path.endswith(".ico") and path.startswith("siblings/"):
            want = EXACT_SIZES["PROGRAM.ICO"]
        if want is not None and len(data) != want:
            wrong.append("%s: %d bytes, expected %d" % (path, len(data), want))
        if path.endswith(".CAB"):
            base = path[:-4]
            header = files.get(base + ".DAT", files.get(base + ".dat"))
            wrong += ["%s: %s" % (path, e) for e in _cabinet_problems(data, header)]
    if wrong:
        raise SystemExit("gen_assets: " + "; ".join(wrong))


def _cabinet_problems(cab, header):
    """Reads a cabinet back as an extractor would: layout, block checksums, and the install header
    as the first member, equal to the package's own header file."""
    if cab[:4] != b"MSCF" or struct.unpack_from("<I", cab, 8)[0] != len(cab):
        return ["bad cabinet header"]
    problems = []
    first_file, = struct.unpack_from("<I", cab, 16)
    n_files, = struct.unpack_from("<H", cab, 28)
    data_at, n_blocks, compression = struct.unpack_from("<IHH", cab, 36)
    pos, members = first_file, []
    for _ in range(n_files):
        size, offset = struct.unpack_from("<II", cab, pos)
        end = cab.index(b"\0", pos + 16)
        members.append((cab[pos + 16:end].decode("ascii"), size, offset))
        pos = end + 1
    if compression != 0 or pos != data_at:
        problems.append("layout")
    stream = []
    for n in range(n_blocks):
        csum, packed, unpacked = struct.unpack_from("<IHH", cab, data_at)
        chunk = cab[data_at + 8:data_at + 8 + packed]
        if packed != unpacked or packed > cabinet.BLOCK:
            problems.append("sizes of block %d" % n)
        if cabinet.checksum(chunk, cabinet.checksum(cab[data_at + 4:data_at + 8])) != csum:
            problems.append("checksum of block %d" % n)
        stream.append(chunk)
        data_at += 8 + packed
    stream = b"".join(stream)
    if data_at != len(cab) or sum(m[1] for m in members) != len(stream):
        problems.append("member sizes")
    name, size, offset = members[0]
    if not name.endswith(".000") or offset != 0 or stream[:size] != header:
        problems.append("the first member is not the install header")
    return problems


def write_tree(outdir, files):
    for path, data in sorted(files.items()):
        full = os.path.join(outdir, *path.split("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)


def _read_tree(root):
    files = {}
    for folder, _, names in os.walk(root):
        for n in names:
            full = os.path.join(folder, n)
            with open(full, "rb") as f:
                files[os.path.relpath(full, root).replace(os.sep, "/")] = f.read()
    return files


def check(outdir):
    """Regenerates through the same writer into a scratch folder and compares file by file.
    Files in OUTDIR that we do not make are left out of the comparison."""
    with tempfile.TemporaryDirectory() as tmp:
        write_tree(tmp, all_files())
        fresh = _read_tree(tmp)
    have = _read_tree(outdir) if os.path.isdir(outdir) else {}
    bad = 0
    for path in sorted(fresh):
        if path not in have:
            print("missing:   " + path)
            bad += 1
        elif have[path] != fresh[path]:
            print("differs:   %s (%d bytes, expected %d)" % (path, len(have[path]), len(fresh[path])))
            bad += 1
    print("%d files checked, %d differ or are missing" % (len(fresh), bad))
    return 1 if bad else 0


def big(name, size, outdir):
    pkg = device_package(name, cab_size=size)
    files = _sibling_files(name, pkg)
    _verify(files)
    write_tree(outdir, {p[len("siblings/"):]: d for p, d in files.items()})
    print("%s/%s.CAB: %d bytes" % (name, name, len(pkg["cab"])))


def main(argv):
    if len(argv) == 2 and not argv[1].startswith("-"):
        write_tree(argv[1], all_files())
        return 0
    if len(argv) == 3 and argv[1] == "--check":
        return check(argv[2])
    if len(argv) == 5 and argv[1] == "--big" and argv[3].isdigit():
        big(argv[2], int(argv[3]), argv[4])
        return 0
    print(__doc__.strip())
    return 0 if argv[1:] in (["-h"], ["--help"]) else 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
